// Time zones: the local clocks against the system's own zdump, the instants of
// local readings around the changes, the names and rules find_zone takes, and
// the clock texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "zones/zone_table.h"
#include "zones/zones.h"

using namespace tessaly::zones;

namespace {

Zone zone(const char* name) {
    auto z = find_zone(name);
    EXPECT_TRUE(z) << name;
    return z ? *z : Zone();
}

#ifndef _WIN32
std::string run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    return pclose(p) == 0 ? out : std::string();
}

int month_of(const std::string& mon) {
    static const std::string names = "JanFebMarAprMayJunJulAugSepOctNovDec";
    return static_cast<int>(names.find(mon)) / 3 + 1;
}
#endif

}  // namespace

// Every change of 2025-2027 as zdump reports it: the last second before and
// the first after, each with its UTC instant, local reading, abbreviation and
// offset; and the state each year starts in (zdump -i), which is all that
// zones without changes have.
TEST(Zones, LocalClocksMatchZdump) {
#ifdef _WIN32
    GTEST_SKIP() << "zdump is the build machine's";
#else
    const char* names[] = {"America/Chicago",  "America/Denver",    "America/Phoenix",
                           "America/New_York", "America/Anchorage", "Pacific/Honolulu",
                           "America/St_Johns", "Europe/London",     "Australia/Lord_Howe"};
    if (run("zdump -c 2025,2026 UTC").empty()) GTEST_SKIP() << "no zdump on this machine";
    int checked = 0;
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Zone z = zone(name);
        std::istringstream lines(run(std::string("zdump -v -c 2025,2028 ") + name));
        for (std::string line; std::getline(lines, line);) {
            if (line.find(" UT = ") == std::string::npos) continue;
            // NAME Sun Mar  9 07:59:59 2025 UT = Sun Mar  9 01:59:59 2025 CST isdst=0 gmtoff=-21600
            std::istringstream f(line);
            std::string zname, wd, mon, ut, eq, lwd, lmon, abbr, isdst, gmtoff;
            int d, y, h, mi, s, ld, ly, lh, lmi, ls;
            char c;
            f >> zname >> wd >> mon >> d >> h >> c >> mi >> c >> s >> y >> ut >> eq >> lwd >>
                lmon >> ld >> lh >> c >> lmi >> c >> ls >> ly >> abbr >> isdst >> gmtoff;
            ASSERT_TRUE(f) << line;
            std::tm tm{};
            tm.tm_year = y - 1900;
            tm.tm_mon = month_of(mon) - 1;
            tm.tm_mday = d;
            tm.tm_hour = h;
            tm.tm_min = mi;
            tm.tm_sec = s;
            LocalTime l = z.local(timegm(&tm));
            EXPECT_EQ(l.year, ly) << line;
            EXPECT_EQ(l.month, month_of(lmon)) << line;
            EXPECT_EQ(l.day, ld) << line;
            EXPECT_EQ(l.hour24 * 3600 + l.minute * 60 + l.second, lh * 3600 + lmi * 60 + ls)
                << line;
            EXPECT_EQ(l.abbreviation, abbr) << line;
            EXPECT_EQ("gmtoff=" + std::to_string(l.offset_seconds), gmtoff) << line;
            ++checked;
        }
        // "-<tab>-<tab>-06<tab>CST": the state at the start of 2025; no
        // abbreviation when it is the offset itself ("+11").
        std::istringstream first(run(std::string("zdump -i -c 2025,2028 ") + name));
        for (std::string line; std::getline(first, line);) {
            if (line.rfind("-\t-\t", 0) != 0) continue;
            std::istringstream f(line.substr(4));
            std::string offset, abbr;
            std::getline(f, offset, '\t');
            std::getline(f, abbr, '\t');
            if (abbr.empty()) abbr = offset;
            LocalTime l = z.local(1735732800);  // 2025-01-01 12:00 UTC
            int hhmm = std::stoi(offset.substr(1));
            int secs = (offset.size() > 3 ? hhmm / 100 * 3600 + hhmm % 100 * 60 : hhmm * 3600);
            EXPECT_EQ(l.offset_seconds, offset[0] == '-' ? -secs : secs) << line;
            EXPECT_EQ(l.abbreviation, abbr) << line;
            ++checked;
        }
    }
    // 7 zones with 6 changes, 2 lines each, and 9 starting states.
    EXPECT_EQ(checked, 7 * 6 * 2 + 9);
#endif
}

TEST(Zones, ReadingsAroundTheChanges) {
    Zone chicago = zone("America/Chicago");
    // The simulator's day: 2026-06-01 00:00 CDT.
    EXPECT_EQ(chicago.utc_of(2026, 6, 1, 0, 0, 0), 1780290000);
    // 01:30 happens twice on 2026-11-01: the first, still CDT (06:30 UTC).
    EXPECT_EQ(chicago.utc_of(2026, 11, 1, 1, 30, 0), 1793514600);
    EXPECT_EQ(chicago.local(1793514600).abbreviation, "CDT");
    // 02:30 never happens on 2026-03-08: read with CST, 08:30 UTC (= 03:30 CDT).
    EXPECT_EQ(chicago.utc_of(2026, 3, 8, 2, 30, 0), 1772958600);
    // Lord Howe moves by half an hour; 02:15 on 2026-10-04 is skipped and read
    // as +1030: 2026-10-03 15:45 UTC.
    Zone lord_howe = zone("Australia/Lord_Howe");
    EXPECT_EQ(lord_howe.utc_of(2026, 10, 4, 2, 15, 0), 1791042300);
    EXPECT_EQ(Zone().utc_of(2026, 6, 1, 0, 0, 0), 1780272000);
    // Greenland changes at "-1" o'clock (M3.5.0/-1): 01:00 UTC, on 2026-03-29.
    Zone nuuk = zone("America/Nuuk");
    EXPECT_EQ(nuuk.local(1774745999).abbreviation, "-02");
    LocalTime after = nuuk.local(1774746000);
    EXPECT_EQ(after.abbreviation, "-01");
    EXPECT_EQ(after.offset_seconds, -3600);
    EXPECT_EQ(after.hour24, 0);
    EXPECT_EQ(nuuk.utc_of(2026, 3, 29, 0, 0, 0), 1774746000);
}

