#pragma once
// How a marked track becomes a motion and a projection length: the mark
// mode's and the projection length's settings, and the clock texts of the
// time marks.
#include <optional>
#include <string>
#include <string_view>

#include "app/settings_keys.h"
#include "core/numtext.h"
#include "platform/platform.h"

namespace tessaly {

class App;

inline constexpr int kTimeMarkStepMinutes = 15;

// projection_minutes from the store: within its range, anything else the default.
int projection_length(App& app);

// The projection length a track's minutes field holds: within the key's
// range, anything else the default.
int projection_minutes_of(std::string_view minutes_text);

// The distance (nautical miles) a storm at speed_kt travels in the minutes
// written in minutes_text; the speed itself for "60" and for any text that
// is not a usable length, so one-hour tracks keep their exact figures.
double projection_distance_nm(double speed_kt, const std::string& minutes_text);

// The clock `ahead` minutes after `now` as the ETA list writes arrivals:
// two-digit hours on the 12-hour dial, a colon, two-digit minutes ("01:05").
std::string eta_clock_text(const ClockTime& now, long ahead);

}  // namespace tessaly
