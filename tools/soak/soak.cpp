// tessaly-soak [--events N] [--seed S] [--dir DIR] [--max-growth-mb M]
//
// Runs the whole program on the simulated platform under N seeded random
// events: timer ticks and waits, hotkey and other key presses, cursor texts
// (valid and hostile), web replies (the test data and hostile bodies, late,
// failing or missing), menu clicks, viewer windows coming and going,
// hostile settings, disk faults, undo and restarts (also inside a wait for
// replies or an open message box); and the storms: picked from the storm
// list or directly, the next one by its key, erased by the list, by the
// erase-storm key near or far from a track or directly, erase taken back by
// the undo key, renamed with good and hostile labels, and restarts that draw
// them again. After every write the
// file on disk must be whole: CR LF lines, one per buffer line, parsed by the
// project's placefile parser with every block closed; every line written for
// a mark, a finished track or a bow echo and not taken back since must be in
// it where it was; no ETA tag may name a track number the counter has not
// reached (the next track would share it); every storm the program knows
// has exactly one finished track, its label line once in the file, and no
// two storms share a label. Watched places (a few from watched.txt, more
// added by the watch key, and removed and renamed in their window, with
// hostile names and positions) are tested against the storms at every change
// and minute tick: their labels must follow the buffer in every write, and
// after a change watched.txt must hold the places as they are. At every
// restart the restored placefile must be
// the one before it without what is not restored (ETA lines, bow echoes,
// marks of an unfinished track, tracks older than restore_hours). After
// every failed write the old file must still be there. The bow echo tool
// never holds eight points or more between events. Prints the figures; exit
// 1 on any violation.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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
#include "app/frm_dialogs.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "eta/frm_edit_eta.h"
#include "placefile_check.h"
#include "platform/sim/simulator.h"
#include "storms/frm_storms.h"
#include "storms/storms_file.h"
#include "tracking/motion.h"

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

// Reply bodies: every test data file and hostile ones.
std::vector<std::string> reply_bodies() {
    std::vector<std::string> bodies;
    for (auto& e : fs::directory_iterator(std::string(TESSALY_TESTDATA) + "/geonames")) {
        auto ext = e.path().extension();
        if (ext == ".xml" || ext == ".html") bodies.push_back(slurp(e.path().string()));
    }
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += rec("P" + std::to_string(i), "35." + std::to_string(10 + i),
                    "-97.0" + std::to_string(i));
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
    return bodies;
}

const std::vector<std::string> kHostilePanels = {"",
                                                 "no comma",
                                                 ",",
                                                 ",,,,",
                                                 "35.1, -97.2>junk",
                                                 "35.1\r\nPolygon:, -97\nEnd:",
                                                 std::string(255, ','),
                                                 std::string(300, '9'),
                                                 "\xB0\xFF\xFE, \x01",
                                                 "nan, inf",
                                                 "1e308, -1e308",
                                                 "  35.2 ,  -97.3  ",
                                                 "35.1, -97.2, 1200 ft"};
const std::vector<std::string> kSettingKeys = {
    "border_width",   "polygon_trans", "track_width",   "eta_fontsize", "eta_text",
    "eta_background", "border_rgb",    "polygon_rgb",   "track_rgb",    "eta_rgb",
    "eta_rep",        "border",        "polygon",       "track",        "showcity",
    "showtime",       "displayeta",    "displayetamed", "displayeta2",  "tag_text_edit",
    "eta_historic",   "eta_database",  "storm_labels",  "time_marks"};
// The settings a storm's drawing reads (the others shape the ETA lines only).
const std::vector<const SettingKey*> kDrawingKeys = {
    &keys::border_width, &keys::polygon_trans, &keys::track_width,  &keys::eta_fontsize,
    &keys::border_rgb,   &keys::polygon_rgb,   &keys::track_rgb,    &keys::border,
    &keys::polygon,      &keys::track,         &keys::storm_labels, &keys::time_marks};
const std::vector<std::string> kSettingValues = {"",
                                                 "abc",
                                                 "-5",
                                                 "1e308",
                                                 "99999999999999999999",
                                                 "1,",
                                                 "1, 2, 3, 4, 5,",
                                                 "300, -1, x,",
                                                 "yes",
                                                 "no",
                                                 "1",
                                                 "0",
                                                 "248, 000, 000,",
                                                 "2",
                                                 "50",
                                                 "\r\n;eta#1",
                                                 std::string(300, '7'),
                                                 "server"};
const std::vector<std::string> kClicks = {"frmMain.mnu_projection_fan",
                                          "frmMain.mnu_projection_cone",
                                          "frmMain.mnu_projection_wedge",
                                          "frmMain.mnubowecho",
                                          "frmMain.optgr3",
                                          "frmMain.optgr2",
                                          "frmMain.remove",
                                          "frmMain.mnu_placefile_clear",
                                          "frmMain.Command2",
                                          "frmMain.mnu_eta_view",
                                          "frmMain.mnu_projection_undo"};
