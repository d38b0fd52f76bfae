// The pathcast's geometry against an independent reference, and the corridor
// box against every place the geometry accepts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "geodesy/geodesy.h"
#include "pathcast/geometry.h"

using namespace tessaly;
using namespace tessaly::pathcast;

// Figures from tests/unit/pathcast/pathcast_reference.py (3-D unit vectors,
// not the program's formulas). Towns in central Oklahoma on two tracks;
// towns built on the corridor's edges: the half-width exactly and a
// micromile beyond, the departure in the view's minute and a minute before
// it, the arrival at the projection's end and 0.01 nm past it; straight
// through, behind the anchor, across the date line, over the pole, not moving.
TEST(PathcastGeometry, AgreesWithTheReference) {
    const std::int64_t base = 1780344000;  // 2026-06-01 20:00 UTC
    struct T {
        double lat, lon, bearing, speed;
        int minutes;
        double radius;
    };
    const T tracks[] = {
        {35.4, -97.6, 65, 38.7, 60, 6.951808}, {35.4, -97.6, 72, 31.25, 90, 8.68976},
        {35.4, -97.6, 60, 40, 60, 6.951808},   {10, 179.8, 90, 35, 60, 6.951808},
        {88, 0, 0, 50, 240, 6.951808},         {35.4, -97.6, 65, 0, 60, 6.951808},
    };
    // View in seconds and times in minutes after `base`; an anchor at 20 s.
    struct Case {
        int track;
        const char* name;
        double lat, lon;
        int view;
        double along, cross;
        bool on;
        int arrival, closest, departure, miles;
        const char* side;
    };
    const Case cases[] = {
        {0, "Oklahoma City", 35.4676, -97.5164, 120, 5.422546448, -1.952913989, true, -2, 9, 19, 2,
         "SE"},
        {0, "Midwest City", 35.4495, -97.3967, 120, 10.275126217, 1.499917165, true, 6, 16, 27, 2,
         "NW"},
        {0, "Spencer", 35.5228, -97.3725, 120, 13.200517373, -1.996083342, true, 10, 21, 31, 2,
         "SE"},
        {0, "Nicoma Park", 35.4912, -97.3231, 120, 14.594315269, 0.741051229, true, 12, 23, 34, 1,
         "NW"},
        {0, "Choctaw", 35.4976, -97.2689, 120, 17.161034776, 1.504831436, true, 16, 27, 37, 2,
         "NW"},
        {0, "Harrah", 35.4887, -97.1637, 120, 21.607533126, 4.145972770, true, 25, 34, 42, 5, "NW"},
        {0, "Jones", 35.5656, -97.287, 120, 18.071929069, -2.573292783, true, 18, 28, 38, 3, "SE"},
        {0, "Luther", 35.6617, -97.1956, 120, 24.543331479, -5.941635576, true, 33, 38, 44, 7,
         "SE"},
        {0, "Meeker", 35.5034, -96.9025, 120, 33.581922893, 8.674646272, false, 0, 0, 0, 0, ""},
        {0, "Edmond", 35.6528, -97.4781, 120, 11.809439593, -11.249263442, false, 0, 0, 0, 0, ""},
        {0, "Chandler", 35.7017, -96.8809, 120, 39.496485265, -1.715920011, true, 51, 62, 72, 2,
         "SE"},
        {0, "Shawnee", 35.3273, -96.9253, 120, 28.164351640, 17.826135099, false, 0, 0, 0, 0, ""},
        {1, "Oklahoma City", 35.4676, -97.5164, 120, 5.144127566, -2.599199203, true, -6, 10, 26, 3,
         "S"},
        {1, "Midwest City", 35.4495, -97.3967, 120, 10.381330546, 0.236516057, true, 4, 20, 37, 0,
         ""},
        {1, "Spencer", 35.5228, -97.3725, 120, 12.858863951, -3.589939548, true, 10, 25, 40, 4,
         "S"},
        {1, "Nicoma Park", 35.4912, -97.3231, 120, 14.575843376, -1.043066722, true, 12, 28, 45, 1,
         "S"},
        {1, "Choctaw", 35.4976, -97.2689, 120, 17.216511692, -0.597780571, true, 17, 33, 50, 1,
         "S"},
        {1, "Harrah", 35.4887, -97.1637, 120, 21.951735130, 1.481791710, true, 26, 42, 59, 2, "N"},
        {1, "Jones", 35.5656, -97.287, 120, 17.623624587, -4.756516515, true, 20, 34, 48, 5, "S"},
        {1, "Luther", 35.6617, -97.1956, 120, 23.636308201, -8.888404352, false, 0, 0, 0, 0, ""},
        {1, "Meeker", 35.5034, -96.9025, 120, 34.388747706, 4.517450028, true, 52, 66, 81, 5, "N"},
        {1, "Edmond", 35.6528, -97.4781, 120, 10.350475317, -12.604619571, false, 0, 0, 0, 0, ""},
        {1, "Chandler", 35.7017, -96.8809, 120, 38.993005180, -6.516438065, true, 64, 75, 86, 7,
         "S"},
        {1, "Shawnee", 35.3273, -96.9253, 120, 30.126824882, 14.260936814, false, 0, 0, 0, 0, ""},
        {2, "cross exactly the radius", 35.46551715131603, -97.17484160969444, 20, 20.000000000,
         6.951808000, true, 30, 30, 30, 8, "NW"},
        {2, "cross exactly minus the radius", 35.707808088355556, -97.22731589596272, 20,
         25.000000000, -6.951808000, true, 38, 38, 38, 8, "SE"},
        {2, "cross a micromile beyond", 35.46551713686033, -97.17484159954891, 20, 20.000000000,
         6.951809000, false, 0, 0, 0, 0, ""},
        {2, "departure in the view's minute", 35.439816084261764, -97.3923522108606, 1540,
         10.000000000, 3.000000000, true, 6, 15, 25, 3, "NW"},
        {2, "departure a minute before the view", 35.439816084261764, -97.3923522108606, 1600,
         10.000000000, 3.000000000, false, 0, 0, 0, 0, ""},
        {2, "arrival at the projection's end", 35.81459193895023, -96.79084526921882, 20,
         46.657900155, -2.000000000, true, 60, 70, 80, 2, "SE"},
        {2, "arrival past the projection's end", 35.81467400457817, -96.79066660789407, 20,
         46.667900155, -2.000000000, false, 0, 0, 0, 0, ""},
        {2, "straight through", 35.52458965097528, -97.33423206737962, 20, 15.000000000,
         -0.000000000, true, 12, 23, 33, 0, ""},
        {2, "0.3 mi off passes over", 35.5208246141354, -97.33157789854909, 20, 15.000000000,
         0.260692800, true, 12, 23, 33, 0, ""},
        {2, "0.6 mi left", 35.532119550194004, -97.33954115224103, 20, 15.000000000, -0.521385600,
         true, 12, 23, 33, 1, "SE"},
        {2, "behind, departure ahead", 35.34617957640803, -97.63262237052986, 20, -3.000000000,
         2.000000000, true, -14, -4, 6, 2, "NW"},
        {2, "behind, departure passed", 35.285507710809185, -97.80178544512698, 20, -12.000000000,
         1.000000000, false, 0, 0, 0, 0, ""},
        {3, "across the date line", 10.05, -179.9, 20, 17.740762915, -3.010934715, true, 20, 31, 41,
         3, "S"},
        {3, "behind, west of the date line", 9.98, 179.75, 20, -2.957431276, 1.200923763, true, -16,
         -5, 7, 1, "N"},
        {4, "past the pole", 89.5, 170, 20, 149.687299575, 5.214364161, true, 174, 180, 185, 6,
         "E"},
        {4, "beside the pole", 89.9, -100, 20, 121.157670942, -5.914498448, true, 141, 146, 150, 7,
         "N"},
        {4, "behind, south of the anchor", 87.95, 3, 20, -2.834284807, 6.442109221, true, -6, -3, 0,
         7, "W"},
        {5, "not moving", 35.4676, -97.5164, 20, 5.422546448, -1.952913989, false, 0, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "track " << c.track << ", " << c.name);
        const T& r = tracks[c.track];
        const Track t{r.lat, r.lon, r.bearing, r.speed, base + 20, r.minutes, r.radius};
        const TrackPosition at = track_position(t.lat, t.lon, t.bearing_deg, c.lat, c.lon);
        EXPECT_NEAR(at.along_nm, c.along, 1e-6);
        EXPECT_NEAR(at.cross_nm, c.cross, 1e-6);
        const auto p = passage(t, c.lat, c.lon, base + c.view);
        ASSERT_EQ(p.has_value(), c.on);
        if (!p) continue;
        EXPECT_EQ(p->arrival, base + 60 * c.arrival);
        EXPECT_EQ(p->closest, base + 60 * c.closest);
        EXPECT_EQ(p->departure, base + 60 * c.departure);
        EXPECT_EQ(p->miles, c.miles);
        EXPECT_EQ(p->side, c.side);
        EXPECT_EQ(p->passes_over, std::string(c.side).empty());
        EXPECT_TRUE(corridor_box(t).contains(c.lat, c.lon));
    }
}

