// The storms file: an exact round trip of hostile texts and doubles, and a
// damaged, cut-short or foreign file reported instead of read wrongly.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "core/text.h"
#include "storms/storms_file.h"

using namespace tessaly;

namespace {

std::uint64_t bits(double d) { return std::bit_cast<std::uint64_t>(d); }

Storm storm(int number, std::string label, std::int64_t second_utc) {
    Storm s;
    s.number = number;
    s.label = std::move(label);
    s.first = {{"35.2000", "-97.4000"}, 35.2, -97.4, second_utc - 600, {15, 2, 7, true}};
    s.second = {{"35.3000", "-97.3000"}, 35.3, -97.3, second_utc, {15, 12, 7, true}};
    s.speed_kt = 0.1 + 0.2;
    s.bearing_deg = 1e-300;
    s.from_deg = 5e-324;  // the smallest subnormal
    s.start = s.first.text;
    s.stop = {"35.8", "-96.8"};
    s.stop_lat = 35.8;
    s.stop_lon = -96.8;
    s.speed_text = "25";
    s.speed_mph_text = "29";
    s.toward_text = "045";
    s.from_text = "225";
    s.shapes.cone = true;
    s.drawn_at = {15, 12, 7, true};
    return s;
}

StormsFile two_storms() {
    StormsFile f;
    f.counter = 7;
    Storm a = storm(3, "A\\x41 ", 1780333200);
    a.first.text.lat = "35.2\r\n\t\\\x01 end";  // odd bytes a viewer panel might hold
    a.first.text.lon = std::string("-97\0x", 5);
    Storm b = storm(7, "Höhe 7", 1780336800);
    b.mode = MarkMode::frames;
    b.mark_minutes = 5;
    b.shapes = {false, true, true};
    b.second.clock = {0, 0, 0, false};
    b.speed_text = "";
    f.storms.add(a);
    f.storms.add(b);
    f.storms.select(3);
    return f;
}

TEST(StormsFile, RoundTripIsExactForHostileTextsAndDoubles) {
    const StormsFile in = two_storms();
    const std::string text = storms_file_text(in);
    for (std::string t : {text, replace_all(text, "\r\n", "\n")}) {
        StormsRead r = read_storms_file(t);
        ASSERT_TRUE(r.file) << r.problem;
        const StormsFile& f = *r.file;
        EXPECT_EQ(f.counter, 7);
        ASSERT_EQ(f.storms.size(), 2u);
        EXPECT_EQ(f.storms.selected_number(), 3);
        const Storm& a = f.storms.all()[0];
        const Storm& b = f.storms.all()[1];
        EXPECT_EQ(a.label, "A\\x41 ");
        EXPECT_EQ(a.first.text.lat, "35.2\r\n\t\\\x01 end");
        EXPECT_EQ(a.first.text.lon, std::string("-97\0x", 5));
        EXPECT_EQ(bits(a.speed_kt), bits(0.1 + 0.2));
        EXPECT_EQ(bits(a.bearing_deg), bits(1e-300));
        EXPECT_EQ(bits(a.from_deg), bits(5e-324));
        EXPECT_EQ(a.shapes, (Shapes{true, false, false}));
        EXPECT_EQ(b.label, "Höhe 7");
        EXPECT_EQ(b.mode, MarkMode::frames);
        EXPECT_EQ(b.shapes, (Shapes{false, true, true}));
        EXPECT_FALSE(b.second.clock.twelve_hour);
        EXPECT_EQ(b.speed_text, "");
        // Whatever was read writes the same text again.
        EXPECT_EQ(storms_file_text(f), text);
    }
    // The erase key leaves no storms: still a file to read.
    StormsRead empty = read_storms_file(storms_file_text(StormsFile{{}, 4}));
    ASSERT_TRUE(empty.file) << empty.problem;
    EXPECT_TRUE(empty.file->storms.empty());
    EXPECT_EQ(empty.file->counter, 4);
}

// A crash while the file is written leaves any prefix of it: each reads as
// the same storms or is reported, never as other storms.
TEST(StormsFile, EveryTruncationReadsTheSameStormsOrIsReported) {
    const std::string text = storms_file_text(two_storms());
    size_t same = 0;
    for (size_t n = 0; n < text.size(); ++n) {
        StormsRead r = read_storms_file(std::string_view(text).substr(0, n));
        if (r.file) {
            EXPECT_EQ(storms_file_text(*r.file), text) << "cut at " << n;
            ++same;
        } else {
            EXPECT_FALSE(r.problem.empty()) << "cut at " << n;
        }
    }
    EXPECT_EQ(same, 2u);  // "end" and "end\r": only the last line end is missing
}

TEST(StormsFile, DamagedForeignAndNewerFilesAreReported) {
    const std::string good = storms_file_text(two_storms());
    ASSERT_TRUE(read_storms_file(good).file);
    const std::pair<std::string, std::string> edits[] = {
        {"tessaly-storms 1", "tessaly-storms 2"},          // newer version
        {"tessaly-storms 1", "[Settings]"},                // another program's file
        {"speed_kt 0.30000000000000004", "speed_kt 0,3"},  // bad number
        {"first_utc 1780332600", "first_utc 1e9"},
        {"mode hour", "mode hours"},
        {"first_clock 15:02:07 12h", "first_clock 25:02:07 12h"},
        {"shapes fan wedge", "shapes fan fan"},
        {"drawn_at 15:12:07 12h\r\n\r\nstorm 7", "\r\nstorm 7"},  // missing field
        {"storm 7", "storm 3"},                                   // duplicate number
        {"selected 3", "selected 5"},                             // selection naming no storm
        {"counter 7", "counter 6"},                               // the next track would be 7 again
        {"label A\\\\x41\\x20", "label A\\q"},                    // bad escape
        {"mark_minutes 5", "mark_minutes 5\r\nmark_minutes 5"},
        {"end\r\n", "end\r\nx\r\n"},  // trailing garbage
        {"end\r\n", "\r\n"},          // cut at a line end
    };
    for (const auto& [from, to] : edits) {
        ASSERT_NE(good.find(from), std::string::npos) << from;
        std::string bad = good;
        bad.replace(bad.rfind(from), from.size(), to);
        StormsRead r = read_storms_file(bad);
        EXPECT_FALSE(r.file) << to;
        EXPECT_FALSE(r.problem.empty()) << to;
    }
    EXPECT_FALSE(read_storms_file("").file);
    EXPECT_FALSE(read_storms_file(std::string(kStormsFileMaxBytes + 1, '\n')).file);
}

TEST(StormsFile, StormsSinceKeepOrderNumbersLabelsAndMoveTheSelection) {
    StormsFile f;
    f.counter = 9;
    f.storms.add(storm(2, "B", 1000));
    f.storms.add(storm(5, "Old", 999));
    f.storms.add(storm(8, "C", 3000));
    f.storms.add(storm(9, "D", 2000));

    f.storms.select(5);
    StormsFile kept = storms_since(f, 1000);
    ASSERT_EQ(kept.storms.size(), 3u);
    EXPECT_EQ(kept.counter, 9);
    EXPECT_EQ(kept.storms.all()[0].number, 2);
    EXPECT_EQ(kept.storms.all()[1].label, "C");
    EXPECT_EQ(kept.storms.all()[2].number, 9);
    EXPECT_EQ(kept.storms.selected_number(), 9);  // the selected storm went: the newest kept

    f.storms.select(2);
    EXPECT_EQ(storms_since(f, 1000).storms.selected_number(), 2);
    EXPECT_TRUE(storms_since(f, 3001).storms.empty());
    EXPECT_EQ(storms_since(f, 3001).storms.selected_number(), 0);
}

}  // namespace
