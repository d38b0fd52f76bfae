#include "zones/zones.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "zones/zone_table.h"

// ptz.h (date 3.0.1) names `hh_mm_ss` inside a function that says both
// `using namespace date` and `using namespace std::chrono`; under C++20 both
// namespaces have one, and the name is ambiguous. A declaration in Posix
// itself is found before either, so the header compiles unchanged.
#include <date/date.h>
namespace Posix {
using date::hh_mm_ss;
}
#include <date/ptz.h>

namespace tessaly::zones {

namespace {

using std::chrono::seconds;

// --- POSIX rules the library reads ------------------------------------------

// "[+-]hh[:mm[:ss]]" at s[i] as seconds; i moves past it.
std::optional<long> read_hms(std::string_view s, std::size_t& i) {
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long total = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= s.size() || s[i] != ':') break;
            ++i;
        }
        std::size_t start = i;
        long v = 0;
        while (i < s.size() && i - start < 3 && std::isdigit(static_cast<unsigned char>(s[i])))
            v = v * 10 + (s[i++] - '0');
        if (i == start) return std::nullopt;
        total += v * (part == 0 ? 3600 : part == 1 ? 60 : 1);
    }
    return negative ? -total : total;
}

std::string hms_text(long secs) {
    std::string t = secs < 0 ? "-" : "";
    long a = secs < 0 ? -secs : secs;
    t += std::to_string(a / 3600);
    if (a % 3600) {
        char b[16];
        if (a % 60) std::snprintf(b, sizeof b, ":%02ld:%02ld", a / 60 % 60, a % 60);
        else std::snprintf(b, sizeof b, ":%02ld", a / 60 % 60);
        t += b;
    }
    return t;
}

// Moves past a zone abbreviation ("CST" or "<-03>"); false when there is none.
bool skip_name(std::string_view s, std::size_t& i) {
    if (i < s.size() && s[i] == '<') {
        std::size_t close = s.find('>', i);
        if (close == std::string_view::npos) return false;
        i = close + 1;
        return true;
    }
    std::size_t start = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
    return i > start;
}

unsigned read_number(std::string_view s, std::size_t& i) {
    unsigned v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < 1000)
        v = v * 10 + static_cast<unsigned>(s[i++] - '0');
    return v;
}

// The day part of a transition ("M3.2.0", "J60", "59") within POSIX's ranges:
// the library takes a month 13 or a weekday 9 and computes nonsense with it.
bool day_rule_ok(std::string_view d) {
    std::size_t i = 0;
    if (d.empty()) return false;
    if (d[0] == 'M') {
        ++i;
        unsigned m = read_number(d, i);
        if (i >= d.size() || d[i++] != '.') return false;
        unsigned w = read_number(d, i);
        if (i >= d.size() || d[i++] != '.') return false;
        unsigned wd = read_number(d, i);
        return i == d.size() && m >= 1 && m <= 12 && w >= 1 && w <= 5 && wd <= 6;
    }
    if (d[0] == 'J') ++i;
    std::size_t start = i;
    unsigned n = read_number(d, i);
    return i == d.size() && i > start && n <= 365 && (d[0] != 'J' || n >= 1);
}

// The rule as date 3.0.1's reader takes it. That reader wants transition
// times of 0 to 99 hours, while tzdata writes "M3.5.0/-1" for Greenland (a
// POSIX extension). Moving the zone's offsets and its transition times east by
// the same whole hours keeps every transition's instant; the clock readings
// come back by subtracting `shift_seconds`.
struct LibRule {
    std::string text;
    long shift_seconds = 0;
};

std::optional<LibRule> lib_rule_of(std::string_view rule) {
    std::size_t comma = rule.find(',');
    if (comma == std::string_view::npos) return LibRule{std::string(rule), 0};
    std::string_view head = rule.substr(0, comma), tail = rule.substr(comma + 1);
    std::size_t comma2 = tail.find(',');
    if (comma2 == std::string_view::npos) return std::nullopt;
    std::string_view parts[2] = {tail.substr(0, comma2), tail.substr(comma2 + 1)};
    std::string_view days[2];
    long times[2] = {2 * 3600, 2 * 3600};  // POSIX's default: 02:00
    for (int k = 0; k < 2; ++k) {
        std::size_t slash = parts[k].find('/');
        days[k] = parts[k].substr(0, slash);
        if (!day_rule_ok(days[k])) return std::nullopt;
        if (slash != std::string_view::npos) {
            std::size_t i = slash + 1;
            auto t = read_hms(parts[k], i);
            if (!t || i != parts[k].size() || *t < -167 * 3600 || *t > 167 * 3600)
                return std::nullopt;
            times[k] = *t;
        }
    }
    long lowest = std::min(times[0], times[1]);
    if (lowest >= 0) return LibRule{std::string(rule), 0};
    long shift = (-lowest + 3599) / 3600 * 3600;
    std::size_t i = 0;
    if (!skip_name(head, i)) return std::nullopt;
    std::string out(head.substr(0, i));
    auto std_offset = read_hms(head, i);
    std::size_t name2 = i;
    if (!std_offset || !skip_name(head, i)) return std::nullopt;
    out += hms_text(*std_offset - shift);
    out += head.substr(name2, i - name2);
    if (i < head.size()) {
        auto dst_offset = read_hms(head, i);
        if (!dst_offset || i != head.size()) return std::nullopt;
        out += hms_text(*dst_offset - shift);
    }
    for (int k = 0; k < 2; ++k)
        out += "," + std::string(days[k]) + "/" + hms_text(times[k] + shift);
    return LibRule{out, shift};
}