// Random tracks (a quarter of them by the date line, a quarter above 70
// degrees) and towns scattered around each: every town the geometry accepts
// lies in the track's box.
TEST(PathcastGeometry, CorridorBoxHoldsEveryAcceptedPlace) {
    std::mt19937 rng(20261210);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    int accepted = 0;
    for (int i = 0; i < 200; ++i) {
        Track t;
        t.lat = i % 4 == 1 ? uniform(70, 89.9) * (i % 8 == 1 ? 1 : -1) : uniform(-60, 60);
        t.lon = i % 4 == 2 ? uniform(174, 186) : uniform(-180, 180);
        if (t.lon > 180) t.lon -= 360;
        t.bearing_deg = uniform(0, 360);
        t.speed_kt = i % 20 == 0 ? 0 : uniform(5, 90);
        t.anchor_utc = 1780344000 + static_cast<int>(uniform(0, 60));
        t.projection_minutes = static_cast<int>(uniform(0, 180));
        t.radius_nm = uniform(1, 25) * kNmPerStatuteMile;
        const Box box = corridor_box(t);
        const double reach = t.speed_kt * t.projection_minutes / 60 + t.radius_nm + 10;
        for (int j = 0; j < 100; ++j) {
            auto [lat, lon] =
                geodesy::destination(t.lat, t.lon, uniform(0, 360), uniform(0, reach));
            lon = std::remainder(lon, 360.0);
            const std::int64_t view = t.anchor_utc + static_cast<int>(uniform(0, 120));
            if (!passage(t, lat, lon, view)) continue;
            ++accepted;
            EXPECT_TRUE(box.contains(lat, lon))
                << "track " << t.lat << "," << t.lon << " " << t.bearing_deg << " deg "
                << t.speed_kt << " kt; town " << lat << "," << lon;
        }
    }
    EXPECT_GT(accepted, 2000);  // the property was put to the test
}

