#include "eta/arrival.h"

#include <cmath>

#include "core/failure.h"
#include "core/numtext.h"

namespace tessaly {

double travel_minutes(double distance_nm, double speed_kt) {
    if (speed_kt == 0) fail_division_by_zero();
    double travel = round_half_even(distance_nm / speed_kt * 60);
    if (!std::isfinite(travel) || std::fabs(travel) > 1e7) fail_overflow();
    return travel;
}

DialTime arrival_on_dial(const ClockTime& now, long travel) {
    long hours = now.hour24;
    if (now.twelve_hour) {
        hours %= 12;
        if (hours == 0) hours = 12;
    }
    long total = now.minute + travel;
    while (total >= 60) {
        ++hours;
        total -= 60;
    }
    while (hours > 12) hours -= 12;
    return {hours, total};
}

bool in_path(double place_bearing_deg, double motion_deg) {
    double off = std::fmod(std::fabs(place_bearing_deg - motion_deg), 360.0);
    if (off > 180) off = 360 - off;
    return off < 45;
}

}  // namespace tessaly
