#pragma once
// A pathcast: the towns in one storm's path with the storm's arrival,
// closest approach and departure in each town's own time zone, and the
// texts the window, the clipboard and the map show of it. Values only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pathcast/geometry.h"
#include "zones/zones.h"

namespace tessaly {

struct Storm;

struct PathcastPlace {
    std::string name;
    std::string lat, lon;  // as written into the placefile
    double lat_deg = 0, lon_deg = 0;
    std::string admin1, country;  // "OK", "US"; "" unknown
    long long population = -1;    // -1 unknown (custom places, server records)
    bool custom = false;
};

struct PathcastRow {
    PathcastPlace place;
    pathcast::Passage passage;
    zones::Zone zone;  // the town's own
};

struct Pathcast {
    int storm_number = 0;
    std::string label;  // the storm's
    pathcast::Track track;
    std::int64_t view_utc = 0;  // the time of the view (or of the last tick)
    bool not_moving = false;
    zones::ClockStyle style = zones::ClockStyle::twelve;
    zones::Zone pc_zone;            // the PC's, for the storm's own clock
    std::vector<PathcastRow> rows;  // arrival order, then name
};

inline constexpr const char* kNotMoving = "The storm is not moving, so there are no arrival times.";
inline constexpr const char* kNoTowns = "No towns in the path.";

// The storm as the pathcast reads it: at its anchor `frame_delay_minutes`
// before the press, on a path `half_width_miles` wide on each side.
pathcast::Track track_of(const Storm& s, int frame_delay_minutes, int half_width_miles);

// Sorts by arrival, then name.
void sort_rows(std::vector<PathcastRow>& rows);
// At a later `now_utc`: rows whose departure has passed go. True when the
// map labels change with it: a row went, or the storm reached a town.
bool advance_to(Pathcast& p, std::int64_t now_utc);

// "Nicoma Park, OK" for a US place with a state code, else the name.
std::string town_text(const PathcastPlace& p);
// "over" or "3 mi NW" (the window's column).
std::string passes_cell(const pathcast::Passage& p);
// "passes over" or "passes 3 mi NW".
std::string passes_text(const pathcast::Passage& p);
// "now" or "in 12 min" at `now_utc` (whole minutes of the clock).
std::string in_text(const pathcast::Passage& p, std::int64_t now_utc);
// "3:15–3:24 PM CDT" (arrival "now" once it has come).
std::string span_of(const PathcastRow& r, const Pathcast& p);
// The text the copy button puts on the clipboard (lines ended by CR LF).
std::string clipboard_text(const Storm& s, const Pathcast& p);

}  // namespace tessaly

namespace tessaly {
// The pathcast's map labels: one Text statement per row at the place, "<name>
// <arrival>" with the row as hover text, in `rgb` and font size `font_size`
// (placefile text already), shown only when zoomed in; every line ends with
// the storm's ETA tag. No rows: no lines.
std::vector<std::string> label_lines(const Pathcast& p, std::string_view rgb,
                                     std::string_view font_size);
}  // namespace tessaly
