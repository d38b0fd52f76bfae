#pragma once
// The result fields of the windows: the main window's hidden return_dis,
// return_azimuth, rlat and rlon and the small ETA box's distance show the
// last distance, bearing and destination worked out. Each function writes
// its field and returns the text written; callers that go on with that text
// (not the exact value) keep its rounding.
#include <string>
#include <utility>

namespace tessaly {

class App;

struct PublishedPoint {
    std::string lat, lon;
};

// Whole nautical miles, half to even, into return_dis and frmCustomETA.distance.
std::string publish_distance(App& app, double distance_nm);
// Whole degrees, half to even, into return_azimuth.
std::string publish_azimuth(App& app, double azimuth_deg);
// Full decimal text into rlat and rlon.
PublishedPoint publish_destination(App& app, std::pair<double, double> lat_lon);

}  // namespace tessaly
