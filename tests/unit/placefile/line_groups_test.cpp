// Recorded groups of placefile lines: exactly their lines go, wherever other
// removals have moved them, and nothing goes once they are not where recorded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "placefile/line_groups.h"

using namespace tessaly;

namespace {

using Lines = std::vector<std::string>;

TEST(LineGroups, RemovalsAroundAGroupKeepItsPositionsRight) {
    LineGroups g;
    Lines b = {"h1", "h2"};
    b.insert(b.end(), {"mark colour", "mark"});
    auto half = g.record(LinePurpose::half_mark, b, 2);
    b.insert(b.end(), {"eta a ;eta#1", "eta b ;eta#1"});
    b.push_back("second mark");
    g.extend(half, b, 6);
    auto bow = g.record(LinePurpose::bow_point, b, 7);  // empty: nothing appended yet
    b.insert(b.end(), {"bow colour", "bow 1"});
    g.extend(bow, b, 7);
    auto track = g.record(LinePurpose::track, b, b.size(), 3);
    b.insert(b.end(), {"Polygon: ", "End:"});
    g.extend(track, b, 9);

    // The markers, split by the ETA lines, go and nothing else.
    EXPECT_TRUE(g.remove(half, b));
    EXPECT_EQ(b, (Lines{"h1", "h2", "eta a ;eta#1", "eta b ;eta#1", "bow colour", "bow 1",
                        "Polygon: ", "End:"}));
    // A tag removal below the other groups moves them down with it.
    EXPECT_EQ(g.remove_if(b, [](const std::string& l) { return ends_with(l, " ;eta#1"); }), 2u);
    EXPECT_EQ(g.newest()->id, track);
    EXPECT_EQ(g.newest()->track, 3);
    EXPECT_EQ(g.newest(LinePurpose::bow_point)->at, (std::vector<size_t>{2, 3}));
    EXPECT_TRUE(g.remove(track, b));
    EXPECT_TRUE(g.remove(bow, b));
    EXPECT_EQ(b, (Lines{"h1", "h2"}));
    EXPECT_EQ(g.size(), 0u);
}

TEST(LineGroups, LinesChangedBehindItsBackAreGoneAndNothingIsRemoved) {
    LineGroups g;
    Lines b = {"h", "a", "b", "c"};
    auto first = g.record(LinePurpose::bow_point, b, 1);
    b.push_back("d");
    auto second = g.record(LinePurpose::bow_point, b, 4);
    b.erase(b.begin());  // not through the groups
    EXPECT_FALSE(g.remove(first, b));
    EXPECT_FALSE(g.remove(second, b));
    EXPECT_EQ(b, (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(g.size(), 0u);
    EXPECT_FALSE(g.remove(first, b));  // forgotten
}

}  // namespace
