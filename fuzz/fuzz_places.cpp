// Untrusted place files: any bytes as places.dat, as the text inside a sound
// compressed index, as a GeoNames dump, and as sites.txt and a city file.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "places/local_places.h"
#include "places/place_dump.h"
#include "places/place_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    const std::string in(reinterpret_cast<const char*>(data), size);
    if (auto idx = PlaceIndex::decode(in)) idx->search(35, -97, 25, 20);

    // The same bytes as the text of an index with a valid header and stream.
    std::string text =
        "name\tlatitude\tlongitude\tpopulation\tfeature_code\tadmin1\tcountry\ttimezone\n" + in;
    uLongf room = compressBound(static_cast<uLong>(text.size()));
    std::string z(room, '\0');
    if (compress2(reinterpret_cast<Bytef*>(z.data()), &room,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  1) == Z_OK) {
        z.resize(room);
        std::string file = "TSLYPLC1";
        auto put = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        put(static_cast<std::uint32_t>(text.size()));
        put(static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                             reinterpret_cast<const Bytef*>(text.data()),
                                             static_cast<uInt>(text.size()))));
        if (auto idx = PlaceIndex::decode(file + z))
            for (double lat : {-90.0, 0.0, 35.0, 90.0}) idx->search(lat, 180, 1e4, 20);
    }

    read_geonames_dump(in, DumpFilter{});
    read_custom_places("KTLX - GRLevel3", "C:\\T",
                       [&](const std::string& p) -> std::optional<std::string> {
                           if (p == "C:\\T\\sites.txt") return "KTLX,A,B\n" + in;
                           return in;
                       });
    // The same bytes as sites.txt itself, its city file a sound one.
    read_custom_places("KTLX - GRLevel3", "C:\\T",
                       [&](const std::string& p) -> std::optional<std::string> {
                           if (p == "C:\\T\\sites.txt") return in;
                           return std::string("\xEF\xBB\xBFHome,35.5,-97.5\rTown,35.6,-97.4\r\n");
                       });
    return 0;
}
