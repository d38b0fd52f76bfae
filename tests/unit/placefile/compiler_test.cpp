// The projection compiler's driver: marker removal, failures, counting.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/sim/simulator.h"
#include "sim_fixture.h"

using namespace tessaly;

namespace {

const std::vector<std::string> kHeader = {"Title: Tessaly",
                                          "RefreshSeconds: 1",
                                          "Threshold: 999",
                                          "Font: 1, 12, 1, Segoe UI",
                                          "",
                                          "IconFile: 1, 12, 12, 5, 5, stormtrack.png",
                                          ""};

class Compiler : public SimTest {
protected:
    void SetUp() override {
        boot();
        m = &sim->app()->frmMain();
        // The storm's letter is pinned by the storms' own tests.
        sim->app()->save_setting(keys::storm_labels, "0");
        out.str("");
    }
    // A finished track as the tracker leaves it: header plus the three marker lines.
    void track(const std::string& speed) {
        m->placefile.items = kHeader;
        for (const char* l :
             {"Color: 255 255 255, 100", "Text: 35.0, -97.0, 1, x", "Text: 35.333, -97.0, 1, x"})
            m->placefile.items.push_back(l);
        m->placefile_groups.record(LinePurpose::half_mark, m->placefile.items, kHeader.size());
        m->start_lat.text = "35.0";
        m->start_lon.text = "-97.0";
        m->stop_lat.text = "35.333";
        m->stop_lon.text = "-97.0";
        m->cell_speed.text = speed;
    }
    std::string file_text() {
        std::ifstream f(sim->platform().real_path(m->placefile_path()), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    static std::string crlf(const std::vector<std::string>& lines) {
        std::string s;
        for (auto& l : lines) s += l + "\r\n";
        return s;
    }
    void shapes(bool cone, bool fan, bool wedge) {
        m->mnu_projection_cone.checked = cone;
        m->mnu_projection_fan.checked = fan;
        m->mnu_projection_wedge.checked = wedge;
    }

    FrmMain* m = nullptr;
};

TEST_F(Compiler, NoShapeStillRemovesMarkersWritesAndCounts) {
    track("20");
    shapes(false, false, false);
    m->tracker.text = "5";
    m->compiler();
    EXPECT_EQ(m->placefile.items, kHeader);
    EXPECT_EQ(file_text(), crlf(kHeader));
    EXPECT_EQ(m->tracker.text, "6");
    EXPECT_EQ(m->return_azimuth.text, "0");  // due north
    EXPECT_EQ(out.str(), "");
}

// Markers that are gone (never written, or taken out already) take nothing
// else with them: the lines before stay, the projection follows them.
TEST_F(Compiler, MissingMarkersRemoveNothingElse) {
    track("20");
    shapes(false, false, true);
    m->placefile_groups.clear();
    m->placefile.items = {"only", "two"};
    m->compiler();
    ASSERT_GT(m->placefile.items.size(), 2u);
    EXPECT_EQ(m->placefile.items[0], "only");
    EXPECT_EQ(m->placefile.items[1], "two");
    EXPECT_EQ(m->placefile.items[2], "Polygon: ");
    EXPECT_EQ(file_text(), crlf(m->placefile.items));
    EXPECT_EQ(m->tracker.text, "1");
    EXPECT_EQ(out.str(), "");
}

TEST_F(Compiler, NonNumericSpeedStopsBeforeAnyShape) {
    track("abc");
    shapes(true, true, true);
    std::string before = file_text();
    m->compiler();
    EXPECT_EQ(m->placefile.items, kHeader);
    EXPECT_EQ(file_text(), before);
    EXPECT_EQ(m->tracker.text, "0");
    EXPECT_EQ(out.str(),
              "msgbox \"Tessaly\" \"Source: data_compiler Description: Type mismatch\\rNumber: "
              "13\"\n");
}

TEST_F(Compiler, FailureAfterTheWriteKeepsLinesAndFileButDoesNotCount) {
    track("20");
    shapes(false, false, true);
    sim->app()->save_setting(keys::polygon, "no");
    sim->app()->save_setting(keys::track, "no");
    sim->app()->save_setting(keys::border, "yes");
    m->tracker.text = "many";
    m->compiler();
    // Wedge with only its border: colour line without alpha, six points, "End: ", empty line.
    ASSERT_EQ(m->placefile.items.size(), kHeader.size() + 10);
    EXPECT_EQ(m->placefile.items[7], "Color: 248 000 000, ");  // stored start-up default
    EXPECT_EQ(m->placefile.items[8], "Line: 1, 0, \"");
    EXPECT_EQ(m->placefile.items[9], "35.0, -97.0");
    EXPECT_EQ(m->placefile.items[14], "35.0, -97.0");
    EXPECT_EQ(m->placefile.items[15], "End: ");
    EXPECT_EQ(m->placefile.items[16], "");
    EXPECT_EQ(file_text(), crlf(m->placefile.items));
    EXPECT_EQ(m->tracker.text, "many");
    EXPECT_EQ(out.str(),
              "msgbox \"Tessaly\" \"Source: data_compiler Description: Type mismatch\\rNumber: "
              "13\"\n");
}

TEST_F(Compiler, SwitchesAreExactAndCaseSensitive) {
    track("0");
    shapes(false, true, false);
    // Zero speed from start to start: every fan arc point is start itself.
    m->stop_lat.text = "35.0";
    m->stop_lon.text = "-97.0";
    auto* app = sim->app();
    app->save_setting(keys::polygon, "No");  // not "no": polygons stay on
    app->save_setting(keys::border, "YES");  // not "yes": no border
    app->save_setting(keys::track, "NO");    // not "no": track stays on
    m->compiler();
    const auto& p = m->placefile.items;
    int polygons = 0, lines = 0, icons = 0;
    for (const auto& l : p) {
        polygons += l == "Polygon: ";
        lines += l.rfind("Line: ", 0) == 0;
        icons += l.rfind("Icon: ", 0) == 0;
    }
    EXPECT_EQ(polygons, 2);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(icons, 5);
    // Right polygon: first vertex, BR, R22..R0 at start, closing vertex.
    ASSERT_GT(p.size(), 22u);
    EXPECT_EQ(p[8], "35.0, -97.0, 248, 248, 248, 50");
    for (int i = 10; i <= 20; ++i) EXPECT_EQ(p[static_cast<size_t>(i)], "35, -97") << i;
    EXPECT_EQ(p[21], "35.0, -97.0");
    EXPECT_EQ(p[22], "End:");
    // Icons at zero speed: A and B are start, C halfway between stop and A.
    size_t first_icon = 0;
    while (p[first_icon].rfind("Icon: ", 0) != 0) ++first_icon;
    EXPECT_EQ(p[first_icon], "Icon: 35.0, -97.0, 0, 1, 1, ");
    EXPECT_EQ(p[first_icon + 1], "Icon: 35, -97, 0, 1, 2, ");
    EXPECT_EQ(p[first_icon + 2], "Icon: 35, -97, 0, 1, 2, ");
    EXPECT_EQ(p[first_icon + 3], "Icon: 35, -97, 0, 1, 2, ");
    EXPECT_EQ(p[first_icon + 4], "Icon: 35.0, -97.0, 0, 1, 3, ");
    EXPECT_EQ(p[first_icon + 5], "");
    EXPECT_EQ(p.size(), first_icon + 6);
    EXPECT_EQ(m->tracker.text, "1");
}

}  // namespace
