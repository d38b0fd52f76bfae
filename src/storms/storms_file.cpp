#include "storms/storms_file.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

namespace tessaly {

namespace {

constexpr std::string_view kVersionKey = "tessaly-storms";
constexpr long kVersion = 1;
constexpr std::string_view kEol = "\r\n";

// ---- values as text ----

std::string escape(std::string_view s) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        // A final blank is escaped too: editors strip trailing blanks.
        if (c < 0x20 || c == 0x7F || (c == ' ' && i + 1 == s.size())) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
        } else if (i + 1 < s.size() && s[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (i + 3 < s.size() && s[i + 1] == 'x' && hex_digit(s[i + 2]) >= 0 &&
                   hex_digit(s[i + 3]) >= 0) {
            out += static_cast<char>(hex_digit(s[i + 2]) * 16 + hex_digit(s[i + 3]));
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// Shortest text that reads back to the same bits, whatever the C locale.
template <class T>
std::string num(T v) {
    char b[64];
    auto r = std::to_chars(b, b + sizeof b, v);
    return std::string(b, r.ptr);
}

template <class T>
bool parse_num(std::string_view s, T& v) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

std::string clock_value(const ClockTime& t) {
    char b[48];
    std::snprintf(b, sizeof b, "%02d:%02d:%02d %s", t.hour24, t.minute, t.second,
                  t.twelve_hour ? "12h" : "24h");
    return b;
}

bool parse_clock(std::string_view s, ClockTime& t) {
    auto two = [&](size_t at, int max, int& out) {
        if (!std::isdigit(static_cast<unsigned char>(s[at])) ||
            !std::isdigit(static_cast<unsigned char>(s[at + 1])))
            return false;
        out = (s[at] - '0') * 10 + (s[at + 1] - '0');
        return out <= max;
    };
    if (s.size() != 12 || s[2] != ':' || s[5] != ':' || s[8] != ' ') return false;
    if (!two(0, 23, t.hour24) || !two(3, 59, t.minute) || !two(6, 59, t.second)) return false;
    if (s.substr(9) == "12h") t.twelve_hour = true;
    else if (s.substr(9) == "24h") t.twelve_hour = false;
    else return false;
    return true;
}

std::string shapes_value(const Shapes& sh) {
    std::string s;
    for (auto [on, word] : {std::pair{sh.cone, "cone"}, {sh.fan, "fan"}, {sh.wedge, "wedge"}})
        if (on) s += (s.empty() ? "" : " ") + std::string(word);
    return s.empty() ? "none" : s;
}

bool parse_shapes(std::string_view s, Shapes& sh) {
    sh = {};
    if (s == "none") return true;
    bool any = false;
    while (!s.empty()) {
        size_t sp = s.find(' ');
        std::string_view w = s.substr(0, sp);
        s = sp == std::string_view::npos ? std::string_view() : s.substr(sp + 1);
        bool* flag = w == "cone"    ? &sh.cone
                     : w == "fan"   ? &sh.fan
                     : w == "wedge" ? &sh.wedge
                                    : nullptr;
        if (!flag || *flag) return false;
        *flag = any = true;
        if (sp != std::string_view::npos && s.empty()) return false;  // a trailing blank
    }
    return any;
}

// ---- the fields of a storm block, in the order written ----

struct Field {
    std::string key;
    std::function<std::string(const Storm&)> get;
    std::function<bool(Storm&, std::string_view)> set;  // false: not a value of this field
};

// `at` is a generic lambda giving the field of a Storm, const or not.
template <class At>
Field text_field(std::string key, At at) {
    return {std::move(key), [at](const Storm& s) { return escape(at(s)); },
            [at](Storm& s, std::string_view v) {
                auto t = unescape(v);
                if (t) at(s) = std::move(*t);
                return t.has_value();
            }};
}

template <class At>
Field num_field(std::string key, At at) {
    return {std::move(key), [at](const Storm& s) { return num(at(s)); },
            [at](Storm& s, std::string_view v) { return parse_num(v, at(s)); }};
}

template <class At>
Field clock_field(std::string key, At at) {
    return {std::move(key), [at](const Storm& s) { return clock_value(at(s)); },
            [at](Storm& s, std::string_view v) { return parse_clock(v, at(s)); }};
}

// The field tables stay one field a line (clang-format breaks the accessors).
// clang-format off
template <class At>
void add_mark(std::vector<Field>& f, const std::string& name, At mark) {
    f.push_back(text_field(name + "_lat_text", [mark](auto& s) -> auto& { return mark(s).text.lat; }));
    f.push_back(text_field(name + "_lon_text", [mark](auto& s) -> auto& { return mark(s).text.lon; }));
    f.push_back(num_field(name + "_lat", [mark](auto& s) -> auto& { return mark(s).lat; }));
    f.push_back(num_field(name + "_lon", [mark](auto& s) -> auto& { return mark(s).lon; }));
    f.push_back(num_field(name + "_utc", [mark](auto& s) -> auto& { return mark(s).utc; }));
    f.push_back(clock_field(name + "_clock", [mark](auto& s) -> auto& { return mark(s).clock; }));
}

const std::vector<Field>& storm_fields() {
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        f.push_back(text_field("label", [](auto& s) -> auto& { return s.label; }));
        add_mark(f, "first", [](auto& s) -> auto& { return s.first; });
        add_mark(f, "second", [](auto& s) -> auto& { return s.second; });
        f.push_back({"mode", [](const Storm& s) { return std::string(s.mode == MarkMode::frames ? "frames" : "hour"); },
                     [](Storm& s, std::string_view v) {
                         if (v != "hour" && v != "frames") return false;
                         s.mode = v == "frames" ? MarkMode::frames : MarkMode::hour;
                         return true;
                     }});
        f.push_back(num_field("mark_minutes", [](auto& s) -> auto& { return s.mark_minutes; }));
        f.push_back(num_field("speed_kt", [](auto& s) -> auto& { return s.speed_kt; }));
        f.push_back(num_field("bearing_deg", [](auto& s) -> auto& { return s.bearing_deg; }));
        f.push_back(num_field("from_deg", [](auto& s) -> auto& { return s.from_deg; }));
        f.push_back(text_field("start_lat_text", [](auto& s) -> auto& { return s.start.lat; }));
        f.push_back(text_field("start_lon_text", [](auto& s) -> auto& { return s.start.lon; }));
        f.push_back(text_field("stop_lat_text", [](auto& s) -> auto& { return s.stop.lat; }));
        f.push_back(text_field("stop_lon_text", [](auto& s) -> auto& { return s.stop.lon; }));
        f.push_back(num_field("stop_lat", [](auto& s) -> auto& { return s.stop_lat; }));
        f.push_back(num_field("stop_lon", [](auto& s) -> auto& { return s.stop_lon; }));
        f.push_back(text_field("speed_text", [](auto& s) -> auto& { return s.speed_text; }));
        f.push_back(text_field("speed_mph_text", [](auto& s) -> auto& { return s.speed_mph_text; }));
        f.push_back(text_field("toward_text", [](auto& s) -> auto& { return s.toward_text; }));
        f.push_back(text_field("from_text", [](auto& s) -> auto& { return s.from_text; }));
        f.push_back(num_field("projection_minutes", [](auto& s) -> auto& { return s.projection_minutes; }));
        f.push_back({"shapes", [](const Storm& s) { return shapes_value(s.shapes); },
                     [](Storm& s, std::string_view v) { return parse_shapes(v, s.shapes); }});
        f.push_back(clock_field("drawn_at", [](auto& s) -> auto& { return s.drawn_at; }));
        return f;
    }();
    return fields;
}
// clang-format on

void put(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    if (!value.empty()) {
        out += ' ';
        out += value;
    }
    out += kEol;
}

// ---- reading ----

// One line at a time, LF or CR LF; a last line without its end is a line.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool next(std::string_view& line) {
        if (rest_.empty()) return false;
        size_t nl = rest_.find('\n');
        line = rest_.substr(0, nl);
        rest_ = nl == std::string_view::npos ? std::string_view() : rest_.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number_;
        return true;
    }
    long number() const { return number_; }

private:
    std::string_view rest_;
    long number_ = 0;
};

void split_line(std::string_view line, std::string_view& key, std::string_view& value) {
    size_t sp = line.find(' ');
    key = line.substr(0, sp);
    value = sp == std::string_view::npos ? std::string_view() : line.substr(sp + 1);
}

std::string at_line(long n, std::string_view what) {
    return "line " + std::to_string(n) + ": " + std::string(what);
}

// The version line: "" when it is this version's, else why the file is refused.
std::string version_problem(std::string_view line) {
    std::string_view key, value;
    split_line(line, key, value);
    long version = 0;
    if (key != kVersionKey || !parse_num(value, version)) return "not a storms file";
    if (version > kVersion) return "written by a newer version (" + std::string(value) + ")";
    if (version != kVersion) return "unknown version " + std::string(value);
    return {};
}

// The lines after the version line, one at a time. Each step returns "" or
// why the file is refused.
class StormsReader {
public:
    std::string line(long n, std::string_view key, std::string_view value) {
        if (ended_) return at_line(n, "text after the end");
        if (key == "end" && value.empty()) {
            ended_ = true;
            return finish_storm();
        }
        if (key == "storm") return storm_line(n, value);
        if (storm_) return field_line(n, key, value);
        return header_line(n, key, value);
    }

