// The Windows platform against the real system (run under Wine on the build
// machines): windows and status bars, registry, files, code page, web.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_zones.h"
#include "storms/storms_file.h"
#include "win32/fixture/fake_viewer.h"
#include "win32/fixture/file_reader.h"
#include "win32/fixture/storms_writer.h"
#include "zones/zones.h"

namespace fs = std::filesystem;
using tessaly::PanelStatus;
using tessaly::Win32Platform;
using tessaly::win32::fixture::FakeViewer;
using tessaly::win32::fixture::TickCounter;

namespace {

const char kViewerTitle[] = "KTLX - GRLevel3";

std::string read_all(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string utf8_path(const fs::path& p) {
    auto u = p.u8string();
    return std::string(u.begin(), u.end());
}

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("tessaly-w32-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

}  // namespace

TEST(Win32Windows, ReportsNtFamily) { EXPECT_TRUE(Win32Platform::is_nt()); }

TEST(Win32Windows, EnumerationFindsTheViewer) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    Win32Platform p;
    auto titles = p.top_level_titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), kViewerTitle), titles.end());
}

TEST(Win32Windows, EnumerationConvertsTitlesToUtf8) {
    FakeViewer viewer("Z\xC3\xBCrich \xC2\xA4 - GRLevel3");
    ASSERT_TRUE(viewer.ok());
    Win32Platform p;
    auto titles = p.top_level_titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Z\xC3\xBCrich \xC2\xA4 - GRLevel3"),
              titles.end());
}

TEST(Win32StatusBar, ReadsPanelFour) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    ASSERT_EQ(viewer.parts(), 5);
    viewer.set_panel(4, "35.2231, -97.4412");
    Win32Platform p;
    auto r = p.read_panel(kViewerTitle, 4);
    EXPECT_EQ(r.status, PanelStatus::Text);
    EXPECT_EQ(r.text, "35.2231, -97.4412");
}

TEST(Win32StatusBar, ConvertsPanelTextFromTheCodePage) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    viewer.set_panel(4, "35\xB0 12'");
    Win32Platform p;
    auto r = p.read_panel(kViewerTitle, 4);
    EXPECT_EQ(r.status, PanelStatus::Text);
    EXPECT_EQ(r.text, "35\xC2\xB0 12'");
}

TEST(Win32StatusBar, EmptyPanel) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    viewer.set_panel(3, "not this one");
    Win32Platform p;
    EXPECT_EQ(p.read_panel(kViewerTitle, 4).status, PanelStatus::Empty);
}

TEST(Win32StatusBar, TextOf256CharactersCountsAsEmpty) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    Win32Platform p;
    viewer.set_panel(4, std::string(255, 'x'));
    auto r = p.read_panel(kViewerTitle, 4);
    EXPECT_EQ(r.status, PanelStatus::Text);
    EXPECT_EQ(r.text, std::string(255, 'x'));
    viewer.set_panel(4, std::string(256, 'x'));
    EXPECT_EQ(p.read_panel(kViewerTitle, 4).status, PanelStatus::Empty);
}

TEST(Win32StatusBar, UnknownTitleIsNoWindow) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    viewer.set_panel(4, "35.2231, -97.4412");
    Win32Platform p;
    EXPECT_EQ(p.read_panel("KTLX - GRLevel2", 4).status, PanelStatus::NoWindow);
    EXPECT_EQ(p.read_panel("KTLX - GRLevel", 4).status, PanelStatus::NoWindow);
}

TEST(Win32StatusBar, TitleMustMatchExactly) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    viewer.set_panel(4, "35.2231, -97.4412");
    Win32Platform p;
    EXPECT_EQ(p.read_panel("ktlx - grlevel3", 4).status, PanelStatus::NoWindow);
}

TEST(Win32StatusBar, WindowWithoutStatusBarIsNoWindow) {
    FakeViewer viewer("KICT - GRLevel3", false);
    Win32Platform p;
    EXPECT_EQ(p.read_panel("KICT - GRLevel3", 4).status, PanelStatus::NoWindow);
}

