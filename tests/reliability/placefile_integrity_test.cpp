// The placefile is never torn or lost: a reader process-side loop while
// tessaly-sim writes it thousands of times, tessaly-sim killed at random
// moments, and injected disk faults. Every content read must be one that the
// program wrote whole (or the previous session's file).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "../unit/sim_fixture.h"
#include "placefile_check.h"
#include "storms/storms_file.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

const std::string kGeo = std::string(TESSALY_TESTDATA) + "/geonames/";

long env_or(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atol(v) : fallback;
}

// Tracks and ETA views that write the placefile many times: each cycle
// writes it at the first mark, the compile and the ETA view (once, with up
// to 8 x 20 places read); the buffer grows over `keep` tracks before an erase.
std::string busy_script(int cycles, int keep = 12) {
    std::ostringstream s;
    s << "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting grtype "
         "\"gr3\"\nsetting hkselect \"Q\"\n"
         "setting hkerase \"W\"\nsetting hketa \"X\"\nclock 11:50:00 12h\nstart\n"
         "desktop add \"KICT - GRLevel3\"\nwait 1000\n";
    const char* replies[] = {"ks_wichita_r25_20places.xml", "tx_dallas_r25_25places.xml",
                             "ok_okc_r15_10places.xml", "tx_penitas_r15_9places_utf8_amp.xml"};
    for (int c = 0; c < cycles; ++c) {
        // Starts south-west of the reply's places so that many lie in the path.
        const bool dallas = c % 4 == 1;
        double lat = (dallas       ? 32.2
                      : c % 4 == 3 ? 25.6
                      : c % 4 == 2 ? 34.9
                                   : 37.2) +
                     (c % 7) * 0.01;
        double lon = (dallas       ? -97.4
                      : c % 4 == 3 ? -98.7
                      : c % 4 == 2 ? -97.9
                                   : -97.8) -
                     (c % 5) * 0.01;
        s << "desktop panel \"KICT - GRLevel3\" \"" << lat << ", " << lon
          << "\"\npress Q\nwait 5\n";
        s << "desktop panel \"KICT - GRLevel3\" \"" << lat + 0.6 << ", " << lon + 0.6
          << "\"\nwait 5\npress Q\nwait 5\n";
        for (int i = 0; i < 8; ++i) s << "web reply \"" << kGeo << replies[c % 4] << "\"\n";
        s << "press X\nwait 10\n";
        if (c % keep == keep - 1) s << "press W\nwait 10\n";
    }
    return s.str();
}

std::string slurp(const std::string& path, bool& exists) {
    std::ifstream f(path, std::ios::binary);
    exists = static_cast<bool>(f);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Every content the script writes, from an in-process run of the same
// script (virtual time makes the run repeatable).
struct Reference {
    std::set<std::string> contents;
    size_t writes = 0;
};
Reference reference_run(const std::string& dir, const std::string& script) {
    Reference ref;
    fs::remove_all(dir);
    std::ostringstream out;
    Simulator sim(dir, "C:\\Tessaly", out);
    sim.platform().on_write = [&](const std::string& path, const std::string& bytes) {
        if (path.find("korvel.txt") == std::string::npos) return;
        ++ref.writes;
        ref.contents.insert(bytes);
    };
    EXPECT_EQ(sim.run(script, dir), 0) << sim.error;
    fs::remove_all(dir);
    return ref;
}

pid_t spawn_sim(const std::string& dir, const std::string& script_path) {
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(126);
        execl(TESSALY_SIM, TESSALY_SIM, "--dir", dir.c_str(), script_path.c_str(), nullptr);
        _exit(127);
    }
    return pid;
}

struct Integrity : SimTest {
    std::string placefile() { return dir + "/korvel.txt"; }
    std::string disk() {
        bool e = false;
        return slurp(placefile(), e);
    }
    std::string write_script(const std::string& name, const std::string& text) {
        std::string p = dir + "-" + name + ".sim";
        std::ofstream(p) << text;
        return p;
    }
};

}  // namespace