    // After the last line: the file as read.
    std::string end() {
        // The end line comes last: without it the file was cut short.
        if (!ended_) return "the file is incomplete (no end line)";
        if (!counter_ || !selected_) return "no counter or selection";
        file.counter = *counter_;
        // The next track takes counter + 1: an older number would be used twice.
        if (!numbers_.empty() && *numbers_.rbegin() > file.counter)
            return "a storm numbered above the counter";
        if (*selected_ == 0 ? !file.storms.empty() : !file.storms.select(*selected_))
            return "the selected storm " + std::to_string(*selected_) + " is not in the file";
        return {};
    }

    StormsFile file;

private:
    // A block is complete when every field was read once.
    std::string finish_storm() {
        if (!storm_) return {};
        for (size_t i = 0; i < fields_.size(); ++i)
            if (!seen_[i])
                return "storm " + std::to_string(storm_->number) + " has no " + fields_[i].key;
        file.storms.add(std::move(*storm_));
        storm_.reset();
        return {};
    }

    std::string storm_line(long n, std::string_view value) {
        if (auto p = finish_storm(); !p.empty()) return p;
        if (!counter_ || !selected_)
            return at_line(n, "a storm before the counter and the selection");
        int number = 0;
        if (!parse_num(value, number) || number < 1) return at_line(n, "bad storm number");
        if (!numbers_.insert(number).second)
            return at_line(n, "storm " + std::string(value) + " twice");
        if (numbers_.size() > kStormsFileMaxStorms) return "more than 1000 storms";
        storm_.emplace();
        storm_->number = number;
        seen_.assign(fields_.size(), false);
        return {};
    }

