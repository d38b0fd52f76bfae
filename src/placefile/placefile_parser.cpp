#include "placefile/placefile_parser.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace tessaly {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::optional<double> to_double(std::string_view s) {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> to_int(std::string_view s) {
    auto d = to_double(s);  // "2.0" as a width is still a width
    if (!d || *d < -1e9 || *d > 1e9) return std::nullopt;
    return static_cast<int>(*d);
}

// Splits at blanks and commas alike, dropping empty parts: colour and vertex
// fields are written both ways ("248, 0, 0, 50", "248 000 000, 100", "248 0 0,").
std::vector<std::string_view> fields(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (is_blank(s[i]) || s[i] == ',')) ++i;
        size_t start = i;
        while (i < s.size() && !is_blank(s[i]) && s[i] != ',') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

// The first n comma-separated parts, then the rest of the line (free text
// such as hover text may hold commas).
std::vector<std::string_view> split_head(std::string_view s, size_t n, std::string_view& rest,
                                         bool& has_rest) {
    std::vector<std::string_view> out;
    has_rest = false;
    while (out.size() < n) {
        size_t comma = s.find(',');
        if (comma == std::string_view::npos) {
            out.push_back(trim(s));
            s = {};
            rest = {};
            return out;
        }
        out.push_back(trim(s.substr(0, comma)));
        s.remove_prefix(comma + 1);
    }
    has_rest = true;
    rest = trim(s);
    return out;
}

bool in_range(double v, double lim) { return v >= -lim && v <= lim; }

std::optional<PfColor> parse_color(const std::vector<std::string_view>& f, size_t from) {
    if (f.size() != from + 3 && f.size() != from + 4) return std::nullopt;
    int c[4] = {0, 0, 0, 100};
    for (size_t i = from; i < f.size(); ++i) {
        auto v = to_int(f[i]);
        if (!v || *v < 0 || *v > 255) return std::nullopt;
        c[i - from] = *v;
    }
    return PfColor{c[0], c[1], c[2], c[3]};
}

enum class Block { None, Polygon, Line, Object };

struct Parser {
    ParsedPlacefile out;
    Block block = Block::None;
    int block_line = 0;
    PfColor color;
    PfPolygon polygon;
    PfLine line;
    PfObject object;
    int n = 0;

    void problem(std::string msg) { out.problems.push_back({n, std::move(msg)}); }

    void close_block() {
        if (block == Block::Polygon) {
            if (polygon.vertices.size() < 3) problem("polygon with fewer than three vertices");
            out.polygons.push_back(std::move(polygon));
        } else if (block == Block::Line) {
            if (line.points.size() < 2) problem("line with fewer than two points");
            out.lines.push_back(std::move(line));
        } else if (block == Block::Object) {
            out.objects.push_back(std::move(object));
        }
        block = Block::None;
    }

    void open(Block b) {
        if (block != Block::None) {
            problem("block opened at line " + std::to_string(block_line) + " not closed by End:");
            block = Block::None;  // drop the unclosed one
        }
        block = b;
        block_line = n;
        polygon = {};
        line = {};
        object = {};
    }

    std::optional<LatLon> point(std::string_view a, std::string_view b) {
        auto lat = to_double(a), lon = to_double(b);
        if (!lat || !lon || !in_range(*lat, 90) || !in_range(*lon, 360)) return std::nullopt;
        return LatLon{*lat, *lon};
    }

    void vertex(std::string_view s) {
        auto f = fields(s);
        std::optional<LatLon> p;
        if (f.size() >= 2) p = point(f[0], f[1]);
        if (!p || (f.size() != 2 && f.size() != 5 && f.size() != 6)) {
            problem("bad point line");
            return;
        }
        if (block == Block::Line) {
            line.points.push_back(*p);
            return;
        }
        if (f.size() > 2) {
            auto c = parse_color(f, 2);
            if (!c) {
                problem("bad vertex colour");
            } else if (polygon.vertices.empty()) {
                polygon.fill = *c;
            }
        } else if (polygon.vertices.empty()) {
            polygon.fill = color;
        }
        polygon.vertices.push_back(*p);
    }

    std::optional<PfIcon> icon(std::string_view s) {
        std::string_view rest;
        bool has_rest = false;
        auto h = split_head(s, 5, rest, has_rest);
        if (h.size() < 5) return std::nullopt;
        auto p = point(h[0], h[1]);
        auto angle = to_double(h[2]);
        auto file = to_int(h[3]), idx = to_int(h[4]);
        if (!p || !angle || !file || !idx) return std::nullopt;
        return PfIcon{p->lat, p->lon, *angle, *file, *idx, std::string(rest)};
    }

    std::optional<PfText> text(std::string_view s, bool offsets) {
        std::string_view rest;
        bool has_rest = false;
        auto h = split_head(s, 3, rest, has_rest);
        if (h.size() < 3 || !has_rest) return std::nullopt;
        auto lat = to_double(h[0]), lon = to_double(h[1]);
        auto font = to_int(h[2]);
        if (!lat || !lon || !font) return std::nullopt;
        if (!offsets && (!in_range(*lat, 90) || !in_range(*lon, 360))) return std::nullopt;
        PfText t{*lat, *lon, *font, std::string(rest), color, {}, {}};
        split_label(rest, t.label, t.hover);
        return t;
    }

