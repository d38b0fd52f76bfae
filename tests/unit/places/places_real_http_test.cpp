// The local source against the web service: the records of every local
// search are served as the service's replies from the loopback test server,
// and the online path must leave the same placefile, lists and labels.
// POSIX only (the server is started with fork and exec).
#ifndef _WIN32
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "core/numtext.h"
#include "eta/frm_custom_eta.h"
#include "loopback_server.h"
#include "online/frm_new_eta.h"
#include "pathcast/frm_pathcast.h"
#include "places/local_places.h"
#include "platform/sim/real_web.h"
#include "platform/sim/simulator.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

// Over Oklahoma City north-east at 30 knots, with two places of the user's
// own (one with characters XML escapes) among the built-in ones.
const std::string kTrack =
    "setting version \"4.2\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\nsetting hketa \"X\"\n"
    "setting eta_style \"classic\"\nclock 16:20:00 12h\n"
    "file sites.txt \"KTLX,OKC\\n\"\n"
    "file citydatabase\\OKCcities.txt \"Smith & <Sons> Farm,35.52,-97.40\\nWater "
    "Tower,35.55,-97.35\\n\"\n"
    "start\ndesktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.47, -97.52\"\n"
    "wait 1000\nclick frmMain.optgr3\npress Q\nwait 5\n"
    "desktop panel \"KTLX - GRLevel3\" \"35.72, -96.98\"\nwait 5\npress Q\nwait 5\n";

std::string slurp(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Outcome {
    std::string placefile;
    std::vector<std::string> list;
    std::vector<std::string> labels;
};

Outcome outcome(Simulator& sim, const std::string& dir) {
    Outcome o;
    o.placefile = slurp(dir + "/korvel.txt");
    o.list = sim.app()->frmNewETA().List1.items;
    for (auto& l : sim.app()->frmCustomETA1().labels) o.labels.push_back(l.text);
    return o;
}

}  // namespace

