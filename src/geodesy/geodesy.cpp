#include "geodesy/geodesy.h"

#include <cmath>

#include "core/failure.h"

namespace tessaly::geodesy {

double deg_to_rad(double x) { return x * kPi / 180; }
double rad_to_deg(double x) { return x * 180 / kPi; }

double arc_sin(double x) {
    if (std::isnan(x) || x < -1 || x > 1) return 0;
    double s = std::sqrt(1 + x * (-x));
    if (s != 0) return std::atan(x / s);
    return (x > 0 ? 1 : (x < 0 ? -1 : 0)) * kPi / 2;
}

double arc_cos(double x) {
    if (std::isnan(x)) fail_invalid_argument();
    if (x >= 1) return 0;
    if (x <= -1) return kPi;
    double d = std::sqrt(1 - x * x);
    if (d == 0) fail_division_by_zero();
    return 1.570796326794895 - std::atan(x / d);
}

double arc_tan2(double y, double x) {
    if (std::fabs(x) >= 1e-7) {
        double r = std::atan(y / x);
        if (x < 0) r = y >= 0 ? r + kPi : r - kPi;
        return r;
    }
    if (std::fabs(y) >= 1e-7) return y > 0 ? 1.5707963267949 : -1.5707963267949;
    return 0;
}

double distance_nm(double lat1, double lon1, double lat2, double lon2) {
    double delta = lon1 - lon2;
    double p1 = deg_to_rad(lat1), p2 = deg_to_rad(lat2), dl = deg_to_rad(delta);
    double a = std::sin(p2) * std::sin(p1) + std::cos(p1) * std::cos(p2) * std::cos(dl);
    double c = 0;
    // A failing arccosine leaves the distance 0.
    skip_on_failure([&] { c = rad_to_deg(arc_cos(a)); });
    return ((c * 60) * 1.1515) * 0.8684;
}

namespace {
double q(double x) { return std::floor(x * 360000 + 0.5); }
}  // namespace

double azimuth_deg(double lat1, double lon1, double lat2, double lon2) {
    const double k = 0.01745329252;  // this operation's own degrees-to-radians factor
    double p1 = lat1 * k, l1 = lon1 * k, p2 = lat2 * k, l2 = lon2 * k;
    double qa1 = q(lat1), qo1 = q(lon1), qa2 = q(lat2), qo2 = q(lon2);
    if (qa1 == qa2 && qo1 == qo2) return 0;
    if (qa1 == qa2) return qo2 > qo1 ? 90 : 270;
    if (qo1 == qo2) return qa2 < qa1 ? 180 : 0;

    double a = std::sin(p2) * std::sin(p1) + std::cos(p2) * std::cos(p1) * std::cos(l2 - l1);
    double c = 0;
    skip_on_failure([&] { c = arc_cos(a); });
    double A = 0;
    double sc = std::sin(c);
    if (sc != 0) A = 57.2957795129 * arc_sin(std::cos(p2) * std::sin(l2 - l1) / sc);

    if (qa2 > qa1 && qo2 > qo1) return A;
    if (qa2 < qa1 && qo2 < qo1) return 180 - A;
    if (qa2 < qa1 && qo2 > qo1) return 180 - A;
    if (qa2 > qa1 && qo2 < qo1) return A + 360;
    return A;
}

LatLon destination(double lat1, double lon1, double bearing, double dist_nm) {
    double p1 = deg_to_rad(lat1), l1 = deg_to_rad(lon1), th = deg_to_rad(bearing);
    double d = (kKmPerNm * dist_nm) / kEarthRadiusKm;
    double p2 = arc_sin(std::sin(p1) * std::cos(d) + std::sin(d) * std::cos(p1) * std::cos(th));
    double l2 = l1 + arc_tan2(std::sin(d) * std::sin(th) * std::cos(p1),
                              std::cos(d) - std::sin(p2) * std::sin(p1));
    double lat = rad_to_deg(p2), lon = rad_to_deg(l2);
    if (!std::isfinite(lat) || !std::isfinite(lon)) fail_overflow();
    return {lat, lon};
}

}  // namespace tessaly::geodesy