    // "label, hover" where either may be in double quotes (a quoted one may
    // hold commas); without a comma the whole text is the label.
    static void split_label(std::string_view s, std::string& label, std::string& hover) {
        auto trim = [](std::string_view v) {
            while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
            while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
            return v;
        };
        auto unquote = [](std::string_view v) {
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return std::string(v);
        };
        s = trim(s);
        size_t cut = std::string_view::npos;
        if (!s.empty() && s.front() == '"') {
            size_t close = s.find('"', 1);
            if (close != std::string_view::npos) cut = s.find(',', close);
        } else {
            cut = s.find(',');
        }
        if (cut == std::string_view::npos) {
            label = unquote(s);
            hover.clear();
            return;
        }
        label = unquote(trim(s.substr(0, cut)));
        hover = unquote(trim(s.substr(cut + 1)));
    }

    void keyword(std::string_view key, std::string_view value) {
        if (iequals(key, "End")) {
            if (block == Block::None) problem("End: outside a block");
            close_block();
        } else if (iequals(key, "Color")) {
            auto c = parse_color(fields(value), 0);
            if (c) color = *c;
            else problem("bad Color:");
        } else if (iequals(key, "Polygon")) {
            open(Block::Polygon);
        } else if (iequals(key, "Line")) {
            open(Block::Line);
            std::string_view rest;
            bool has_rest = false;
            auto h = split_head(value, 2, rest, has_rest);
            auto w = to_int(h.empty() ? std::string_view{} : h[0]);
            if (!w || *w < 0 || *w > 1000) problem("bad Line: width");
            else line.width = *w;
            if (h.size() > 1) line.flags = to_int(h[1]).value_or(0);
            line.hover = std::string(rest);
            line.color = color;
        } else if (iequals(key, "Object")) {
            open(Block::Object);
            auto f = fields(value);
            auto p = f.size() == 2 ? point(f[0], f[1]) : std::nullopt;
            if (!p) problem("bad Object: position");
            else object.lat = p->lat, object.lon = p->lon;
        } else if (iequals(key, "Icon")) {
            auto i = icon(value);
            if (!i) problem("bad Icon:");
            else if (block == Block::Object) object.icons.push_back(std::move(*i));
            else out.icons.push_back(std::move(*i));
        } else if (iequals(key, "Text")) {
            auto t = text(value, block == Block::Object);
            if (!t) problem("bad Text:");
            else if (block == Block::Object) object.texts.push_back(std::move(*t));
            else out.texts.push_back(std::move(*t));
        } else if (iequals(key, "Title")) {
            out.title = std::string(value);
        } else if (iequals(key, "RefreshSeconds") || iequals(key, "Refresh")) {
            auto v = to_int(value);
            if (v) out.refresh_seconds = *v;
            else problem("bad RefreshSeconds:");
        } else if (iequals(key, "Threshold")) {
            auto v = to_int(value);
            if (v) out.threshold = *v;
            else problem("bad Threshold:");
        } else if (iequals(key, "Font")) {
            out.fonts.emplace_back(value);
        } else if (iequals(key, "IconFile")) {
            out.icon_files.emplace_back(value);
        } else {
            problem("unknown keyword " + std::string(key));
        }
    }

    void one_line(std::string_view s) {
        if (size_t semi = s.find(';'); semi != std::string_view::npos) s = s.substr(0, semi);
        s = trim(s);
        if (s.empty()) return;
        size_t colon = s.find(':');
        bool is_key = colon != std::string_view::npos && colon > 0;
        for (size_t i = 0; is_key && i < colon; ++i) {
            char c = lower(s[i]);
            if (c < 'a' || c > 'z') is_key = false;
        }
        if (is_key) {
            keyword(s.substr(0, colon), trim(s.substr(colon + 1)));
        } else if (block == Block::Polygon || block == Block::Line) {
            vertex(s);
        } else {
            problem("line not understood");
        }
    }

    void run(std::string_view text) {
        while (!text.empty() || n == 0) {
            size_t nl = text.find('\n');
            std::string_view l = text.substr(0, nl);
            text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
            ++n;
            one_line(l);
            if (text.empty()) break;
        }
        if (block != Block::None) {
            problem("file ends inside a block opened at line " + std::to_string(block_line));
            block = Block::None;
        }
    }
};

}  // namespace

ParsedPlacefile parse_placefile(std::string_view text) noexcept {
    try {
        Parser p;
        p.run(text);
        return std::move(p.out);
    } catch (...) {
        // Only allocation can fail; an empty result with a note is still safe.
        try {
            ParsedPlacefile out;
            out.problems.push_back({0, "out of memory"});
            return out;
        } catch (...) {
            return {};
        }
    }
}

}  // namespace tessaly
