// The ETA view over real HTTP: libcurl against the loopback test server.
// POSIX only: the server is started with fork and exec; the Windows build has
// its own web tests.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/app.h"
#include "loopback_server.h"
#include "online/frm_new_eta.h"
#include "platform/sim/real_web.h"
#include "platform/sim/simulator.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

// The GeoNames stand-in with the test data's map and replies.
class FakeServer : public LoopbackServer {
public:
    FakeServer(const std::string& log, const std::vector<std::string>& extra)
        : LoopbackServer(arguments(log, extra)) {}

private:
    static std::vector<std::string> arguments(const std::string& log,
                                              const std::vector<std::string>& extra) {
        const std::string gn = std::string(TESSALY_TESTDATA) + "/geonames";
        std::vector<std::string> args = {"python3",       gn + "/fake_geonames.py",
                                         "--port",        "0",
                                         "--map",         gn + "/mapping.json",
                                         "--default",     gn + "/ks_flinthills_r5_0places.xml",
                                         "--log",         log,
                                         "--max-seconds", "60"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};

std::vector<std::string> lines_of(const std::string& path) {
    std::ifstream f(path);
    std::vector<std::string> v;
    for (std::string l; std::getline(f, l);) v.push_back(l);
    return v;
}

// A track from 35.65, -97.2 due north at 30 knots (slow band), clock 11:50.
const char* kTrack =
    "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting eta_style \"classic\"\n"
    "setting hkselect \"Q\"\nsetting hkerase \"W\"\nsetting hketa \"X\"\n"
    "setting eta_username \"storm spotter\"\n"
    "clock 11:50:00 12h\n"
    "start\n"
    "desktop add \"KTLX - GRLevel3\"\n"
    "desktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\n"
    "wait 1000\nclick frmMain.optgr3\npress Q\nwait 5\n"
    "desktop panel \"KTLX - GRLevel3\" \"36.15, -97.2\"\nwait 5\npress Q\nwait 5\n";

struct RealHttp : ::testing::Test {
    std::string dir = ::testing::TempDir() + "/eta-http-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string log = dir + "-requests.log";
    void SetUp() override {
        fs::remove_all(dir);
        fs::remove(log);
        if (!make_real_web()) GTEST_SKIP() << "this build has no HTTP client";
    }
};

}  // namespace

TEST_F(RealHttp, TheViewRequestsTheEightSearchesAndReadsTheReplies) {
    FakeServer server(log, {});
    ASSERT_GT(server.port(), 0);
    std::ostringstream out;
    Simulator sim(dir, "C:\\Tessaly", out);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    ASSERT_EQ(sim.run(std::string(kTrack) + "web server " + base + "\npress X\nwait 10\n", "."), 0)
        << sim.error;

    // Start order S, 1/8 ... 7/8 with the slow band's radii.
    const char* q = "&maxRows=20&username=storm%20spotter";
    std::vector<std::string> want = {
        std::string("/findNearbyPlaceName?lat=35.65&lng=-97.2&radius=5") + q,
        std::string("/findNearbyPlaceName?lat=35.712440273675&lng=-97.2&radius=5") + q,
        std::string("/findNearbyPlaceName?lat=35.77488054735&lng=-97.2&radius=7") + q,
        std::string("/findNearbyPlaceName?lat=35.837320821025&lng=-97.2&radius=7") + q,
        std::string("/findNearbyPlaceName?lat=35.8997610947&lng=-97.2&radius=7") + q,
        std::string("/findNearbyPlaceName?lat=35.962201368375&lng=-97.2&radius=9") + q,
        std::string("/findNearbyPlaceName?lat=36.02464164205&lng=-97.2&radius=11") + q,
        std::string("/findNearbyPlaceName?lat=36.087081915725&lng=-97.2&radius=11") + q,
    };
    std::vector<std::string> started;
    std::istringstream emitted(out.str());
    for (std::string l; std::getline(emitted, l);)
        if (l.rfind("fetch \"https://secure.geonames.org", 0) == 0)
            started.push_back(
                l.substr(std::string("fetch \"https://secure.geonames.org").size(),
                         l.size() - 1 - std::string("fetch \"https://secure.geonames.org").size()));
    EXPECT_EQ(started, want) << out.str();

    // On the wire: the same eight, each once. They are sent together, so the
    // server may take them in any order.
    std::vector<std::string> got;
    for (auto& l : lines_of(log)) got.push_back(l);
    std::vector<std::string> wire;
    for (auto& w : want) wire.push_back("GET " + w + " HTTP/1.1");
    std::sort(got.begin(), got.end());
    std::sort(wire.begin(), wire.end());
    EXPECT_EQ(got, wire) << out.str();

    // Luther (the reply for S) lies 0.735 nm away at 17 degrees: 1.47 minutes,
    // rounded to 1.
    EXPECT_EQ(sim.app()->frmNewETA().List1.items, std::vector<std::string>{"11:51  Luther"})
        << out.str();
    EXPECT_EQ(out.str().find("msgbox"), std::string::npos) << out.str();
}

TEST_F(RealHttp, RefusalsAndDeadServersReachTheUserOnce) {
    // A mapping that matches nothing: every search gets the refusal.
    std::string map = dir + "-empty.json";
    std::ofstream(map) << "[]";
    FakeServer server(log, {"--map", map, "--default",
                            std::string(TESSALY_TESTDATA) + "/geonames/error_invalid_user.xml",
                            "--default-status", "401"});
    ASSERT_GT(server.port(), 0);
    std::ostringstream out;
    Simulator sim(dir, "C:\\Tessaly", out);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    ASSERT_EQ(sim.run(std::string(kTrack) + "web server " + base + "\npress X\nwait 10\n", "."), 0)
        << sim.error;
    const std::string o = out.str();
    auto first = o.find("msgbox \"Tessaly\" \"Source: run_eta Description: user does not exist.");
    EXPECT_NE(first, std::string::npos) << o;
    EXPECT_EQ(o.find("msgbox", first + 1), std::string::npos) << o;
    EXPECT_NE(o.find("show frmCustomETA"), std::string::npos);

    // Nobody listening: the connection error is named.
    std::ostringstream out2;
    fs::remove_all(dir + "-2");
    Simulator sim2(dir + "-2", "C:\\Tessaly", out2);
    ASSERT_EQ(
        sim2.run(std::string(kTrack) + "web server http://127.0.0.1:1/\npress X\nwait 10\n", "."),
        0)
        << sim2.error;
    EXPECT_NE(out2.str().find("msgbox \"Tessaly\" \"Source: run_eta Description: "),
              std::string::npos)
        << out2.str();
    EXPECT_NE(out2.str().find("Number: 7\""), std::string::npos) << out2.str();  // couldn't connect
}

// The eight searches against a server that holds every reply 300 ms. The
// view's time as a ratio to one request is printed for bench/eta-latency.sh;
// the test checks the outcome only (timings are measured, never asserted).
TEST_F(RealHttp, TheSearchesOverlap) {
    FakeServer server(log, {"--delay-ms", "300"});
    ASSERT_GT(server.port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    using clock = std::chrono::steady_clock;

    auto web = make_real_web();
    auto t0 = clock::now();
    int id = web->start(base + "findNearbyPlaceName?lat=35.65&lng=-97.2&radius=5");
    while (!web->done(id)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FetchResult single = web->take(id);
    double one = std::chrono::duration<double, std::milli>(clock::now() - t0).count();
    ASSERT_TRUE(single.ok);
    EXPECT_EQ(single.http_status, 200);
    EXPECT_NE(single.body.find("<name>Luther</name>"), std::string::npos);

    std::ostringstream out;
    Simulator sim(dir, "C:\\Tessaly", out);
    ASSERT_EQ(sim.run(std::string(kTrack) + "web server " + base + "\n", "."), 0) << sim.error;
    auto t1 = clock::now();
    ASSERT_EQ(sim.run("press X\nwait 6\n", "."), 0) << sim.error;
    double view = std::chrono::duration<double, std::milli>(clock::now() - t1).count();
    EXPECT_EQ(sim.app()->frmNewETA().List1.items, std::vector<std::string>{"11:51  Luther"});
    std::cout << "one request " << one << " ms, view " << view << " ms, ratio " << view / one
              << "\n";
    RecordProperty("ratio", std::to_string(view / one));
}

#endif  // _WIN32