TEST_F(Integrity, AReaderNeverSeesATornFile) {
    const int cycles = static_cast<int>(env_or("TESSALY_TORN_CYCLES", 300));
    const std::string script = busy_script(cycles);
    Reference ref = reference_run(dir, script);
    // Each cycle rewrites the file at least three times; fewer cycles run
    // under the sanitizers.
    ASSERT_GE(ref.writes, 3u * static_cast<unsigned>(cycles));
    fs::create_directories(dir);
    std::string path = write_script("busy", script);

    pid_t child = spawn_sim(dir, path);
    ASSERT_GT(child, 0);
    size_t reads = 0, missing = 0, torn = 0, unknown = 0, distinct = 0;
    std::set<std::string> seen;
    int status = 0;
    for (;;) {
        bool exists = false;
        std::string bytes = slurp(placefile(), exists);
        if (!exists) {
            ++missing;  // before the first write only
            EXPECT_EQ(reads, 0u);
        } else {
            ++reads;
            std::string why = check::validate(bytes);
            if (!why.empty()) ++torn;
            EXPECT_EQ(why, "") << "read " << reads;
            if (!ref.contents.count(bytes)) ++unknown;
            if (seen.insert(bytes).second) ++distinct;
        }
        if (waitpid(child, &status, WNOHANG) == child) break;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(unknown, 0u);
    EXPECT_EQ(ref.contents.count(disk()), 1u);  // the last write is on disk
    std::cout << "torn-read: " << ref.writes << " writes, " << reads << " reads (" << distinct
              << " distinct contents), " << torn << " torn, " << unknown << " unknown, " << missing
              << " before the first write\n";
    RecordProperty("writes", std::to_string(ref.writes));
    RecordProperty("reads", std::to_string(reads));
    fs::remove(path);
}

TEST_F(Integrity, KilledDuringWritesTheFileIsOldOrNewAndNoTempStays) {
    const int trials = static_cast<int>(env_or("TESSALY_KILL_TRIALS", 60));
    const std::string script = busy_script(2, 100);
    Reference ref = reference_run(dir, script);
    // The previous session's file, there before each trial.
    const std::string previous =
        "Title: Tessaly\r\nRefreshSeconds: 1\r\nThreshold: 999\r\n"
        "Font: 1, 12, 1, Segoe UI\r\n\r\nIconFile: 1, 12, 12, 5, 5, "
        "stormtrack.png\r\n\r\nText: 1, 2, 1, earlier session\r\n";
    fs::create_directories(dir);
    std::string busy = write_script("busy", script);
    std::string start = write_script("start", "setting version \"4.2\"\nstart\n");

    // How long a whole run takes, to spread the kills over it.
    auto t0 = std::chrono::steady_clock::now();
    int st = 0;
    waitpid(spawn_sim(dir, busy), &st, 0);
    long run_us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    ASSERT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);

    std::mt19937 rng(static_cast<unsigned>(env_or("TESSALY_KILL_SEED", 9)));
    std::uniform_int_distribution<long> when(0, run_us);
    size_t corrupted = 0, temp_left = 0, previous_kept = 0, stale_after_start = 0;
    size_t storms_damaged = 0, storms_lost = 0, storms_saved = 0;
    for (int t = 0; t < trials; ++t) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(placefile(), std::ios::binary) << previous;
        pid_t child = spawn_sim(dir, busy);
        std::this_thread::sleep_for(std::chrono::microseconds(when(rng)));
        kill(child, SIGKILL);
        waitpid(child, &st, 0);

        bool exists = false;
        std::string bytes = slurp(placefile(), exists);
        bool good = exists && (bytes == previous || ref.contents.count(bytes)) &&
                    check::validate(bytes).empty();
        if (!good) ++corrupted;
        EXPECT_TRUE(good) << "trial " << t;
        if (bytes == previous) ++previous_kept;
        if (fs::exists(placefile() + ".tmp")) ++temp_left;

        // The storms saved so far are whole, and the next start draws every
        // one of them again (and saves them again unchanged).
        bool saved_exists = false;
        const std::string saved = slurp(dir + "/storms.txt", saved_exists);
        StormsRead before;
        if (saved_exists) {
            before = read_storms_file(saved);
            if (!before.file) ++storms_damaged;
            else if (!before.file->storms.empty()) ++storms_saved;
        }

        // The next start leaves no temporary file and writes a whole file.
        pid_t next = spawn_sim(dir, start);
        waitpid(next, &st, 0);
        if (fs::exists(placefile() + ".tmp") || fs::exists(dir + "/storms.txt.tmp"))
            ++stale_after_start;
        EXPECT_EQ(check::validate(disk()), "");
        if (before.file) {
            bool after_exists = false;
            StormsRead after = read_storms_file(slurp(dir + "/storms.txt", after_exists));
            if (!after.file || after.file->storms.size() != before.file->storms.size())
                ++storms_lost;
        }
    }
    EXPECT_EQ(storms_damaged, 0u);
    EXPECT_EQ(storms_lost, 0u);
    EXPECT_EQ(corrupted, 0u);
    EXPECT_EQ(stale_after_start, 0u);
    std::cout << "kill-during-write: " << trials << " trials over a " << run_us / 1000
              << " ms run, " << corrupted << " corrupted, " << previous_kept
              << " kept the previous file, " << temp_left << " killed with a temporary file "
              << "out, " << stale_after_start
              << " left after the next start; storms.txt: " << storms_saved << " held storms, "
              << storms_damaged << " damaged, " << storms_lost << " lost at the restart\n";
    RecordProperty("trials", std::to_string(trials));
    fs::remove(busy);
    fs::remove(start);
}