std::optional<Posix::time_zone> parse(const std::string& text) {
    try {
        return Posix::time_zone(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

LocalTime clock_of(std::int64_t local_seconds) {
    auto ls = date::local_seconds{seconds{local_seconds}};
    auto day = date::floor<date::days>(ls);
    date::year_month_day ymd{day};
    long long secs = (ls - day).count();
    LocalTime l;
    l.year = static_cast<int>(ymd.year());
    l.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    l.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    l.hour24 = static_cast<int>(secs / 3600);
    l.minute = static_cast<int>(secs / 60 % 60);
    l.second = static_cast<int>(secs % 60);
    return l;
}

}  // namespace

Zone::Zone() : name_("Etc/UTC"), rule_("UTC0"), lib_rule_("UTC0") {}

// The rule was read once by find_zone; reading it again per call keeps Zone a
// plain value (a few microseconds against a text that is drawn once).
LocalTime Zone::local(std::int64_t utc) const {
    Posix::time_zone tz(lib_rule_);
    auto info = tz.get_info(date::sys_seconds{seconds{utc}});
    std::int64_t offset = info.offset.count() - shift_seconds_;
    LocalTime l = clock_of(utc + offset);
    l.offset_seconds = static_cast<int>(offset);
    l.abbreviation = info.abbrev;
    return l;
}

std::int64_t Zone::utc_of(int year, int month, int day, int hour24, int minute, int second) const {
    Posix::time_zone tz(lib_rule_);
    auto ld = date::local_days{date::year{year} / date::month{static_cast<unsigned>(month)} /
                               date::day{static_cast<unsigned>(day)}};
    auto lt = date::local_seconds{ld} + seconds{hour24 * 3600L + minute * 60L + second} +
              seconds{shift_seconds_};
    // `first` is the period before the change for both a doubled and a
    // skipped reading, and the only one otherwise.
    auto info = tz.get_info(lt);
    return (lt.time_since_epoch() - info.first.offset).count();
}

std::optional<Zone> find_zone(std::string_view n) {
    using detail::kZoneRules;
    const auto* end = kZoneRules + detail::kZoneRuleCount;
    const auto* hit =
        std::lower_bound(kZoneRules, end, n, [](const detail::NameRule& e, std::string_view key) {
            return std::string_view(e.name) < key;
        });
    std::string rule(hit != end && n == hit->name ? hit->rule : n);
    auto lib = lib_rule_of(rule);
    if (!lib || !parse(lib->text)) return std::nullopt;
    Zone z;
    z.name_ = std::string(n);
    z.rule_ = std::move(rule);
    z.lib_rule_ = std::move(lib->text);
    z.shift_seconds_ = lib->shift_seconds;
    return z;
}

std::string_view tzdata_version() { return detail::kTzdataVersion; }

ClockStyle clock_style_of(std::string_view s) {
    if (s == "24") return ClockStyle::twenty_four;
    if (s == "utc") return ClockStyle::utc;
    return ClockStyle::twelve;
}

namespace {

const char kEnDash[] = "\u2013";

// One end of a time text: its clock, its AM/PM (12-hour style only) and its
// zone.
struct Reading {
    std::string clock, half, zone;
};

Reading reading_of(std::int64_t utc, const Zone& z, ClockStyle style) {
    char b[16];
    if (style == ClockStyle::utc) {
        LocalTime l = Zone().local(utc);
        std::snprintf(b, sizeof b, "%02d:%02d", l.hour24, l.minute);
        return {b, "", "Z"};
    }
    LocalTime l = z.local(utc);
    if (style == ClockStyle::twenty_four) {
        std::snprintf(b, sizeof b, "%02d:%02d", l.hour24, l.minute);
        return {b, "", " " + l.abbreviation};
    }
    std::snprintf(b, sizeof b, "%d:%02d", l.hour24 % 12 == 0 ? 12 : l.hour24 % 12, l.minute);
    return {b, l.hour24 < 12 ? " AM" : " PM", " " + l.abbreviation};
}

std::string text_of(const Reading& r) { return r.clock + r.half + r.zone; }

}  // namespace

std::string time_text(std::int64_t utc, const Zone& z, ClockStyle style) {
    return text_of(reading_of(utc, z, style));
}

std::string span_text(std::int64_t from, std::int64_t to, bool from_is_now, const Zone& z,
                      ClockStyle style) {
    Reading b = reading_of(to, z, style);
    if (from_is_now) return "now" + std::string(kEnDash) + text_of(b);
    Reading a = reading_of(from, z, style);
    if (a.zone != b.zone) return text_of(a) + kEnDash + text_of(b);
    if (a.half == b.half) return a.clock + kEnDash + text_of(b);
    return a.clock + a.half + kEnDash + text_of(b);
}

std::string short_time_text(std::int64_t utc, const Zone& z, ClockStyle style) {
    Reading r = reading_of(utc, z, style);
    if (style == ClockStyle::utc) return text_of(r);
    if (style == ClockStyle::twenty_four) return r.clock;
    return r.clock + (r.half == " AM" ? "a" : "p");
}

}  // namespace tessaly::zones
