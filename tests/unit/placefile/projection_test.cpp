// The shapes' geometry on its own: how far each shape reaches for the
// projection length, the switches, and the time marks' spacing. Distances are
// checked with the geodesy module, which has reference tests of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "core/numtext.h"
#include "geodesy/geodesy.h"
#include "placefile/projection.h"

using namespace tessaly;

namespace {

ProjectionInput track_east(const std::string& minutes) {
    ProjectionInput in;
    in.start = {"35", "-97"};
    in.stop = {"35", "-96.8"};
    in.azimuth_text = "90";
    in.speed_kt = 30;
    in.minutes_text = minutes;
    return in;
}

const ShapeLook kLook{"2", "60", "255 0 0", "0 0 0", "255 255 255", "3"};

// Distances (nm) from the start of every "lat, lon" vertex line of the polygons.
std::vector<double> vertex_distances(const std::vector<std::string>& lines) {
    std::vector<double> d;
    bool in_polygon = false;
    for (const std::string& l : lines) {
        if (l.rfind("Polygon:", 0) == 0) in_polygon = true;
        else if (l.rfind("End:", 0) == 0) in_polygon = false;
        else if (in_polygon) {
            double lat = 0, lon = 0;
            char comma = 0;
            std::istringstream(l) >> lat >> comma >> lon;
            d.push_back(geodesy::distance_nm(35, -97, lat, lon));
        }
    }
    return d;
}

double reach(void (*shape)(const ProjectionInput&, const ShapeLook&, ProjectionOutput&),
             const std::string& minutes) {
    ProjectionOutput out;
    shape(track_east(minutes), kLook, out);
    std::vector<double> d = vertex_distances(out.lines);
    return d.empty() ? 0 : *std::max_element(d.begin(), d.end());
}

}  // namespace

TEST(Projection, EveryShapeReachesTheDistanceOfItsLength) {
    // 30 kt for an hour is 30 nm; the outer ring lies a 17.5th beyond it.
    // Measured back the way the vertices are (destination and distance use
    // the program's own, slightly different, factors).
    auto measured = [](double nm) {
        auto d = geodesy::destination(35, -97, 90, nm);
        return geodesy::distance_nm(35, -97, d.lat, d.lon);
    };
    const double outer60 = measured(30 + 30 / 17.5);
    EXPECT_NEAR(reach(fan_lines, "60"), outer60, 0.01);
    EXPECT_NEAR(reach(cone_lines, "60"), outer60, 0.01);
    EXPECT_NEAR(reach(wedge_lines, "60"), outer60, 0.01);
    // Half the length, half the reach; a length that is no number keeps the hour.
    EXPECT_NEAR(reach(fan_lines, "30"), measured(15 + 15 / 17.5), 0.01);
    EXPECT_NEAR(reach(fan_lines, "ninety"), outer60, 0.01);
}

TEST(Projection, SwitchesLeaveOutTheirParts) {
    ProjectionInput in = track_east("60");
    in.polygons = false;
    in.track = false;
    ProjectionOutput out;
    fan_lines(in, kLook, out);
    EXPECT_TRUE(out.lines.empty());

    in.borders = true;
    ProjectionOutput bordered;
    fan_lines(in, kLook, bordered);
    EXPECT_EQ(std::count(bordered.lines.begin(), bordered.lines.end(), "Line: 2, 0, \""), 6);
    EXPECT_EQ(std::count_if(bordered.lines.begin(), bordered.lines.end(),
                            [](const std::string& l) { return l.rfind("Polygon:", 0) == 0; }),
              0);
}

TEST(Projection, TimeMarksEveryQuarterHourAlongTheTrack) {
    ProjectionInput in = track_east("45");
    in.time_marks = ProjectionInput::TimeMarks{ClockTime{14, 50, 0, true}, "12"};
    ProjectionOutput out;
    wedge_lines(in, kLook, out);
    std::vector<std::string> marks;
    for (const std::string& l : out.lines)
        if (l.rfind("Text:", 0) == 0) marks.push_back(l);
    ASSERT_EQ(marks.size(), 3u);  // 15, 30 and 45 minutes
    EXPECT_NE(marks[0].find("03:05"), std::string::npos) << marks[0];
    EXPECT_NE(marks[2].find("03:35"), std::string::npos) << marks[2];
    // The 15-minute mark is a quarter of the hour's 30 nm out.
    double lat = 0, lon = 0;
    char comma = 0;
    std::istringstream(marks[0].substr(6)) >> lat >> comma >> lon;
    auto d = geodesy::destination(35, -97, 90, 7.5);
    EXPECT_NEAR(lat, d.lat, 1e-9);
    EXPECT_NEAR(lon, d.lon, 1e-9);
}
