#pragma once
// Time zones: the rules of every zone in the tz database the build was made
// with (generated from the system's tzdata as POSIX TZ rules), turned into
// local clocks with Howard Hinnant's date library, and the clock texts the
// pathcast writes. Values in, values out.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::zones {

// A local clock reading.
struct LocalTime {
    int year = 1970, month = 1, day = 1;
    int hour24 = 0, minute = 0, second = 0;
    int offset_seconds = 0;    // local minus UTC
    std::string abbreviation;  // "CDT", "MST", "-03" (as the rules name it)
};

// One zone's rules. Cheap to copy.
class Zone {
public:
    // UTC itself.
    Zone();
    // `name`: the IANA name ("America/Chicago") or, for a zone the database
    // does not name, its POSIX TZ rule ("CST6CDT,M3.2.0,M11.1.0").
    const std::string& name() const { return name_; }
    const std::string& rule() const { return rule_; }

    LocalTime local(std::int64_t utc_seconds) const;
    // The UTC instant of a local clock reading; a reading that occurs twice
    // (the hour after DST ends) takes the first, one that never occurs (the
    // skipped hour) is read with the offset before the change.
    std::int64_t utc_of(int year, int month, int day, int hour24, int minute, int second) const;

private:
    friend std::optional<Zone> find_zone(std::string_view);
    std::string name_, rule_;
    // The rule as the date library reads it, and how far that moved the
    // zone east (zones.cpp says why).
    std::string lib_rule_;
    long shift_seconds_ = 0;
};

// The zone of an IANA name the database holds (links too) or of a POSIX TZ
// rule; nullopt for anything else.
std::optional<Zone> find_zone(std::string_view name_or_rule);

// The tz database release the rules come from ("2025b").
std::string_view tzdata_version();

// How the pathcast writes a time (setting clock_style): "12" (and anything
// unknown) 3:15 PM CDT, "24" 15:15 CDT, "utc" 20:15Z.
enum class ClockStyle { twelve, twenty_four, utc };
ClockStyle clock_style_of(std::string_view setting);

// "3:15 PM CDT", "15:15 CDT" or "20:15Z". Seconds are dropped: pass
// instants on the whole minute.
std::string time_text(std::int64_t utc_seconds, const Zone& z, ClockStyle style);
// From-to in one text with the zone once: "3:15–3:24 PM CDT" (AM/PM once when
// both share it), "11:55 AM–12:04 PM CDT", "15:15–15:24 CDT", "20:15–20:24Z".
// `from_is_now`: "now–3:24 PM CDT". Two different abbreviations (a DST change
// between the two) are each written with their own time.
std::string span_text(std::int64_t from_utc, std::int64_t to_utc, bool from_is_now, const Zone& z,
                      ClockStyle style);
// The short form of a map label: "3:15p" / "11:55a", "15:15", "20:15Z".
std::string short_time_text(std::int64_t utc_seconds, const Zone& z, ClockStyle style);

}  // namespace tessaly::zones
