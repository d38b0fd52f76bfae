// tessaly-soak [--events N] [--seed S] [--dir DIR] [--max-growth-mb M]
//
// Runs the whole program on the simulated platform under N seeded random
// events: timer ticks and waits, hotkey and other key presses, cursor texts
// (valid and hostile), web replies (the test data and hostile bodies, late,
// failing or missing), menu clicks, viewer windows coming and going,
// hostile settings, disk faults, undo and restarts (also inside a wait for
// replies or an open message box). After every write the
// file on disk must be whole: CR LF lines, one per buffer line, parsed by the
// project's placefile parser with every block closed; every line written for
// a mark, a finished track or a bow echo and not taken back since must be in
// it where it was; no ETA tag may name a track number the counter has not
// reached (the next track would share it). After every failed write the old
// file must still be there. The bow echo tool never holds eight points or
// more between events. Prints the figures; exit 1 on any violation.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "core/numtext.h"
#include "placefile_check.h"
#include "platform/sim/simulator.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

// Discards the simulator's output but counts its event lines by kind.
class CountingBuf : public std::streambuf {
public:
    std::map<std::string, long> kinds;

protected:
    int overflow(int c) override {
        if (c == '\n') {
            size_t sp = line_.find(' ');
            kinds[line_.substr(0, sp)]++;
            line_.clear();
        } else if (c != EOF && line_.size() < 16) {
            line_ += static_cast<char>(c);
        }
        return c;
    }

private:
    std::string line_;
};

long rss_kb() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, resident = 0;
    f >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string rec(const std::string& name, const std::string& lat, const std::string& lng) {
    return "<geoname><name>" + name + "</name><lat>" + lat + "</lat><lng>" + lng +
           "</lng><distance>1</distance></geoname>\n";
}

}  // namespace

