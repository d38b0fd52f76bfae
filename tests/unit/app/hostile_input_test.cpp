// Hostile and broken outside input through the whole program: status-bar
// panel texts, web replies and stored settings. Whatever comes in, the
// program keeps running and every buffer line stays one placefile line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../reliability/placefile_check.h"
#include "app/app.h"
#include "editor/frm_edit.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "sim_fixture.h"
#include "watched/watched.h"

using namespace tessaly;
namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
const char* kViewer = "KTLX - GRLevel3";

struct Hostile : SimTest {
    std::string disk() {
        std::ifstream f(dir + "/korvel.txt", std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // The file must hold exactly the buffer, one line per entry.
    void expect_file_mirrors_buffer() {
        check::FileLines f = check::split_crlf(disk());
        EXPECT_EQ(f.why, "");
        // The watched places' labels follow the buffer.
        EXPECT_EQ(f.lines.size(),
                  app().frmMain().placefile.items.size() + app().frmMain().watched_lines.size());
        EXPECT_EQ(check::validate(disk()), "");
    }
    void panel(const std::string& text) { sim->platform().desktop[0].panels[4] = text; }
    size_t messages() {
        size_t n = 0;
        for (size_t at = out.str().find("msgbox"); at != std::string::npos;
             at = out.str().find("msgbox", at + 1))
            ++n;
        return n;
    }
    void boot_with_viewer(const std::string& settings = "") {
        boot(
            "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting eta_style "
            "\"classic\"\nsetting grtype \"gr3\"\nsetting hkselect \"Q\"\n"
            "setting hkerase \"W\"\nsetting hketa \"X\"\n" +
            settings + "clock 11:50:00 12h\nstart\ndesktop add \"" + kViewer + "\"\nwait 1000\n");
    }
};

std::string record(const std::string& name, const std::string& lat,
                   const std::string& lng = "-97") {
    return "<geoname><name>" + name + "</name><lat>" + lat + "</lat><lng>" + lng +
           "</lng><distance>1</distance></geoname>\n";
}

}  // namespace

// Each text as panel 4 at the first mark: what the cursor fields hold after
// it (hand-split at the first comma, up to a ">" after it, blanks trimmed).
TEST_F(Hostile, PanelTextsAtTheSelectKey) {
    const std::string lat255 = "35.1, " + std::string(249, '9');  // 255 bytes
    struct Case {
        std::string panel, lat, lon;
        bool message;
    } cases[] = {
        {"", "old", "old", false},                       // empty: nothing read
        {lat255, "35.1", std::string(249, '9'), false},  // the longest text read
        {lat255 + "9", "old", "old", false},             // 256: nothing read
        {"35.1 -97.2", "old", "old", true},              // no comma: function_keys
        {"35.1,,-97.2,,,", "35.1", ",-97.2,,,", false},  // many commas
        {"north, west", "north", "west", false},         // unchecked text
        {"35.1\xC2\xB0, -97.2\xC2\xB0", "35.1\xC2\xB0", "-97.2\xC2\xB0", false},  // bytes > 127
        {"35.1, -97.2>Polygon:", "35.1", "-97.2", false},  // ">" cuts the longitude
        // Line breaks become blanks and ";" a comma: the texts go into placefile lines.
        {"35.1\r\nPolygon:, -97.2\nEnd:", "35.1  Polygon:", "-97.2 End:", false},
        {"35.1;x, -97.2; ;eta#1", "35.1,x", "-97.2, ,eta#1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.panel);
        boot_with_viewer();
        FrmMain& m = app().frmMain();
        m.cursor_lat.text = m.cursor_lon.text = "old";
        panel(c.panel);
        size_t before = messages();
        script("press Q\nwait 10\n");
        EXPECT_EQ(m.cursor_lat.text, c.lat);
        EXPECT_EQ(m.cursor_lon.text, c.lon);
        EXPECT_EQ(messages() - before, c.message ? 1u : 0u) << out.str();
        if (c.message) {
            EXPECT_NE(out.str().find("Source: function_keys Description: Invalid procedure call"),
                      std::string::npos);
        }
        expect_file_mirrors_buffer();
    }
    // The last case's marker on disk: one line, no comment in it.
    EXPECT_NE(disk().find("Text: 35.1,x, -97.2, ,eta#1, 1, \xA4\r\n"), std::string::npos);
    // A byte above 127 goes to disk in the code page.
    boot_with_viewer();
    panel("35.1\xC2\xB0, -97.2");
    script("press Q\nwait 10\n");
    EXPECT_NE(disk().find("Text: 35.1\xB0, -97.2, 1, \xA4\r\n"), std::string::npos);
}

// Storm motion reads the panel every millisecond: bad texts are skipped
// silently and the last good position stays.
TEST_F(Hostile, PanelTextsDuringStormMotion) {
    boot_with_viewer();
    panel("35.0, -97.0");
    script("press Q\nwait 10\n");
    panel("36.0, -97.0");
    script("wait 10\n");
    const std::string speed = app().frmMain().cell_speed.text;
    EXPECT_EQ(speed, "60");  // one degree of latitude: 59.998 nm with the program's constants
    size_t before = messages();
    for (const char* t : {"", "no comma here", "x, y", "35.1\xFF\xFE, \x01\x02", ",", ">,>"}) {
        panel(t);
        script("wait 20\n");
    }
    EXPECT_EQ(messages(), before) << out.str();
    EXPECT_TRUE(app().frmMain().find_distance.enabled);
    panel("36.0, -97.0");
    script("wait 10\npress Q\nwait 10\n");
    EXPECT_EQ(app().frmMain().tracker.text, "1");
    expect_file_mirrors_buffer();
}

// Reply bodies read by the lookup: decoded, cleaned to one line and cut to
// 100 characters; text that is no record yields nothing.
TEST_F(Hostile, ReplyBodiesAndNames) {
    boot_with_viewer();
    FrmMain& m = app().frmMain();
    FrmEditETA& ed = app().frmEditETA();
    ed.eta_rgb.text = "255,255,0";
    ed.eta_fontsize.text = "14";
    ed.eta_rep.text = "ETA";
    ed.showcity.checked = ed.showtime.checked = ed.etaqc_historic.checked = false;
    m.start_lat.text = "35";
    m.start_lon.text = "-97";
    m.disazimuth.text = "0";
    m.tracker.text = "3";
    FrmNewETA& lookup = app().frmNewETA();
    lookup.mph.text = "72";
    auto read = [&](const std::string& body) {
        lookup.one.items.clear();
        lookup.two.items.clear();
        lookup.buffer.text = body;
        lookup.readdata();
        return lookup.one.items;
    };

    size_t lines = m.placefile.items.size();
    EXPECT_TRUE(read(" \r\n\t \r\n").empty());
    EXPECT_TRUE(read("<geonames><status message=\"x\" value=\"18\"/></geonames>").empty());
    EXPECT_TRUE(read("\xFF\xFE<\x00n>").empty());
    EXPECT_EQ(m.placefile.items.size(), lines);  // nothing appended, nothing written

    // Invalid UTF-8 bytes each become U+FFFD, which has no 1252 byte ("?").
    EXPECT_EQ(read(record("Bad\xFF\xFEName\xC3", "35.1")),
              Strings{"Bad\xEF\xBF\xBD\xEF\xBF\xBDName\xEF\xBF\xBD"});
    EXPECT_NE(disk().find("Text:  0, 0, 1, ETA ,Bad??Name? 11:55 ;eta#3\r\n"), std::string::npos);

    // References to control characters and line separators become blanks;
    // &#0; is no character at all and becomes U+FFFD.
    EXPECT_EQ(read(record("A&#10;B&#13;C&#9;D&#0;E&#x7F;F&#x85;G&#x2028;H&#x1f;I", "35.1")),
              Strings{"A B C D\xEF\xBF\xBD"
                      "E F G H I"});

    // Quotes and commas are text; a ";" (also as a reference) would start a
    // comment in the viewer and hide the ETA tag, so it is written as ",".
    const std::string odd = "Say &quot;Hi&quot;, y'all; \"ok\"\tnow&#59; ;eta#1";
    EXPECT_EQ(read(record(odd, "35.1")), Strings{"Say \"Hi\", y'all, \"ok\" now, ,eta#1"});
    EXPECT_NE(
        disk().find("Text:  0, 0, 1, ETA ,Say \"Hi\", y'all, \"ok\" now, ,eta#1 11:55 ;eta#3\r\n"),
        std::string::npos);

    // 500 characters are cut to 100, on a character boundary for non-ASCII.
    EXPECT_EQ(read(record(std::string(500, 'a'), "35.1")), Strings{std::string(100, 'a')});
    std::string e500, e100;
    for (int i = 0; i < 500; ++i) e500 += "\xC3\xA9";
    for (int i = 0; i < 100; ++i) e100 += "\xC3\xA9";
    EXPECT_EQ(read(record(e500, "35.1")), Strings{e100});
    EXPECT_EQ(read(record(std::string(100, 'b'), "35.1")), Strings{std::string(100, 'b')});
    // The historical tag goes before the cut: 95 + 1 blank characters remain.
    ed.etaqc_historic.checked = true;
    EXPECT_EQ(read(record(std::string(95, 'c') + " (historical)", "35.1")),
              Strings{std::string(95, 'c') + " "});
    ed.etaqc_historic.checked = false;
    expect_file_mirrors_buffer();
}

// Bodies past 1 MiB are refused as a whole with the run's one message; a
// body of exactly 1 MiB is still read.
TEST_F(Hostile, ReplyBodyCap) {
    boot_with_viewer();
    const std::string big = dir + "-big.xml", edge = dir + "-edge.xml";
    {
        // 0.1 degree due north of the track's start: 6 nm, 12 minutes at 30 knots.
        std::string rec = record("Northtown", "35.75", "-97.2");
        std::ofstream b(big, std::ios::binary);
        b << "<geonames>\n";
        for (size_t n = 0; n < 50u * 1024 * 1024; n += rec.size()) b << rec;
        b << "</geonames>\n";
        std::string body = rec;
        body.resize(kReplyLimitBytes, ' ');
        std::ofstream(edge, std::ios::binary) << body;
    }
    sim->platform().desktop[0].panels[4] = "35.65, -97.2";
    script("press Q\nwait 5\n");
    sim->platform().desktop[0].panels[4] = "36.15, -97.2";
    script("wait 5\npress Q\nwait 5\n");
    // Forward slashes: a script's quoted text treats a backslash as an escape.
    const std::string big_in_script = fs::path(big).generic_string(),
                      edge_in_script = fs::path(edge).generic_string();
    std::string replies = "web reply \"" + big_in_script + "\"\n";
    for (int i = 0; i < 7; ++i) replies += "web reply \"" + edge_in_script + "\"\n";
    script(replies + "press X\nwait 10\n");
    EXPECT_NE(out.str().find("msgbox \"Tessaly\" \"Source: run_eta Description: The reply is "
                             "larger than 1 MiB\\rNumber: 12152\""),
              std::string::npos)
        << out.str().substr(0, 2000);
    EXPECT_EQ(messages(), 1u);
    // The seven 1 MiB replies were read (one entry left after the duplicates go).
    EXPECT_EQ(app().frmNewETA().List1.items, Strings{"12:02  Northtown"});
    expect_file_mirrors_buffer();
    fs::remove(big);
    fs::remove(edge);
}

// Every numeric setting empty, non-numeric, negative and huge, and colour
// texts with too few or too many fields: a whole session (cone, fan, wedge,
// bow echo, ETA) runs, and the file still mirrors the buffer whole.
TEST_F(Hostile, HostileSettings) {
    const char* numeric[] = {"border_width", "polygon_trans",     "track_width",    "eta_text",
                             "eta_border",   "eta_tag",           "eta_background", "eta_radius",
                             "eta_historic", "eta_fontsize",      "displayeta",     "displayetamed",
                             "displayeta2",  "showcity",          "showtime",       "eta_pop",
                             "mark_minutes", "projection_minutes"};
    const char* numbers[] = {"",    "abc",  "-5",  "-1e308",    "1e308", "99999999999999999999999",
                             "nan", "0x1F", " 7 ", "4294967296"};
    const char* colour[] = {"border_rgb", "polygon_rgb", "track_rgb", "eta_rgb"};
    const char* colours[] = {"",
                             "1",
                             "1,",
                             "1, 2,",
                             "1, 2, 3, 4, 5, 6,",
                             ",,,,,",
                             "300, -1, x,",
                             "1,2,3,4",
                             "9999999999, 1, 1,"};
    std::vector<std::pair<std::string, std::string>> trials;
    for (auto* k : numeric)
        for (auto* v : numbers) trials.emplace_back(k, v);
    for (auto* k : colour)
        for (auto* v : colours) trials.emplace_back(k, v);
    for (auto* v : numbers) trials.emplace_back("tag_text_edit", v);
    // The pathcast's settings, read by a pathcast view (eta_style's own
    // hostile values give one as well).
    const char* pathcast[] = {"eta_style",      "frame_delay",
                              "pathcast_miles", "pathcast_min_population",
                              "clock_style",    "pathcast_width"};
    for (auto* k : pathcast)
        for (auto* v : {"abc", "-5", "1e308", "99999999999999999999999", " 7 "})
            trials.emplace_back(k, v);
    // The watched places' settings, read by the alert test of a place in the path.
    for (auto* k : {"alert_minutes", "alert_sound"})
        for (auto* v : numbers) trials.emplace_back(k, v);

    const std::string geo = std::string(TESSALY_TESTDATA) + "/geonames/";
    for (auto& [key, value] : trials) {
        SCOPED_TRACE(key + " = \"" + value + "\"");
        // The defaults are written for empty keys at start; set the value after.
        boot_with_viewer();
        // A value the start-up load fails on ends the load before the viewer
        // choice (as designed): choose the viewer by hand so the session runs.
        std::string s = "setting " + key + " \"" + value + "\"\nrestart\nwait 1000\n" +
                        "click frmMain.optgr3\n";
        if (key.find("pathcast") != std::string::npos || key == "frame_delay" ||
            key == "clock_style")
            s = "setting eta_style \"pathcast\"\n" + s;
        if (key.rfind("alert_", 0) == 0) s = "file \"watched.txt\" \"Home,35.9,-97.15\"\n" + s;
        s += "desktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\npress Q\nwait 5\n";
        s += "desktop panel \"KTLX - GRLevel3\" \"36.15, -97.1\"\nwait 5\npress Q\nwait 5\n";
        for (int i = 0; i < 8; ++i) s += "web reply \"" + geo + "ok_luther_r5_1place.xml\"\n";
        s += "press X\nwait 10\n";
        for (const char* shape : {"cone", "wedge"}) {
            s += std::string("click frmMain.mnu_projection_") + shape + "\n";
            s += "desktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\npress Q\nwait 5\n";
            s += "desktop panel \"KTLX - GRLevel3\" \"36.15, -97.3\"\nwait 5\npress Q\nwait 5\n";
        }
        s += "click frmMain.mnubowecho\n";
        for (int i = 0; i < 8; ++i)
            s += "desktop panel \"KTLX - GRLevel3\" \"35." + std::to_string(10 + i * 5) + ", -97." +
                 std::to_string(10 + i * 3) + "\"\npress Q\nwait 10\n";
        script(s);
        ASSERT_FALSE(app().ended());
        EXPECT_NE(disk().find(" ;eta#1\r\n"), std::string::npos);  // the ETA view ran
        expect_file_mirrors_buffer();
    }
}

// Stored values reach placefile lines through one rule: a ";" in the ETA font
// size stays inside the time marks' Font line, and a value ends at a NUL
// (the registry's strings do; the simulated store need not).
TEST_F(Hostile, StoredValuesInPlacefileLines) {
    boot_with_viewer("setting time_marks \"yes\"\nsetting eta_fontsize \"12;34\"\n");
    auto track = [&] {
        panel("35.65, -97.2");
        script("press Q\nwait 5\n");
        panel("36.15, -97.1");
        script("wait 5\npress Q\nwait 5\n");
    };
    track();
    EXPECT_NE(disk().find("Font: 1, 12,34, 1, Segoe UI\r\n"), std::string::npos) << disk();
    EXPECT_EQ(disk().find(';', disk().find("Font: 1, 12")), std::string::npos);

    SimPlatform& p = sim->platform();
    p.save_setting(p.application_name(), kSettingsSection, "track_width",
                   std::string("3\0;x\r\nEnd:", 10));
    p.save_setting(p.application_name(), kSettingsSection, "eta_fontsize",
                   std::string("14\0junk", 7));
    script("restart\nwait 1000\n");
    track();
    EXPECT_NE(disk().find("Line: 3, 0, \"\r\n"), std::string::npos) << disk();
    EXPECT_NE(disk().find("Font: 1, 14, 1, Segoe UI\r\n"), std::string::npos) << disk();
    EXPECT_EQ(disk().find('\0'), std::string::npos);
    EXPECT_EQ(app().frmEditETA().eta_fontsize.text, "14");
    expect_file_mirrors_buffer();
}

// Each <geoname> record is read on its own: one without coordinates is
// skipped, not paired with the next record's. A backslash in a name becomes
// "/", so "\n" cannot split the marker or the hover list. A refusal whose
// value is no number in range keeps the service's message.
TEST_F(Hostile, ReplyRecordsOnTheirOwn) {
    boot_with_viewer();
    FrmMain& m = app().frmMain();
    FrmEditETA& ed = app().frmEditETA();
    ed.showcity.checked = true;
    ed.showtime.checked = ed.etaqc_historic.checked = false;
    m.start_lat.text = "35";
    m.start_lon.text = "-97";
    m.disazimuth.text = "0";
    m.tracker.text = "2";
    FrmNewETA& lookup = app().frmNewETA();
    lookup.mph.text = "72";
    lookup.buffer.text =
        "<geonames><geoname><name>Nowhere</name><distance>1</distance></geoname>\n" +
        record("Northtown", "35.1", "-97.01") + record("Back\\nslash\\Side", "35.2", "-97.02") +
        "</geonames>";
    lookup.readdata();
    EXPECT_EQ(lookup.one.items, (Strings{"Northtown", "Back/nslash/Side"}));
    EXPECT_NE(disk().find("Object:  35.1, -97.01 ;eta#2\r\n"), std::string::npos) << disk();
    EXPECT_NE(disk().find("Object:  35.2, -97.02 ;eta#2\r\n"), std::string::npos);
    EXPECT_NE(disk().find("Text:  0, 0, 1, Back/nslash/Side, "), std::string::npos);
    EXPECT_EQ(disk().find('\\'), std::string::npos);
    EXPECT_EQ(disk().find("Nowhere"), std::string::npos);
    expect_file_mirrors_buffer();

    auto refusal = FrmNewETA::service_error(
        "<geonames><status message=\"the daily limit of 20000 credits has been exceeded\" "
        "value=\"99999999999\"/></geonames>");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->description(), "the daily limit of 20000 credits has been exceeded");
    EXPECT_EQ(refusal->number, 0);
    EXPECT_EQ(FrmNewETA::service_error("<status message=\"m\" value=\"18\"/>")->number, 18);
}

// A message echoes at most 60 characters of a stored or typed value, and a
// hotkey field takes one character: a longer text is refused with a message
// and not stored (the undo hotkey included).
TEST_F(Hostile, EchoedValuesAndHotkeys) {
    boot_with_viewer("setting hkundo \"U\"\n");
    auto last_message = [&] {
        const std::string o = out.str();
        size_t at = o.rfind("msgbox");
        return at == std::string::npos ? std::string() : o.substr(at, o.find('\n', at) - at);
    };
    script("setting projection_minutes \"" + std::string(100000, '7') + "\"\nrestart\nwait 1000\n");
    ASSERT_LT(last_message().size(), 300u);
    EXPECT_EQ(last_message(), "msgbox \"Tessaly\" \"The stored projection length (\\\"" +
                                  std::string(60, '7') +
                                  "\xE2\x80\xA6\\\") is not a whole number of minutes from 15 to "
                                  "180. 60 minutes are used.\"");

    FrmEdit& e = app().frmEdit();
    const size_t before = messages();
    script("type frmEdit.hkundo \"UU\"\n");
    EXPECT_EQ(last_message(),
              "msgbox \"Tessaly\" \"A hotkey is a single key: \\\"UU\\\" was not "
              "stored.\"");
    EXPECT_EQ(e.hkundo.text, "U");
    script("type frmEdit.hkselect \"" + std::string(1000, 'Q') + "\"\n");
    ASSERT_LT(last_message().size(), 300u);
    EXPECT_EQ(last_message(), "msgbox \"Tessaly\" \"A hotkey is a single key: \\\"" +
                                  std::string(60, 'Q') + "\xE2\x80\xA6\\\" was not stored.\"");
    EXPECT_EQ(e.hkselect.text, "Q");
    EXPECT_EQ(messages() - before, 2u);
    // One character, any case, and an empty field are stored as they are.
    script("type frmEdit.hkundo \"z\"\ntype frmEdit.hketa \"\"\n");
    EXPECT_EQ(messages() - before, 2u);
    EXPECT_EQ(app().get_setting(keys::hkundo), "z");
    EXPECT_EQ(app().get_setting(keys::hketa), "");
    EXPECT_EQ(app().get_setting(keys::hkselect), "Q");
}

// watched.txt as an editor or a damaged disk may leave it: control bytes, a
// name too long, numbers out of range, lines ended by CR alone, a name twice,
// a file over the cap. The good places are used, one message at most tells
// of the rest, and every label stays one placefile line.
TEST_F(Hostile, WatchedFiles) {
    const std::string home = "Home,35.9,-97.15\r";
    const struct {
        std::string bytes;
        size_t places;
    } cases[] = {
        {home + std::string("\0\x01\xff;\"\n", 6) + "x,nan,1\n", 1},
        {home + std::string(101, 'N') + ",35,-97\r" +
             "a;b \"c\",1e400,-97\nShelter; \"2\",35.8,-97.2",
         2},
        {std::string(kWatchedFileMaxBytes + 1, '#'), 0},
        {"\xEF\xBB\xBF" + home + "\n" + home, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        boot_with_viewer();
        std::ofstream(dir + "/watched.txt", std::ios::binary) << c.bytes;
        const size_t before = messages();
        script(
            "restart\nwait 1000\nclick frmMain.optgr3\n"
            "desktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\npress Q\nwait 5\n"
            "desktop panel \"KTLX - GRLevel3\" \"36.15, -97.1\"\nwait 5\npress Q\nwait 5\n");
        ASSERT_FALSE(app().ended());
        EXPECT_LE(messages() - before, 1u);
        EXPECT_EQ(app().frmMain().watched.size(), c.places);
        expect_file_mirrors_buffer();
    }
}
