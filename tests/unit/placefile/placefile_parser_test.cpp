#include "placefile/placefile_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace tessaly;

namespace {

const char* kHeader =
    "Title: Tessaly\r\n"
    "RefreshSeconds: 1\r\n"
    "Threshold: 999\r\n"
    "Font: 1, 12, 1, Segoe UI\r\n"
    "\r\n"
    "IconFile: 1, 12, 12, 5, 5, stormtrack.png\r\n"
    "\r\n";

// Rebuilds the first placefile a scenario's expected output shows from its
// `placefile[i] = "..."` lines (the file is dumped again after later steps).
std::string placefile_from_expected(const std::string& name) {
    std::ifstream in(std::string(TESSALY_SOURCE_DIR) + "/tests/scenarios/" + name,
                     std::ios::binary);
    std::string line, out;
    bool started = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("placefile[", 0) != 0) continue;
        size_t eq = line.find("] = \"");
        if (eq == std::string::npos || line.size() < eq + 6 || line.back() != '"') continue;
        bool first = line.compare(0, eq + 1, "placefile[0]") == 0;
        if (first && started) break;
        started = true;
        std::string body = line.substr(eq + 5, line.size() - eq - 6);
        for (size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '\\' && i + 1 < body.size()) ++i;
            out += body[i];
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace

TEST(PlacefileParser, HeaderOnly) {
    auto p = parse_placefile(kHeader);
    EXPECT_TRUE(p.problems.empty());
    EXPECT_EQ(p.title, "Tessaly");
    EXPECT_EQ(p.refresh_seconds, 1);
    EXPECT_EQ(p.threshold, 999);
    ASSERT_EQ(p.fonts.size(), 1u);
    EXPECT_EQ(p.fonts[0], "1, 12, 1, Segoe UI");
    ASSERT_EQ(p.icon_files.size(), 1u);
    EXPECT_EQ(p.icon_files[0], "1, 12, 12, 5, 5, stormtrack.png");
    EXPECT_TRUE(p.polygons.empty());
    EXPECT_TRUE(p.icons.empty());
}

TEST(PlacefileParser, LfOnlyAndEmpty) {
    EXPECT_TRUE(parse_placefile("").problems.empty());
    auto p = parse_placefile("Title: A\nThreshold: 5\n");
    EXPECT_TRUE(p.problems.empty());
    EXPECT_EQ(p.title, "A");
    EXPECT_EQ(p.threshold, 5);
}

TEST(PlacefileParser, ConeFromScenario) {
    std::string text = placefile_from_expected("401-cone-north.expected");
    ASSERT_FALSE(text.empty());
    auto p = parse_placefile(text);
    EXPECT_TRUE(p.problems.empty()) << p.problems[0].line << ": " << p.problems[0].message;
    ASSERT_EQ(p.polygons.size(), 7u);
    EXPECT_EQ(p.polygons[0].fill.r, 248);
    EXPECT_EQ(p.polygons[0].fill.alpha, 50);
    EXPECT_DOUBLE_EQ(p.polygons[0].vertices.front().lat, 35.0);
    EXPECT_DOUBLE_EQ(p.polygons[0].vertices.front().lon, -97.0);
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].width, 2);
    EXPECT_EQ(p.lines[0].hover, "\"");
    EXPECT_EQ(p.lines[0].color.r, 248);
    EXPECT_EQ(p.lines[0].color.g, 0);
    EXPECT_EQ(p.lines[0].color.alpha, 100);
    EXPECT_EQ(p.lines[0].points.size(), 2u);
    ASSERT_EQ(p.icons.size(), 5u);
    EXPECT_EQ(p.icons[0].icon, 1);
    EXPECT_EQ(p.icons[4].icon, 3);
    EXPECT_DOUBLE_EQ(p.icons[4].lat, 35.333);
}

