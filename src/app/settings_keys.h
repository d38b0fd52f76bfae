#pragma once
// Every settings key the program reads or writes (section "Korvel3"), with
// the value written at first start (or when found missing at a load), the
// fallback a reader uses when nothing is stored, and the preset of its
// input box. nullptr: not written / no fallback beyond "" / no input box.
// Where the three differ, the comment says why; stored files and the
// viewer's output depend on each of them as they are. A whole-number key
// also has its range (lo..hi): a stored value outside it reads as the
// fallback, and the messages about it name these bounds.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

struct SettingKey {
    const char* key;
    const char* first_start;
    const char* fallback;
    const char* preset;
    int lo = 0, hi = -1;  // hi < lo: no range

    constexpr bool has_range() const { return lo <= hi; }
    // The fallback of a whole-number key as a number.
    constexpr int fallback_number() const {
        int v = 0;
        for (const char* c = fallback; *c; ++c) v = v * 10 + (*c - '0');
        return v;
    }
};

// Whole minutes written as plain digits within a whole-number key's range.
std::optional<int> minutes_setting(std::string_view text, const SettingKey& key);
// The whole number text holds when it lies in the key's range, else the
// key's fallback.
int number_in_range(const SettingKey& key, std::string_view text);
// A key's range as the messages state it: "from <lo> to <hi>".
std::string range_words(const SettingKey& key);
// A key's range as the tooltips state it: "(<lo>-<hi>)".
std::string range_brackets(const SettingKey& key);

