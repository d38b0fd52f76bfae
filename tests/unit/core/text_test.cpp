// Text helpers at the edges that keep a placefile line one line and a
// message box small.
#include <gtest/gtest.h>

#include "core/text.h"

using namespace tessaly;

TEST(Text, Helpers) {
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(replace_all("248, 0, 0,", ", ", " "), "248 0 0,");
    EXPECT_EQ(replace_all_icase("Town (Historical) x (historical)", "(historical)", ""),
              "Town  x ");
    EXPECT_EQ(find_icase("abcDEF", "def"), 3u);
    EXPECT_EQ(split("a,,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
}

TEST(Text, OutsideTextStaysInsideOneStatement) {
    EXPECT_EQ(placefile_text("a\r\nb;c"), "a  b,c");
    EXPECT_EQ(place_name_text("Town\\nTwo;x"), "Town/nTwo,x");
}

TEST(Text, CharactersAreCutOnlyAtTheirStart) {
    const std::string e_acute = "\xC3\xA9";
    EXPECT_EQ(character_count("a" + e_acute + "b"), 3u);
    EXPECT_EQ(utf8_prefix("a" + e_acute + "b", 2), "a" + e_acute);
    EXPECT_EQ(utf8_prefix("ab", 5), "ab");
    std::string sixty(kEchoCharacters, 'x');
    EXPECT_EQ(echo_value(sixty), sixty);
    EXPECT_EQ(echo_value(sixty + e_acute), sixty + "\xE2\x80\xA6");
}
