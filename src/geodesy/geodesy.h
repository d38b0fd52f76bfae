#pragma once
// Spherical-earth arithmetic with the program's own constants. Distances in
// nautical miles, bearings in degrees clockwise from north, positions in
// decimal degrees (north and east positive).
// Values in, values out: nothing here knows a window (app/published.h shows
// the results in the windows' result fields).
namespace tessaly {

// A position on the earth in decimal degrees, north and east positive.
struct LatLon {
    double lat = 0, lon = 0;
};

namespace geodesy {

inline constexpr double kPi = 3.14159265358979;  // the program's pi, not M_PI
// The earth's radius of `destination`, and the nautical mile, in km.
inline constexpr double kEarthRadiusKm = 6372.797;
inline constexpr double kKmPerNm = 1.852;

double deg_to_rad(double x);
double rad_to_deg(double x);
// 0 for a value outside [-1, 1] (or NaN).
double arc_sin(double x);
// Values beyond +-1 count as +-1. Throws Failure on an arithmetic fault.
double arc_cos(double x);
double arc_tan2(double y, double x);

// Never fail: a failing step keeps the value its target held before (0).
double distance_nm(double lat1, double lon1, double lat2, double lon2);
double azimuth_deg(double lat1, double lon1, double lat2, double lon2);
// Throws Failure on an arithmetic fault. The longitude is not normalised.
LatLon destination(double lat1, double lon1, double bearing_deg, double distance_nm);

}  // namespace geodesy
}  // namespace tessaly
