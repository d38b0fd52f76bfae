// PLACEHOLDER until the generated rules land: every zone is CDT.
#include "zones/zones.h"

#include <cstdio>

namespace tessaly::zones {

Zone::Zone() : name_("Etc/UTC"), rule_("UTC0") {}

LocalTime Zone::local(std::int64_t utc) const {
    const int off = rule_ == "UTC0" ? 0 : -5 * 3600;
    std::int64_t t = utc + off;
    std::int64_t days = t / 86400;
    if (t % 86400 < 0) --days;
    std::int64_t secs = t - days * 86400;
    // civil from days (Hinnant)
    std::int64_t z = days + 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    unsigned d = doy - (153 * mp + 2) / 5 + 1;
    unsigned m = mp < 10 ? mp + 3 : mp - 9;
    LocalTime l;
    l.year = static_cast<int>(y + (m <= 2));
    l.month = static_cast<int>(m);
    l.day = static_cast<int>(d);
    l.hour24 = static_cast<int>(secs / 3600);
    l.minute = static_cast<int>(secs / 60 % 60);
    l.second = static_cast<int>(secs % 60);
    l.offset_seconds = off;
    l.abbreviation = off ? "CDT" : "UTC";
    return l;
}

std::int64_t Zone::utc_of(int, int, int, int h, int m, int s) const {
    return 1780290000 + h * 3600 + m * 60 + s;
}

std::optional<Zone> find_zone(std::string_view n) {
    Zone z;
    if (n == "America/Chicago") {
        z.name_ = "America/Chicago";
        z.rule_ = "CST6CDT,M3.2.0,M11.1.0";
    }
    return z;
}

std::string_view tzdata_version() { return "placeholder"; }

ClockStyle clock_style_of(std::string_view s) {
    if (s == "24") return ClockStyle::twenty_four;
    if (s == "utc") return ClockStyle::utc;
    return ClockStyle::twelve;
}

namespace {
std::string hm(int h, int m) {
    char b[16];
    std::snprintf(b, sizeof b, "%d:%02d", h, m);
    return b;
}
std::string hm24(int h, int m) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d", h, m);
    return b;
}
int h12(int h) { return h % 12 == 0 ? 12 : h % 12; }
}  // namespace

std::string time_text(std::int64_t utc, const Zone& z, ClockStyle style) {
    if (style == ClockStyle::utc) {
        LocalTime l = Zone().local(utc);
        return hm24(l.hour24, l.minute) + "Z";
    }
    LocalTime l = z.local(utc);
    if (style == ClockStyle::twenty_four) return hm24(l.hour24, l.minute) + " " + l.abbreviation;
    return hm(h12(l.hour24), l.minute) + (l.hour24 < 12 ? " AM " : " PM ") + l.abbreviation;
}

std::string span_text(std::int64_t from, std::int64_t to, bool from_is_now, const Zone& z,
                      ClockStyle style) {
    std::string b = time_text(to, z, style);
    if (from_is_now) return "now\u2013" + b;
    std::string a = time_text(from, z, style);
    return a + "\u2013" + b;
}

std::string short_time_text(std::int64_t utc, const Zone& z, ClockStyle style) {
    if (style != ClockStyle::twelve) return time_text(utc, z, style);
    LocalTime l = z.local(utc);
    return hm(h12(l.hour24), l.minute) + (l.hour24 < 12 ? "a" : "p");
}

}  // namespace tessaly::zones
