// The real demo viewer in a process of its own: found by enumeration, its
// panel 4 read through the cross-process path while the mouse moves over its
// map, and its warnings window kept apart from the viewer by the program's
// own discovery step.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/app.h"
#include "platform/win32/win32_platform.h"
#include "win32/fixture/demo_viewer_process.h"

using tessaly::PanelRead;
using tessaly::PanelStatus;
using tessaly::Win32Platform;
using tessaly::win32::fixture::DemoViewerProcess;
using tessaly::win32::fixture::MapArea;

namespace {

// Views are not under test: the models alone are driven.
class NoViews : public tessaly::UiHost {
public:
    void visibility_changed(tessaly::Window&) override {}
    void window_loaded(tessaly::Window&) override {}
    void window_unloaded(tessaly::Window&) override {}
    void make_topmost(tessaly::Window&) override {}
    void start_drag(tessaly::Window&) override {}
    void model_changed(tessaly::Window&) override {}
    void program_ended() override {}
    void alert(tessaly::Window&, const std::string&) override {}
    void alerts_acknowledged(tessaly::Window&) override {}
};

// Reads panel 4 until it shows `want` (the viewer answers the move in its
// own time) or 5 s have passed; returns the last read.
PanelRead read_until(Win32Platform& p, const std::string& title, PanelStatus status,
                     const std::string& want = {}) {
    PanelRead r;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        r = p.read_panel(title, 4);
        if (r.status == status && r.text == want) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < until);
    return r;
}

// The map's centre pixel shows the centre given on the command line, north
// is up and each pixel is `scale` degrees: pixel (x, y) of a W x H map is
// centre_lon + (x - W/2) * scale east, centre_lat - (y - H/2) * scale north.
std::string position_text(double centre_lat, double centre_lon, double scale, const MapArea& m,
                          int x, int y) {
    double lat = centre_lat - (y - m.height / 2.0) * scale;
    double lon = centre_lon + (x - m.width / 2.0) * scale;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f, %.4f", lat, lon);
    return buf;
}

// The viewer's map once its window has stopped changing size: without a
// window manager Wine may still resize a new window after it first shows.
MapArea settled_map(const DemoViewerProcess& viewer) {
    MapArea m = viewer.map_area();
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        MapArea now = viewer.map_area();
        if (now.width == m.width && now.height == m.height && i >= 2) break;
        m = now;
    }
    return m;
}

size_t index_of(const std::vector<std::string>& v, const std::string& s) {
    return static_cast<size_t>(std::find(v.begin(), v.end(), s) - v.begin());
}

}  // namespace

TEST(DemoViewer, PanelFourShowsThePositionUnderTheMouse) {
    const std::string title = "KVNX - GRLevel3";
    DemoViewerProcess viewer("--site KVNX --center 35.2231,-97.4412 --scale 0.001", title);
    ASSERT_TRUE(viewer.ready()) << viewer.error();
    MapArea m = settled_map(viewer);
    ASSERT_GT(m.width, 300);
    ASSERT_GT(m.height, 300);
    Win32Platform p;

    // Even sides put a pixel on the centre itself: it reads the centre given.
    if (m.width % 2 == 0 && m.height % 2 == 0) {
        viewer.point_at(m.width / 2, m.height / 2);
        PanelRead r = read_until(p, title, PanelStatus::Text, "35.2231, -97.4412");
        EXPECT_EQ(r.text, "35.2231, -97.4412");
    }
    struct Pixel {
        int x, y;
    };
    const Pixel pixels[] = {
        {m.width / 2 + 150, m.height / 2 - 100},  // north-east of the centre
        {m.width / 2 - 37, m.height / 2 + 61},    // south-west
        {0, 0},                                   // the map's corners
        {m.width - 1, m.height - 1},
    };
    for (const Pixel& px : pixels) {
        m = settled_map(viewer);
        std::string want = position_text(35.2231, -97.4412, 0.001, m, px.x, px.y);
        viewer.point_at(px.x, px.y);
        PanelRead r = read_until(p, title, PanelStatus::Text, want);
        EXPECT_EQ(r.status, PanelStatus::Text) << "pixel " << px.x << "," << px.y;
        EXPECT_EQ(r.text, want) << "pixel " << px.x << "," << px.y;
    }
    // North-east of the centre means a higher latitude and a longitude
    // closer to zero: 150 px east and 100 px north at 0.001 degrees a pixel.
    {
        std::string ne =
            position_text(35.2231, -97.4412, 0.001, m, m.width / 2 + 150, m.height / 2 - 100);
        double lat = 0, lon = 0;
        ASSERT_EQ(std::sscanf(ne.c_str(), "%lf, %lf", &lat, &lon), 2);
        EXPECT_NEAR(lat, 35.2231 + 0.1, 0.00051);
        EXPECT_NEAR(lon, -97.4412 + 0.15, 0.00051);
    }

    // The status bar itself is not map: the panel goes empty there.
    viewer.point_at(m.width / 2, m.height + 2);
    EXPECT_EQ(read_until(p, title, PanelStatus::Empty).status, PanelStatus::Empty);

    // What one read through the other process costs, with the text changing.
    viewer.point_at(10, 10);
    std::string want = position_text(35.2231, -97.4412, 0.001, m, 10, 10);
    ASSERT_EQ(read_until(p, title, PanelStatus::Text, want).text, want);
    const int reads = 500;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < reads; ++i) ASSERT_EQ(p.read_panel(title, 4).text, want);
    auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    RecordProperty("microseconds_per_read", static_cast<int>(us / reads));
    std::printf("demo viewer panel read: %lld us each\n", static_cast<long long>(us / reads));
}