TEST(Win32StatusBar, RepeatedReadsReleaseTheirMemory) {
    FakeViewer viewer(kViewerTitle);
    ASSERT_TRUE(viewer.ok());
    viewer.set_panel(4, "35.2231, -97.4412");
    Win32Platform p;
    // Leaking a reservation per read would exhaust nothing this soon, but a
    // leaked process handle per read shows as a failure to open eventually.
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(p.read_panel(kViewerTitle, 4).status, PanelStatus::Text);
}

// The real use: the status bar belongs to another process, so the text goes
// through the buffer allocated in that process.
TEST(Win32StatusBar, ReadsPanelFourOfAnotherProcess) {
    const std::string title = "KOUN - GRLevel3";
    tessaly::win32::fixture::ViewerProcess viewer(title, "35.2231, -97.4412");
    ASSERT_TRUE(viewer.started());
    Win32Platform p;
    tessaly::PanelRead r;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        r = p.read_panel(title, 4);
        if (r.status == PanelStatus::Text) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(r.status, PanelStatus::Text);
    EXPECT_EQ(r.text, "35.2231, -97.4412");
    EXPECT_EQ(p.read_panel(title, 3).status, PanelStatus::Empty);
    auto titles = p.top_level_titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), title), titles.end());

    auto t0 = std::chrono::steady_clock::now();
    const int reads = 200;
    for (int i = 0; i < reads; ++i) ASSERT_EQ(p.read_panel(title, 4).status, PanelStatus::Text);
    auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    RecordProperty("microseconds_per_read", static_cast<int>(us / reads));
    std::printf("cross-process panel read: %lld us each\n", static_cast<long long>(us / reads));
}

// The buffer kept in the viewer's process between reads must not outlive it:
// a viewer restarted under the same title is read through a new one.
TEST(Win32StatusBar, ReadsAViewerRestartedUnderTheSameTitle) {
    const std::string title = "KFWS - GRLevel3";
    Win32Platform p;
    for (const char* text : {"32.1, -97.1", "33.2, -96.2"}) {
        tessaly::win32::fixture::ViewerProcess viewer(title, text);
        ASSERT_TRUE(viewer.started());
        tessaly::PanelRead r;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < until) {
            r = p.read_panel(title, 4);
            if (r.status == PanelStatus::Text) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(r.text, text);
    }
}

TEST(Win32Settings, RoundTrip) {
    const std::string app = "TessalyWin32Test";
    tessaly::win32::fixture::delete_settings(app);
    Win32Platform p;
    EXPECT_EQ(p.get_setting(app, "Korvel3", "projection"), "");
    p.save_setting(app, "Korvel3", "projection", "2");
    p.save_setting(app, "Korvel3", "town", "Z\xC3\xBCrich \xC2\xA4");
    EXPECT_EQ(p.get_setting(app, "Korvel3", "projection"), "2");
    EXPECT_EQ(p.get_setting(app, "Korvel3", "town"), "Z\xC3\xBCrich \xC2\xA4");
    p.save_setting(app, "Korvel3", "projection", "");
    EXPECT_EQ(p.get_setting(app, "Korvel3", "projection"), "");
    EXPECT_EQ(p.get_setting(app, "Korvel3", "missing"), "");
    EXPECT_EQ(p.get_setting(app, "Other", "town"), "");
    std::string long_value(5000, 'v');
    p.save_setting(app, "Korvel3", "long", long_value);
    EXPECT_EQ(p.get_setting(app, "Korvel3", "long"), long_value);
    tessaly::win32::fixture::delete_settings(app);
    EXPECT_EQ(p.get_setting(app, "Korvel3", "town"), "");
}

TEST(Win32Files, ReplaceFileRoundTrip) {
    TempDir dir;
    Win32Platform p;
    std::string target = utf8_path(dir.path / "korvel.txt");
    EXPECT_FALSE(p.file_size(target));
    EXPECT_EQ(p.replace_file(target, "first\r\n"), std::nullopt);
    EXPECT_EQ(read_all(dir.path / "korvel.txt"), "first\r\n");
    EXPECT_EQ(p.file_size(target), 7);
    EXPECT_EQ(p.replace_file(target, "second, longer\r\n"), std::nullopt);
    EXPECT_EQ(read_all(dir.path / "korvel.txt"), "second, longer\r\n");
    EXPECT_EQ(p.replace_file(target, "x"), std::nullopt);
    EXPECT_EQ(read_all(dir.path / "korvel.txt"), "x");
    EXPECT_FALSE(fs::exists(dir.path / "korvel.txt.tmp"));
}

