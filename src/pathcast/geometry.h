#pragma once
// The pathcast's geometry on the spherical earth of the geodesy module: where
// a place lies against a storm's track, and when the storm's path of a
// given half-width reaches it, passes nearest and leaves it. Pure functions.
#include <cstdint>
#include <optional>
#include <string>

namespace tessaly::pathcast {

inline constexpr double kNmPerStatuteMile = 0.868976;

// A place against the great circle through the anchor along the storm's
// bearing: nm along it from the anchor (negative behind) and nm across it
// (positive right of the motion, negative left).
struct TrackPosition {
    double along_nm = 0, cross_nm = 0;
};
TrackPosition track_position(double anchor_lat, double anchor_lon, double bearing_deg, double lat,
                             double lon);

// A storm as the pathcast reads it.
struct Track {
    double lat = 0, lon = 0;                   // the anchor
    double bearing_deg = 0;                    // direction of motion
    double speed_kt = 0;                       // unrounded
    std::int64_t anchor_utc = 0;               // when the storm was at the anchor
    int projection_minutes = 60;               // how far ahead the path reaches
    double radius_nm = 8 * kNmPerStatuteMile;  // the path's half-width
};

// When the path reaches a place. Times are UTC seconds on the whole minute
// (rounded to the nearest).
struct Passage {
    std::int64_t arrival = 0, closest = 0, departure = 0;
    TrackPosition at;
    int miles = 0;             // |cross| in whole statute miles (rounded)
    bool passes_over = false;  // |cross| under 0.5 mi
    std::string side;          // 8-point, from the place toward the closest point; "" passes over
};

// The minute a clock reading `utc` shows (seconds dropped).
inline std::int64_t minute_of(std::int64_t utc) { return utc - ((utc % 60) + 60) % 60; }

// The passage of a place on the path at `view_utc`, else nullopt: |cross| <=
// radius, the departure's minute not before the view's, and the arrival
// within the projection (along - h <= speed x minutes / 60); a place on
// either edge to within a nanomile is on the path. A storm not moving
// (speed <= 0 or not finite) has no passages.
std::optional<Passage> passage(const Track& t, double lat, double lon, std::int64_t view_utc);

// A latitude band and longitude range holding every place `passage` can
// accept (with a margin) at a view no earlier than the anchor, so the caller
// can skip the rest of an index. Near a pole or across a very long track
// `all_longitudes` is set.
struct Box {
    double lat_min = -90, lat_max = 90;
    double lon_west = -180, lon_east = 180;  // west may exceed east across the date line
    bool all_longitudes = true;
    bool contains(double lat, double lon) const;
};
Box corridor_box(const Track& t);

}  // namespace tessaly::pathcast
