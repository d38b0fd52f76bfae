#pragma once
// Windows-1252, the single-byte code page the simulator stands for.
#include <string>
#include <string_view>

namespace tessaly {

// Characters without a 1252 byte become "?".
std::string utf8_to_cp1252(const std::string& utf8);
std::string cp1252_to_utf8(const std::string& bytes);
// Appends code point `cp` as UTF-8; NUL, surrogates and values past U+10FFFF
// become U+FFFD.
void append_utf8(std::string& out, unsigned long cp);

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8_sequence_length(std::string_view s, size_t i);

// Outside text made one line of valid UTF-8: XML character references
// decoded when `references` is set, invalid UTF-8 replaced by U+FFFD, control
// characters, C1 controls and line separators turned into blanks.
std::string one_line_text(std::string_view raw, bool references);

}  // namespace tessaly
