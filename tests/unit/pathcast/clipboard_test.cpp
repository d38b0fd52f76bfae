// The text the pathcast's copy button gives, against an independent reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pathcast/pathcast.h"
#include "pathcast/pathcast_rows.h"
#include "places/place_index.h"
#include "storms/storm.h"

using namespace tessaly;

namespace {

PlaceEntry town(std::string name, std::string lat, std::string lon, std::string admin1,
                std::string country, std::string zone) {
    return {std::move(name), std::move(lat),    std::move(lon),     "1000",
            "PPL",           std::move(admin1), std::move(country), std::move(zone)};
}

}  // namespace

// Texts from tests/unit/pathcast/clipboard_reference.py (local clocks from
// Python's zoneinfo, rows from the geometry reference). The rows come from an
// index of the towns, as in the program: central Oklahoma with a town already
// reached and one passed over; a span over noon; Mountain and Central towns in
// one list; across the date line (no state outside the US) with a span over
// midnight; Svalbard on the 24-hour clock; a town on the corridor's edge and
// one leaving in the view's minute on the UTC clock; DST ending between
// arrival and departure; not moving; no towns (a bearing on a sector's edge).
TEST(PathcastClipboard, AgreesWithTheReference) {
    const std::vector<PlaceEntry> oklahoma = {
        town("Oklahoma City", "35.4676", "-97.5164", "OK", "US", "America/Chicago"),
        town("Midwest City", "35.4495", "-97.3967", "OK", "US", "America/Chicago"),
        town("Nicoma Park", "35.4912", "-97.3231", "OK", "US", "America/Chicago"),
        town("Choctaw", "35.4976", "-97.2689", "OK", "US", "America/Chicago"),
        town("Harrah", "35.4887", "-97.1637", "OK", "US", "America/Chicago"),
        town("Edmond", "35.6528", "-97.4781", "OK", "US", "America/Chicago"),
    };
    const std::vector<PlaceEntry> kansas = {
        town("Goodland", "39.3508", "-101.7102", "KS", "US", "America/Denver"),
        town("Brewster", "39.3642", "-101.3766", "KS", "US", "America/Chicago"),
        town("Colby", "39.3958", "-101.0524", "KS", "US", "America/Chicago"),
        town("Oakley", "39.1333", "-100.8636", "KS", "US", "America/Chicago"),
    };
    const std::vector<PlaceEntry> fiji = {
        town("Naroi", "-18.5667", "179.95", "", "FJ", "Pacific/Fiji"),
        town("Nayau", "-17.97", "-179.05", "", "FJ", "Pacific/Fiji"),
        town("Tubou", "-18.2333", "-178.8", "", "FJ", "Pacific/Fiji"),
    };
    const std::vector<PlaceEntry> svalbard = {
        town("Ny-Alesund", "78.9237", "11.9099", "21", "SJ", "Arctic/Longyearbyen"),
        town("Barentsburg", "78.0648", "14.2335", "21", "SJ", "Arctic/Longyearbyen"),
        town("Longyearbyen", "78.2232", "15.6267", "21", "SJ", "Arctic/Longyearbyen"),
    };
    const std::vector<PlaceEntry> edge = {
        town("Edge", "35.46551715131603", "-97.17484160969444", "OK", "US", "America/Chicago"),
        town("Beyond", "35.46551713686033", "-97.17484159954891", "OK", "US", "America/Chicago"),
        town("Leaving", "35.439816084261764", "-97.3923522108606", "OK", "US", "America/Chicago"),
    };
    struct Case {
        const char* what;
        const std::vector<PlaceEntry>* towns;
        double lat, lon, bearing, speed;
        std::int64_t anchor;
        int minutes, miles;
        std::int64_t view;
        const char *style, *pc_zone, *label, *kt, *mph, *text;
    };
    const Case cases[] = {
        {"central Oklahoma in May", &oklahoma, 35.4, -97.6, 72, 31.25, 1779220840, 90, 10,
         1779221030, "12", "America/Chicago", "A", "31", "36",
         "Storm A: moving ENE at 31 kt (36 mph), as of 3:00 PM CDT\r\n"
         "now\u20133:26 PM CDT  Oklahoma City, OK  passes 3 mi S\r\n"
         "3:04\u20133:37 PM CDT  Midwest City, OK  passes over\r\n"
         "3:12\u20133:45 PM CDT  Nicoma Park, OK  passes 1 mi S\r\n"
         "3:17\u20133:50 PM CDT  Choctaw, OK  passes 1 mi S\r\n"
         "3:26\u20133:59 PM CDT  Harrah, OK  passes 2 mi N"},
        {"a span over noon", &oklahoma, 35.4, -97.6, 65, 38.7, 1779209420, 60, 8, 1779209420, "12",
         "America/Chicago", "B", "39", "45",
         "Storm B: moving ENE at 39 kt (45 mph), as of 11:50 AM CDT\r\n"
         "now\u201312:09 PM CDT  Oklahoma City, OK  passes 2 mi SE\r\n"
         "11:56 AM\u201312:17 PM CDT  Midwest City, OK  passes 2 mi NW\r\n"
         "12:02\u201312:24 PM CDT  Nicoma Park, OK  passes 1 mi NW\r\n"
         "12:06\u201312:27 PM CDT  Choctaw, OK  passes 2 mi NW\r\n"
         "12:15\u201312:32 PM CDT  Harrah, OK  passes 5 mi NW"},
        {"Mountain and Central towns", &kansas, 39.35, -102.1, 85, 40, 1780408810, 90, 10,
         1780408810, "12", "America/Chicago", "C", "40", "46",
         "Storm C: moving E at 40 kt (46 mph), as of 9:00 AM CDT\r\n"
         "8:14\u20138:40 AM MDT  Goodland, KS  passes 2 mi N\r\n"
         "9:38\u201310:03 AM CDT  Brewster, KS  passes 2 mi N\r\n"
         "10:00\u201310:26 AM CDT  Colby, KS  passes 1 mi N"},
        {"across the date line", &fiji, -18.6, 179.9, 74, 40, 1780308610, 150, 10, 1780308660, "12",
         "Pacific/Fiji", "TC1", "40", "46",
         "Storm TC1: moving ENE at 40 kt (46 mph), as of 10:10 PM +12\r\n"
         "now\u201310:28 PM +12  Naroi  passes 1 mi S\r\n"
         "11:53 PM\u201312:19 AM +12  Tubou  passes 1 mi S"},
        {"near the pole", &svalbard, 79.3, 10.5, 150, 45, 1783667130, 120, 12, 1783667130, "24",
         "Arctic/Longyearbyen", "S", "45", "52",
         "Storm S: moving SSE at 45 kt (52 mph), as of 09:05 CEST\r\n"
         "09:29\u201309:56 CEST  Ny-Alesund  passes 3 mi SW\r\n"
         "10:47\u201311:13 CEST  Barentsburg  passes 4 mi SW"},
        {"on the edge, leaving in the view's minute", &edge, 35.4, -97.6, 60, 40, 1780344020, 60, 8,
         1780345540, "utc", "America/Chicago", "E", "40", "46",
         "Storm E: moving ENE at 40 kt (46 mph), as of 20:00Z\r\n"
         "now\u201320:25Z  Leaving, OK  passes 3 mi NW\r\n"
         "20:30\u201320:30Z  Edge, OK  passes 8 mi NW"},
        {"DST ends between arrival and departure", &oklahoma, 35.4, -97.6, 72, 20, 1793514940, 120,
         10, 1793514940, "12", "America/Chicago", "F", "20", "23",
         "Storm F: moving ENE at 20 kt (23 mph), as of 1:35 AM CDT\r\n"
         "now\u20131:16 AM CST  Oklahoma City, OK  passes 3 mi S\r\n"
         "1:41 AM CDT\u20131:33 AM CST  Midwest City, OK  passes over\r\n"
         "1:54 AM CDT\u20131:45 AM CST  Nicoma Park, OK  passes 1 mi S\r\n"
         "1:01\u20131:53 AM CST  Choctaw, OK  passes 1 mi S\r\n"
         "1:16\u20132:07 AM CST  Harrah, OK  passes 2 mi N"},
        {"not moving", &oklahoma, 35.4, -97.6, 0, 0, 1779220840, 60, 8, 1779220840, "12",
         "America/Chicago", "G", "00", "00",
         "Storm G: moving N at 00 kt (00 mph), as of 3:00 PM CDT\r\n"
         "The storm is not moving, so there are no arrival times."},
        {"no towns in the path", &kansas, 35.4, -97.6, 258.75, 30, 1779220840, 60, 8, 1779220840,
         "24", "America/Chicago", "H", "30", "35",
         "Storm H: moving W at 30 kt (35 mph), as of 15:00 CDT\r\n"
         "No towns in the path."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto index = PlaceIndex::decode(PlaceIndex::encode(*c.towns));
        ASSERT_TRUE(index);
        Storm s;
        s.label = c.label;
        s.bearing_deg = c.bearing;
        s.speed_kt = c.speed;
        s.speed_text = c.kt;
        s.speed_mph_text = c.mph;
        Pathcast p;
        p.label = c.label;
        p.track = {c.lat,
                   c.lon,
                   c.bearing,
                   c.speed,
                   c.anchor,
                   c.minutes,
                   c.miles * pathcast::kNmPerStatuteMile};
        p.view_utc = c.view;
        p.not_moving = !(c.speed > 0);
        p.style = zones::clock_style_of(c.style);
        p.pc_zone = zones::find_zone(c.pc_zone).value();
        if (!p.not_moving) {
            PathcastRows rows(p, *index, 0);
            rows.add_corridor();
            sort_rows(p.rows);
        }
        EXPECT_EQ(clipboard_text(s, p), c.text);
    }
}
