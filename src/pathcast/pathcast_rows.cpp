#include "pathcast/pathcast_rows.h"

#include <charconv>

#include "core/numtext.h"
#include "core/text.h"

namespace tessaly {

namespace {

constexpr double kZoneSearchKm = 50;
constexpr double kSamePlaceKm = 2;

long long population_of(std::string_view text) {
    long long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 0) return -1;
    return v;
}

PathcastPlace from_index(const PlaceIndex::Place& pl) {
    PathcastPlace place;
    place.name = std::string(pl.entry.name);
    place.lat = std::string(pl.entry.lat);
    place.lon = std::string(pl.entry.lon);
    place.lat_deg = pl.lat_deg;
    place.lon_deg = pl.lon_deg;
    place.admin1 = std::string(pl.entry.admin1);
    place.country = std::string(pl.entry.country);
    place.population = population_of(pl.entry.population);
    return place;
}

}  // namespace

std::string_view zone_near(const PlaceIndex& index, double lat_deg, double lon_deg) {
    const auto near = index.search(lat_deg, lon_deg, kZoneSearchKm, 1);
    return near.empty() ? std::string_view() : index.places()[near[0].index].entry.timezone;
}

void PathcastRows::add_corridor() {
    const pathcast::Box box = pathcast::corridor_box(p_.track);
    for (std::uint32_t i : index_.latitude_band(box.lat_min, box.lat_max))
        if (const auto& pl = index_.places()[i]; box.contains(pl.lat_deg, pl.lon_deg))
            add_index_place(i);
}

void PathcastRows::add_index_place(std::uint32_t i) {
    const PlaceIndex::Place& pl = index_.places()[i];
    if (min_population_ > 0 && population_of(pl.entry.population) < min_population_) return;
    auto pass = pathcast::passage(p_.track, pl.lat_deg, pl.lon_deg, p_.view_utc);
    if (!pass) return;
    add(from_index(pl), *pass, pl.entry.timezone);
}

void PathcastRows::add_other_place(std::string name, std::string lat, std::string lon,
                                   bool custom) {
    const std::optional<double> la = try_number(lat), lo = try_number(lon);
    if (!la || !lo) return;
    auto pass = pathcast::passage(p_.track, *la, *lo, p_.view_utc);
    if (!pass) return;
    PathcastPlace place;
    std::string_view zone;
    const auto near = index_.search(*la, *lo, kZoneSearchKm, 1);
    if (!near.empty()) {
        const PlaceIndex::Place& pl = index_.places()[near[0].index];
        zone = pl.entry.timezone;
        if (!custom && pl.entry.name == name && near[0].distance_km <= kSamePlaceKm) {
            place = from_index(pl);
            if (min_population_ > 0 && place.population < min_population_) return;
        }
    }
    place.name = std::move(name);
    place.lat = placefile_text(lat);
    place.lon = placefile_text(lon);
    place.lat_deg = *la;
    place.lon_deg = *lo;
    place.custom = custom;
    add(std::move(place), *pass, zone);
}

void PathcastRows::add(PathcastPlace place, const pathcast::Passage& pass, std::string_view zone) {
    if (!seen_.insert(place.name + '\n' + place.lat + '\n' + place.lon).second) return;
    p_.rows.push_back({std::move(place), pass, zone_of(zone)});
}

const zones::Zone& PathcastRows::zone_of(std::string_view name) {
    auto it = zones_.find(name);
    if (it == zones_.end())
        it = zones_.emplace(std::string(name), zones::find_zone(name).value_or(p_.pc_zone)).first;
    return it->second;
}

}  // namespace tessaly
