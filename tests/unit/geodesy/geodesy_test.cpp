// Geodesy with the program's own constants; expected values worked out by hand
// or with an independent calculation of the same formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/app.h"
#include "core/failure.h"
#include "eta/frm_custom_eta.h"
#include "platform/sim/simulator.h"
#include "tracking/mod_math.h"

using namespace tessaly;
using namespace tessaly::modmath;

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
    EXPECT_DOUBLE_EQ(same.first, 35);
    EXPECT_DOUBLE_EQ(same.second, -97);
    auto east = destination(35, -97, 90, 60);
    EXPECT_NEAR(east.first, 34.9939015912628, 1e-12);
    EXPECT_NEAR(east.second, -95.7804526009174, 1e-12);
    // Not normalised across the antimeridian.
    EXPECT_GT(destination(0, 179.9, 90, 60).second, 180);
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
    double d = get_distance(app(), 35, -97, 36, -97);
    EXPECT_NEAR(d, 59.997756, 1e-9);
    EXPECT_EQ(app().frmMain().return_dis.text, "60");
    EXPECT_EQ(app().frmCustomETA().distance.text, "60");
    get_azimuth(app(), 35, -97, 36, -96);
    EXPECT_EQ(app().frmMain().return_azimuth.text, "39");
    get_distance(app(), 35, -97, 35, -97);
    EXPECT_EQ(app().frmMain().return_dis.text, "0");  // written even when 0
    get_destination(app(), 35, -97, 90, 60);
    EXPECT_EQ(app().frmMain().rlat.text, "34.9939015912628");
    EXPECT_EQ(app().frmMain().rlon.text, "-95.7804526009174");
}