TEST(Zones, FindZoneTakesNamesLinksAndRules) {
    auto chicago = find_zone("America/Chicago");
    ASSERT_TRUE(chicago);
    EXPECT_EQ(chicago->name(), "America/Chicago");
    EXPECT_EQ(chicago->rule(), "CST6CDT,M3.2.0,M11.1.0");
    auto link = find_zone("US/Central");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->rule(), chicago->rule());
    for (const char* utc : {"UTC", "Etc/UTC"}) {
        auto z = find_zone(utc);
        ASSERT_TRUE(z) << utc;
        EXPECT_EQ(z->local(0).offset_seconds, 0);
    }
    auto rule = find_zone("<-06>6<-05>,M3.2.0/2,M11.1.0/2");
    ASSERT_TRUE(rule);
    EXPECT_EQ(rule->name(), "<-06>6<-05>,M3.2.0/2,M11.1.0/2");
    EXPECT_EQ(rule->local(1780290000).abbreviation, "-05");
    EXPECT_EQ(rule->local(1780290000).hour24, 0);
    for (const char* bad : {"", "america/chicago", "America/Nowhere", "CST", "CST6CDT,M3.2.0",
                            "CST6CDT,M13.2.0,M11.1.0", "CST6CDT,M3.2.9,M11.1.0", "X6"})
        EXPECT_FALSE(find_zone(bad)) << bad;
    EXPECT_EQ(tzdata_version().size(), 5u);  // "2025b"
    // Every rule tzdata writes is one the library reads.
    for (std::size_t i = 0; i < detail::kZoneRuleCount; ++i)
        EXPECT_TRUE(find_zone(detail::kZoneRules[i].name)) << detail::kZoneRules[i].rule;
}

TEST(Zones, ClockTexts) {
    Zone c = zone("America/Chicago");
    const std::int64_t t1515 = 1780344900;  // 2026-06-01 15:15 CDT
    const auto twelve = ClockStyle::twelve, h24 = ClockStyle::twenty_four, utc = ClockStyle::utc;
    EXPECT_EQ(clock_style_of("24"), h24);
    EXPECT_EQ(clock_style_of("utc"), utc);
    EXPECT_EQ(clock_style_of("12"), twelve);
    EXPECT_EQ(clock_style_of("bogus"), twelve);
    struct Row {
        std::int64_t utc;
        const char *twelve, *h24, *utc_text, *short12;
    } rows[] = {
        {t1515, "3:15 PM CDT", "15:15 CDT", "20:15Z", "3:15p"},
        {t1515 - 6 * 3600 - 10 * 60, "9:05 AM CDT", "09:05 CDT", "14:05Z", "9:05a"},
        {t1515 - 3 * 3600 - 15 * 60, "12:00 PM CDT", "12:00 CDT", "17:00Z", "12:00p"},
        {1780290000, "12:00 AM CDT", "00:00 CDT", "05:00Z", "12:00a"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(time_text(r.utc, c, twelve), r.twelve);
        EXPECT_EQ(time_text(r.utc, c, h24), r.h24);
        EXPECT_EQ(time_text(r.utc, c, utc), r.utc_text);
        EXPECT_EQ(short_time_text(r.utc, c, twelve), r.short12);
    }
    EXPECT_EQ(short_time_text(t1515, c, h24), "15:15");
    EXPECT_EQ(short_time_text(t1515, c, utc), "20:15Z");

    const std::int64_t t1524 = t1515 + 9 * 60;
    EXPECT_EQ(span_text(t1515, t1524, false, c, twelve), "3:15\u20133:24 PM CDT");
    EXPECT_EQ(span_text(t1515, t1524, false, c, h24), "15:15\u201315:24 CDT");
    EXPECT_EQ(span_text(t1515, t1524, false, c, utc), "20:15\u201320:24Z");
    EXPECT_EQ(span_text(t1515, t1524, true, c, twelve), "now\u20133:24 PM CDT");
    EXPECT_EQ(span_text(t1515, t1524, true, c, utc), "now\u201320:24Z");
    const std::int64_t t1155 = t1515 - 3 * 3600 - 20 * 60;
    EXPECT_EQ(span_text(t1155, t1155 + 9 * 60, false, c, twelve), "11:55 AM\u201312:04 PM CDT");
    // Across the end of DST on 2026-11-01: 01:55 CDT is 06:55 UTC, nine
    // minutes before 01:04 CST.
    const std::int64_t t0655 = 1793516100;
    EXPECT_EQ(span_text(t0655, t0655 + 9 * 60, false, c, twelve), "1:55 AM CDT\u20131:04 AM CST");
    EXPECT_EQ(span_text(t0655, t0655 + 9 * 60, false, c, h24), "01:55 CDT\u201301:04 CST");
    EXPECT_EQ(span_text(t0655, t0655 + 9 * 60, true, c, twelve), "now\u20131:04 AM CST");
}
