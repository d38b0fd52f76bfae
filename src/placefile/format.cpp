#include "placefile/format.h"

#include <algorithm>

#include "app/app.h"
#include "core/text.h"

namespace tessaly {

namespace pf {

namespace {
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s += p;
    return s;
}
}  // namespace

std::string eta_tag(std::string_view track) { return cat({" ;eta#", track}); }

std::string color(std::string_view rgb, std::string_view alpha) {
    return cat({"Color: ", rgb, " ", alpha});
}

std::string text_color(std::string_view rgb, std::string_view alpha) {
    return cat({"Color: ", rgb, ", ", alpha});
}

std::string polygon_first_vertex(const Pt& p, std::string_view rgb, std::string_view alpha) {
    return cat({p.line(), ", ", rgb, " ", alpha});
}

std::string line_start(std::string_view width, bool open_label) {
    return cat({"Line: ", width, open_label ? ", 0, \"" : ", 0"});
}

std::string icon(const Pt& p, std::string_view angle, int index, bool trailing_separator) {
    return cat({"Icon: ", p.line(), ", ", angle, ", 1, ", std::to_string(index),
                trailing_separator ? ", " : ""});
}

std::string text(const Pt& p, std::string_view label, int font_slot) {
    return cat({"Text: ", p.line(), ", ", std::to_string(font_slot), ", ", label});
}

std::string quoted(std::string_view s) {
    std::string t = place_name_text(s);
    std::replace(t.begin(), t.end(), '"', '\'');
    return "\"" + t + "\"";
}

std::string object_text(std::string_view label, int dx) {
    return cat({"Text:  ", std::to_string(dx), ", 0, 1, ", label});
}

std::string object(const Pt& p) { return "Object: " + p.line(); }

std::string place_object(const Pt& p) { return "Object:  " + p.line(); }

std::string font(std::string_view size, int slot) {
    return cat({"Font: ", std::to_string(slot), ", ", size, ", 1, Segoe UI"});
}

std::vector<std::string> header() {
    return {"Title: Tessaly",
            "RefreshSeconds: 1",
            kThresholdAll,
            font("12"),
            "",
            cat({"IconFile: 1, 12, 12, 5, 5, ", kIconFile}),
            ""};
}

}  // namespace pf

std::string stored_text(std::string_view value) { return placefile_text(value); }

std::string setting_or(App& app, const SettingKey& key, const std::string& fallback) {
    std::string v = app.get_setting(key);
    return v.empty() ? fallback : stored_text(v);
}

std::string colour_setting(App& app, const SettingKey& key, const std::string& fallback) {
    std::string v = app.get_setting(key);
    return v.empty() ? fallback : replace_all(stored_text(v), ", ", " ");
}

ShapeLook stored_look(App& app, const std::string& polygon_fallback,
                      const std::string& border_fallback) {
    ShapeLook k;
    k.border_width = setting_or(app, keys::border_width);
    k.polygon_trans = setting_or(app, keys::polygon_trans);
    k.polygon_rgb = setting_or(app, keys::polygon_rgb, polygon_fallback);
    k.border_rgb = colour_setting(app, keys::border_rgb, border_fallback);
    k.track_rgb = colour_setting(app, keys::track_rgb);
    k.track_width = setting_or(app, keys::track_width);
    return k;
}

}  // namespace tessaly
