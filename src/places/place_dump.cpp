#include "places/place_dump.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/text.h"

namespace tessaly {

namespace {

bool degrees_ok(std::string_view t, double limit) {
    double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && end == t.data() + t.size() && std::isfinite(v) &&
           std::fabs(v) <= limit;
}

}  // namespace

DumpResult read_geonames_dump(std::string_view text, const DumpFilter& filter) {
    static const std::string_view dropped[] = {"PPLX", "PPLH", "PPLQ", "PPLW"};
    DumpResult r;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::string_view line = text.substr(pos, nl == std::string_view::npos ? nl : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        ++r.lines;
        std::string_view f[19];
        std::size_t n = 0, start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == '\t') {
                if (n < 19) f[n] = line.substr(start, i - start);
                ++n;
                start = i + 1;
            }
        }
        if (n != 19 || f[1].empty() || !degrees_ok(f[4], 90) || !degrees_ok(f[5], 180)) {
            ++r.malformed;
            continue;
        }
        if (f[6] != "P") continue;
        if (std::find(std::begin(dropped), std::end(dropped), f[7]) != std::end(dropped)) continue;
        if (!filter.countries.empty() && std::find(filter.countries.begin(), filter.countries.end(),
                                                   f[8]) == filter.countries.end())
            continue;
        std::string_view name = utf8_prefix(f[1], kMaxPlaceNameCharacters);
        r.names_cut += name.size() != f[1].size();
        r.places.push_back(PlaceEntry{std::string(name), std::string(f[4]), std::string(f[5]),
                                      std::string(f[14]), std::string(f[7]), std::string(f[10]),
                                      std::string(f[8]), std::string(f[17])});
    }
    return r;
}

}  // namespace tessaly
