// The storms at their largest: a session of N storms, each marked with two
// select presses and given an ETA view, played through the simulator. Then
// one storm erased (its lines out of the buffer, the placefile and storms.txt
// written, the open storm list rebuilt), the storm list's refresh on its own,
// and a restart that draws every saved storm again.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/app.h"
#include "geonames_replies.h"
#include "platform/sim/simulator.h"
#include "storms/frm_storms.h"

using namespace tessaly;
using tessaly::bench::queue_view_replies;

namespace {

std::string fmt(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

// Storms on a 10 x 10 grid 0.3 degrees apart, each moving east-north-east.
std::string panel(int i, bool second) {
    double lat = 33.0 + 0.3 * (i % 10) + (second ? 0.08 : 0);
    double lon = -99.0 + 0.3 * (i / 10) + (second ? 0.25 : 0);
    return fmt(lat) + ", " + fmt(lon);
}

struct StormSession {
    std::ostringstream out;
    std::string dir;
    Simulator sim;

    explicit StormSession(int storms)
        : dir((std::filesystem::temp_directory_path() /
               ("tessaly-storms-" + std::to_string(storms)))
                  .string()),
          sim(dir, "C:\\Tessaly", out) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        { std::ofstream(dir + "/stormtrack.png") << "png"; }
        run("setting version \"4.2\"\nsetting eta_database \"server\"\nsetting hkselect \"Q\"\n"
            "setting hkerase \"W\"\nsetting hketa \"X\"\nsetting projection \"cone\"\n"
            "start\ndesktop add \"KTLX - GRLevel3\"\n"
            "desktop panel \"KTLX - GRLevel3\" \"32.8, -97.0\"\nwait 1000\nclick frmMain.optgr3\n");
        for (int i = 0; i < storms; ++i) {
            run("desktop panel \"KTLX - GRLevel3\" \"" + panel(i, false) +
                "\"\nwait 20\npress Q\nwait 20\n" + "desktop panel \"KTLX - GRLevel3\" \"" +
                panel(i, true) + "\"\nwait 20\npress Q\nwait 20\n");
            queue_view_replies(sim.platform(), {"tx_argyle_r7_5places.xml"});
            run("press X\nwait 50\n");
        }
        if (main().storms.size() != static_cast<size_t>(storms))
            throw std::runtime_error("the session has " + std::to_string(main().storms.size()) +
                                     " storms");
    }

    void run(const std::string& script) {
        if (sim.run(script, dir) != 0) throw std::runtime_error("script: " + sim.error);
    }
    App& app() { return *sim.app(); }
    FrmMain& main() { return app().frmMain(); }
    double file_kB(const char* name) {
        std::error_code ec;
        auto n = std::filesystem::file_size(dir + "/" + name, ec);
        return ec ? 0.0 : static_cast<double>(n) / 1000.0;
    }
};

StormSession& session(int storms) {
    static std::map<int, std::unique_ptr<StormSession>> cache;
    auto& slot = cache[storms];
    if (!slot) slot = std::make_unique<StormSession>(storms);
    return *slot;
}

void counters(benchmark::State& s, StormSession& ses) {
    s.counters["storms"] = static_cast<double>(ses.main().storms.size());
    s.counters["placefile_kB"] = ses.file_kB("korvel.txt");
    s.counters["storms_kB"] = ses.file_kB("storms.txt");
}

// One storm from the middle erased, as the storm-erase key does it, with the
// storm list open; the undo that puts it back is not timed.
void BM_erase_storm(benchmark::State& s) {
    StormSession& ses = session(static_cast<int>(s.range(0)));
    FrmMain& m = ses.main();
    ses.app().frmStorms().open();
    const int number = m.storms.all()[m.storms.size() / 2].number;
    const size_t lines = m.placefile.items.size();
    for (auto _ : s) {
        m.erase_storm(number);
        s.PauseTiming();
        if (m.storms.find(number)) throw std::runtime_error("the storm was not erased");
        m.undo_erase();
        s.ResumeTiming();
    }
    if (m.placefile.items.size() != lines)
        throw std::runtime_error("undo did not restore the placefile");
    counters(s, ses);
}

// The storm list's rows rebuilt from every storm.
void BM_storm_list_refresh(benchmark::State& s) {
    StormSession& ses = session(static_cast<int>(s.range(0)));
    FrmStorms& list = ses.app().frmStorms();
    list.open();
    for (auto _ : s) list.refresh();
    if (list.storm_list.items.size() != ses.main().storms.size())
        throw std::runtime_error("the list does not show every storm");
    counters(s, ses);
}

// The program closed and started again: the header written, the settings
// loaded, storms.txt read and every storm in it compiled and drawn again.
// With 0 storms it is the start alone; the difference is the restore.
void BM_restart(benchmark::State& s) {
    StormSession& ses = session(static_cast<int>(s.range(0)));
    const size_t storms = ses.main().storms.size();
    for (auto _ : s) ses.run("restart\n");
    if (ses.main().storms.size() != storms) throw std::runtime_error("the restart lost storms");
    counters(s, ses);
}

}  // namespace

BENCHMARK(BM_erase_storm)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_storm_list_refresh)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_restart)->Arg(0)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