// A run killed between writing the temporary file and the rename leaves it
// behind; the next start removes it (the placefile's and the saved storms')
// and leaves the placefile alone.
TEST(Win32Files, StaleTemporaryFileGoesAtStart) {
    Win32Platform p;
    fs::path folder = fs::u8path(p.program_folder());
    fs::path tmp = folder / "korvel.txt.tmp", storms_tmp = folder / "storms.txt.tmp";
    std::ofstream(tmp, std::ios::binary) << "half a placefile";
    std::ofstream(storms_tmp, std::ios::binary) << "half the storms";
    ASSERT_TRUE(fs::exists(tmp));
    ASSERT_TRUE(fs::exists(storms_tmp));
    p.remove_stale_temp();
    EXPECT_FALSE(fs::exists(tmp));
    EXPECT_FALSE(fs::exists(storms_tmp));
    p.remove_stale_temp();  // nothing there: no harm
}

TEST(Win32Files, ReplaceFileWhileAReaderHoldsIt) {
    TempDir dir;
    Win32Platform p;
    std::string target = utf8_path(dir.path / "korvel.txt");
    ASSERT_EQ(p.replace_file(target, "old content\r\n"), std::nullopt);
    {
        std::ifstream reader(dir.path / "korvel.txt", std::ios::binary);
        ASSERT_TRUE(reader.good());
        EXPECT_EQ(p.replace_file(target, "new\r\n"), std::nullopt);
    }
    EXPECT_EQ(read_all(dir.path / "korvel.txt"), "new\r\n");
    EXPECT_FALSE(fs::exists(dir.path / "korvel.txt.tmp"));
}

// A viewer re-reads the placefile while Tessaly replaces it: every read it
// makes, in another process, must be one whole version or the other.
TEST(Win32Files, ReplaceFileWhileAnotherProcessReadsIt) {
    using tessaly::win32::fixture::placefile_version;
    TempDir dir;
    Win32Platform p;
    fs::path file = dir.path / "korvel.txt";
    std::string target = utf8_path(file);
    ASSERT_EQ(p.replace_file(target, placefile_version(1)), std::nullopt);
    tessaly::win32::fixture::ReaderProcess reader(target);
    ASSERT_TRUE(reader.started());
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(dir.path / "korvel.txt.ready") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(dir.path / "korvel.txt.ready"));

    const int replaces = 2000;
    int failed = 0;
    auto t0 = std::chrono::steady_clock::now();
    // Slow replaces are mostly renames refused while the reader held the file.
    int slow = 0;
    long long slowest_ms = 0;
    for (int i = 0; i < replaces; ++i) {
        auto r0 = std::chrono::steady_clock::now();
        if (p.replace_file(target, placefile_version(i % 2))) ++failed;
        auto one = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - r0)
                       .count();
        if (one >= 5) ++slow;
        slowest_ms = std::max<long long>(slowest_ms, one);
    }
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    std::ofstream(dir.path / "korvel.txt.stop").put('\n');
    int code = reader.wait(30000);
    std::string result = read_all(dir.path / "korvel.txt.result");
    long long reads = -1, torn = -1, retries = -1;
    std::sscanf(result.c_str(), "reads %lld torn %lld retries %lld", &reads, &torn, &retries);
    std::printf(
        "placefile replaced %d times in %lld ms (%d took 5 ms or more, slowest %lld ms); "
        "reader: %lld reads checked, %lld torn, %lld open retries\n",
        replaces, static_cast<long long>(ms), slow, slowest_ms, reads, torn, retries);
    RecordProperty("reads_checked", static_cast<int>(reads));
    RecordProperty("torn_reads", static_cast<int>(torn));
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(code, 0) << result;
    EXPECT_GT(reads, 0) << result;
    EXPECT_EQ(torn, 0) << result;
    EXPECT_EQ(read_all(file), placefile_version(1));
}

