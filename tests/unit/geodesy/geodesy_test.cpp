// Geodesy with the program's own constants; expected values worked out by hand
// or with an independent calculation of the same formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/app.h"
#include "app/published.h"
#include "core/failure.h"
#include "eta/frm_custom_eta.h"
#include "geodesy/geodesy.h"
#include "platform/sim/simulator.h"

using namespace tessaly;
using namespace tessaly::geodesy;

TEST(Geodesy, TrigonometryEdgeValues) {
    EXPECT_EQ(arc_tan2(0, 0), 0);
    EXPECT_EQ(arc_tan2(1, 0), 1.5707963267949);
    EXPECT_EQ(arc_tan2(-1, 0), -1.5707963267949);
    EXPECT_EQ(arc_tan2(0, -1), 3.14159265358979);
    EXPECT_EQ(arc_tan2(-0.5, -1), std::atan(0.5) - 3.14159265358979);
    EXPECT_EQ(arc_sin(1.5), 0);
    EXPECT_EQ(arc_sin(-1.0000001), 0);
    EXPECT_EQ(arc_sin(1), 1.570796326794895);
    EXPECT_EQ(arc_sin(-1), -1.570796326794895);
    EXPECT_EQ(arc_cos(1), 0);
    EXPECT_EQ(arc_cos(-1), 3.14159265358979);
    EXPECT_EQ(arc_cos(1 + 2.2e-16), 0);  // callers' sums can overshoot by one ulp
    EXPECT_EQ(arc_cos(0), 1.570796326794895);
    EXPECT_DOUBLE_EQ(deg_to_rad(180), 3.14159265358979);
    EXPECT_DOUBLE_EQ(rad_to_deg(3.14159265358979), 180);
}

TEST(Geodesy, DistanceUsesTheProgramsFactors) {
    EXPECT_NEAR(distance_nm(35, -97, 36, -97), 59.997756, 1e-9);
    EXPECT_EQ(distance_nm(35, -97, 35, -97), 0);
    EXPECT_NEAR(distance_nm(0, 0, 0, 1), 59.997756, 1e-9);
}

TEST(Geodesy, AzimuthSpecialCasesAndQuadrants) {
    EXPECT_EQ(azimuth_deg(35, -97, 35, -97), 0);
    EXPECT_EQ(azimuth_deg(35, -97, 35, -96), 90);
    EXPECT_EQ(azimuth_deg(35, -97, 35, -98), 270);
    EXPECT_EQ(azimuth_deg(35, -97, 36, -97), 0);
    EXPECT_EQ(azimuth_deg(35, -97, 34, -97), 180);
    // Quantised to 1/360000 degree: a tiny latitude difference is the same latitude.
    EXPECT_EQ(azimuth_deg(35, -97, 35.000000001, -96), 90);
    EXPECT_NEAR(azimuth_deg(35, -97, 36, -96), 38.8602708058778, 1e-9);
    double sw = azimuth_deg(35, -97, 34, -98);
    EXPECT_NEAR(sw, 219.777118097896, 1e-9);
    EXPECT_GT(sw, 180);
    EXPECT_LT(sw, 270);
    EXPECT_GT(azimuth_deg(35, -97, 36, -98), 270);  // north-west: A + 360
}

TEST(Geodesy, Destination) {
    auto same = destination(35, -97, 123, 0);
    EXPECT_DOUBLE_EQ(same.lat, 35);
    EXPECT_DOUBLE_EQ(same.lon, -97);
    auto east = destination(35, -97, 90, 60);
    EXPECT_NEAR(east.lat, 34.9939015912628, 1e-12);
    EXPECT_NEAR(east.lon, -95.7804526009174, 1e-12);
    // Not normalised across the antimeridian.
    EXPECT_GT(destination(0, 179.9, 90, 60).lon, 180);
}

// Figures from tests/unit/geodesy/geodesy_reference.py (textbook formulas through
// Python's math library, the program's constants). The tolerances allow for
// the program's own degree factor in bearings (0.01745329252) and for its
// arcsine and arccosine built from arctangents.
TEST(Geodesy, AgreesWithTheReferenceFormulas) {
    struct Track {
        double lat1, lon1, lat2, lon2, nm, bearing;
    };
    const Track tracks[] = {
        {35.2, -97.4, 35.9, -96.8, 51.2022724626, 34.7170812256},
        {35.2, -97.4, 34.6, -96.1, 73.4019387652, 118.9954539103},
        {41.5, -90.5, 40.8, -91.7, 68.5767712610, 232.6314382669},
        {30.0, -85.0, 31.3, -86.4, 106.3242928971, 317.5405460516},
        {0.5, -60.0, -0.5, -59.0, 84.8491017675, 134.9989091554},
        {47.0, -100.0, 46.99, -99.0, 40.9263203091, 90.4743045654},
    };
    for (const Track& t : tracks) {
        SCOPED_TRACE(testing::Message()
                     << t.lat1 << "," << t.lon1 << " to " << t.lat2 << "," << t.lon2);
        EXPECT_NEAR(distance_nm(t.lat1, t.lon1, t.lat2, t.lon2), t.nm, 1e-6);
        EXPECT_NEAR(azimuth_deg(t.lat1, t.lon1, t.lat2, t.lon2), t.bearing, 1e-6);
    }
    struct Move {
        double lat, lon, bearing, nm, lat2, lon2;
    };
    const Move moves[] = {
        {35.2, -97.4, 45, 30, 35.5524418957, -96.9658535857},
        {35.2, -97.4, 200, 75.5, 34.0175724754, -97.9187031809},
        {-33.9, 151.2, 300, 120, -32.8837517654, 149.1394239647},
    };
    for (const Move& m : moves) {
        auto [lat, lon] = destination(m.lat, m.lon, m.bearing, m.nm);
        EXPECT_NEAR(lat, m.lat2, 1e-9) << m.bearing << " " << m.nm;
        EXPECT_NEAR(lon, m.lon2, 1e-9) << m.bearing << " " << m.nm;
    }
}

namespace {
struct AppFixture : ::testing::Test {
    std::ostringstream out;
    Simulator sim{::testing::TempDir() + "/geo", "C:\\Tessaly", out};
    void SetUp() override { ASSERT_EQ(sim.run("start\n", "."), 0); }
    App& app() { return *sim.app(); }
};
}  // namespace

TEST_F(AppFixture, PublishedFieldsAreRoundedHalfEvenText) {
    double d = distance_nm(35, -97, 36, -97);
    publish_distance(app(), d);
    EXPECT_NEAR(d, 59.997756, 1e-9);
    EXPECT_EQ(app().frmMain().return_dis.text, "60");
    EXPECT_EQ(app().frmCustomETA().distance.text, "60");
    publish_azimuth(app(), azimuth_deg(35, -97, 36, -96));
    EXPECT_EQ(app().frmMain().return_azimuth.text, "39");
    publish_distance(app(), distance_nm(35, -97, 35, -97));
    EXPECT_EQ(app().frmMain().return_dis.text, "0");  // written even when 0
    publish_destination(app(), destination(35, -97, 90, 60));
    EXPECT_EQ(app().frmMain().rlat.text, "34.9939015912628");
    EXPECT_EQ(app().frmMain().rlon.text, "-95.7804526009174");
}
