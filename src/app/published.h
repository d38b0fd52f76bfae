#pragma once
// The result fields of the windows: the main window's hidden return_dis,
// return_azimuth, rlat and rlon and the small ETA box's distance show the
// last distance, bearing and destination worked out. Each function writes
// its field and returns the text written; callers that go on with that text
// (not the exact value) keep its rounding.
#include <string>

#include "geodesy/geodesy.h"
#include "placefile/format.h"

namespace tessaly {

class App;

// Whole nautical miles, half to even, into return_dis and frmCustomETA.distance.
std::string publish_distance(App& app, double distance_nm);
// Whole degrees, half to even, into return_azimuth.
std::string publish_azimuth(App& app, double azimuth_deg);
// Full decimal text into rlat and rlon.
Pt publish_destination(App& app, LatLon at);

}  // namespace tessaly
