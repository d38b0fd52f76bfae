// How the cost of one more track grows with the session: a session of N
// marked tracks, each with its ETA view, is played through the simulator; then
// one more track is compiled and the whole placefile written (and, separately,
// one more ETA view), with the file's size as counters. The write is the part
// proportional to the file; bench/scaling.sh fits time = fixed + slope * bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/app.h"
#include "geonames_replies.h"
#include "online/frm_new_eta.h"
#include "platform/sim/simulator.h"

using namespace tessaly;
using tessaly::bench::queue_view_replies;

namespace {

const char* kWhite = "Color: 255 255 255, 100";
// Real lists for the first searches, so that every view writes a full hover
// text.
const char* kFull = "tx_dallas_r25_25places.xml";
const char* kFew = "tx_argyle_r7_5places.xml";

// Marks of track i: a storm moving east-south-east at 25 to 45 knots, starts
// spread over the map so no two tracks coincide.
void marks(int i, double& lat1, double& lon1, double& lat2, double& lon2) {
    lat1 = 32.60 + 0.003 * (i % 100);
    lon1 = -97.60 + 0.004 * (i / 2);
    lat2 = lat1 - 0.15 - 0.001 * (i % 7);
    lon2 = lon1 + 0.45 + 0.002 * (i % 11);
}

std::string fmt(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

struct BigSession {
    std::ostringstream out;
    std::string dir;
    Simulator sim;

    BigSession(int tracks, const std::string& shape)
        : dir((std::filesystem::temp_directory_path() /
               ("tessaly-scaling-" + shape + "-" + std::to_string(tracks)))
                  .string()),
          sim(dir, "C:\\Tessaly", out) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        { std::ofstream(dir + "/stormtrack.png") << "png"; }
        // The views read the queued service replies.
        run("setting version \"4.2\"\nsetting eta_database \"server\"\nsetting hkselect "
            "\"Q\"\nsetting hkerase \"W\"\n"
            "setting hketa \"X\"\nsetting border \"yes\"\nsetting projection \"" +
            shape +
            "\"\n"
            "start\ndesktop add \"KTLX - GRLevel3\"\n"
            "desktop panel \"KTLX - GRLevel3\" \"32.8, -97.0\"\nwait 1000\nclick frmMain.optgr3\n");
        for (int i = 0; i < tracks; ++i) add_track_with_view(i);
    }

    void run(const std::string& script) {
        if (sim.run(script, dir) != 0) throw std::runtime_error("script: " + sim.error);
    }
    App& app() { return *sim.app(); }
    FrmMain& main() { return app().frmMain(); }

    // Two select presses and an ETA press, as a spotter makes them.
    void add_track_with_view(int i) {
        double a, b, c, d;
        marks(i, a, b, c, d);
        run("desktop panel \"KTLX - GRLevel3\" \"" + fmt(a) + ", " + fmt(b) +
            "\"\nwait 20\npress Q\nwait 20\n" + "desktop panel \"KTLX - GRLevel3\" \"" + fmt(c) +
            ", " + fmt(d) + "\"\nwait 20\npress Q\nwait 20\n");
        queue_view_replies(sim.platform(), {kFull, kFew, kFew});
        run("press X\nwait 50\n");
    }

    size_t file_bytes() {
        return static_cast<size_t>(std::filesystem::file_size(dir + "/korvel.txt"));
    }
};

// Sessions are built once per size and shape and kept: building 200 tracks
// costs far more than the measurement.
BigSession& session(int tracks, const std::string& shape) {
    static std::map<std::string, std::unique_ptr<BigSession>> cache;
    auto& slot = cache[shape + std::to_string(tracks)];
    if (!slot) slot = std::make_unique<BigSession>(tracks, shape);
    return *slot;
}

void report_size(benchmark::State& s, BigSession& ses, size_t lines_before, size_t bytes_before) {
    s.counters["lines"] = static_cast<double>(lines_before);
    s.counters["file_kB"] = static_cast<double>(bytes_before) / 1000.0;
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations()) *
                        static_cast<int64_t>(ses.file_bytes()));
}

