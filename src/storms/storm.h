#pragma once
// A storm as a value: its marks, its motion, where and how its projection
// was drawn, and its arrivals. The windows show storms; the handlers that
// draw, list, erase and restore them take a Storm, never the window fields.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "placefile/format.h"
#include "platform/platform.h"

namespace tessaly {

// One press of the select key on the viewer.
struct Mark {
    Pt text;                  // the position as read from the viewer's status bar
    double lat = 0, lon = 0;  // the same as numbers
    std::int64_t utc = 0;     // the press, seconds since 1970-01-01 UTC
    ClockTime clock;          // the PC's local clock at the press
};

enum class MarkMode { hour, frames };

// The shapes checked when the storm was drawn (normally one).
struct Shapes {
    bool cone = false, fan = false, wedge = false;
    bool operator==(const Shapes&) const = default;
};

// One place of an ETA view.
struct Arrival {
    std::string name;  // as written into the placefile and the lists
    Pt at;             // its coordinates as written
    double lat = 0, lon = 0;
    double distance_nm = 0;  // from the storm's anchor
    long travel_minutes = 0;
    ClockTime read_at;     // the local clock when the place was read
    std::int64_t utc = 0;  // the arrival, on the whole minute the clock shows
    bool in_path = false;
};

struct Storm {
    int number = 0;      // N of its ETA tag " ;eta#N"; 1 for the first storm
    std::string label;   // "A" for storm 1 unless renamed
    Mark first, second;  // the two presses, in order
    MarkMode mode = MarkMode::hour;
    int mark_minutes = 10;  // minutes between the two frames (frames mode)
    // Motion, from the marks: knots unrounded, degrees it moves toward and
    // comes from (exact; the window shows whole degrees).
    double speed_kt = 0, bearing_deg = 0, from_deg = 0;
    // As drawn: the projection's start and stop, the whole-number texts the
    // main window showed and the compiler used, the length and the shapes.
    Pt start, stop;
    double stop_lat = 0, stop_lon = 0;  // stop as numbers
    std::string speed_text = "00", speed_mph_text = "00", toward_text = "000", from_text = "000";
    int projection_minutes = 60;
    Shapes shapes;
    // The clock the time marks count from (the second press).
    ClockTime drawn_at;
    std::vector<Arrival> arrivals;  // of its last ETA view, earliest first

    // Where the storm was when it was marked: the first mark in hour mode,
    // the second (the newer frame) in frames mode.
    const Mark& anchor() const { return mode == MarkMode::frames ? second : first; }
};

// A clock as a person reads it: "3:02 PM" on a 12-hour clock, "15:02" on a
// 24-hour one.
std::string clock_text(const ClockTime& t);

// "A" for 1, "Z" for 26, "AA" for 27 (the column letters of a spreadsheet).
std::string storm_letters(int number);

// The storm's letter on the map: an Object at its anchor holding its label
// in the track colour (`track_rgb` as a "Color:" line takes it), set off to
// the right of the start icon, with its motion as hover text.
std::vector<std::string> storm_label_lines(const Storm& s, std::string_view track_rgb);
// "Storm B: moving NE (from 219°) at 8 kt / 9 mph, marked 3:02 PM".
std::string storm_summary(const Storm& s);

// The 8-point compass word for a direction in degrees: "N", "NE", .. "NW".
std::string compass_point(double degrees);

// Nautical miles from a position to the storm's track line, first mark to
// stop (the nearest point of the segment).
double distance_to_track_nm(const Storm& s, double lat, double lon);

// The storms the program knows, in the order they were made, one selected.
class Storms {
public:
    const std::vector<Storm>& all() const { return storms_; }
    bool empty() const { return storms_.empty(); }
    size_t size() const { return storms_.size(); }

    // The selected storm; nullptr while there is none.
    const Storm* selected() const;
    Storm* selected();
    int selected_number() const { return selected_; }

    Storm* find(int number);
    const Storm* find(int number) const;
    const Storm* find_label(const std::string& label) const;
    // Position in the list, or -1.
    int index_of(int number) const;

    // A new storm becomes the selected one.
    Storm& add(Storm s);
    bool select(int number);
    // The storm after the selected one, wrapping; false with no storms.
    bool select_next();
    // Takes the storm out; the selection moves to the newest storm left.
    std::optional<Storm> erase(int number);
    void clear() {
        storms_.clear();
        selected_ = 0;
    }

    // The storm whose track passes nearest (lat, lon) within max_nm, or nullptr.
    const Storm* nearest(double lat, double lon, double max_nm) const;

private:
    std::vector<Storm> storms_;
    int selected_ = 0;  // number of the selected storm, 0 for none
};

// Why a label cannot be used ("" when it can): 1 to 12 characters, no ";" or
// quote, no other storm's label, and no capital letters alone other than the
// storm's own letters (those name the storms yet to come).
std::string label_problem(const Storms& storms, int number, const std::string& label);

}  // namespace tessaly