static long env_or(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

// Another process saves the storms, one more each time, and is killed at a
// random moment of its saves: storms.txt must read back whole and hold every
// storm of the last save it finished (or, killed before its first, the file
// the previous trial left).
TEST(Win32Files, KilledDuringStormSavesTheFileIsWholeAndNothingIsLost) {
    using tessaly::win32::fixture::last_logged_count;
    using tessaly::win32::fixture::StormsWriterProcess;
    const int trials = static_cast<int>(env_or("TESSALY_KILL_TRIALS", 100));
    // Each kill comes after a random one of the first `saves` saves has
    // finished, a random part of one save's time later (timed by saves, not
    // by the clock alone: a busy machine makes the saves' pace vary widely).
    // A killed writer would go on to four times as many.
    const int saves = 30;
    TempDir dir;
    const std::string folder = utf8_path(dir.path);
    const fs::path file = dir.path / "storms.txt", log = dir.path / "storms.log",
                   tmp = dir.path / "storms.txt.tmp";
    // Waits for the writer's log, created before its first save: the kill
    // is timed from there, past the process's start.
    auto wait_for_log = [&] {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(log) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return fs::exists(log);
    };

    // Whole runs, for one save's time: the middle one of three.
    long runs_us[3] = {};
    for (long& run_us : runs_us) {
        fs::remove(log);
        StormsWriterProcess writer(folder, saves);
        ASSERT_TRUE(writer.started());
        ASSERT_TRUE(wait_for_log());
        auto t0 = std::chrono::steady_clock::now();
        ASSERT_EQ(writer.wait(60000), 0);
        run_us = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                       std::chrono::steady_clock::now() - t0)
                                       .count());
        ASSERT_EQ(last_logged_count(folder), saves);
        ASSERT_EQ(read_all(file), tessaly::win32::fixture::storms_text(saves));
    }
    std::sort(std::begin(runs_us), std::end(runs_us));
    const long run_us = runs_us[1];

    std::mt19937 rng(static_cast<unsigned>(env_or("TESSALY_KILL_SEED", 9)));
    std::uniform_int_distribution<int> after(0, saves - 1);
    std::uniform_int_distribution<long> within(0, run_us / saves);
    int damaged = 0, lost = 0, stray = 0, temp_left = 0, finished = 0, no_writer = 0, ahead = 0;
    long long counts = 0;
    size_t before = static_cast<size_t>(saves);  // storms the previous trial left
    auto t0 = std::chrono::steady_clock::now();
    for (int t = 0; t < trials; ++t) {
        fs::remove(log);
        StormsWriterProcess writer(folder, 4 * saves);
        if (!writer.started() || !wait_for_log()) {
            ++no_writer;
            continue;
        }
        const int k = after(rng);
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (last_logged_count(folder) < k && writer.wait(0) == -1 &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::microseconds(within(rng)));
        if (!writer.kill()) ++finished;
        const int done = last_logged_count(folder);
        counts += done;
        if (fs::exists(tmp)) ++temp_left;
        fs::remove(tmp);  // as the next start does

        const std::string bytes = read_all(file);
        tessaly::StormsRead r = tessaly::read_storms_file(bytes);
        // Whole: one of the texts written, read back.
        const size_t n = r.file ? r.file->storms.size() : 0;
        if (!r.file || bytes != tessaly::win32::fixture::storms_text(static_cast<int>(n))) {
            ++damaged;
            ADD_FAILURE() << "trial " << t << ": " << (r.file ? "not a text written" : r.problem);
            continue;
        }
        if (n < static_cast<size_t>(done)) {
            ++lost;
            ADD_FAILURE() << "trial " << t << ": " << n << " storms, " << done << " saved";
        }
        // The save in progress at the kill (renamed, not yet logged), or
        // none yet this trial.
        if (done > 0 && n == static_cast<size_t>(done) + 1) ++ahead;
        // Counted, not failed: under load Wine may report a killed writer
        // gone a moment before it stops, and a save more loses nothing.
        if (done == 0 ? n != before && n != 1 : n > static_cast<size_t>(done) + 1) ++stray;
        before = n;
    }
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    std::printf(
        "storms kill test: %d trials in %lld ms, each kill after one of the first %d "
        "saves (a run of them %ld ms) and up to one save's time more "
        "(%.1f saves finished per kill on average, %d runs finished first, %d killed "
        "after a rename before its log line); %d damaged, %d lost, %d with a temporary "
        "file left, %d out of step with the log, %d writers not started\n",
        trials, static_cast<long long>(ms), saves, run_us / 1000,
        trials ? static_cast<double>(counts) / trials : 0.0, finished, ahead, damaged, lost,
        temp_left, stray, no_writer);
    RecordProperty("trials", trials);
    RecordProperty("damaged", damaged);
    RecordProperty("lost", lost);
    RecordProperty("temp_left", temp_left);
    EXPECT_EQ(no_writer, 0);
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(lost, 0);
}