const char* const kTitles[] = {"KTLX - GRLevel3", "KICT - GRLevel2"};
const std::vector<std::string> kLabels = {
    "",  "ABCDEFGHIJKLM",     "ABCDEFGHIJKL", ";",   "a;b",   "\"",   "Q\"x", "Hook",    "X1",
    " ", "\xC3\x89t\xC3\xA9", "\xE2\x98\x85", "a,b", "Text:", "\r\n", "End:", "\xFF\xFE"};
// Names and positions for watched places, good and hostile.
const std::vector<std::string> kPlaceNames = {"Home",
                                              "home",
                                              "",
                                              " ",
                                              "a,b",
                                              "#x",
                                              std::string(101, 'n'),
                                              std::string(100, 'n'),
                                              "Q\"x",
                                              "\xC3\x89t\xC3\xA9",
                                              "\xE2\x98\x85",
                                              "Line\r\nBreak",
                                              "Text:",
                                              "\xFF\xFE",
                                              ";eta#1"};
const std::vector<std::string> kPlacePositions = {
    "35.2, -97.1", "35.2 -97.1", "  34.0 ,  -96.5  ",    "91, 0", "0, 181", "nan, 1", "",
    "35.2",        "1e308, 1",   "35.1, -97.2, 1200 ft", "-0, -0"};
// The first lines of the placefile, before any storm's.
const size_t kHeaderLines = 7;

// Every recorded group of buffer lines.
std::vector<const LineGroups::Group*> groups(FrmMain& m) {
    std::vector<const LineGroups::Group*> v;
    for (LinePurpose purpose : {LinePurpose::half_mark, LinePurpose::bow_point, LinePurpose::track,
                                LinePurpose::bow_echo})
        for (LineGroups::Id id : m.placefile_groups.ids(purpose))
            v.push_back(m.placefile_groups.find(id));
    return v;
}

std::vector<std::string> places_of(const std::vector<WatchedPlace>& v) {
    std::vector<std::string> rows;
    for (const WatchedPlace& w : v)
        rows.push_back(w.place.name + "," + w.place.lat + "," + w.place.lon);
    return rows;
}

struct Options {
    long events = 100000;
    unsigned seed = 1;
    long max_growth_mb = 0;
    std::string dir;
};

// Parses the arguments into `o`; false on a wrong one.
bool parse_args(int argc, char** argv, Options& o) {
    // A memory-backed folder by default: the run is about the program, and
    // a disk's rename cost would dominate it.
    o.dir = (fs::path(fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) /
             ("tessaly-soak-" + std::to_string(getpid())))
                .string();
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--events") o.events = std::atol(argv[i + 1]);
        else if (a == "--seed") o.seed = static_cast<unsigned>(std::atol(argv[i + 1]));
        else if (a == "--dir") o.dir = argv[i + 1];
        else if (a == "--max-growth-mb") o.max_growth_mb = std::atol(argv[i + 1]);
        else return false;
    }
    return true;
}

// The run's state: the simulated program, the seeded choices and what was
// counted and checked. Each event is one action and the checks after it.
struct Soak {
    explicit Soak(const Options& o);
    void start();
    void run_events();
    int report();

    // Checks.
    void violation(const std::string& what);
    std::string on_disk(std::string line);
    void check_storms(FrmMain& m, const std::vector<std::string>& lines, const std::string& where);
    void on_write(const std::string& path, const std::string& bytes);
    void check_watched_labels(const check::FileLines& f);
    void check_written_groups(FrmMain& m, const check::FileLines& f);
    void check_eta_tags(FrmMain& m, const check::FileLines& f);
    void check_structure(const ParsedPlacefile& parsed, const std::string& bytes);
    std::vector<std::string> restorable(FrmMain& m, bool with_old = false);
    void check_tracker(long e);
    void check_storms_after(long e);
    void check_bow_echo(long e);
    void check_after(long e, int failed_before);

    // Steps of the program.
    size_t pick(size_t n) { return static_cast<size_t>(rng() % n); }
    bool chance(int percent_tenths) { return static_cast<int>(rng() % 1000) < percent_tenths; }
    std::string random_position();
    void run(const std::string& line);
    void press(int code);
    void restart();
    void start_again();
    void event(long e);
    void act(long e, bool faulty);
    void tick();
    void move_cursor();
    void press_key();
    void queue_reply();
    void click();
    void toggle_window();
    void change_setting();
    void start_fault(long e);
    void restart_action();

    // The storms.
    int some_number(FrmMain& m);
    bool list_row();
    void storm_action();
    void storm_list_select();
    void storm_erase_key(FrmMain& m);
    void storm_rename(App* started, FrmMain& m);
    void storm_erase_undo(App* started, FrmMain& m);

    // The watched places.
    void watched_action();
    void watched_in_window(FrmMain& m, const std::string& name, int k);
    bool watched_key(App* started, const std::string& name);
    void watched_add(const std::string& name);
    void check_watched_file(const std::vector<std::string>& after);

    const Options opt;
    const std::string dir;
    const std::string placefile;
    const std::vector<std::string> bodies;
    CountingBuf counter;
    std::ostream out;
    Simulator sim;
    SimPlatform& p;
    const bool trace;
    std::mt19937_64 rng;

