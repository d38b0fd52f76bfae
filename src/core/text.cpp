#include "core/text.h"

namespace tessaly {

namespace {
char up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
}  // namespace

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    return std::string(s.substr(b, e - b));
}

std::string to_upper_ascii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = up(c);
    return r;
}

bool equals_icase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (up(a[i]) != up(b[i])) return false;
    return true;
}

std::string replace_all(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string r;
    size_t pos = 0;
    for (;;) {
        size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos) break;
        r.append(s.substr(pos, hit - pos));
        r.append(to);
        pos = hit + from.size();
    }
    r.append(s.substr(pos));
    return r;
}

size_t find_icase(std::string_view hay, std::string_view needle, size_t start) {
    if (needle.empty()) return start <= hay.size() ? start : std::string_view::npos;
    for (size_t i = start; i + needle.size() <= hay.size(); ++i)
        if (equals_icase(hay.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

std::string replace_all_icase(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string r;
    size_t pos = 0;
    for (;;) {
        size_t hit = find_icase(s, from, pos);
        if (hit == std::string_view::npos) break;
        r.append(s.substr(pos, hit - pos));
        r.append(to);
        pos = hit + from.size();
    }
    r.append(s.substr(pos));
    return r;
}

std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t hit = s.find(sep, pos);
        if (hit == std::string_view::npos) {
            out.emplace_back(s.substr(pos));
            return out;
        }
        out.emplace_back(s.substr(pos, hit - pos));
        pos = hit + 1;
    }
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool ends_with(std::string_view s, std::string_view x) {
    return s.size() >= x.size() && s.substr(s.size() - x.size()) == x;
}

std::string placefile_text(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
        else if (c == ';') c = ',';
    }
    return out;
}

std::string place_name_text(std::string_view s) {
    std::string out = placefile_text(s);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

namespace {
bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

size_t character_count(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if (!continuation_byte(c)) ++n;
    return n;
}

std::string_view utf8_prefix(std::string_view s, size_t max_characters) {
    size_t count = 0;
    for (size_t i = 0; i < s.size(); ++i)
        if (!continuation_byte(s[i]) && count++ == max_characters) return s.substr(0, i);
    return s;
}

std::string echo_value(std::string_view s) {
    const std::string_view kept = utf8_prefix(s, kEchoCharacters);
    return kept.size() == s.size() ? std::string(s) : std::string(kept) + "\xE2\x80\xA6";
}

}  // namespace tessaly