// A view in the anchor's own minute keeps a departure rounded up to that
// minute: up to 90 s of motion behind the anchor, 15 nm at 600 kt.
TEST(PathcastGeometry, CorridorBoxReachesBackToTheRoundedMinute) {
    const Track t{35, -97, 0, 600, 1780344059, 0, 1};
    const double lat = 35 - 15.8 / 60.0577;  // 15.8 nm due south
    const auto p = passage(t, lat, -97, t.anchor_utc);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->departure, 1780344000);
    EXPECT_TRUE(corridor_box(t).contains(lat, -97));
}

TEST(PathcastGeometry, BoxEdges) {
    const Box across{-10, 10, 170, -170, false};
    for (double lon : {170.0, 180.0, -180.0, -170.0}) EXPECT_TRUE(across.contains(10, lon)) << lon;
    EXPECT_TRUE(across.contains(-10, 175));
    EXPECT_FALSE(across.contains(0, 169.99));
    EXPECT_FALSE(across.contains(0, -169.99));
    EXPECT_FALSE(across.contains(10.001, 175));
    const Box plain{30, 40, -100, -90, false};
    EXPECT_TRUE(plain.contains(30, -100));
    EXPECT_TRUE(plain.contains(40, -90));
    EXPECT_FALSE(plain.contains(35, 95));  // not read as across the date line
    const Box polar{80, 90, 0, 0, true};
    EXPECT_TRUE(polar.contains(90, -180));
    EXPECT_TRUE(polar.contains(85, 123));
    EXPECT_FALSE(polar.contains(79.99, 0));
}