int main(int argc, char** argv) {
    long events = 100000;
    unsigned seed = 1;
    long max_growth_mb = 0;
    // A memory-backed folder by default: the run is about the program, and
    // a disk's rename cost would dominate it.
    std::string dir = (fs::path(fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) /
                       ("tessaly-soak-" + std::to_string(getpid())))
                          .string();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--events") events = std::atol(argv[i + 1]);
        else if (a == "--seed") seed = static_cast<unsigned>(std::atol(argv[i + 1]));
        else if (a == "--dir") dir = argv[i + 1];
        else if (a == "--max-growth-mb") max_growth_mb = std::atol(argv[i + 1]);
        else {
            std::cerr << "usage: tessaly-soak [--events N] [--seed S] [--dir DIR] "
                         "[--max-growth-mb M]\n";
            return 2;
        }
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string placefile = dir + "/korvel.txt";

    // Reply bodies: every test data file and hostile ones.
    std::vector<std::string> bodies;
    for (auto& e : fs::directory_iterator(std::string(TESSALY_TESTDATA) + "/geonames")) {
        auto ext = e.path().extension();
        if (ext == ".xml" || ext == ".html") bodies.push_back(slurp(e.path().string()));
    }
    {
        std::string many;
        for (int i = 0; i < 25; ++i)
            many += rec("P" + std::to_string(i), "35." + std::to_string(10 + i), "-97.0" + std::to_string(i));
        bodies.push_back("<geonames>" + many + "</geonames>");
        bodies.push_back(rec("Line\r\nBreak\tTab \"q\", c; s", "35.3", "-97.1") +
                         rec(std::string(500, 'n'), "35.4", "-97.1") +
                         rec("A&#10;&#13;&#0;&#x85;&#x2028;&#1114111;&#99999999;B", "35.5", "-97"));
        bodies.push_back(rec("Bad\xFF\xC3(\xE2\x82", "35.2", "-97") + "<name>Cut</name><lat>35");
        bodies.push_back("<html><body>503 Service Unavailable</body></html>");
        bodies.push_back(" \r\n\t ");
        bodies.push_back("");
        bodies.push_back(rec("X", "nan", "-97") + rec("Y", "1e308", "1e308") + rec("Z", "", ""));
        bodies.push_back(std::string(kReplyLimitBytes + 1, ' '));  // refused by the cap
    }
    const std::vector<std::string> hostile_panels = {
        "", "no comma", ",", ",,,,", "35.1, -97.2>junk", "35.1\r\nPolygon:, -97\nEnd:",
        std::string(255, ','), std::string(300, '9'), "\xB0\xFF\xFE, \x01", "nan, inf",
        "1e308, -1e308", "  35.2 ,  -97.3  ", "35.1, -97.2, 1200 ft"};
    const std::vector<std::string> setting_keys = {
        "border_width", "polygon_trans", "track_width", "eta_fontsize", "eta_text",
        "eta_background", "border_rgb", "polygon_rgb", "track_rgb", "eta_rgb", "eta_rep",
        "border", "polygon", "track", "showcity", "showtime", "displayeta", "displayetamed",
        "displayeta2", "tag_text_edit", "eta_historic", "eta_database"};
    const std::vector<std::string> setting_values = {
        "", "abc", "-5", "1e308", "99999999999999999999", "1,", "1, 2, 3, 4, 5,", "300, -1, x,",
        "yes", "no", "1", "0", "248, 000, 000,", "2", "50", "\r\n;eta#1", std::string(300, '7'), "server"};
    const std::vector<std::string> clicks = {
        "frmMain.mnu_projection_fan", "frmMain.mnu_projection_cone",
        "frmMain.mnu_projection_wedge", "frmMain.mnubowecho", "frmMain.optgr3",
        "frmMain.optgr2", "frmMain.remove", "frmMain.mnu_placefile_clear",
        "frmMain.Command2", "frmMain.mnu_eta_view", "frmMain.mnu_projection_undo"};
    const char* titles[] = {"KTLX - GRLevel3", "KICT - GRLevel2"};

    CountingBuf counter;
    std::ostream out(&counter);
    Simulator sim(dir, "C:\\Tessaly", out);
    SimPlatform& p = sim.platform();

    const bool trace = std::getenv("TESSALY_SOAK_TRACE") != nullptr;
    long writes = 0, bad = 0, failed_checked = 0, structural = 0, problems = 0;
    size_t max_lines = 0, max_bytes = 0;
    std::string last_ok;
    std::vector<std::string> violations;
    auto violation = [&](const std::string& what) {
        ++bad;
        if (violations.size() < 10) violations.push_back(what);
    };
    // Every recorded group of buffer lines, and a buffer line as the writer puts it on disk.
    auto groups = [](FrmMain& m) {
        std::vector<const LineGroups::Group*> v;
        for (LinePurpose purpose : {LinePurpose::half_mark, LinePurpose::bow_point,
                                    LinePurpose::track, LinePurpose::bow_echo})
            for (LineGroups::Id id : m.placefile_groups.ids(purpose))
                v.push_back(m.placefile_groups.find(id));
        return v;
    };
    auto on_disk = [&](std::string line) {
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        return p.to_codepage(line);
    };
    p.on_write = [&](const std::string& path, const std::string& bytes) {
        if (path.size() < 10 || path.compare(path.size() - 10, 10, "korvel.txt") != 0) return;
        ++writes;
        check::FileLines f = check::split_crlf(bytes);
        if (!f.why.empty()) violation("write " + std::to_string(writes) + ": " + f.why);
        if (sim.app() && f.lines.size() != sim.app()->frmMain().placefile.items.size())
            violation("write " + std::to_string(writes) + ": line count differs from the buffer");
        if (slurp(placefile) != bytes) violation("write " + std::to_string(writes) + ": disk differs");
        ParsedPlacefile parsed = parse_placefile(bytes);
        problems += static_cast<long>(parsed.problems.size());
        if (sim.app()) {
            FrmMain& m = sim.app()->frmMain();
            const long tracks = is_number(m.tracker.text) ? to_long(m.tracker.text) : -1;
            for (const LineGroups::Group* g : groups(m)) {
                for (size_t k = 0; k < g->at.size(); ++k)
                    if (g->at[k] >= f.lines.size() || f.lines[g->at[k]] != on_disk(g->lines[k])) {
                        violation("write " + std::to_string(writes) + ": a line of " +
                                  (g->purpose == LinePurpose::track
                                       ? "track " + std::to_string(g->track)
                                       : std::string("a mark")) +
                                  " is missing or moved");
                        break;
                    }
            }
            for (const std::string& l : f.lines) {
                size_t at = l.rfind(" ;eta#");
                if (at == std::string::npos) continue;
                std::string n = l.substr(at + 6);
                if (is_number(n) && to_long(n) > tracks)
                    violation("write " + std::to_string(writes) + ": ETA tag " + n +
                              " beyond the track counter " + m.tracker.text);
            }
        }
        for (auto& pr : parsed.problems)
            if (check::structural(pr)) {
                ++structural;
                violation("write " + std::to_string(writes) + ": line " +
                          std::to_string(pr.line) + ": " + pr.message);
                if (trace) {
                    std::cerr << "structural: " << pr.message << " at " << pr.line << "\n";
                    std::ofstream(dir + "-structural-" + pr.message.substr(0, 4) + ".txt",
                                  std::ios::binary)
                        << bytes;
                }
                break;
            }
        max_lines = std::max(max_lines, f.lines.size());
        max_bytes = std::max(max_bytes, bytes.size());
        last_ok = bytes;
    };

    std::mt19937_64 rng(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    auto chance = [&](int percent_tenths) { return static_cast<int>(rng() % 1000) < percent_tenths; };
    auto run = [&](const std::string& line) {
        if (sim.run(line + "\n", dir) != 0) violation("script: " + line + ": " + sim.error);
    };

    // The views start with the service's replies; the setting changes switch
    // between the service and the local places.
    run("setting version \"4.2\"\nsetting eta_database \"server\"\nsetting grtype \"gr3\"\n"
        "setting hkselect \"Q\"\nsetting hkerase \"W\"\nsetting hketa \"X\"\nsetting hkundo \"U\"\n"
        "clock 11:50:00 12h\nstart");
    run(std::string("desktop add \"") + titles[0] + "\"");
    run("wait 1000");

    std::map<std::string, long> done;
    long fault_until = -1, sample_every = std::max(1L, events / 10);
    std::vector<std::pair<long, long>> rss;  // (event, kB)
    auto t0 = std::chrono::steady_clock::now();
    for (long e = 0; e < events; ++e) {
        if (e % sample_every == 0) rss.emplace_back(e, rss_kb());
        if (!sim.app() || sim.app()->ended()) run("start");
        int failed_before = p.writes_failed;
        bool faulty = p.disk_fault != SimPlatform::DiskFault::None;

        int r = static_cast<int>(rng() % 1000);
        if (trace) std::cerr << e << " " << r << " t=" << p.now_ms << "\n";
        if (r < 300) {
            sim.advance(1 + static_cast<long long>(pick(20)));
            done["wait"]++;
        } else if (r < 420) {
            const char* timers[] = {"find_keys", "find_distance", "find_gr"};
            run(std::string("tick ") + timers[pick(3)] + " " + std::to_string(1 + pick(5)));
            done["tick"]++;
        } else if (r < 600) {
            std::string text;
            if (chance(800)) {
                char b[64];
                std::snprintf(b, sizeof b, "%.4f, %.4f", 33 + (rng() % 40000) / 10000.0,
                              -99 + (rng() % 40000) / 10000.0);
                text = b;
            } else {
                text = hostile_panels[pick(hostile_panels.size())];
            }
            for (auto& w : p.desktop) w.panels[4] = text;
            done["cursor"]++;
        } else if (r < 780) {
            int k = static_cast<int>(rng() % 100);
            int code = k < 55 ? 'Q' : k < 63 ? 'W' : k < 73 ? 'X' : k < 78 ? 'U'
                                                                     : 1 + static_cast<int>(pick(255));
            p.press(code);
            if (trace) std::cerr << "key " << code << " answers " << p.web_answers.size() << "\n";
            sim.advance(5);
            done["key"]++;
        } else if (r < 900) {
            if (p.web_answers.size() < 24) {
                SimPlatform::WebAnswer a;
                int k = static_cast<int>(rng() % 100);
                if (k < 8) {
                    a.ok = false;
                    a.error = "The operation timed out";
                } else {
                    a.body = bodies[pick(bodies.size())];
                    if (k < 14) a.status = k < 11 ? 503 : 401;
                }
                a.delay_ms = chance(300) ? static_cast<long long>(pick(1500)) : 0;
                p.web_answers.push_back(std::move(a));
            }
            done["reply"]++;
        } else if (r < 950) {
            run("click " + clicks[pick(clicks.size())]);
            done["click"]++;
        } else if (r < 965) {
            std::string t = titles[pick(2)];
            auto& d = p.desktop;
            bool present = false;
            for (auto& w : d) present = present || w.title == t;
            if (present && d.size() > 1) run("desktop remove \"" + t + "\"");
            else if (!present) run("desktop add \"" + t + "\"");
            done["window"]++;
        } else if (r < 980) {
            run("setting " + setting_keys[pick(setting_keys.size())] + " " +
                sim_quote(setting_values[pick(setting_values.size())]));
            done["setting"]++;
        } else if (r < 990) {
            if (!faulty) {
                const char* f[] = {"full", "full 200", "readonly", "missing"};
                run(std::string("fault disk ") + f[pick(4)]);
                fault_until = e + 1 + static_cast<long>(pick(50));
                done["fault"]++;
            }
        } else if (r < 993) {
            // Now, or scheduled so that it may come inside a view's wait for
            // its replies or while a message box is open (boxes stay open a
            // random while).
            const int k = static_cast<int>(pick(4));
            if (k == 0) {
                run("restart");
                done["restart"]++;
            } else if (k == 1) {
                // During an ETA view's wait for a late reply (with the local
                // places chosen, the view does not wait).
                SimPlatform::WebAnswer a;
                a.body = bodies[pick(bodies.size())];
                a.delay_ms = 100 + static_cast<long long>(pick(1000));
                p.web_answers.push_back(std::move(a));
                run("schedule " + std::to_string(1 + pick(200)) + " restart");
                p.press('X');
                sim.advance(5);
                done["restart in a wait"]++;
            } else if (k == 2) {
                // While the select key's message box is open.
                for (auto& w : p.desktop) w.panels[4] = "no comma";
                run("msgbox open " + std::to_string(50 + pick(300)) + "\nschedule " +
                    std::to_string(1 + pick(60)) + " restart");
                p.press('Q');
                sim.advance(5);
                done["restart in a box"]++;
            } else {
                run("msgbox open " + std::to_string(pick(2) == 0 ? 0 : pick(400)));
                done["box time"]++;
            }
        } else {
            sim.advance(200 + static_cast<long long>(pick(1500)));
            done["long wait"]++;
        }

        // The track counter counts the finished tracks still in the placefile.
        if (sim.app()) {
            FrmMain& m = sim.app()->frmMain();
            long counted = 0;
            for (const LineGroups::Group* g : groups(m))
                if (g->purpose == LinePurpose::track && g->track > 0) ++counted;
            if (!is_number(m.tracker.text) || to_long(m.tracker.text) != counted)
                violation("event " + std::to_string(e) + ": tracker " + m.tracker.text + " but " +
                          std::to_string(counted) + " finished tracks");
        }

        // The bow echo tool holds fewer than eight points between events,
        // two fields each: the eighth builds the bow echo or fails, and
        // either way the tool starts again.
        if (sim.app() && sim.app()->is_loaded("frmBowEcho")) {
            FrmBowEcho& b = sim.app()->frmBowEcho();
            const long n = is_number(b.points.text) ? to_long(b.points.text) : -1;
            if (n < 0 || n > 7 || b.List.items.size() != static_cast<size_t>(2 * n))
                violation("event " + std::to_string(e) + ": the bow echo tool holds " +
                          b.points.text + " points and " + std::to_string(b.List.items.size()) +
                          " fields");
        }

        // A failed write leaves the last whole write on disk.
        if (p.writes_failed > failed_before) {
            ++failed_checked;
            if (slurp(placefile) != last_ok) violation("a failed write changed the file");
        }
        if (fault_until >= 0 && e >= fault_until) {
            run("fault disk off");
            fault_until = -1;
        }
        if (fs::exists(placefile + ".tmp")) violation("temporary file left after a write");
    }
    rss.emplace_back(events, rss_kb());
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::cout << "soak: seed " << seed << ", " << events << " events in " << secs << " s, "
              << p.now_ms / 1000 << " s of program time\n  events:";
    for (auto& [k, v] : done) std::cout << " " << k << " " << v;
    std::cout << "\n  program output:";
    for (auto& [k, v] : counter.kinds) std::cout << " " << k << " " << v;
    std::cout << "\n  placefile: " << writes << " writes checked, " << p.writes_failed
              << " failed writes under faults (in " << failed_checked
              << " events, each checked: old file kept), "
              << max_lines << " lines / " << max_bytes << " bytes at most, " << problems
              << " value problems, " << structural << " writes with a structural problem"
              << "\n  restarts that came inside a wait or a message box: " << sim.deferred_starts
              << "\n  memory (kB resident):";
    for (auto& [ev, kb] : rss) std::cout << " " << ev << ":" << kb;
    std::cout << "\n  peak resident " << ru.ru_maxrss << " kB\n";
    long growth_kb = rss.back().second - rss[std::min<size_t>(2, rss.size() - 1)].second;
    std::cout << "  growth after 20% of the run: " << growth_kb << " kB\n";
    if (max_growth_mb > 0 && growth_kb > max_growth_mb * 1024)
        violation("memory grew by " + std::to_string(growth_kb) + " kB");
    for (auto& v : violations) std::cout << "VIOLATION " << v << "\n";
    std::cout << (bad == 0 ? "soak: OK\n" : "soak: FAILED\n");
    sim.run("restart\n", dir);  // ends the program cleanly before the leak check
    std::error_code ec;
    fs::remove_all(dir, ec);
    return bad == 0 ? 0 : 1;
}
