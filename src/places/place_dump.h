#pragma once
// GeoNames dump files (cities500.txt, a country file such as US.txt,
// allCountries.txt): tab-separated, one feature per line, 19 columns.
#include <string>
#include <string_view>
#include <vector>

#include "places/place_index.h"

namespace tessaly {

struct DumpFilter {
    std::vector<std::string> countries;  // ISO codes kept; empty keeps every country
};

struct DumpResult {
    std::vector<PlaceEntry> places;  // in file order
    std::size_t lines = 0;           // feature lines read
    std::size_t malformed = 0;       // lines without 19 columns or with bad coordinates
    std::size_t names_cut = 0;       // kept places whose name was cut to kMaxPlaceNameCharacters
};

// The populated places of a dump: feature class P without abandoned,
// historical, destroyed or religious places (PPLX sections are parts of a
// city, not towns of their own). A name longer than an index holds is cut
// to kMaxPlaceNameCharacters.
DumpResult read_geonames_dump(std::string_view text, const DumpFilter& filter);

}  // namespace tessaly
