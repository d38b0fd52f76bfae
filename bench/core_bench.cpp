// Hot paths of the core on the simulated platform: geodesy, one compile of
// each shape, one bow echo, one reply read, the two fast timer ticks and the
// whole-file write.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "geodesy/geodesy.h"
#include "online/frm_new_eta.h"
#include "platform/sim/simulator.h"

using namespace tessaly;

namespace {

struct Session {
    std::ostringstream out;
    std::string dir;
    Simulator sim;
    explicit Session(const std::string& name)
        : dir((std::filesystem::temp_directory_path() / ("tessaly-bench-" + name)).string()),
          sim(dir, "C:\\Tessaly", out) {
        std::filesystem::remove_all(dir);
        sim.run(
            "setting version \"4.2\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
            "setting hketa \"X\"\nsetting border \"yes\"\nstart\n"
            "desktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.2, -97.4\"\n"
            "wait 1000\nclick frmMain.optgr3\n",
            dir);
    }
    App& app() { return *sim.app(); }
    // A finished track as the tracker leaves it, then one compile.
    void compile() {
        FrmMain& m = app().frmMain();
        m.placefile.items.resize(7);
        m.placefile.items.insert(m.placefile.items.end(), {"a", "b", "c"});
        // A reset of the buffer, then the markers as the tracker records them.
        m.placefile_groups.clear();
        m.placefile_groups.record(LinePurpose::half_mark, m.placefile.items, 7);
        m.start_lat.text = "35.2";
        m.start_lon.text = "-97.4";
        m.stop_lat.text = "35.5";
        m.stop_lon.text = "-97.0";
        m.cell_speed.text = "24";
        m.compiler();
    }
};

void BM_distance(benchmark::State& s) {
    for (auto _ : s) benchmark::DoNotOptimize(geodesy::distance_nm(35.2, -97.4, 35.5, -97.0));
}
void BM_azimuth(benchmark::State& s) {
    for (auto _ : s) benchmark::DoNotOptimize(geodesy::azimuth_deg(35.2, -97.4, 35.5, -97.0));
}
void BM_destination(benchmark::State& s) {
    for (auto _ : s) benchmark::DoNotOptimize(geodesy::destination(35.2, -97.4, 37, 24.5));
}

void BM_compile(benchmark::State& s, const char* shape) {
    Session ses(std::string("compile-") + shape);
    ses.sim.run(std::string("click frmMain.mnu_projection_") + shape + "\n", ses.dir);
    for (auto _ : s) ses.compile();
}

void BM_bow_echo(benchmark::State& s) {
    Session ses("bow");
    ses.sim.run("setting polygon \"yes\"\nsetting track \"yes\"\n", ses.dir);
    FrmBowEcho& bow = ses.app().frmBowEcho();
    for (auto _ : s) {
        bow.List.items = {"35.1", "-97.5", "35.15", "-97.45", "35.2", "-97.4", "35.25", "-97.35",
                          "35.3", "-97.3", "35.35", "-97.25", "35.2", "-97.4", "35.4",  "-97.0"};
        ses.app().frmMain().placefile.items.resize(7);
        bow.bow_echo();
    }
}

void BM_readdata_20(benchmark::State& s) {
    Session ses("readdata");
    std::ifstream f(std::string(TESSALY_TESTDATA) + "/geonames/ks_wichita_r25_20places.xml");
    std::stringstream body;
    body << f.rdbuf();
    FrmMain& m = ses.app().frmMain();
    m.start_lat.text = "37.9";
    m.start_lon.text = "-97.6";
    m.disazimuth.text = "135";
    FrmNewETA& lookup = ses.app().frmNewETA();
    lookup.mph.text = "40";
    for (auto _ : s) {
        m.placefile.items.resize(7);
        lookup.one.items.clear();
        lookup.two.items.clear();
        lookup.buffer.text = body.str();
        lookup.readdata();
    }
}

void BM_find_keys_idle(benchmark::State& s) {
    Session ses("keys");
    for (auto _ : s) ses.app().frmMain().find_keys_Timer();
}

void BM_find_distance(benchmark::State& s) {
    Session ses("motion");
    ses.sim.run("press Q\nwait 5\n", ses.dir);
    for (auto _ : s) ses.app().frmMain().find_distance_Timer();
}

void BM_write_list_to_file(benchmark::State& s) {
    Session ses("write-" + std::to_string(s.range(0)));
    std::vector<std::string> lines(static_cast<size_t>(s.range(0)),
                                   "35.4893730254, -96.7570507536");
    for (auto _ : s) ses.app().write_list_to_file("C:\\Tessaly\\korvel.txt", lines);
    s.SetItemsProcessed(s.iterations() * s.range(0));
}

}  // namespace

BENCHMARK(BM_distance);
BENCHMARK(BM_azimuth);
BENCHMARK(BM_destination);
BENCHMARK_CAPTURE(BM_compile, cone, "cone");
BENCHMARK_CAPTURE(BM_compile, fan, "fan");
BENCHMARK_CAPTURE(BM_compile, wedge, "wedge");
BENCHMARK(BM_bow_echo);
BENCHMARK(BM_readdata_20);
BENCHMARK(BM_find_keys_idle);
BENCHMARK(BM_find_distance);
BENCHMARK(BM_write_list_to_file)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000);

BENCHMARK_MAIN();