TEST(PlacefileParser, FanAndWedgeFromScenarios) {
    auto fan = parse_placefile(placefile_from_expected("404-fan.expected"));
    EXPECT_TRUE(fan.problems.empty());
    EXPECT_EQ(fan.polygons.size(), 2u);
    EXPECT_EQ(fan.lines.size(), 7u);
    EXPECT_EQ(fan.icons.size(), 5u);
    EXPECT_DOUBLE_EQ(fan.icons[0].angle, 181);
    EXPECT_EQ(fan.lines[6].width, 4);

    auto wedge = parse_placefile(placefile_from_expected("405-wedge.expected"));
    EXPECT_TRUE(wedge.problems.empty());
    EXPECT_FALSE(wedge.polygons.empty());
    EXPECT_FALSE(wedge.icons.empty());
}

TEST(PlacefileParser, CommentsTagsAndObjects) {
    std::string text = std::string(kHeader) +
                       ";<BowEcho>\r\n"
                       "Object:  33.0907, -97.12474 ;eta#1\r\n"
                       "Color: 200 200 200, 100 ;eta#1\r\n"
                       "Font: 1, 12, 1, Segoe UI ;eta#1\r\n"
                       "Text:  0, 0, 1, . ,Lantana 11:53 ;eta#1\r\n"
                       "End: ;eta#1\r\n"
                       " ;eta#1\r\n"
                       "Color: 248 0 0,\r\n"
                       "Text: 35.0, -97.0, 1, hello, world\r\n"
                       ";</BowEcho>\r\n";
    auto p = parse_placefile(text);
    EXPECT_TRUE(p.problems.empty());
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_DOUBLE_EQ(p.objects[0].lat, 33.0907);
    EXPECT_DOUBLE_EQ(p.objects[0].lon, -97.12474);
    ASSERT_EQ(p.objects[0].texts.size(), 1u);
    EXPECT_EQ(p.objects[0].texts[0].text, ". ,Lantana 11:53");
    EXPECT_EQ(p.objects[0].texts[0].label, ".");
    EXPECT_EQ(p.objects[0].texts[0].hover, "Lantana 11:53");
    EXPECT_EQ(p.objects[0].texts[0].color.r, 200);
    ASSERT_EQ(p.texts.size(), 1u);
    EXPECT_EQ(p.texts[0].text, "hello, world");
    EXPECT_EQ(p.texts[0].color.r, 248);
    EXPECT_EQ(p.texts[0].color.alpha, 100);  // empty alpha: opaque
}

TEST(PlacefileParser, TextLabelAndHoverQuotedOrNot) {
    auto p = parse_placefile(
        "Text: 35, -97, 1, \"Norman, OK\", \"pop. 128,026\\nCleveland County\"\n"
        "Text: 35, -97, 1, alone\n"
        "Text: 35, -97, 1, \"open quote, no end\n");
    ASSERT_EQ(p.texts.size(), 3u);
    EXPECT_EQ(p.texts[0].label, "Norman, OK");
    EXPECT_EQ(p.texts[0].hover, "pop. 128,026\\nCleveland County");
    EXPECT_EQ(p.texts[1].label, "alone");
    EXPECT_EQ(p.texts[1].hover, "");
    // An unclosed quote: everything is the label, nothing is lost.
    EXPECT_EQ(p.texts[2].label, "\"open quote, no end");
    EXPECT_EQ(p.texts[2].hover, "");
}

TEST(PlacefileParser, BlankSeparatedVertexColour) {
    auto p = parse_placefile("Polygon:\n35, -97, 10 20 30 40\n35.1, -97\n35, -97.1\nEnd:\n");
    EXPECT_TRUE(p.problems.empty());
    ASSERT_EQ(p.polygons.size(), 1u);
    EXPECT_EQ(p.polygons[0].fill.g, 20);
    EXPECT_EQ(p.polygons[0].fill.alpha, 40);
    EXPECT_EQ(p.polygons[0].vertices.size(), 3u);
}

