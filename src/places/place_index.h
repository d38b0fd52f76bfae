#pragma once
// The place index: populated places with their coordinates, searched the way
// the place-name service's nearby search answers (within a radius, nearest
// first). Stored as one file: a short header and a zlib stream holding UTF-8
// text, one place per line.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Fields of one place as the index file holds them. lat/lon keep their
// decimal text, which goes into the placefile unchanged.
struct PlaceEntry {
    std::string name;      // UTF-8
    std::string lat, lon;  // decimal degrees as text
    std::string population;
    std::string feature_code;  // PPL, PPLA2, ...
    std::string admin1;        // first-level division code
    std::string country;       // ISO 3166 alpha-2
    std::string timezone;      // IANA name
};

// One search result.
struct PlaceHit {
    std::size_t index;   // into PlaceIndex::places()
    double distance_km;  // great-circle distance from the search point
};

inline constexpr double kPlaceEarthRadiusKm = 6371.0;

// Longest place name an index holds, in characters: the GeoNames name
// column's own limit, so no real name is ever cut. tessaly-places cuts a
// longer name to it, and the reader cuts one in a file made elsewhere.
inline constexpr std::size_t kMaxPlaceNameCharacters = 200;

// Bounds of what an index file may ask the reader to allocate. No real
// dump comes near them: every populated place of allCountries is about five
// million places, and place text compresses about 3.5 to 1.
inline constexpr std::size_t kMaxIndexPlaces = 20'000'000;
inline constexpr std::size_t kMaxIndexTextBytes = std::size_t{1} << 30;
inline constexpr std::size_t kMaxCompressionRatio = 32;

// Great-circle distance in km (spherical earth, haversine).
double place_distance_km(double lat1_deg, double lon1_deg, double lat2_deg, double lon2_deg);

// The same fields, viewing the index's own text.
struct PlaceView {
    std::string_view name, lat, lon, population, feature_code, admin1, country, timezone;
};

class PlaceIndex {
public:
    struct Place {
        double lat_deg, lon_deg;
        PlaceView entry;
    };

    // Reads an index file; nullopt with `why` set when it is damaged, not an
    // index, of another version, beyond the bounds above or larger than the
    // memory left (never throws std::bad_alloc). Nothing larger than the
    // file can hold is allocated before the data proves it.
    static std::optional<PlaceIndex> decode(std::string_view file, std::string* why = nullptr);
    // The index file of `entries` (deterministic: same entries, same bytes);
    // empty when its text would be larger than kMaxIndexTextBytes.
    static std::string encode(const std::vector<PlaceEntry>& entries);

    // The places within `radius_km` of the point (distance <= radius), nearest
    // first, at most `max_rows`; equal distances keep index order.
    std::vector<PlaceHit> search(double lat_deg, double lon_deg, double radius_km,
                                 std::size_t max_rows) const;

    // Indexes into places() of every place with lat_lo <= latitude <= lat_hi,
    // southernmost first: a binary search, then only the band.
    std::span<const std::uint32_t> latitude_band(double lat_lo, double lat_hi) const;

    const std::vector<Place>& places() const { return places_; }
    std::size_t memory_bytes() const;

private:
    static std::optional<PlaceIndex> decode_text(std::string_view file, std::string& why);

    std::shared_ptr<const std::string> text_;  // the decompressed lines the places view
    std::vector<Place> places_;                // in file order
    std::vector<std::uint32_t> by_lat_;        // indexes sorted by latitude
};

// The index Tessaly carries (North America, from the cities500 data set).
// Decoded on first use; the bytes live in the program image.
std::string_view builtin_place_index_bytes();

}  // namespace tessaly