TEST(Win32Files, ReplaceFileInAMissingFolderFails) {
    TempDir dir;
    Win32Platform p;
    auto err = p.replace_file(utf8_path(dir.path / "no" / "such" / "korvel.txt"), "x");
    ASSERT_TRUE(err);
    EXPECT_FALSE(err->empty());
}

TEST(Win32Files, ProgramFolderAndName) {
    Win32Platform p;
    std::string folder = p.program_folder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_EQ(p.application_name(), "win32_tests");
    EXPECT_TRUE(p.file_size(folder + "\\win32_tests.exe"));
}

// The alert sound beside the program. Whether it is heard depends on the
// machine (Wine here may have no sound device), so the result is printed;
// what must hold is that a file that cannot play is never reported played.
TEST(Win32Sound, PlaysTheAlertSoundOrSaysWhyNot) {
    Win32Platform p;
    const std::string wav = p.program_folder() + "\\alert.wav";
    ASSERT_TRUE(p.file_size(wav)) << wav;
    const auto why = p.play_sound(wav);
    std::printf("play_sound(alert.wav): %s\n", why ? why->c_str() : "played");
    std::fflush(stdout);
    if (why) {
        EXPECT_FALSE(why->empty());
    }
    const auto missing = p.play_sound(p.program_folder() + "\\no-such-sound.wav");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->empty());
    Sleep(800);  // the sound ends before the process does
}

TEST(Win32CodePage, CurrencySignIsA4) {
    Win32Platform p;
    EXPECT_EQ(p.to_codepage("\xC2\xA4"), "\xA4");
    EXPECT_EQ(p.from_codepage("\xA4"), "\xC2\xA4");
    EXPECT_EQ(p.to_codepage("plain"), "plain");
    EXPECT_EQ(p.to_codepage("\xE2\x82\xAC"), "\x80");                // the euro sign
    EXPECT_EQ(p.to_codepage("Kr\xC4\x81ko\xE2\x98\x83"), "Kr?ko?");  // not in the code page
    EXPECT_EQ(p.from_codepage(p.to_codepage("Z\xC3\xBCrich")), "Z\xC3\xBCrich");
}

TEST(Win32Clipboard, HoldsUnicodeText) {
    Win32Platform p;
    ASSERT_TRUE(p.set_clipboard_text("35.2231, -97.4412 Z\xC3\xBCrich \xE2\x82\xAC"));
    EXPECT_EQ(tessaly::win32::fixture::clipboard_text(),
              "35.2231, -97.4412 Z\xC3\xBCrich \xE2\x82\xAC");
}

TEST(Win32Locale, ClockAndSeparator) {
    Win32Platform p;
    auto t = p.local_time();
    EXPECT_GE(t.hour24, 0);
    EXPECT_LE(t.hour24, 23);
    EXPECT_LE(t.minute, 59);
    EXPECT_LE(t.second, 59);
    EXPECT_FALSE(p.thousands_separator().empty());
}