    bool labels_off_seen = false;  // storm_labels was "0" at some time
    long writes = 0, bad = 0, failed_checked = 0, structural = 0, problems = 0;
    size_t max_lines = 0, max_bytes = 0;
    std::string last_ok;
    std::vector<std::string> violations;
    bool storms_unchecked = false;  // checked after the event instead
    // The restored drawing follows the drawing settings of the restart, so a
    // restart is compared only when no setting changed since the oldest kept
    // storm was marked; and only when storms.txt holds the storms as they are
    // (a save under a disk fault failed, and the message said so).
    std::int64_t last_setting_utc = INT64_MIN;
    long restarts_checked = 0, restarts_settings = 0, restarts_stale = 0, restarts_storms = 0;
    size_t max_storms = 0;
    std::map<std::string, long> done;
    long watched_checked = 0;
    size_t max_watched = 0;
    long fault_until = -1, sample_every;
    std::vector<std::pair<long, long>> rss;  // (event, kB)
    double secs = 0;
};

Soak::Soak(const Options& o)
    : opt(o),
      dir(o.dir),
      placefile(o.dir + "/korvel.txt"),
      bodies(reply_bodies()),
      out(&counter),
      sim(dir, "C:\\Tessaly", out),
      p(sim.platform()),
      trace(std::getenv("TESSALY_SOAK_TRACE") != nullptr),
      rng(o.seed),
      sample_every(std::max(1L, o.events / 10)) {
    p.on_write = [this](const std::string& path, const std::string& bytes) {
        on_write(path, bytes);
    };
}

void Soak::violation(const std::string& what) {
    ++bad;
    if (trace) std::cerr << "VIOLATION " << what << "\n";
    if (violations.size() < 10) violations.push_back(what);
}

// A buffer line as the writer puts it on disk.
std::string Soak::on_disk(std::string line) {
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return p.to_codepage(line);
}

// Each storm: one finished track, its label's line once in the file
// (none while labels were off when it was drawn), its label its own.
void Soak::check_storms(FrmMain& m, const std::vector<std::string>& lines,
                        const std::string& where) {
    std::map<std::string, int> labels;
    for (const Storm& s : m.storms.all()) {
        const std::string name =
            where + ": storm " + std::to_string(s.number) + " (" + s.label + ")";
        if (labels[s.label]++) violation(name + ": label shared with another storm");
        const LineGroups::Group* track = nullptr;
        int tracks_of_storm = 0;
        for (const LineGroups::Group* g : groups(m))
            if (g->purpose == LinePurpose::track && g->track == s.number) {
                track = g;
                ++tracks_of_storm;
            }
        if (tracks_of_storm != 1) {
            violation(name + ": " + std::to_string(tracks_of_storm) + " finished tracks");
            continue;
        }
        const std::string label_line = storm_label_lines(s, "")[2];
        const auto in_group = std::count(track->lines.begin(), track->lines.end(), label_line);
        if (in_group != 1 && !(in_group == 0 && labels_off_seen))
            violation(name + ": its label line " + std::to_string(in_group) +
                      " times in its track");
        const std::string written = on_disk(label_line);
        if (std::count(lines.begin(), lines.end(), written) != in_group)
            violation(name + ": its label line not once in the file");
    }
}

void Soak::on_write(const std::string& path, const std::string& bytes) {
    if (path.size() < 10 || path.compare(path.size() - 10, 10, "korvel.txt") != 0) return;
    ++writes;
    check::FileLines f = check::split_crlf(bytes);
    if (!f.why.empty()) violation("write " + std::to_string(writes) + ": " + f.why);
    if (sim.app()) check_watched_labels(f);
    if (slurp(placefile) != bytes) violation("write " + std::to_string(writes) + ": disk differs");
    ParsedPlacefile parsed = parse_placefile(bytes);
    problems += static_cast<long>(parsed.problems.size());
    if (sim.app()) {
        FrmMain& m = sim.app()->frmMain();
        check_written_groups(m, f);
        check_eta_tags(m, f);
        // The bare header is written before the storms are cleared
        // (erase key), drawn again (start) or kept for the next start
        // (exit); the check after the event covers those.
        if (m.placefile.items.size() > kHeaderLines || !groups(m).empty())
            check_storms(m, f.lines, "write " + std::to_string(writes));
        else storms_unchecked = true;
    }
    check_structure(parsed, bytes);
    max_lines = std::max(max_lines, f.lines.size());
    max_bytes = std::max(max_bytes, bytes.size());
    last_ok = bytes;
}

// The watched places' labels follow the buffer.
void Soak::check_watched_labels(const check::FileLines& f) {
    const FrmMain& m = sim.app()->frmMain();
    const size_t buffer = m.placefile.items.size();
    if (f.lines.size() != buffer + m.watched_lines.size())
        violation("write " + std::to_string(writes) + ": line count differs from the buffer");
    else
        for (size_t k = 0; k < m.watched_lines.size(); ++k)
            if (f.lines[buffer + k] != on_disk(m.watched_lines[k])) {
                violation("write " + std::to_string(writes) + ": watched label " +
                          std::to_string(k) + " differs");
                break;
            }
}