TEST(PlacefileParser, MalformedLinesAreProblems) {
    auto p = parse_placefile(
        "Color: red\n"         // 1
        "Polygon:\n"           // 2
        "35.0, abc\n"          // 3
        "35.0, -97.0, 1, 2\n"  // 4
        "35, -97\n35.1, -97\n35, -97.1\n"
        "End:\n"                     // 8
        "End:\n"                     // 9
        "Icon: 35, -97, x, 1, 1,\n"  // 10
        "Bogus: 1\n"                 // 11
        "just words\n"               // 12
        "Text: 35, -97\n");          // 13
    ASSERT_EQ(p.problems.size(), 8u);
    EXPECT_EQ(p.problems[0].line, 1);
    EXPECT_EQ(p.problems[1].line, 3);
    EXPECT_EQ(p.problems[2].line, 4);
    EXPECT_EQ(p.problems[3].line, 9);
    EXPECT_EQ(p.problems[4].line, 10);
    EXPECT_EQ(p.problems[5].line, 11);
    EXPECT_EQ(p.problems[6].line, 12);
    EXPECT_EQ(p.problems[7].line, 13);
    EXPECT_EQ(p.polygons.size(), 1u);
    EXPECT_TRUE(p.icons.empty());
}

TEST(PlacefileParser, TruncatedPolygon) {
    std::string text =
        std::string(kHeader) + "Polygon: \r\n35.0, -97.0, 248, 248, 248, 50\r\n35.1, -97.0\r\n35.1";
    auto p = parse_placefile(text);
    EXPECT_TRUE(p.polygons.empty());
    EXPECT_GE(p.problems.size(), 1u);
    EXPECT_NE(p.problems.back().message.find("ends inside"), std::string::npos);
}

TEST(PlacefileParser, GarbageDoesNotThrow) {
    std::string junk;
    for (int i = 0; i < 4000; ++i) junk += static_cast<char>((i * 7919) % 256);
    junk += "\nPolygon:\n1e999, 5\nLine: 99999999999999, ,\n::::\n,,,,\nText: ,,,\n";
    auto p = parse_placefile(junk);
    EXPECT_FALSE(p.problems.empty());
}

// The writer and the parser agree: a whole session written by the program
// reads back without a problem.
#include <filesystem>

#include "sim_fixture.h"

namespace tessaly {

class WriterToParser : public SimTest {};

TEST_F(WriterToParser, ASessionReadsBackWhole) {
    boot(
        "setting version \"4.2\"\nsetting eta_database \"server\"\nsetting eta_style "
        "\"classic\"\nsetting hkselect \"Q\"\nsetting hkerase \"W\"\n"
        "setting hketa \"X\"\nsetting border \"yes\"\nclock 11:50:00 12h\nstart\n"
        "desktop add \"KTLX - GRLevel3\"\ndesktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\n"
        "wait 1000\nclick frmMain.optgr3\nclick frmMain.mnu_projection_cone\npress Q\nwait 5\n"
        "desktop panel \"KTLX - GRLevel3\" \"35.9, -97.0\"\nwait 5\npress Q\nwait 5\n"
        "click frmMain.mnu_projection_fan\npress Q\nwait 5\n"
        "desktop panel \"KTLX - GRLevel3\" \"35.65, -97.2\"\nwait 5\npress Q\nwait 5\n"
        "web reply \"" +
        std::string(TESSALY_TESTDATA) +
        "/geonames/ok_luther_r5_1place.xml\"\n"
        "press X\nwait 20\n");
    std::ifstream f(dir + "/korvel.txt", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    auto p = parse_placefile(ss.str());
    for (auto& pr : p.problems) ADD_FAILURE() << pr.line << ": " << pr.message;
    EXPECT_EQ(p.polygons.size(), 7u + 2u);  // cone, then fan
    EXPECT_EQ(p.icons.size(), 10u);         // five per track
    // The two storms' letters, Luther (on the second storm's path) and the ETA marker.
    EXPECT_EQ(p.objects.size(), 4u);
    EXPECT_GE(p.lines.size(), 2u + 6u);  // two tracks, six fan borders
}

}  // namespace tessaly