// The program's own steps: discovery over the real window list, then the
// status-bar read into the cursor fields.
TEST(DemoViewer, TheProgramFindsItAndReadsTheCursorPosition) {
    const std::string title = "KINX - GRLevel3";
    DemoViewerProcess viewer("--site KINX --center 36.1750,-95.5644 --scale 0.002", title);
    ASSERT_TRUE(viewer.ready()) << viewer.error();
    MapArea m = settled_map(viewer);
    Win32Platform p;
    NoViews views;
    tessaly::App app(p, views);
    tessaly::FrmMain& f = app.frmMain();
    f.find_gr_Timer();
    EXPECT_EQ(f.GR3.text, title);
    EXPECT_EQ(f.status.text, title);
    EXPECT_TRUE(f.optgr3.enabled);
    EXPECT_TRUE(f.find_keys.enabled);

    // 50 px west and 25 px south of the centre pixel (rounded down on odd sides).
    int x = m.width / 2 - 50, y = m.height / 2 + 25;
    std::string want = position_text(36.1750, -95.5644, 0.002, m, x, y);
    viewer.point_at(x, y);
    ASSERT_EQ(read_until(p, title, PanelStatus::Text, want).text, want);
    f.optgr3.checked = true;
    f.Read_StatusBar();
    EXPECT_EQ(f.cursor_lat.text + ", " + f.cursor_lon.text, want);
}

// Each viewer kind with its warnings window open: the warnings window is
// listed but never taken for the viewer, even when it is listed after it.
class DemoViewerKinds : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoViewerKinds, WarningsWindowIsNotTakenForTheViewer) {
    const std::string kind = GetParam();
    const std::string title = "KFWS - " + kind, warnings = "Warnings - " + kind;
    DemoViewerProcess viewer(
        "--site KFWS --kind " + kind + " --warnings --center 32.5731,-97.3031 --scale 0.002",
        title);
    ASSERT_TRUE(viewer.ready()) << viewer.error();
    Win32Platform p;
    // The warnings window comes up just after the main one.
    HWND warn = nullptr;
    for (int i = 0; i < 500 && !warn; ++i) {
        warn = static_cast<HWND>(viewer.find_window(warnings));
        if (!warn) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(warn, nullptr);
    // Below the viewer, so the enumeration reaches it last: a title taken
    // last would be the one the discovery keeps.
    SetWindowPos(warn, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto titles = p.top_level_titles();
    ASSERT_LT(index_of(titles, title), titles.size());
    ASSERT_LT(index_of(titles, warnings), titles.size());
    EXPECT_LT(index_of(titles, title), index_of(titles, warnings));

    // Nothing to read there: it has no status bar.
    EXPECT_EQ(p.read_panel(warnings, 4).status, PanelStatus::NoWindow);

    NoViews views;
    tessaly::App app(p, views);
    tessaly::FrmMain& f = app.frmMain();
    // Title by title, as the enumeration callback sees them.
    for (const std::string& t : titles) {
        if (t.find("KFWS") == std::string::npos && t != warnings) continue;
        f.scaption.text.clear();
        f.wndenum_proc(t);
        EXPECT_EQ(f.scaption.text, t == title ? title : std::string()) << t;
    }
    f.GR3.text = f.GR2.text = f.GRAE.text = "";
    f.find_gr_Timer();
    EXPECT_EQ(f.status.text, title);
    tessaly::Control& field = kind == "GRLevel3" ? f.GR3 : kind == "GRLevel2" ? f.GR2 : f.GRAE;
    tessaly::Control& choice = kind == "GRLevel3"   ? f.optgr3
                               : kind == "GRLevel2" ? f.optgr2
                                                    : f.optgrae;
    EXPECT_EQ(field.text, title);
    EXPECT_TRUE(choice.enabled);

    // The kind's choice reads this viewer's panel 4.
    MapArea m = settled_map(viewer);
    viewer.point_at(m.width / 3, m.height / 3);
    PanelRead r = read_until(p, title, PanelStatus::Text,
                             position_text(32.5731, -97.3031, 0.002, m, m.width / 3, m.height / 3));
    ASSERT_EQ(r.status, PanelStatus::Text);
    choice.checked = true;
    f.Read_StatusBar();
    EXPECT_EQ(f.cursor_lat.text + ", " + f.cursor_lon.text, r.text);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, DemoViewerKinds,
                         ::testing::Values("GRLevel3", "GRLevel2", "GR2Analyst"));