namespace keys {

inline constexpr SettingKey version{"version", "4.2", nullptr, nullptr};
inline constexpr SettingKey grtype{"grtype", nullptr, nullptr, nullptr};
inline constexpr SettingKey projection{"projection", nullptr, "fan", nullptr};

// Hotkeys: "Q"/"W"/"X" are written by the version notice; where none is
// stored (a store of this version without its hotkeys) the editor keeps its
// own first keys "Q"/"X"/"S".
inline constexpr SettingKey hkselect{"hkselect", "Q", "Q", nullptr};
inline constexpr SettingKey hkerase{"hkerase", "W", "X", nullptr};
inline constexpr SettingKey hketa{"hketa", "X", "S", nullptr};
inline constexpr SettingKey hkundo{"hkundo", nullptr, nullptr, nullptr};  // empty: no key undoes
// Empty: no key. Erases the storm whose track passes nearest the cursor
// (within 10 nm); selects the next storm.
inline constexpr SettingKey hkerase_storm{"hkerase_storm", nullptr, nullptr, nullptr};
inline constexpr SettingKey hknext_storm{"hknext_storm", nullptr, nullptr, nullptr};
// Empty: no key. Adds the place under the cursor to the watched places.
inline constexpr SettingKey hkwatch{"hkwatch", nullptr, nullptr, nullptr};
// "1": the hotkeys act whichever program is in front; missing or "0": only
// while the viewer or Tessaly is.
inline constexpr SettingKey hotkeys_everywhere{"hotkeys_everywhere", nullptr, "0", nullptr};

// Drawing switches: "yes"/"no". A missing polygon or track switch draws the
// projection's shapes; the bow echo draws only what is switched on
// explicitly. First start stores both ("yes" for the track here, for the
// polygon through the editor's box), so only an edited store tells the two
// apart.
inline constexpr SettingKey polygon{"polygon", nullptr, "yes", nullptr};
inline constexpr SettingKey border{"border", "no", "no", nullptr};
inline constexpr SettingKey track{"track", "yes", "yes", nullptr};
inline constexpr SettingKey time_marks{"time_marks", nullptr, "no", nullptr};

// Colours: written in the stored "R, G, B," form; the readers' fallbacks
// are what the shapes drew before anything was stored (the wedge has its
// own, see compiler.cpp).
inline constexpr SettingKey border_rgb{"border_rgb", "248, 000, 000,", "128 128 128", nullptr};
inline constexpr SettingKey polygon_rgb{"polygon_rgb", "248, 248, 248,", "248, 000, 000,", nullptr};
inline constexpr SettingKey track_rgb{"track_rgb", "248, 000, 000,", "248 000 000", nullptr};
// Widths and transparency: the input boxes offer a starting point of their
// own (a thin track line, a middling transparency), not the stored default.
inline constexpr SettingKey border_width{"border_width", "1", "1", "1"};
inline constexpr SettingKey track_width{"track_width", "2", "2", "1"};
inline constexpr SettingKey polygon_trans{"polygon_trans", "50", "25", "40"};

// Marking and projection length (whole minutes; unusable values fall back).
inline constexpr SettingKey mark_mode{"mark_mode", nullptr, "hour", nullptr};  // or "frames"
inline constexpr SettingKey mark_minutes{"mark_minutes", nullptr, "10",
                                         nullptr,        1,       180};  // box: current
inline constexpr SettingKey projection_minutes{"projection_minutes", nullptr, "60", "60", 15, 180};

// Storms: "0" draws no letter label beside a storm (missing = "1"); storms
// marked within the last restore_hours (0..24, 0 = never; missing = 3) come
// back at start.
inline constexpr SettingKey storm_labels{"storm_labels", nullptr, "1", nullptr};
inline constexpr SettingKey restore_hours{"restore_hours", nullptr, "3", nullptr, 0, 24};

// ETA windows and markers.
inline constexpr SettingKey eta_text{"eta_text", "16777215", "16777215", nullptr};
inline constexpr SettingKey eta_border{"eta_border", "16777215", "16777215", nullptr};
inline constexpr SettingKey eta_tag{"eta_tag", "16744576", "16744576", nullptr};
inline constexpr SettingKey eta_background{"eta_background", "8388608", "8388608", nullptr};
inline constexpr SettingKey eta_radius{"eta_radius", "1", "1", nullptr};
inline constexpr SettingKey eta_historic{"eta_historic", "1", "1", nullptr};
inline constexpr SettingKey eta_rep{"eta_rep", ".", ".", nullptr};
inline constexpr SettingKey eta_rgb{"eta_rgb", "200,200,200", "200,200,200", nullptr};
inline constexpr SettingKey eta_fontsize{"eta_fontsize", "12", "12", nullptr};
inline constexpr SettingKey displayeta{"displayeta", "1", "1", nullptr};
inline constexpr SettingKey displayetamed{"displayetamed", nullptr, "0", nullptr};
inline constexpr SettingKey displayeta2{"displayeta2", nullptr, "0", nullptr};
// Written only: the boxes start unticked at every load.
inline constexpr SettingKey showcity{"showcity", nullptr, nullptr, nullptr};
inline constexpr SettingKey showtime{"showtime", nullptr, nullptr, nullptr};
inline constexpr SettingKey tag_text_edit{"tag_text_edit", nullptr, "Korvelv3", "Korvelv3"};
inline constexpr SettingKey eta_database{"eta_database", nullptr, "local", nullptr};  // or "server"
inline constexpr SettingKey eta_server{"eta_server", nullptr, "https://secure.geonames.org/",
                                       nullptr};
inline constexpr SettingKey eta_username{"eta_username", nullptr, nullptr, nullptr};

// The ETA view's style: "classic" the marker and lists of old; anything
// else (missing too) the pathcast: arrival, departure and closest approach
// of each town in the storm's path, in the town's own time zone.
inline constexpr SettingKey eta_style{"eta_style", nullptr, "pathcast", nullptr};
// How old the radar frames are when marked, in minutes (0..30): the storm
// was at its marks that much before the presses.
inline constexpr SettingKey frame_delay{"frame_delay", nullptr, "0", "0", 0, 30};
// Half-width of the path in statute miles (1..50).
inline constexpr SettingKey pathcast_miles{"pathcast_miles", nullptr, "8", "8", 1, 50};
// Index places with fewer people are left out (custom places never are).
inline constexpr SettingKey pathcast_min_population{
    "pathcast_min_population", nullptr, "0", nullptr, 0, 999'999'999};
// How the pathcast writes a time: "12" 3:15 PM CDT, "24" 15:15 CDT, "utc" 20:15Z.
inline constexpr SettingKey clock_style{"clock_style", nullptr, "12", nullptr};
// Where and how large the pathcast window was last left, in twips; missing:
// beside the main window, at its layout's size.
inline constexpr SettingKey pathcast_left{"pathcast_left", nullptr, nullptr, nullptr};
inline constexpr SettingKey pathcast_top{"pathcast_top", nullptr, nullptr, nullptr};
inline constexpr SettingKey pathcast_width{"pathcast_width", nullptr, nullptr, nullptr};
inline constexpr SettingKey pathcast_height{"pathcast_height", nullptr, nullptr, nullptr};

// Watched places: a storm whose path reaches one within alert_minutes
// (5..180) warns; "0" keeps the warning silent (missing = "1").
inline constexpr SettingKey alert_minutes{"alert_minutes", nullptr, "30", "30", 5, 180};
inline constexpr SettingKey alert_sound{"alert_sound", nullptr, "1", nullptr};
// Where the watched places window was last left, in twips.
inline constexpr SettingKey watched_left{"watched_left", nullptr, nullptr, nullptr};
inline constexpr SettingKey watched_top{"watched_top", nullptr, nullptr, nullptr};

// Where the storm list was last left, in twips from the screen's top left;
// missing: it opens beside the main window.
inline constexpr SettingKey storms_left{"storms_left", nullptr, nullptr, nullptr};
inline constexpr SettingKey storms_top{"storms_top", nullptr, nullptr, nullptr};

}  // namespace keys
}  // namespace tessaly