    std::string field_line(long n, std::string_view key, std::string_view value) {
        size_t i = 0;
        while (i < fields_.size() && fields_[i].key != key) ++i;
        if (i == fields_.size())
            return at_line(n, "unknown field " + std::string(key.substr(0, 40)));
        if (seen_[i]) return at_line(n, fields_[i].key + " twice");
        if (!fields_[i].set(*storm_, value)) return at_line(n, "bad " + fields_[i].key);
        seen_[i] = true;
        return {};
    }

    std::string header_line(long n, std::string_view key, std::string_view value) {
        if (key == "counter" && !counter_) {
            long c = 0;
            if (!parse_num(value, c) || c < 0) return at_line(n, "bad counter");
            counter_ = c;
        } else if (key == "selected" && !selected_) {
            int s = 0;
            if (!parse_num(value, s) || s < 0) return at_line(n, "bad selection");
            selected_ = s;
        } else {
            return at_line(n, "unexpected " + std::string(key.substr(0, 40)));
        }
        return {};
    }

    const std::vector<Field>& fields_ = storm_fields();
    std::optional<long> counter_;
    std::optional<int> selected_;
    std::optional<Storm> storm_;  // the block being read
    std::vector<bool> seen_;      // its fields read so far
    std::set<int> numbers_;
    bool ended_ = false;
};

}  // namespace

std::string storms_file_text(const StormsFile& f) {
    std::string out;
    put(out, kVersionKey, num(kVersion));
    put(out, "counter", num(f.counter));
    put(out, "selected", num(f.storms.selected_number()));
    for (const Storm& s : f.storms.all()) {
        out += kEol;
        put(out, "storm", num(s.number));
        for (const Field& field : storm_fields()) put(out, field.key, field.get(s));
    }
    out += kEol;
    put(out, "end", "");
    return out;
}

StormsRead read_storms_file(std::string_view text) {
    auto fail = [](std::string why) { return StormsRead{std::nullopt, std::move(why)}; };
    if (text.size() > kStormsFileMaxBytes) return fail("the file is larger than 4 MiB");
    // Notepad may have saved it with a byte order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    Lines lines(text);
    std::string_view line, key, value;
    if (!lines.next(line)) return fail("the file is empty");
    if (auto p = version_problem(line); !p.empty()) return fail(p);

    StormsReader reader;
    while (lines.next(line)) {
        if (line.empty()) continue;
        split_line(line, key, value);
        if (auto p = reader.line(lines.number(), key, value); !p.empty()) return fail(p);
    }
    if (auto p = reader.end(); !p.empty()) return fail(p);
    return {std::move(reader.file), {}};
}

StormsFile storms_since(const StormsFile& f, std::int64_t since_utc) {
    StormsFile out;
    out.counter = f.counter;
    for (const Storm& s : f.storms.all())
        if (s.second.utc >= since_utc) out.storms.add(s);  // each add selects the newest so far
    out.storms.select(f.storms.selected_number());         // kept if its storm was
    return out;
}

}  // namespace tessaly
