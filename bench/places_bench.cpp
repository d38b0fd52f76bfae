// The local place index: decoding the built-in index (the cost of the first
// local ETA view of a run, and the memory it then holds), one search, and a
// whole local ETA view: eight searches, the records, the markers, the one
// placefile write and the ETA windows' lists.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "app/app.h"
#include "online/frm_new_eta.h"
#include "places/local_places.h"
#include "places/place_index.h"
#include "platform/sim/simulator.h"

using namespace tessaly;

namespace {

void BM_place_index_load(benchmark::State& s) {
    size_t bytes = 0, places = 0;
    for (auto _ : s) {
        auto idx = PlaceIndex::decode(builtin_place_index_bytes());
        bytes = idx->memory_bytes();
        places = idx->places().size();
        benchmark::DoNotOptimize(idx);
    }
    s.counters["places"] = static_cast<double>(places);
    s.counters["memory_MB"] = static_cast<double>(bytes) / 1e6;
    s.counters["file_kB"] = static_cast<double>(builtin_place_index_bytes().size()) / 1e3;
}

void BM_place_search_25km(benchmark::State& s) {
    auto idx = PlaceIndex::decode(builtin_place_index_bytes());
    for (auto _ : s) benchmark::DoNotOptimize(idx->search(32.8, -96.9, 25, 20));  // Dallas
}

// A track from Oklahoma City north-east at 30 knots, then the ETA view
// again and again, the buffer put back after each.
void BM_local_eta_view(benchmark::State& s) {
    std::ostringstream out;
    std::string dir = (std::filesystem::temp_directory_path() / "tessaly-bench-local-eta").string();
    std::filesystem::remove_all(dir);
    Simulator sim(dir, "C:\\Tessaly", out);
    sim.run(
        "setting version \"4.2\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
        "setting hketa \"X\"\nclock 16:20:00 12h\nstart\n"
        "desktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.47, -97.52\"\n"
        "wait 1000\nclick frmMain.optgr3\npress Q\nwait 5\n"
        "desktop panel \"KTLX - GRLevel3\" \"35.72, -96.98\"\nwait 5\npress Q\nwait 5\n"
        "press X\nwait 5\n",  // the first view loads the index
        dir);
    FrmMain& m = sim.app()->frmMain();
    auto& items = m.placefile.items;
    const size_t keep = items.size();
    for (auto _ : s) {
        m.Command2_Click();
        s.PauseTiming();
        items.resize(keep);
        s.ResumeTiming();
    }
    s.counters["arrivals"] = static_cast<double>(sim.app()->frmNewETA().List1.items.size());
}

}  // namespace

BENCHMARK(BM_place_index_load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_place_search_25km)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_local_eta_view)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
