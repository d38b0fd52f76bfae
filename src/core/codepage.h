#pragma once
// Windows-1252, the single-byte code page the simulator stands for.
#include <string>

namespace tessaly {

// Characters without a 1252 byte become "?".
std::string utf8_to_cp1252(const std::string& utf8);
std::string cp1252_to_utf8(const std::string& bytes);
// Appends code point `cp` as UTF-8; NUL, surrogates and values past U+10FFFF
// become U+FFFD.
void append_utf8(std::string& out, unsigned long cp);

}  // namespace tessaly
