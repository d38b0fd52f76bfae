#pragma once
// The statement lines the program writes into the placefile, byte for byte
// as the viewer and the stored files know them. Builders take text that is
// already fit for a placefile (see placefile_text); they add no escaping.
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_keys.h"

namespace tessaly {

class App;

// A position as the text it is written with.
struct Pt {
    std::string lat, lon;
    std::string line() const { return lat + ", " + lon; }  // "lat, lon" (a vertex line)
};

namespace pf {

inline constexpr const char* kPolygon = "Polygon: ";
inline constexpr const char* kEnd = "End:";  // ends a Polygon or an Object
inline constexpr const char* kLineEnd = "End: ";
// What follows shows only within this many miles of zoom (labels that would
// crowd a wide view), and again at every zoom.
inline constexpr const char* kThresholdNear = "Threshold: 150";
inline constexpr const char* kThresholdAll = "Threshold: 999";
// The alpha of what is drawn fully opaque.
inline constexpr const char* kOpaque = "100";
// The grey of the ETA markers' and the projection's time labels; the white
// of the track's and the watched places' labels.
inline constexpr const char* kLabelGrey = "200 200 200";
inline constexpr const char* kWhite = "255 255 255";
// Comment lines around a bow echo's block.
inline constexpr const char* kBowEchoStart = ";<BowEcho>";
inline constexpr const char* kBowEchoEnd = ";</BowEcho>";
// The icon file the header names; it lies beside the program.
inline constexpr const char* kIconFile = "stormtrack.png";

// The placefile's header: title, refresh, threshold, font and icon file,
// with the blank lines that set it off.
std::vector<std::string> header();

// " ;eta#N": ends every line of track N's ETA markers, so that they can be
// found again (the viewer reads it as a comment).
std::string eta_tag(std::string_view track);

// "Color: <rgb> <alpha>" for shapes; an empty alpha leaves the blank.
std::string color(std::string_view rgb, std::string_view alpha);
// "Color: <rgb>, <alpha>" for text markers.
std::string text_color(std::string_view rgb, std::string_view alpha);
// The first vertex of a polygon carries its fill: "lat, lon, <rgb> <alpha>".
std::string polygon_first_vertex(const Pt& p, std::string_view rgb, std::string_view alpha);
// "Line: <width>, 0" and, for the projection's lines, an opened empty label: ', 0, "'.
std::string line_start(std::string_view width, bool open_label);
// "Icon: lat, lon, <angle>, 1, <index>" with a closing ", " unless told otherwise.
std::string icon(const Pt& p, std::string_view angle, int index, bool trailing_separator = true);
// "Text: lat, lon, <font>, <label>".
std::string text(const Pt& p, std::string_view label, int font_slot = 1);
// Outside text (a place name, a hover text) as a quoted Text field: one
// line, no comment, a quote becomes an apostrophe.
std::string quoted(std::string_view s);
// "Text:  <dx>, 0, 1, <label>": text at its Object's position, or dx
// pixels right of it.
std::string object_text(std::string_view label, int dx = 0);
// "Object: lat, lon".
std::string object(const Pt& p);
// "Object:  lat, lon": the place markers' form, two blanks.
std::string place_object(const Pt& p);
// "Font: <slot>, <size>, 1, Segoe UI".
std::string font(std::string_view size, int slot = 1);

}  // namespace pf

// A stored value (a setting, or an editor field that holds one) as it goes
// into a placefile line. Every stored value a line carries passes here, so
// none can end a line early: line breaks become blanks and ";" becomes ","
// (placefile_text).
std::string stored_text(std::string_view value);

// A stored setting as placefile text, or the fallback (the key's own unless
// told) when nothing is stored.
std::string setting_or(App& app, const SettingKey& key, const std::string& fallback);
inline std::string setting_or(App& app, const SettingKey& k) {
    return setting_or(app, k, k.fallback);
}
// A stored colour for a "Color:" line: the stored "R, G, B," form loses its ", ".
std::string colour_setting(App& app, const SettingKey& key, const std::string& fallback);
inline std::string colour_setting(App& app, const SettingKey& k) {
    return colour_setting(app, k, k.fallback);
}

// The colours and widths of one shape as they are written.
struct ShapeLook {
    std::string border_width, polygon_trans, polygon_rgb, border_rgb, track_rgb, track_width;
};
// A shape's look from the stored settings; the polygon and border colours
// fall back to the given texts (the polygon's already in the vertex form
// "R, G, B,", so that the viewer still reads a fill colour).
ShapeLook stored_look(App& app, const std::string& polygon_fallback = keys::polygon_rgb.fallback,
                      const std::string& border_fallback = keys::border_rgb.fallback);

}  // namespace tessaly
