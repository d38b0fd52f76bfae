// tessaly-places: turns a GeoNames dump (cities500.txt, US.txt,
// allCountries.txt, ...) into a place index that Tessaly reads as places.dat.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "core/text.h"
#include "places/place_dump.h"
#include "places/place_index.h"

using namespace tessaly;

namespace {

int usage() {
    std::cerr << "usage: tessaly-places [--countries US,CA,...] DUMP.txt places.dat\n"
                 "       tessaly-places --check places.dat\n"
                 "Keeps the populated places (feature class P) of a GeoNames dump file.\n";
    return 1;
}

bool read_all(const std::string& path, std::string& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::ostringstream s;
    s << f.rdbuf();
    out = s.str();
    return !f.bad();
}

int run(std::vector<std::string> args) {
    if (args.size() == 2 && args[0] == "--check") {
        std::string bytes, why;
        if (!read_all(args[1], bytes)) {
            std::cerr << "cannot read " << args[1] << "\n";
            return 2;
        }
        auto idx = PlaceIndex::decode(bytes, &why);
        if (!idx) {
            std::cerr << args[1] << ": " << why << "\n";
            return 3;
        }
        std::cout << args[1] << ": " << idx->places().size() << " places\n";
        return 0;
    }
    DumpFilter filter;
    if (args.size() == 4 && args[0] == "--countries") {
        for (const std::string& c : split(args[1], ','))
            if (!trim(c).empty()) filter.countries.push_back(to_upper_ascii(trim(c)));
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2 || args[0].rfind("--", 0) == 0) return usage();
    std::string text;
    if (!read_all(args[0], text)) {
        std::cerr << "cannot read " << args[0] << "\n";
        return 2;
    }
    DumpResult r = read_geonames_dump(text, filter);
    if (r.places.empty()) {
        std::cerr << args[0] << ": no populated places found (" << r.lines << " lines, "
                  << r.malformed << " not in the GeoNames dump format); nothing written\n";
        return 3;
    }
    std::string out = r.places.size() <= kMaxIndexPlaces ? PlaceIndex::encode(r.places) : "";
    if (out.empty()) {
        std::cerr << args[0] << ": " << r.places.size()
                  << " places are more than an index holds (at most " << kMaxIndexPlaces
                  << " places, " << (kMaxIndexTextBytes >> 20)
                  << " MB of text); choose fewer with --countries; nothing written\n";
        return 3;
    }
    std::ofstream f(args[1], std::ios::binary | std::ios::trunc);
    if (!f || !f.write(out.data(), static_cast<std::streamsize>(out.size())) || !f.flush()) {
        std::cerr << "cannot write " << args[1] << "\n";
        return 2;
    }
    std::cout << r.places.size() << " places from " << r.lines << " lines";
    if (r.malformed) std::cout << " (" << r.malformed << " lines skipped: not in the dump format)";
    if (r.names_cut)
        std::cout << " (" << r.names_cut << " names cut to " << kMaxPlaceNameCharacters
                  << " characters)";
    std::cout << " written to " << args[1] << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::cerr << "not enough memory for this dump; nothing written\n";
        return 2;
    }
}