// Every line written for a mark, a finished track or a bow echo is where it was.
void Soak::check_written_groups(FrmMain& m, const check::FileLines& f) {
    for (const LineGroups::Group* g : groups(m)) {
        for (size_t k = 0; k < g->at.size(); ++k)
            if (g->at[k] >= f.lines.size() || f.lines[g->at[k]] != on_disk(g->lines[k])) {
                violation("write " + std::to_string(writes) + ": a line of " +
                          (g->purpose == LinePurpose::track ? "track " + std::to_string(g->track)
                                                            : std::string("a mark")) +
                          " is missing or moved");
                break;
            }
    }
}

// No ETA tag names a track number the counter has not reached.
void Soak::check_eta_tags(FrmMain& m, const check::FileLines& f) {
    const long tracks = is_number(m.tracker.text) ? to_long(m.tracker.text) : -1;
    for (const std::string& l : f.lines) {
        size_t at = l.rfind(" ;eta#");
        if (at == std::string::npos) continue;
        std::string n = l.substr(at + 6);
        if (is_number(n) && to_long(n) > tracks) {
            if (trace) {
                std::cerr << "storms:";
                for (const Storm& st : m.storms.all()) std::cerr << " " << st.number;
                std::cerr << " eta windows " << m.eta_windows_track << " line " << l << "\n";
            }
            violation("write " + std::to_string(writes) + ": ETA tag " + n +
                      " beyond the track counter " + m.tracker.text);
        }
    }
}

// The parser finds every block closed.
void Soak::check_structure(const ParsedPlacefile& parsed, const std::string& bytes) {
    for (auto& pr : parsed.problems)
        if (check::structural(pr)) {
            ++structural;
            violation("write " + std::to_string(writes) + ": line " + std::to_string(pr.line) +
                      ": " + pr.message);
            if (trace) {
                std::cerr << "structural: " << pr.message << " at " << pr.line << "\n";
                std::ofstream(dir + "-structural-" + pr.message.substr(0, 4) + ".txt",
                              std::ios::binary)
                    << bytes;
            }
            break;
        }
}

std::string Soak::random_position() {
    char b[64];
    std::snprintf(b, sizeof b, "%.4f, %.4f", 33 + (rng() % 40000) / 10000.0,
                  -99 + (rng() % 40000) / 10000.0);
    return b;
}

void Soak::run(const std::string& line) {
    if (sim.run(line + "\n", dir) != 0) {
        if (trace) std::cerr << "script failed: " << line << ": " << sim.error << "\n";
        violation("script: " + line + ": " + sim.error);
    }
}

void Soak::press(int code) {
    p.press(code);
    sim.advance(5);
}

// What a restart must draw again: the placefile without ETA lines, bow
// echoes (their points, and the block however it was built), the marks of
// an unfinished track, tracks without a number and tracks older than
// restore_hours (the soak leaves it at its default).
std::vector<std::string> Soak::restorable(FrmMain& m, bool with_old) {
    const auto& items = m.placefile.items;
    std::vector<bool> drop(items.size(), false);
    const std::int64_t since = p.utc_seconds() - keys::restore_hours.fallback_number() * 3600LL;
    for (const LineGroups::Group* g : groups(m)) {
        bool gone = g->purpose != LinePurpose::track || g->track <= 0;
        if (!gone) {
            const Storm* st = m.storms.find(static_cast<int>(g->track));
            gone = !st || (!with_old && st->second.utc < since);
        }
        if (gone)
            for (size_t at : g->at)
                if (at < drop.size()) drop[at] = true;
    }
    bool in_bow = false;
    std::vector<std::string> keep;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& l = items[i];
        if (l == ";<BowEcho>") in_bow = true;
        const bool bow = in_bow;
        if (l == ";</BowEcho>") in_bow = false;
        size_t at = l.rfind(" ;eta#");
        if (at != std::string::npos && is_number(l.substr(at + 6))) continue;
        if (!drop[i] && !bow) keep.push_back(on_disk(l));
    }
    return keep;
}

