#include "core/codepage.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

namespace tessaly {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252 (0 = undefined).
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

void append_utf8(std::string& out, unsigned long cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8_to_cp1252(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        // Placefiles are nearly all ASCII: copy each run of it at once.
        size_t run = i;
        while (run < s.size() && static_cast<unsigned char>(s[run]) < 0x80) ++run;
        if (run > i) {
            out.append(s, i, run - i);
            i = run;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool ok = i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char b = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == cp && cp != 0) b = static_cast<char>(0x80 + k);
        out += b;
    }
    return out;
}

std::string cp1252_to_utf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) out += ch;
        else if (c < 0xA0) append_utf8(out, kHigh[c - 0x80] ? kHigh[c - 0x80] : 0xFFFD);
        else append_utf8(out, c);
    }
    return out;
}

// Length of a valid UTF-8 sequence at s[i], or 0.
size_t utf8_sequence_length(std::string_view s, size_t i) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((b(i + k) & 0xC0) != 0x80) return 0;
    if (n == 2 && c < 0xC2) return 0;  // overlong
    if (n == 3 && c == 0xE0 && b(i + 1) < 0xA0) return 0;
    if (n == 3 && c == 0xED && b(i + 1) >= 0xA0) return 0;  // a surrogate half: no character
    if (n == 4 && (c > 0xF4 || (c == 0xF0 && b(i + 1) < 0x90))) return 0;
    if (n == 4 && c == 0xF4 && b(i + 1) >= 0x90) return 0;  // past U+10FFFF
    return n;
}

std::string one_line_text(std::string_view raw, bool references) {
    std::string out;
    for (size_t i = 0; i < raw.size();) {
        unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == '&' && references) {
            size_t semi = raw.find(';', i);
            if (semi != std::string::npos && semi - i <= 10) {
                std::string ent(raw.substr(i + 1, semi - i - 1));
                static const std::pair<const char*, char> named[] = {
                    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
                bool done = false;
                for (auto& [n, ch] : named)
                    if (ent == n) {
                        out += ch;
                        done = true;
                    }
                if (!done && ent.size() > 1 && ent[0] == '#') {
                    bool hexa = ent[1] == 'x' || ent[1] == 'X';
                    std::string digits = ent.substr(hexa ? 2 : 1);
                    bool valid = !digits.empty() && digits.size() <= 8 &&
                                 std::all_of(digits.begin(), digits.end(), [&](char d) {
                                     return hexa ? std::isxdigit(static_cast<unsigned char>(d))
                                                 : std::isdigit(static_cast<unsigned char>(d));
                                 });
                    if (valid) {
                        append_utf8(out, std::stoul(digits, nullptr, hexa ? 16 : 10));
                        done = true;
                    }
                }
                if (done) {
                    i = semi + 1;
                    continue;
                }
            }
            out += '&';
            ++i;
            continue;
        }
        size_t n = utf8_sequence_length(raw, i);
        if (n == 0) {
            append_utf8(out, 0xFFFD);
            ++i;
            continue;
        }
        out.append(raw, i, n);
        i += n;
    }
    // A placefile line must stay one line.
    std::string clean;
    for (size_t i = 0; i < out.size();) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c < 0x20 || c == 0x7F) {
            clean += ' ';
            ++i;
        } else if (c == 0xC2 && i + 1 < out.size() &&
                   static_cast<unsigned char>(out[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(out[i + 1]) <= 0x9F) {
            clean += ' ';  // C1 control characters
            i += 2;
        } else if (c == 0xE2 && out.compare(i, 3, "\xE2\x80\xA8") == 0) {
            clean += ' ';  // line separator
            i += 3;
        } else if (c == 0xE2 && out.compare(i, 3, "\xE2\x80\xA9") == 0) {
            clean += ' ';  // paragraph separator
            i += 3;
        } else {
            clean += out[i];
            ++i;
        }
    }
    return clean;
}

}  // namespace tessaly