// One more track: the tracker's two markers, then the compile, which writes
// the whole file. The buffer is put back afterwards, so each iteration is the
// (N+1)th track.
void BM_one_more_track(benchmark::State& s, const char* shape) {
    BigSession& ses = session(static_cast<int>(s.range(0)), shape);
    FrmMain& m = ses.main();
    auto& items = m.placefile.items;
    const size_t keep = items.size();
    const size_t bytes = ses.file_bytes();
    const std::string tracker = m.tracker.text;
    double a, b, c, d;
    marks(static_cast<int>(s.range(0)), a, b, c, d);
    for (auto _ : s) {
        items.push_back(kWhite);
        items.push_back("Text: " + fmt(a) + ", " + fmt(b) + ", 1, \xC2\xA4");
        items.push_back("Text: " + fmt(c) + ", " + fmt(d) + ", 1, \xC2\xA4");
        m.placefile_groups.record(LinePurpose::half_mark, items, keep);  // as the tracker does
        m.start_lat.text = fmt(a);
        m.start_lon.text = fmt(b);
        m.stop_lat.text = fmt(c);
        m.stop_lon.text = fmt(d);
        m.cell_speed.text = "30";
        m.compiler();
        s.PauseTiming();
        items.resize(keep);
        // The track just compiled is gone from the buffer: forget its lines too.
        if (const LineGroups::Group* g = m.placefile_groups.newest(LinePurpose::track))
            m.placefile_groups.remove(g->id, items);
        m.tracker.text = tracker;
        s.ResumeTiming();
    }
    report_size(s, ses, keep, bytes);
}

// One more ETA view on the last track: eight searches (answered at once by
// the simulated service), the arrival list and a whole-file write.
void BM_one_more_eta_view(benchmark::State& s) {
    BigSession& ses = session(static_cast<int>(s.range(0)), "cone");
    FrmMain& m = ses.main();
    auto& items = m.placefile.items;
    const size_t keep = items.size();
    const size_t bytes = ses.file_bytes();
    if (s.range(0) == 0) {  // a view needs a finished track
        double a, b, c, d;
        marks(0, a, b, c, d);
        m.start_lat.text = fmt(a);
        m.start_lon.text = fmt(b);
        m.stop_lat.text = fmt(c);
        m.stop_lon.text = fmt(d);
        m.cell_speed.text = "30";
    }
    for (auto _ : s) {
        s.PauseTiming();
        queue_view_replies(ses.sim.platform(), {kFull, kFew, kFew});
        s.ResumeTiming();
        m.Command2_Click();
        s.PauseTiming();
        items.resize(keep);
        s.ResumeTiming();
    }
    report_size(s, ses, keep, bytes);
}

// The whole-file write of a 10^4-line placefile made of a real session's
// lines (the 200-track cone session, repeated or cut to 10^4 lines).
void BM_write_session_lines(benchmark::State& s) {
    BigSession& ses = session(200, "cone");
    const auto& src = ses.main().placefile.items;
    std::vector<std::string> lines;
    const size_t n = static_cast<size_t>(s.range(0));
    while (lines.size() < n) lines.push_back(src[lines.size() % src.size()]);
    const std::string path = "C:\\Tessaly\\write-test.txt";
    for (auto _ : s) ses.app().write_list_to_file(path, lines);
    size_t bytes = static_cast<size_t>(std::filesystem::file_size(ses.dir + "/write-test.txt"));
    s.counters["lines"] = static_cast<double>(n);
    s.counters["file_kB"] = static_cast<double>(bytes) / 1000.0;
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations()) * static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK_CAPTURE(BM_one_more_track, cone, "cone")
    ->Arg(0)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Arg(150)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_one_more_track, fan, "fan")
    ->Arg(0)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_one_more_track, wedge, "wedge")
    ->Arg(0)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_one_more_eta_view)->Arg(0)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_write_session_lines)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