void Soak::restart() {
    if (!sim.app() || sim.app()->ended()) {
        run("restart");
        return;
    }
    FrmMain& m = sim.app()->frmMain();
    std::vector<std::string> before = restorable(m);
    StormsFile sf;
    sf.storms = m.storms;
    sf.counter = static_cast<long>(try_number(m.tracker.text).value_or(0));
    const bool stale =
        slurp(p.real_path(p.program_folder() + "\\" + kStormsFileName)) != storms_file_text(sf);
    std::vector<std::string> settings;
    for (const SettingKey* k : kDrawingKeys) settings.push_back(sim.app()->get_setting(*k));
    // The time marks' font is the ETA editor's field, read from the store
    // when the window loads: a store changed behind it shows at the restart.
    auto time_mark_font = [&] {
        return sim.app()->is_loaded("frmEditETA") ? sim.app()->frmEditETA().eta_fontsize.text
                                                  : std::string("\n");
    };
    const std::string font = time_mark_font();
    std::int64_t oldest = INT64_MAX;
    const std::int64_t since = p.utc_seconds() - keys::restore_hours.fallback_number() * 3600LL;
    for (const Storm& st : m.storms.all())
        if (st.second.utc >= since) oldest = std::min(oldest, st.second.utc);
    run("restart");
    if (!sim.app() || sim.app()->ended()) return;
    // The start puts first-start values where a setting is empty.
    for (size_t i = 0; i < kDrawingKeys.size(); ++i)
        if (sim.app()->get_setting(*kDrawingKeys[i]) != settings[i])
            last_setting_utc = p.utc_seconds();
    if (font != "\n" && time_mark_font() != "\n" && time_mark_font() != font)
        last_setting_utc = p.utc_seconds();
    if (stale) {
        ++restarts_stale;
        return;
    }
    if (oldest != INT64_MAX && last_setting_utc >= oldest) {
        ++restarts_settings;
        return;
    }
    ++restarts_checked;
    if (!sim.app()->frmMain().storms.empty()) ++restarts_storms;
    std::vector<std::string> after = restorable(sim.app()->frmMain());
    if (after != before) {
        size_t i = 0;
        while (i < before.size() && i < after.size() && before[i] == after[i]) ++i;
        violation("restart at " + std::to_string(p.now_ms) +
                  " ms: restored placefile differs at line " + std::to_string(i) + ": before \"" +
                  (i < before.size() ? before[i] : "(end)") + "\", after \"" +
                  (i < after.size() ? after[i] : "(end)") + "\"");
    }
}

void Soak::start() {
    // Six watched places across the area the cursor roams, and a damaged line
    // the first start skips.
    {
        std::ofstream f(dir + "/watched.txt", std::ios::binary);
        f << "# watched\r\nHome,34.0,-98.0\r\nShelter,34.0,-96.0\r\nbroken line\r\n"
             "School,35.0,-97.0\r\nFarm,36.0,-98.0\r\nChurch,36.0,-96.0\r\nTower,35.5,-97.5\r\n";
    }
    // The views start with the service's replies; the setting changes switch
    // between the service and the local places.
    run("setting version \"4.2\"\nsetting eta_database \"server\"\nsetting grtype \"gr3\"\n"
        "setting hkselect \"Q\"\nsetting hkerase \"W\"\nsetting hketa \"X\"\nsetting hkundo \"U\"\n"
        "setting hkerase_storm \"E\"\nsetting hknext_storm \"N\"\nsetting hkwatch \"H\"\n"
        "clock 11:50:00 12h\nstart");
    run(std::string("desktop add \"") + kTitles[0] + "\"");
    run("wait 1000");
}

