#pragma once
// Arrival arithmetic of the ETA lists: values in, values out.
#include "platform/platform.h"

namespace tessaly {

// Whole minutes (half to even) a storm at speed_kt takes for distance_nm.
// Throws Failure: division by zero for speed 0, overflow past 10^7 minutes.
double travel_minutes(double distance_nm, double speed_kt);

// The clock `travel_minutes` after `now` on the 12-hour dial: hours 1..12
// (a 24-hour clock's hours are kept up to 12), minutes 0..59.
struct DialTime {
    long hours = 0, minutes = 0;
};
DialTime arrival_on_dial(const ClockTime& now, long travel_minutes);

// A place lies in the storm's path when the bearing to it (whole degrees)
// is less than 45 degrees off the motion's direction.
bool in_path(double place_bearing_deg, double motion_deg);

}  // namespace tessaly
