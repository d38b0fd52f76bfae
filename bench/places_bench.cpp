// The local place index: decoding the built-in index (the cost of the first
// local ETA view of a run, and the memory it then holds), one search, and a
// whole local ETA view: eight searches, the records, the markers, the one
// placefile write and the ETA windows' lists.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "app/app.h"
#include "online/frm_new_eta.h"
#include "pathcast/pathcast_rows.h"
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

// A session with a track from Oklahoma City north-east at 30 knots, in the
// ETA style `style`, after one view (the first view loads the index).
std::unique_ptr<Simulator> oklahoma_track(const std::string& style, std::ostringstream& out) {
    std::string dir =
        (std::filesystem::temp_directory_path() / ("tessaly-bench-" + style)).string();
    std::filesystem::remove_all(dir);
    auto sim = std::make_unique<Simulator>(dir, "C:\\Tessaly", out);
    sim->run(
        "setting version \"4.2\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
        "setting hketa \"X\"\nsetting eta_style \"" +
            style +
            "\"\nclock 16:20:00 12h\nstart\n"
            "desktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.47, -97.52\"\n"
            "wait 1000\nclick frmMain.optgr3\npress Q\nwait 5\n"
            "desktop panel \"KTLX - GRLevel3\" \"35.72, -96.98\"\nwait 5\npress Q\nwait 5\n"
            "press X\nwait 5\n",
        dir);
    return sim;
}

// The classic ETA view again and again, the buffer put back after each.
void BM_local_eta_view(benchmark::State& s) {
    std::ostringstream out;
    auto sim = oklahoma_track("classic", out);
    FrmMain& m = sim->app()->frmMain();
    auto& items = m.placefile.items;
    const size_t keep = items.size();
    for (auto _ : s) {
        m.Command2_Click();
        s.PauseTiming();
        items.resize(keep);
        s.ResumeTiming();
    }
    s.counters["arrivals"] = static_cast<double>(sim->app()->frmNewETA().List1.items.size());
}

// The towns of one storm's pathcast from the built-in index: the corridor
// query, the geometry and the zones, for ten tracks (fixed seed) of 20 to 60
// knots and an hour, over dense places (Oklahoma City, Dallas, Chicago,
// Atlanta, Denver) and empty ones (Nevada, the Yukon, Nunavut, the Gulf,
// Labrador). Time per track.
void BM_pathcast_rows(benchmark::State& s) {
    auto idx = PlaceIndex::decode(builtin_place_index_bytes());
    const double centres[10][2] = {
        {35.47, -97.52}, {32.78, -96.80}, {41.88, -87.63}, {33.75, -84.39}, {39.74, -104.99},
        {39.5, -116.5},  {63.0, -136.0},  {66.0, -95.0},   {26.0, -90.0},   {54.0, -62.0}};
    std::vector<pathcast::Track> tracks;
    unsigned seed = 20261210;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) / 16777216.0;
    };
    for (const auto& c : centres) {
        pathcast::Track t;
        t.lat = c[0] + next() * 0.2 - 0.1;
        t.lon = c[1] + next() * 0.2 - 0.1;
        t.bearing_deg = next() * 360;
        t.speed_kt = 20 + next() * 40;
        t.anchor_utc = 1780290000 + 16 * 3600;
        t.projection_minutes = 60;
        tracks.push_back(t);
    }
    const zones::Zone pc = zones::find_zone("America/Chicago").value_or(zones::Zone());
    size_t rows = 0;
    for (auto _ : s) {
        rows = 0;
        for (const pathcast::Track& t : tracks) {
            Pathcast p;
            p.track = t;
            p.view_utc = t.anchor_utc + 60;
            p.pc_zone = pc;
            PathcastRows r(p, *idx, 0);
            r.add_corridor();
            sort_rows(p.rows);
            rows += p.rows.size();
            benchmark::DoNotOptimize(p.rows.data());
        }
    }
    s.counters["rows_per_track"] = static_cast<double>(rows) / 10;
    s.counters["per_track_us"] =
        benchmark::Counter(static_cast<double>(s.iterations()) * 10,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The whole pathcast view key as the program runs it (the window's rows and
// the labels' one placefile write included), over the same Oklahoma track.
void BM_local_pathcast_view(benchmark::State& s) {
    std::ostringstream out;
    auto sim = oklahoma_track("pathcast", out);
    FrmMain& m = sim->app()->frmMain();
    for (auto _ : s) m.Command2_Click();
}

}  // namespace

BENCHMARK(BM_pathcast_rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_local_pathcast_view)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_place_index_load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_place_search_25km)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_local_eta_view)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
