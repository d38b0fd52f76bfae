// Windows-1252 and outside text made one line of valid UTF-8.
#include <gtest/gtest.h>

#include "core/codepage.h"

using namespace tessaly;

TEST(CodePage, Cp1252RoundTrip) {
    EXPECT_EQ(utf8_to_cp1252("\xC2\xA4"), "\xA4");
    EXPECT_EQ(utf8_to_cp1252("Pe\xC3\xB1itas"), "Pe\xF1itas");
    EXPECT_EQ(utf8_to_cp1252("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(utf8_to_cp1252("\xE4\xB8\xAD"), "?");  // no 1252 byte
    EXPECT_EQ(utf8_to_cp1252("\xFF"), "?");          // invalid UTF-8
    EXPECT_EQ(cp1252_to_utf8("\xA4\x80"), "\xC2\xA4\xE2\x82\xAC");
}

TEST(CodePage, OneLineText) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Row {
        std::string raw;
        bool references;
        std::string out;
    } rows[] = {
        {"a\tb\nc\x7F", false, "a b c "},  // controls become blanks
        {"a\xC2\x85"
         "b\xE2\x80\xA8"
         "c",
         false, "a b c"},  // NEL and line separator
        {"a\xFF"
         "b\xC3",
         false, "a" + fffd + "b" + fffd},             // bad and cut sequences
        {"\xED\xA0\x80", false, fffd + fffd + fffd},  // an encoded surrogate is no character
        {"\xF4\x90\x80\x80", false, fffd + fffd + fffd + fffd},  // past U+10FFFF
        {"Caf&#233; &amp; &#x41;", true, "Caf\xC3\xA9 & A"},
        {"Caf&#233;", false, "Caf&#233;"},
        {"&#10;&#0;&#xD800;", true, " " + fffd + fffd},  // a reference cannot smuggle a break
    };
    for (const Row& r : rows) EXPECT_EQ(one_line_text(r.raw, r.references), r.out) << r.raw;
}