// A stale temporary file from a killed run goes at the next start, even when
// that start cannot write the placefile.
TEST_F(Integrity, StartRemovesAStaleTemporaryFile) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(placefile() + ".tmp") << "Title: Tess";
    std::ofstream(dir + "/storms.txt.tmp") << "tessaly-storms";
    boot("setting version \"4.2\"\nfault disk readonly\nstart\n");
    EXPECT_FALSE(fs::exists(placefile() + ".tmp"));
    EXPECT_FALSE(fs::exists(dir + "/storms.txt.tmp"));
    EXPECT_NE(out.str().find("Error: BuildPF Module : Permission denied"), std::string::npos);
}

// Each fault: the writer's message, the old file unchanged, the buffer
// intact; once the fault is gone the next write carries the whole buffer.
TEST_F(Integrity, DiskFaultsKeepBufferAndFile) {
    struct Case {
        const char* fault;
        const char* message;
    } cases[] = {
        {"full", "Disk full"},
        {"full 150", "Disk full"},  // room for part of the file only
        {"readonly", "Permission denied"},
        {"missing", "Path not found"},
        {"real-missing", "Path not found"},  // the folder itself removed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        // No storm letter: its hover's degree sign is one byte on disk, two in the buffer.
        boot(
            "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting grtype "
            "\"gr3\"\nsetting hkselect \"Q\"\n"
            "setting hkerase \"W\"\nsetting hketa \"X\"\nsetting storm_labels \"0\"\nstart\n"
            "desktop add \"KTLX - GRLevel3\"\nwait 1000\n"
            "desktop panel \"KTLX - GRLevel3\" \"35.0, -97.0\"\npress Q\nwait 5\n"
            "desktop panel \"KTLX - GRLevel3\" \"35.5, -96.5\"\nwait 5\n");
        const std::string before = disk();
        ASSERT_EQ(check::split_crlf(before).lines.size(), 9u);  // header and the start marker
        if (std::string(c.fault) == "real-missing") fs::remove_all(dir);
        else script(std::string("fault disk ") + c.fault + "\n");
        script("press Q\nwait 5\n");  // the projection's write fails
        FrmMain& m = app().frmMain();
        EXPECT_NE(out.str().find(std::string("msgbox \"Tessaly\" \"Error: BuildPF Module : ") +
                                 c.message + "\""),
                  std::string::npos)
            << out.str();
        EXPECT_GT(m.placefile.items.size(), 20u);  // the fan and the track are in the buffer
        EXPECT_EQ(m.tracker.text, "1");
        if (std::string(c.fault) == "real-missing") {
            EXPECT_FALSE(fs::exists(placefile()));
            fs::create_directories(dir);
        } else {
            EXPECT_EQ(disk(), before);
        }
        EXPECT_FALSE(fs::exists(placefile() + ".tmp"));
        EXPECT_FALSE(app().ended());

        const std::vector<std::string> kept = m.placefile.items;
        script(
            "fault disk off\ndesktop panel \"KTLX - GRLevel3\" \"35.2, -97.1\"\npress Q\nwait 5\n");
        std::vector<std::string> lines = check::split_crlf(disk()).lines;
        ASSERT_EQ(lines.size(), kept.size() + 2);  // the new start marker's two lines
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), lines.begin()));
        EXPECT_EQ(check::validate(disk()), "");
    }
}
