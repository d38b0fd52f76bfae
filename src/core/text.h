#pragma once
// Small text helpers with the semantics the window fields need.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

std::string trim(std::string_view s);  // blanks at both ends
std::string to_upper_ascii(std::string_view s);
bool equals_icase(std::string_view a, std::string_view b);  // ASCII letters only
// Every occurrence of `from` replaced by `to` (exact match).
std::string replace_all(std::string_view s, std::string_view from, std::string_view to);
// The same, matching ASCII letters without regard to case.
std::string replace_all_icase(std::string_view s, std::string_view from, std::string_view to);
// Position of `needle` in `hay` from `start`, ASCII case-insensitive, or npos.
size_t find_icase(std::string_view hay, std::string_view needle, size_t start = 0);
std::vector<std::string> split(std::string_view s, char sep);
bool starts_with(std::string_view s, std::string_view prefix);
bool ends_with(std::string_view s, std::string_view suffix);

// Outside text (a status-bar panel, a web reply, a stored setting) made fit
// to stand inside one placefile statement: CR and LF become blanks, so the
// line stays one line, and ";" becomes ",", since the viewer reads the rest
// of a line after ";" as a comment (the ETA tag with it).
std::string placefile_text(std::string_view s);

// A place name (from the web service, places.dat or a city file) as
// placefile text: placefile_text, and every backslash becomes "/". The viewer
// reads "\n" in hover text as a line break, so a name holding one would split
// its marker and add lines to the hover list; "/" keeps the two parts apart
// visibly, is one byte in every code page and means nothing to the viewer.
std::string place_name_text(std::string_view s);

// Characters (code points) of UTF-8 text, counted by their first bytes.
size_t character_count(std::string_view s);
// The first `max_characters` characters of UTF-8 text (every byte that does
// not continue a sequence starts a character, so any bytes are cut safely).
std::string_view utf8_prefix(std::string_view s, size_t max_characters);

// How much of a value a message echoes.
inline constexpr size_t kEchoCharacters = 60;
// A value as a message echoes it: whole up to kEchoCharacters characters,
// else its first kEchoCharacters characters and an ellipsis (U+2026), so that a huge
// stored value cannot make a huge message box.
std::string echo_value(std::string_view s);

}  // namespace tessaly
