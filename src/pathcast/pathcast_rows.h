#pragma once
// Gathers the rows of one pathcast: the places of the index in the storm's
// corridor and places from elsewhere (custom places, server records), each
// once, each in its own time zone.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "pathcast/pathcast.h"
#include "places/place_index.h"

namespace tessaly {

// The time zone of the nearest index place within 50 km of a place from
// outside the index; "" when there is none (the PC's then).
std::string_view zone_near(const PlaceIndex& index, double lat_deg, double lon_deg);

class PathcastRows {
public:
    // Rows go into `p` (its track, view time and PC zone set); index places
    // with fewer than `min_population` people are left out.
    PathcastRows(Pathcast& p, const PlaceIndex& index, long long min_population)
        : p_(p), index_(index), min_population_(min_population) {}

    // Every index place on the path: only the latitude band and longitudes
    // of the corridor are looked at.
    void add_corridor();
    void add_index_place(std::uint32_t i);
    // A place from outside the index: its zone is that of the nearest index
    // place within 50 km (else the PC's); a server record named as an index
    // place within 2 km is that place (state, population).
    void add_other_place(std::string name, std::string lat, std::string lon, bool custom);

private:
    void add(PathcastPlace place, const pathcast::Passage& pass, std::string_view zone);
    const zones::Zone& zone_of(std::string_view name);

    Pathcast& p_;
    const PlaceIndex& index_;
    long long min_population_;
    std::set<std::string> seen_;
    std::map<std::string, zones::Zone, std::less<>> zones_;
};

}  // namespace tessaly