TEST(LocalAndOnline, TheSamePlacesGiveTheSameView) {
    if (!make_real_web()) GTEST_SKIP() << "this build has no HTTP client";
    const std::string base = ::testing::TempDir() + "/local-online";
    fs::remove_all(base);
    fs::create_directories(base + "/replies");

    std::ostringstream out_local;
    Simulator local(base + "/local", "C:\\Tessaly", out_local);
    ASSERT_EQ(local.run(kTrack + "press X\nwait 10\n", "."), 0) << local.error;
    Outcome want = outcome(local, base + "/local");
    ASSERT_GE(want.list.size(), 5u) << out_local.str();

    // The eight searches of that view (slow band), answered as the service would.
    FrmMain& m = local.app()->frmMain();
    const int order[] = {4, 3, 5, 1, 6, 2, 7};
    const char* radii[] = {"5", "5", "7", "7", "7", "9", "11", "11"};
    LocalPlaces source(*local.app());
    source.begin_run();
    std::string map = "[";
    for (int k = 0; k < 8; ++k) {
        PlaceQuery q{m.start_lat.text, m.start_lon.text, radii[k]};
        if (k > 0) {
            q.lat = num_text(m.eta_points[order[k - 1]].lat);
            q.lon = num_text(m.eta_points[order[k - 1]].lon);
        }
        std::vector<PlaceRecord> records;
        source.take(source.start(q), records);
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<geonames>\n";
        for (auto& r : records)
            xml += "<geoname>\n<toponymName>" + r.name + "</toponymName>\n<name>" + r.name +
                   "</name>\n<lat>" + r.lat + "</lat>\n<lng>" + r.lng + "</lng>\n<distance>" +
                   r.distance + "</distance>\n</geoname>\n";
        std::ofstream(base + "/replies/" + std::to_string(k) + ".xml") << xml + "</geonames>\n";
        map += std::string(k ? "," : "") + "{\"lat\":" + q.lat + ",\"lng\":" + q.lon +
               ",\"radius\":" + q.radius_km + ",\"file\":\"" + std::to_string(k) + ".xml\"}";
    }
    std::ofstream(base + "/replies/map.json") << map + "]";

    LoopbackServer server({"python3", std::string(TESSALY_TESTDATA) + "/geonames/fake_geonames.py",
                           "--port", "0", "--map", base + "/replies/map.json", "--max-seconds",
                           "60"});
    ASSERT_GT(server.port(), 0);
    std::ostringstream out_online;
    Simulator online(base + "/online", "C:\\Tessaly", out_online);
    ASSERT_EQ(online.run("setting eta_database \"server\"\n" + kTrack +
                             "web server http://127.0.0.1:" + std::to_string(server.port()) +
                             "/\npress X\nwait 10\n",
                         "."),
              0)
        << online.error;
    Outcome got = outcome(online, base + "/online");
    EXPECT_EQ(got.placefile, want.placefile);
    EXPECT_EQ(got.list, want.list);
    EXPECT_EQ(got.labels, want.labels);
    EXPECT_EQ(out_online.str().find("msgbox"), std::string::npos) << out_online.str();
    EXPECT_NE(want.placefile.find("Smith & <Sons> Farm"), std::string::npos);
    fs::remove_all(base);
}
// The pathcast over the service: every search answered with the places of
// the local pathcast (the index's towns in the path and the user's own),
// the rows, the labels and the text to copy come out the same.
TEST(LocalAndOnline, TheSamePlacesGiveTheSamePathcast) {
    if (!make_real_web()) GTEST_SKIP() << "this build has no HTTP client";
    const std::string base = ::testing::TempDir() + "/local-online-pathcast";
    fs::remove_all(base);
    fs::create_directories(base + "/replies");
    std::string track = kTrack;
    track.replace(track.find("setting eta_style \"classic\"\n"), 28, "");
    const std::string view = "press X\nwait 10\nclick frmPathcast.copy\n";

    std::ostringstream out_local;
    Simulator local(base + "/local", "C:\\Tessaly", out_local);
    ASSERT_EQ(local.run(track + view, "."), 0) << local.error;
    const auto& want = local.app()->frmPathcast();
    ASSERT_TRUE(want.shown());
    ASSERT_GE(want.shown()->rows.size(), 5u) << out_local.str();
    bool custom = false;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<geonames>\n";
    for (const PathcastRow& r : want.shown()->rows) {
        custom = custom || r.place.custom;
        std::string name = r.place.name;
        for (size_t at = 0; (at = name.find_first_of("&<", at)) != std::string::npos; ++at)
            name.replace(at, 1, name[at] == '&' ? "&amp;" : "&lt;");
        xml += "<geoname>\n<name>" + name + "</name>\n<lat>" + r.place.lat + "</lat>\n<lng>" +
               r.place.lon + "</lng>\n<distance>1</distance>\n</geoname>\n";
    }
    EXPECT_TRUE(custom) << "the user's own place lies in the path";
    std::ofstream(base + "/replies/all.xml") << xml + "</geonames>\n";
    std::ofstream(base + "/replies/map.json") << "[]";

    LoopbackServer server({"python3", std::string(TESSALY_TESTDATA) + "/geonames/fake_geonames.py",
                           "--port", "0", "--map", base + "/replies/map.json", "--default",
                           base + "/replies/all.xml", "--max-seconds", "60"});
    ASSERT_GT(server.port(), 0);
    std::ostringstream out_online;
    Simulator online(base + "/online", "C:\\Tessaly", out_online);
    ASSERT_EQ(online.run("setting eta_database \"server\"\n" + track +
                             "web server http://127.0.0.1:" + std::to_string(server.port()) +
                             "/\n" + view,
                         "."),
              0)
        << online.error;
    EXPECT_EQ(online.app()->frmPathcast().rows.items, want.rows.items);
    EXPECT_EQ(slurp(base + "/online/korvel.txt"), slurp(base + "/local/korvel.txt"));
    auto clipboard = [](const std::string& out) { return out.substr(out.rfind("clipboard ")); };
    EXPECT_EQ(clipboard(out_online.str()), clipboard(out_local.str()));
    fs::remove_all(base);
}
#endif