// Whatever the system's zone, the program can read its clocks.
TEST(Win32Locale, TimeZoneIsOneTheZonesRead) {
    Win32Platform p;
    std::string zone = p.time_zone();
    // Under Wine it follows the host's TZ: "Atlantic/Reykjavik" for UTC (Wine
    // calls that Greenwich Standard Time), "America/Chicago" for TZ=America/Chicago.
    RecordProperty("time_zone", zone);
    EXPECT_TRUE(tessaly::zones::find_zone(zone)) << zone;
}

TEST(Win32Locale, ZoneKeysAndRulesOfTheirBiases) {
    using tessaly::win32::iana_of_windows_zone;
    using tessaly::win32::posix_rule_of;
    EXPECT_STREQ(iana_of_windows_zone("Central Standard Time"), "America/Chicago");
    EXPECT_STREQ(iana_of_windows_zone("UTC"), "Etc/UTC");
    EXPECT_EQ(iana_of_windows_zone("Central Standard Time (Mars)"), nullptr);
    // SYSTEMTIME: year, month, day of week, day (the week: 5 the last), hour...
    TIME_ZONE_INFORMATION us{};
    us.Bias = 360;
    us.DaylightBias = -60;
    us.DaylightDate = SYSTEMTIME{0, 3, 0, 2, 2, 0, 0, 0};
    us.StandardDate = SYSTEMTIME{0, 11, 0, 1, 2, 0, 0, 0};
    EXPECT_EQ(posix_rule_of(us), "<-06>6<-05>,M3.2.0,M11.1.0");
    auto z = tessaly::zones::find_zone(posix_rule_of(us));
    ASSERT_TRUE(z);
    EXPECT_EQ(z->local(1780290000).hour24, 0);  // 2026-06-01 05:00 UTC
    EXPECT_EQ(z->local(1780290000).abbreviation, "-05");
    TIME_ZONE_INFORMATION nf = us;  // Newfoundland; a change at 23:59:59.999
    nf.Bias = 210;
    nf.StandardDate = SYSTEMTIME{0, 10, 6, 5, 23, 59, 59, 999};
    EXPECT_EQ(posix_rule_of(nf), "<-0330>3:30<-0230>,M3.2.0,M10.5.6/24");
    // Wine gives a zone it has no key for this year's dates (year 2026 here).
    TIME_ZONE_INFORMATION nuuk = us;
    nuuk.Bias = 120;
    nuuk.DaylightDate = SYSTEMTIME{2026, 3, 6, 28, 23, 0, 0, 0};
    nuuk.StandardDate = SYSTEMTIME{2026, 10, 0, 25, 0, 0, 0, 0};
    EXPECT_EQ(posix_rule_of(nuuk), "<-02>2<-01>,J87/23,J298/0");
    TIME_ZONE_INFORMATION india{};
    india.Bias = -330;
    EXPECT_EQ(posix_rule_of(india), "<+0530>-5:30");
    EXPECT_TRUE(tessaly::zones::find_zone(posix_rule_of(nf)));
    EXPECT_TRUE(tessaly::zones::find_zone(posix_rule_of(india)));
}

// F13: not on the test machine's keyboards, so nobody else presses it.
constexpr int kTestKey = 0x7C;

