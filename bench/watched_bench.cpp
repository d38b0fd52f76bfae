// Watched places at their largest in use: 20 places and 20 moving storms,
// each storm's path reaching one place within the alert time. The alert
// test of one tick (every storm against every place), and the whole minute
// tick of the main window (the test, the banner, the labels compared and
// the placefile left alone when nothing changed).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/app.h"
#include "platform/sim/simulator.h"

using namespace tessaly;

namespace {

constexpr int kCount = 20;

std::string fmt(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

// Storms on a 5 x 4 grid 0.3 degrees apart, each marked now and where it
// will be in an hour, east-north-east at about 13 knots.
double lat_of(int i, double hour) { return 33.0 + 0.3 * (i % 5) + 0.08 * hour; }
double lon_of(int i, double hour) { return -99.0 + 0.3 * (i / 5) + 0.25 * hour; }

struct WatchedSession {
    std::ostringstream out;
    std::string dir;
    Simulator sim;

    WatchedSession()
        : dir((std::filesystem::temp_directory_path() / "tessaly-watched-bench").string()),
          sim(dir, "C:\\Tessaly", out) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        {
            std::ofstream(dir + "/stormtrack.png") << "png";
            // Each place a third of an hour along its storm's path.
            std::ofstream f(dir + "/watched.txt", std::ios::binary);
            for (int i = 0; i < kCount; ++i)
                f << "Place " << i << "," << fmt(lat_of(i, 1.0 / 3)) << ","
                  << fmt(lon_of(i, 1.0 / 3)) << "\r\n";
        }
        run("setting version \"4.2\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
            "setting hketa \"X\"\nsetting projection \"cone\"\nclock 16:20:00 12h\nstart\n"
            "desktop add \"KTLX - GRLevel3\"\nwait 1000\nclick frmMain.optgr3\n");
        for (int i = 0; i < kCount; ++i)
            run("desktop panel \"KTLX - GRLevel3\" \"" + fmt(lat_of(i, 0)) + ", " +
                fmt(lon_of(i, 0)) +
                "\"\nwait 20\npress Q\nwait 20\ndesktop panel \"KTLX - GRLevel3\" \"" +
                fmt(lat_of(i, 1)) + ", " + fmt(lon_of(i, 1)) + "\"\nwait 20\npress Q\nwait 20\n");
        FrmMain& m = main();
        if (m.storms.size() != kCount || m.watched.size() != kCount)
            throw std::runtime_error("the session has " + std::to_string(m.storms.size()) +
                                     " storms and " + std::to_string(m.watched.size()) + " places");
        if (active() < kCount)
            throw std::runtime_error("only " + std::to_string(active()) + " alerts");
    }

    void run(const std::string& script) {
        if (sim.run(script, dir) != 0) throw std::runtime_error("script: " + sim.error);
    }
    FrmMain& main() { return sim.app()->frmMain(); }
    int active() {
        int n = 0;
        for (const auto& [key, a] : main().alerts.all()) n += a.active ? 1 : 0;
        return n;
    }
};

WatchedSession& session() {
    static std::unique_ptr<WatchedSession> s;
    if (!s) s = std::make_unique<WatchedSession>();
    return *s;
}

// One test of every storm against every place, as at each tick; the book
// already holds the pairs (the steady state: no new warning is due).
void BM_watched_check(benchmark::State& s) {
    WatchedSession& ses = session();
    FrmMain& m = ses.main();
    AlertBook book = m.alerts;
    AlertSettings settings;
    const std::int64_t now = ses.sim.platform().utc_seconds();
    for (auto _ : s) benchmark::DoNotOptimize(book.check(m.storms, m.watched, settings, now));
    s.counters["storms"] = static_cast<double>(m.storms.size());
    s.counters["places"] = static_cast<double>(m.watched.size());
    s.counters["alerts"] = static_cast<double>(ses.active());
}

// The main window's minute tick: the settings read, the test, the banner,
// and the labels compared with those already written.
void BM_watched_alert_tick(benchmark::State& s) {
    WatchedSession& ses = session();
    FrmMain& m = ses.main();
    for (auto _ : s) m.check_alerts();
    s.counters["alerts"] = static_cast<double>(ses.active());
}

}  // namespace

BENCHMARK(BM_watched_check)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_watched_alert_tick)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