void Soak::run_events() {
    auto t0 = std::chrono::steady_clock::now();
    for (long e = 0; e < opt.events; ++e) event(e);
    rss.emplace_back(opt.events, rss_kb());
    secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A program that ended starts again.
void Soak::start_again() {
    std::vector<std::string> settings;
    if (sim.app())
        for (const SettingKey* k : kDrawingKeys) settings.push_back(sim.app()->get_setting(*k));
    run("start");
    // The start puts first-start values where a setting is empty.
    for (size_t i = 0; i < settings.size() && sim.app(); ++i)
        if (sim.app()->get_setting(*kDrawingKeys[i]) != settings[i])
            last_setting_utc = p.utc_seconds();
}

void Soak::event(long e) {
    if (e % sample_every == 0) rss.emplace_back(e, rss_kb());
    // A restart asked for inside a handler the soak called directly
    // starts once the driver runs again.
    sim.advance(0);
    if (!sim.app() || sim.app()->ended()) start_again();
    int failed_before = p.writes_failed;
    bool faulty = p.disk_fault != SimPlatform::DiskFault::None;
    act(e, faulty);
    check_after(e, failed_before);
}

// One random action.
void Soak::act(long e, bool faulty) {
    int r = static_cast<int>(rng() % 1000);
    if (trace) std::cerr << e << " " << r << " t=" << p.now_ms << "\n";
    if (r < 280) {
        sim.advance(1 + static_cast<long long>(pick(20)));
        done["wait"]++;
    } else if (r < 400) {
        tick();
    } else if (r < 570) {
        move_cursor();
    } else if (r < 750) {
        press_key();
    } else if (r < 855) {
        queue_reply();
    } else if (r < 860) {
        watched_action();
    } else if (r < 900) {
        storm_action();
        storms_unchecked = true;
    } else if (r < 950) {
        click();
    } else if (r < 965) {
        toggle_window();
    } else if (r < 980) {
        change_setting();
    } else if (r < 990) {
        if (!faulty) start_fault(e);
    } else if (r < 993) {
        restart_action();
    } else {
        sim.advance(200 + static_cast<long long>(pick(1500)));
        done["long wait"]++;
    }
}

void Soak::tick() {
    const char* timers[] = {"find_keys", "find_distance", "find_gr", "frmMain.alert_Timer"};
    run(std::string("tick ") + timers[pick(4)] + " " + std::to_string(1 + pick(5)));
    done["tick"]++;
}

void Soak::move_cursor() {
    std::string text;
    if (chance(800)) text = random_position();
    else text = kHostilePanels[pick(kHostilePanels.size())];
    for (auto& w : p.desktop) w.panels[4] = text;
    done["cursor"]++;
}

void Soak::press_key() {
    int k = static_cast<int>(rng() % 100);
    int code = k < 55   ? 'Q'
               : k < 63 ? 'W'
               : k < 73 ? 'X'
               : k < 78 ? 'U'
                        : 1 + static_cast<int>(pick(255));
    p.press(code);
    if (trace) std::cerr << "key " << code << " answers " << p.web_answers.size() << "\n";
    sim.advance(5);
    done["key"]++;
}

void Soak::queue_reply() {
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
}

void Soak::click() {
    const std::string c = kClicks[pick(kClicks.size())];
    if (trace) std::cerr << "click " << c << "\n";
    run("click " + c);
    done["click"]++;
}

// A viewer window comes or goes (the last one stays).
void Soak::toggle_window() {
    std::string t = kTitles[pick(2)];
    auto& d = p.desktop;
    bool present = false;
    for (auto& w : d) present = present || w.title == t;
    if (present && d.size() > 1) run("desktop remove \"" + t + "\"");
    else if (!present) run("desktop add \"" + t + "\"");
    done["window"]++;
}

void Soak::change_setting() {
    const std::string& key = kSettingKeys[pick(kSettingKeys.size())];
    const std::string& value = kSettingValues[pick(kSettingValues.size())];
    run("setting " + key + " " + sim_quote(value));
    if (key == "storm_labels" && value == "0") labels_off_seen = true;
    if (std::any_of(kDrawingKeys.begin(), kDrawingKeys.end(),
                    [&](const SettingKey* k) { return key == k->key; }))
        last_setting_utc = p.utc_seconds();
    done["setting"]++;
}

void Soak::start_fault(long e) {
    const char* f[] = {"full", "full 200", "readonly", "missing"};
    run(std::string("fault disk ") + f[pick(4)]);
    fault_until = e + 1 + static_cast<long>(pick(50));
    done["fault"]++;
}

// Now, or scheduled so that it may come inside a view's wait for its replies
// or while a message box is open (boxes stay open a random while).
void Soak::restart_action() {
    const int k = static_cast<int>(pick(4));
    if (k == 0) {
        restart();
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
}

// The track counter has reached every finished track's number (the next
// track takes a new one; an erased storm's number is not given again, nor an
// older one dropped at start), no two finished tracks share a number, and
// each is a storm's.
void Soak::check_tracker(long e) {
    FrmMain& m = sim.app()->frmMain();
    std::map<long, int> numbers;
    for (const LineGroups::Group* g : groups(m))
        if (g->purpose == LinePurpose::track && g->track > 0) numbers[g->track]++;
    const long reached = is_number(m.tracker.text) ? to_long(m.tracker.text) : -1;
    for (auto& [n, times] : numbers)
        if (n > reached || times > 1 || !m.storms.find(static_cast<int>(n))) {
            violation("event " + std::to_string(e) + ": tracker " + m.tracker.text +
                      ", finished track " + std::to_string(n) + " drawn " + std::to_string(times) +
                      " times" + (m.storms.find(static_cast<int>(n)) ? "" : ", no storm"));
            break;
        }
}

void Soak::check_storms_after(long e) {
    storms_unchecked = false;
    FrmMain& m = sim.app()->frmMain();
    max_storms = std::max(max_storms, m.storms.size());
    std::vector<std::string> lines;
    for (const std::string& l : m.placefile.items) lines.push_back(on_disk(l));
    check_storms(m, lines, "event " + std::to_string(e));
}

// The bow echo tool holds fewer than eight points between events, two fields
// each: the eighth builds the bow echo or fails, and either way the tool
// starts again.
void Soak::check_bow_echo(long e) {
    FrmBowEcho& b = sim.app()->frmBowEcho();
    const long n = is_number(b.points.text) ? to_long(b.points.text) : -1;
    if (n < 0 || n > 7 || b.List.items.size() != static_cast<size_t>(2 * n))
        violation("event " + std::to_string(e) + ": the bow echo tool holds " + b.points.text +
                  " points and " + std::to_string(b.List.items.size()) + " fields");
}

void Soak::check_after(long e, int failed_before) {
    if (sim.app()) check_tracker(e);
    if (storms_unchecked && sim.app() && !sim.app()->ended()) check_storms_after(e);
    if (sim.app() && sim.app()->is_loaded("frmBowEcho")) check_bow_echo(e);
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

// A storm's number, or one no storm has.
int Soak::some_number(FrmMain& m) {
    if (!m.storms.empty() && !chance(100)) return m.storms.all()[pick(m.storms.size())].number;
    return static_cast<int>(pick(m.storms.size() + 3));
}

// A row of the storm list highlighted, with the list open; false with no rows.
bool Soak::list_row() {
    run("click frmMain.mnu_storms_list");
    if (!sim.app() || !sim.app()->is_loaded("frmStorms")) return false;
    const auto& rows = sim.app()->frmStorms().storm_list.items;
    if (rows.empty()) return false;
    run("select frmStorms.storm_list " + std::to_string(pick(rows.size())));
    return true;
}

// The storms: picked from the storm list or directly, the next one by its
// key, erased by the list, by the erase-storm key or directly, erase taken
// back by the undo key, renamed, and restarts that draw them again.
void Soak::storm_action() {
    if (!sim.app() || sim.app()->ended()) return;
    App* const started = sim.app();
    FrmMain& m = started->frmMain();
    int k = static_cast<int>(rng() % 100);
    try {
        if (k < 12) {
            storm_list_select();
        } else if (k < 20) {
            m.select_storm(some_number(m));
            done["storm select"]++;
        } else if (k < 30) {
            if (list_row()) run("click frmStorms.erase_storm");
            done["storm list erase"]++;
        } else if (k < 40) {
            storm_erase_key(m);
        } else if (k < 48) {
            m.erase_storm(some_number(m));
            done["storm erase"]++;
        } else if (k < 70) {
            storm_rename(started, m);
        } else if (k < 82) {
            storm_erase_undo(started, m);
        } else if (k < 92) {
            press('N');
            done["storm next key"]++;
        } else {
            restart();
            done["storm restart"]++;
        }
    } catch (const Failure&) {
        done["storm action failed"]++;
    }
}

void Soak::storm_list_select() {
    if (list_row())
        run(chance(500) ? "click frmStorms.select_storm"
                        : "dblclick frmStorms.storm_list " +
                              std::to_string(sim.app()->frmStorms().storm_list.selected_row));
    if (chance(300)) run("close frmStorms");
    done["storm list select"]++;
}

// Near a track (its first mark) or far from all of them.
void Soak::storm_erase_key(FrmMain& m) {
    std::string text = "41.5000, -88.0000";
    if (!m.storms.empty() && chance(700)) {
        const Storm& st = m.storms.all()[pick(m.storms.size())];
        char b[64];
        std::snprintf(b, sizeof b, "%.4f, %.4f", st.first.lat, st.first.lon);
        text = b;
    }
    for (auto& w : p.desktop) w.panels[4] = text;
    press('E');
    done["storm erase key"]++;
}

void Soak::storm_rename(App* started, FrmMain& m) {
    const int n = some_number(m);
    std::string label = kLabels[pick(kLabels.size())];
    if (chance(150) && !m.storms.empty()) label = m.storms.all()[pick(m.storms.size())].label;
    const bool usable = m.storms.find(n) && label_problem(m.storms, n, label).empty();
    const bool renamed = m.rename_storm(n, label);
    if (sim.app() != started) return;  // a scheduled restart came inside its message
    if (renamed != usable)
        violation("rename of storm " + std::to_string(n) + " to \"" + label +
                  "\": " + (renamed ? "taken" : "refused"));
    // (A key the timers handle inside its message box may erase the storm.)
    if (renamed && m.storms.find(n) && m.storms.find(n)->label != label)
        violation("rename not kept");
    done[renamed ? "storm rename" : "storm rename refused"]++;
}

// An erase of one storm or of all, then the undo key gives it all back.
void Soak::storm_erase_undo(App* started, FrmMain& m) {
    if (m.storms.empty()) return;
    // A mark or an ETA view the timers finish meanwhile may add lines.
    const std::vector<std::string> items = restorable(m, true);
    std::vector<std::pair<int, std::string>> before;
    for (const Storm& st : m.storms.all()) before.emplace_back(st.number, st.label);
    if (chance(700)) m.erase_storm(m.storms.all()[pick(m.storms.size())].number);
    else press('W');
    press('U');
    // A restart scheduled earlier may have come meanwhile: `m` is then gone.
    if (sim.app() != started || sim.app()->ended()) return;
    std::vector<std::pair<int, std::string>> after;
    for (const Storm& st : m.storms.all()) after.emplace_back(st.number, st.label);
    const std::vector<std::string> now = restorable(m, true);
    // Storms that had no lines (every drawing switched off) leave the file as it was.
    if (after == before && now != items) {
        size_t i = 0;
        while (i < items.size() && i < now.size() && items[i] == now[i]) ++i;
        violation(
            "undo of an erase gave back the storms or the placefile, not both: "
            "storms " +
            std::to_string(before.size()) + " -> " + std::to_string(after.size()) + ", lines " +
            std::to_string(items.size()) + " -> " + std::to_string(now.size()) +
            ", first difference at " + std::to_string(i) + ": \"" +
            (i < items.size() ? items[i] : "(end)") + "\" / \"" +
            (i < now.size() ? now[i] : "(end)") + "\"");
    }
    done[after == before ? "storm erase undone" : "storm erase undo missed"]++;
}

// Watched places added (by the watch key or the window's fields), removed
// and renamed. After a change made while the disk works, watched.txt must
// read back as the places are.
void Soak::watched_action() {
    if (!sim.app() || sim.app()->ended()) return;
    App* const started = sim.app();
    FrmMain& m = started->frmMain();
    const std::vector<std::string> before = places_of(m.watched);
    const std::string name =
        chance(700) ? "P" + std::to_string(pick(40)) : kPlaceNames[pick(kPlaceNames.size())];
    const int k = static_cast<int>(rng() % 100);
    if (m.watched.size() > 16 || (k >= 50 && !m.watched.empty())) {
        watched_in_window(m, name, k);
    } else if (k < 25) {
        if (!watched_key(started, name)) return;
    } else {
        watched_add(name);
    }
    if (chance(500)) run("close frmWatched");
    if (sim.app() != started || started->ended()) return;
    max_watched = std::max(max_watched, m.watched.size());
    const std::vector<std::string> after = places_of(m.watched);
    if (after == before || p.disk_fault != SimPlatform::DiskFault::None) return;
    check_watched_file(after);
}

// A place removed or renamed in the window.
void Soak::watched_in_window(FrmMain& m, const std::string& name, int k) {
    run("click frmMain.mnu_storms_watched");
    run("select frmWatched.places " + std::to_string(pick(m.watched.size())));
    if (k < 75) {
        run("click frmWatched.remove_place");
        done["watched remove"]++;
    } else {
        run("click frmWatched.rename_place");
        run("type frmInput.INP " + sim_quote(name));
        run("click frmInput.cmd_save");
        done["watched rename"]++;
    }
}

// The watch key at the cursor; the dialog is sometimes left open. False
// when a restart came meanwhile.
bool Soak::watched_key(App* started, const std::string& name) {
    press('H');
    if (sim.app() != started) return false;
    if (chance(800) && started->is_loaded("frmInput") && started->frmInput().visible) {
        run("type frmInput.INP " + sim_quote(name));
        run("click frmInput.cmd_save");
    }
    done["watch key"]++;
    return true;
}

// A place added by the window's fields.
void Soak::watched_add(const std::string& name) {
    std::string at = kPlacePositions[pick(kPlacePositions.size())];
    if (chance(700)) at = random_position();
    run("click frmMain.mnu_storms_watched");
    run("type frmWatched.new_name " + sim_quote(name));
    run("type frmWatched.new_position " + sim_quote(at));
    run("click frmWatched.add_place");
    done["watched add"]++;
}

void Soak::check_watched_file(const std::vector<std::string>& after) {
    ++watched_checked;
    WatchedRead saved = read_watched(slurp(dir + "/" + kWatchedFileName), kWatchedFileName);
    std::vector<std::string> on_file;
    for (const CustomPlace& c : saved.places) on_file.push_back(c.name + "," + c.lat + "," + c.lon);
    if (on_file != after || !saved.problem.empty())
        violation("watched.txt holds " + std::to_string(on_file.size()) + " places, the window " +
                  std::to_string(after.size()) +
                  (saved.problem.empty() ? "" : ": " + saved.problem));
}

// Prints the figures; 0 when nothing was violated.
int Soak::report() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::cout << "soak: seed " << opt.seed << ", " << opt.events << " events in " << secs << " s, "
              << p.now_ms / 1000 << " s of program time\n  events:";
    for (auto& [k, v] : done) std::cout << " " << k << " " << v;
    std::cout << "\n  program output:";
    for (auto& [k, v] : counter.kinds) std::cout << " " << k << " " << v;
    std::cout << "\n  placefile: " << writes << " writes checked, " << p.writes_failed
              << " failed writes under faults (in " << failed_checked
              << " events, each checked: old file kept), " << max_lines << " lines / " << max_bytes
              << " bytes at most, " << problems << " value problems, " << structural
              << " writes with a structural problem"
              << "\n  restarts that came inside a wait or a message box: " << sim.deferred_starts
              << "\n  storms: " << max_storms << " at most; restarts: " << restarts_checked
              << " restored placefiles compared (" << restarts_storms << " with storms), "
              << restarts_settings << " not (a drawing setting changed since), " << restarts_stale
              << " not (storms.txt not saved under a disk fault)"
              << "\n  watched places: " << max_watched << " at most; " << watched_checked
              << " changes saved and read back"
              << "\n  memory (kB resident):";
    for (auto& [ev, kb] : rss) std::cout << " " << ev << ":" << kb;
    std::cout << "\n  peak resident " << ru.ru_maxrss << " kB\n";
    long growth_kb = rss.back().second - rss[std::min<size_t>(2, rss.size() - 1)].second;
    std::cout << "  growth after 20% of the run: " << growth_kb << " kB\n";
    if (opt.max_growth_mb > 0 && growth_kb > opt.max_growth_mb * 1024)
        violation("memory grew by " + std::to_string(growth_kb) + " kB");
    for (auto& v : violations) std::cout << "VIOLATION " << v << "\n";
    std::cout << (bad == 0 ? "soak: OK\n" : "soak: FAILED\n");
    sim.run("restart\n", dir);  // ends the program cleanly before the leak check
    return bad == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_args(argc, argv, o)) {
        std::cerr << "usage: tessaly-soak [--events N] [--seed S] [--dir DIR] "
                     "[--max-growth-mb M]\n";
        return 2;
    }
    fs::remove_all(o.dir);
    fs::create_directories(o.dir);
    int rc;
    {
        Soak soak(o);
        soak.start();
        soak.run_events();
        rc = soak.report();
    }
    std::error_code ec;
    fs::remove_all(o.dir, ec);
    return rc;
}