static void settle() {
    // Injected input reaches the key state through the window system.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

TEST(Win32Keys, APressIsReportedOnceWhileHeld) {
    Win32Platform p;
    p.async_key_state(kTestKey);
    tessaly::win32::fixture::send_key(kTestKey, true);
    settle();
    EXPECT_EQ(p.async_key_state(kTestKey), 0x8001);
    EXPECT_EQ(p.async_key_state(kTestKey), 0x8000);
    // Autorepeat: further downs without an up.
    for (int i = 0; i < 3; ++i) {
        tessaly::win32::fixture::send_key(kTestKey, true);
        settle();
        EXPECT_EQ(p.async_key_state(kTestKey), 0x8000);
    }
    tessaly::win32::fixture::send_key(kTestKey, false);
    settle();
    EXPECT_EQ(p.async_key_state(kTestKey), 0);
    EXPECT_EQ(p.async_key_state(kTestKey), 0);
}

TEST(Win32Keys, ATapBetweenQueriesIsReportedOnce) {
    Win32Platform p;
    p.async_key_state(kTestKey);
    tessaly::win32::fixture::send_key(kTestKey, true);
    tessaly::win32::fixture::send_key(kTestKey, false);
    settle();
    EXPECT_EQ(p.async_key_state(kTestKey), 0x8001);
    EXPECT_EQ(p.async_key_state(kTestKey), 0);
}

TEST(Win32Keys, OutOfRangeCodesReadZero) {
    Win32Platform p;
    EXPECT_EQ(p.async_key_state(0), 0);
    EXPECT_EQ(p.async_key_state(256), 0);
}

TEST(Win32Web, RefusedConnectionIsAnError) {
    Win32Platform p;
    // Port 1 on loopback: nothing listens there on a test machine.
    int id = p.fetch_start("http://127.0.0.1:1/findNearbyPlaceName?lat=1&lng=2");
    p.pump_until([&] { return p.fetch_done(id); });
    auto r = p.fetch_take(id);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error_number, 0);
    EXPECT_FALSE(r.error.empty());
    std::printf("refused connection: %d %s\n", r.error_number, r.error.c_str());
    EXPECT_EQ(p.fetch_take(id).error, "Request was cancelled");  // id forgotten
}

// The loopback test server's address ("http://127.0.0.1:PORT"), from the
// environment; started by whoever runs the tests.
static std::string web_base() {
    const char* v = std::getenv("TESSALY_TEST_WEB");
    return v ? v : "";
}

TEST(Win32Web, FetchesFromTheTestServerWhileTimersRun) {
    std::string base = web_base();
    if (base.empty()) GTEST_SKIP() << "TESSALY_TEST_WEB not set";
    Win32Platform p;
    TickCounter timer(50);
    auto t0 = std::chrono::steady_clock::now();
    int ids[3];
    for (auto& id : ids)
        id = p.fetch_start(base + "/findNearbyPlaceName?lat=35.47&lng=-97.52&radius=15");
    p.pump_until([&] {
        return std::all_of(std::begin(ids), std::end(ids),
                           [&](int id) { return p.fetch_done(id); });
    });
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    for (int id : ids) {
        auto r = p.fetch_take(id);
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_GT(r.http_status, 0);
        EXPECT_FALSE(r.body.empty());
    }
    // The server holds replies back (--delay-ms); the timer kept ticking meanwhile.
    if (ms >= 500) {
        EXPECT_GE(timer.ticks(), 3) << ms << " ms";
    }
}

TEST(Win32Web, AbandonReturnsAtOnce) {
    std::string base = web_base();
    if (base.empty()) GTEST_SKIP() << "TESSALY_TEST_WEB not set";
    auto t0 = std::chrono::steady_clock::now();
    {
        Win32Platform p;
        int id = p.fetch_start(base + "/findNearbyPlaceName?lat=35.47&lng=-97.52&radius=15");
        p.fetch_abandon(id);
        EXPECT_TRUE(p.fetch_done(id));
        EXPECT_FALSE(p.fetch_take(id).ok);
    }  // the platform goes while the request is still out
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    EXPECT_LT(ms, 200);
}

// A server that holds every reply back longer than the timeout
// (TESSALY_TEST_WEB_SLOW, e.g. fake_geonames.py --delay-ms 15000).
TEST(Win32Web, TimesOutAfterTenSeconds) {
    const char* slow = std::getenv("TESSALY_TEST_WEB_SLOW");
    if (!slow || !*slow) GTEST_SKIP() << "TESSALY_TEST_WEB_SLOW not set";
    Win32Platform p;
    TickCounter timer(100);
    auto t0 = std::chrono::steady_clock::now();
    int id =
        p.fetch_start(std::string(slow) + "/findNearbyPlaceName?lat=35.47&lng=-97.52&radius=15");
    p.pump_until([&] { return p.fetch_done(id); });
    auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    auto r = p.fetch_take(id);
    std::printf("timeout after %lld ms: %d %s\n", static_cast<long long>(ms), r.error_number,
                r.error.c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error_number, 0);
    EXPECT_GE(ms, 9000);
    EXPECT_LE(ms, 12000);
    EXPECT_GE(timer.ticks(), 50);
}
