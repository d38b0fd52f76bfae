#include "pathcast/geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "geodesy/geodesy.h"

namespace tessaly::pathcast {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRadiusNm = geodesy::kEarthRadiusKm / geodesy::kKmPerNm;
// A place computed to lie on the corridor's side or far end to within
// rounding (a nanomile) is on the path: a town on the edge is not lost to the
// last bit of its own arithmetic.
constexpr double kEdgeSlackNm = 1e-9;

double rad(double deg) { return deg * kPi / 180; }
double deg(double r) { return r * 180 / kPi; }

// Angular distance (haversine) and initial bearing, radians.
double central_angle(double la1, double lo1, double la2, double lo2) {
    const double s1 = std::sin((la2 - la1) / 2), s2 = std::sin((lo2 - lo1) / 2);
    const double a = s1 * s1 + std::cos(la1) * std::cos(la2) * s2 * s2;
    return 2 * std::atan2(std::sqrt(a), std::sqrt(std::max(0.0, 1 - a)));
}
double initial_bearing(double la1, double lo1, double la2, double lo2) {
    return std::atan2(
        std::sin(lo2 - lo1) * std::cos(la2),
        std::cos(la1) * std::sin(la2) - std::sin(la1) * std::cos(la2) * std::cos(lo2 - lo1));
}

// The point `dist_nm` from (lat, lon) along `bearing_deg`, degrees.
LatLon destination(double lat, double lon, double bearing_deg, double dist_nm) {
    const double la = rad(lat), lo = rad(lon), b = rad(bearing_deg), d = dist_nm / kRadiusNm;
    const double la2 = std::asin(std::clamp(
        std::sin(la) * std::cos(d) + std::cos(la) * std::sin(d) * std::cos(b), -1.0, 1.0));
    const double lo2 = lo + std::atan2(std::sin(b) * std::sin(d) * std::cos(la),
                                       std::cos(d) - std::sin(la) * std::sin(la2));
    return {deg(la2), deg(lo2)};
}

const char* compass8(double degrees) {
    static constexpr std::array<const char*, 8> kPoints = {"N", "NE", "E", "SE",
                                                           "S", "SW", "W", "NW"};
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    return kPoints[static_cast<size_t>(std::floor((d + 22.5) / 45)) % 8];
}

std::int64_t nearest_minute(double utc) { return std::llround(utc / 60) * 60; }

}  // namespace

TrackPosition track_position(double anchor_lat, double anchor_lon, double bearing_deg, double lat,
                             double lon) {
    const double la1 = rad(anchor_lat), lo1 = rad(anchor_lon), la2 = rad(lat), lo2 = rad(lon);
    const double d13 = central_angle(la1, lo1, la2, lo2);
    const double diff = initial_bearing(la1, lo1, la2, lo2) - rad(bearing_deg);
    const double xt = std::asin(std::clamp(std::sin(d13) * std::sin(diff), -1.0, 1.0));
    // Right spherical triangle: tan(along) = tan(d13) cos(diff).
    const double at = std::atan2(std::sin(d13) * std::cos(diff), std::cos(d13));
    return {at * kRadiusNm, xt * kRadiusNm};
}

std::optional<Passage> passage(const Track& t, double lat, double lon, std::int64_t view_utc) {
    const double v = t.speed_kt;
    if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
    const TrackPosition at = track_position(t.lat, t.lon, t.bearing_deg, lat, lon);
    const double r = t.radius_nm;
    if (!(std::fabs(at.cross_nm) <= r + kEdgeSlackNm)) return std::nullopt;
    const double h = std::sqrt(std::max(0.0, r * r - at.cross_nm * at.cross_nm));
    if (at.along_nm - h > v * t.projection_minutes / 60.0 + kEdgeSlackNm) return std::nullopt;
    const double anchor = static_cast<double>(t.anchor_utc);
    Passage p;
    p.at = at;
    p.arrival = nearest_minute(anchor + (at.along_nm - h) / v * 3600);
    p.closest = nearest_minute(anchor + at.along_nm / v * 3600);
    p.departure = nearest_minute(anchor + (at.along_nm + h) / v * 3600);
    if (p.departure < minute_of(view_utc)) return std::nullopt;
    const double miles = std::fabs(at.cross_nm) / kNmPerStatuteMile;
    p.passes_over = miles < 0.5;
    p.miles = static_cast<int>(std::lround(miles));
    if (!p.passes_over) {
        const auto c = destination(t.lat, t.lon, t.bearing_deg, at.along_nm);
        p.side = compass8(deg(initial_bearing(rad(lat), rad(lon), rad(c.lat), rad(c.lon))));
    }
    return p;
}

bool Box::contains(double lat, double lon) const {
    if (lat < lat_min || lat > lat_max) return false;
    if (all_longitudes) return true;
    if (lon_west <= lon_east) return lon >= lon_west && lon <= lon_east;
    return lon >= lon_west || lon <= lon_east;  // across the date line
}

Box corridor_box(const Track& t) {
    Box b;
    const double v = std::isfinite(t.speed_kt) ? std::max(0.0, t.speed_kt) : 0.0;
    const double r = t.radius_nm;
    // A view in the anchor's minute keeps a departure that rounds up to that
    // minute: up to 90 s of motion behind the anchor. One whole circle holds
    // every point of a longer track.
    const double circle = 2 * kPi * kRadiusNm;
    const double from = -r - std::min(v * 1.5 / 60, circle);
    const double to = std::min(v * std::max(0, t.projection_minutes) / 60.0 + r, from + circle);
    // Samples no more than 30 nm apart: between two of them the track's
    // latitude strays far less than the margin.
    const int n = static_cast<int>(std::clamp(std::ceil((to - from) / 30), 1.0, 4000.0));
    double lat_lo = 90, lat_hi = -90, lon_lo = 1e9, lon_hi = -1e9, prev = t.lon;
    for (int i = 0; i <= n; ++i) {
        auto p = destination(t.lat, t.lon, t.bearing_deg, from + (to - from) * i / n);
        // Longitudes unwrapped along the way, so a crossing of the date line
        // stays one range.
        double lon = p.lon;
        while (lon - prev > 180) lon -= 360;
        while (lon - prev < -180) lon += 360;
        prev = lon;
        lat_lo = std::min(lat_lo, p.lat);
        lat_hi = std::max(lat_hi, p.lat);
        lon_lo = std::min(lon_lo, lon);
        lon_hi = std::max(lon_hi, lon);
    }
    const double margin_deg = r / 60 + 0.1;
    b.lat_min = std::max(-90.0, lat_lo - margin_deg);
    b.lat_max = std::min(90.0, lat_hi + margin_deg);
    const double polar = std::max(std::fabs(b.lat_min), std::fabs(b.lat_max));
    if (polar > 85) return b;  // all longitudes
    const double lon_margin = margin_deg / std::cos(rad(polar));
    lon_lo -= lon_margin;
    lon_hi += lon_margin;
    if (lon_hi - lon_lo >= 360) return b;
    auto wrap = [](double x) {
        x = std::fmod(x + 180, 360.0);
        if (x < 0) x += 360;
        return x - 180;
    };
    b.all_longitudes = false;
    b.lon_west = wrap(lon_lo);
    b.lon_east = wrap(lon_hi);
    return b;
}

}  // namespace tessaly::pathcast
