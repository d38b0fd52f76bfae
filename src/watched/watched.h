#pragma once
// Watched places: the user's own places (home, family, a shelter) that
// Tessaly warns about when a marked storm's path reaches them, kept in
// watched.txt beside the program. Values and pure functions only.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pathcast/geometry.h"
#include "places/local_places.h"
#include "zones/zones.h"

namespace tessaly {

class Storms;

inline constexpr const char* kWatchedFileName = "watched.txt";
// Larger than any list a person keeps; a bigger file is not read.
inline constexpr std::size_t kWatchedFileMaxBytes = 1024 * 1024;

struct WatchedPlace {
    int id = 0;         // stable while the program runs (a rename keeps it)
    CustomPlace place;  // name and position as written in the file
    zones::Zone zone;   // the clock its alerts are written in
};

struct WatchedRead {
    std::vector<CustomPlace> places;
    std::string problem;  // the first bad line, for the user ("" none)
};
// The places of watched.txt's text (`path` names it in the problem): the
// custom city files' rules (UTF-8, a byte-order mark dropped, # comments and
// blank lines skipped, a bad line skipped and named).
WatchedRead read_watched(std::string_view text, const std::string& path);
// The file's text for these places: a comment line, then name,lat,lon lines
// ended by CR LF.
std::string watched_file_text(const std::vector<WatchedPlace>& places);

// Why `name` cannot name a watched place ("" when it can): 1 to 100
// characters, no comma (the file's separator), no line break, and no other
// watched place (other than the one with id `except_id`) of that name.
std::string watched_name_problem(const std::vector<WatchedPlace>& places, const std::string& name,
                                 int except_id = 0);
// "35.47, -97.52" (or blanks between): the latitude and longitude texts as
// typed, trimmed; nullopt unless both are numbers in range.
std::optional<std::pair<std::string, std::string>> parse_typed_position(std::string_view text);

// What the alert check reads of the settings.
struct AlertSettings {
    int frame_delay_minutes = 0;
    int pathcast_miles = 8;
    int alert_minutes = 30;
    zones::ClockStyle style = zones::ClockStyle::twelve;
};
// A storm already alerted warns again when its arrival comes this much
// earlier, and once more when it is this close.
inline constexpr int kAlertAgainMinutes = 10;

// One storm against one watched place.
struct Alert {
    int storm_number = 0;
    int place_id = 0;
    std::int64_t alerted_arrival = 0;  // the arrival the last warning gave
    std::int64_t arrival = 0;          // as of the last check
    bool ten_minutes_given = false;    // the warning at 10 minutes away was given
    bool active = false;               // the place is on the storm's path within the alert time
    bool acknowledged = false;         // the user clicked the banner since the last warning
    std::string text;                  // as of the last check
};

// Every storm-and-place pair that has qualified, and the warnings due.
class AlertBook {
public:
    // Tests every storm against every place at `now_utc`. Returns the texts
    // of the warnings due now (new pairs, arrivals 10 minutes or more
    // earlier, the 10-minute warning), in arrival order. Pairs of storms no
    // longer among `storms` or places no longer among `places` are dropped.
    std::vector<std::string> check(const Storms& storms, const std::vector<WatchedPlace>& places,
                                   const AlertSettings& settings, std::int64_t now_utc);
    // The user clicked the banner: every warning shown is acknowledged.
    void acknowledge();
    // Active, unacknowledged alerts' texts, earliest arrival first.
    std::vector<std::string> banner_lines() const;
    bool place_alerted(int place_id) const;  // on some storm's path now
    bool storm_alerted(int storm_number) const;
    // The place's alert text with the earliest arrival ("" none).
    std::string place_text(int place_id) const;
    const std::map<std::pair<int, int>, Alert>& all() const { return alerts_; }
    void clear() { alerts_.clear(); }

private:
    std::map<std::pair<int, int>, Alert> alerts_;  // (storm number, place id)
};

// "Storm A reaches Home at 4:45 PM CDT (in 25 min), passes 2 mi SE".
std::string alert_text(std::string_view storm_label, std::string_view place_name,
                       const pathcast::Passage& pass, std::int64_t now_utc, const zones::Zone& zone,
                       zones::ClockStyle style);

// The watched places' labels on the map (no storm's tag): each place's name
// in white, or "! name" in red while alerted, with the alert as hover text.
// No places: no lines.
std::vector<std::string> watched_label_lines(const std::vector<WatchedPlace>& places,
                                             const AlertBook& alerts);

}  // namespace tessaly
