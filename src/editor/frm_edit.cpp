#include "editor/frm_edit.h"

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "core/failure.h"
#include "core/text.h"

namespace tessaly {

FrmEdit::FrmEdit(App& a) : Window(a, "frmEdit") {
    using K = ControlKind;
    caption = "Projection Editor";
    add("polyc", polyc, K::Check, "Add Polygon").tooltip = "Draw polygon projections?";
    add("borderc", borderc, K::Check, "Add Border").tooltip =
        "Draw borders around storm projections?";
    add("trackc", trackc, K::Check, "Add Track").tooltip = "Draw storm track lines?";
    add("cmd_polygon_color", cmd_polygon_color, K::Button, "Polygon Color");
    add("cmd_border_color", cmd_border_color, K::Button, "Border Color");
    add("cmd_track_color", cmd_track_color, K::Button, "Track Color");
    add("cmd_polygon_trans", cmd_polygon_trans, K::Button, "Polygon Transparency").tooltip =
        "Polygon Transparency (0-100)";
    add("cmd_border_width", cmd_border_width, K::Button, "Border Line Width");
    add("cmd_track_width", cmd_track_width, K::Button, "Track Line Width");
    add("cmd_projection_minutes", cmd_projection_minutes, K::Button, "Projection Length").tooltip =
        "Minutes of travel the projection covers " + range_brackets(keys::projection_minutes);
    add("timemarksc", timemarksc, K::Check, "Time marks along the track").tooltip =
        "Label the track with the clock time every 15 minutes?";
    add("hkselect", hkselect, K::Text, keys::hkselect.fallback);
    add("hkerase", hkerase, K::Text, keys::hkerase.fallback);
    add("hketa", hketa, K::Text, keys::hketa.fallback);
    add("hkundo", hkundo, K::Text);
    add("hkerase_storm", hkerase_storm, K::Text);
    add("hknext_storm", hknext_storm, K::Text);
    add("hkwatch", hkwatch, K::Text);
    add("hotkeys_everywhere", hotkeys_everywhere, K::Check, "Hotkeys work in every program");
    add("focus", focus, K::Text).visible = false;
    add("Frame1", Frame1, K::Frame, "Projection Appearance");
    add("Frame2", Frame2, K::Frame, "Korvel HotKeys");
    add("Frame3", Frame3, K::Frame, "Default Korvel HotKeys");
    add("notice", notice, K::Label,
        "The Korvel Hotkeys have changed in version 4.2, make sure you notice the new default "
        "hotkeys. You can also edit them to your own custom keys.");

    auto check = [this](Control& box, const SettingKey& key) {
        box.on_click = [this, &box, &key] { app.save_setting(key, box.checked ? "yes" : "no"); };
    };
    check(polyc, keys::polygon);
    check(borderc, keys::border);
    check(trackc, keys::track);
    check(timemarksc, keys::time_marks);
    cmd_polygon_color.on_click = [this] { colour_button(keys::polygon_rgb); };
    cmd_border_color.on_click = [this] { colour_button(keys::border_rgb); };
    cmd_track_color.on_click = [this] { colour_button(keys::track_rgb); };
    cmd_polygon_trans.on_click = [this] {
        value_button(keys::polygon_trans, " Polygon Transparency");
    };
    cmd_border_width.on_click = [this] { value_button(keys::border_width, " Border Line Width"); };
    cmd_track_width.on_click = [this] { value_button(keys::track_width, " Track Line Width"); };
    cmd_projection_minutes.on_click = [this] {
        value_button(keys::projection_minutes, kProjectionMinutesTitle);
    };
    hotkey_field(hkselect, keys::hkselect);
    hotkey_field(hkerase, keys::hkerase);
    hotkey_field(hketa, keys::hketa);
    hotkey_field(hkundo, keys::hkundo);
    hotkey_field(hkerase_storm, keys::hkerase_storm);
    hotkey_field(hknext_storm, keys::hknext_storm);
    hotkey_field(hkwatch, keys::hkwatch);
    hotkeys_everywhere.on_click = [this] {
        app.save_setting(keys::hotkeys_everywhere, hotkeys_everywhere.checked ? "1" : "0");
    };
}

void FrmEdit::load() {
    read_registry();
    left_twips = 6400;
    top_twips = 3700;
}

void FrmEdit::close_request() { app.unload(name); }

std::string FrmEdit::colour_text(unsigned long value) {
    unsigned long r = value % 256, g = (value / 256) % 256, b = value / 65536;
    return std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + ",";
}

void FrmEdit::hotkey_field(Control& field, const SettingKey& key) {
    field.on_change = [this, &field, &key] {
        // A hotkey is compared with one key's character: a longer text would
        // be stored and never fire. Empty is kept (no key, or a field being
        // retyped), and so is the stored value as it is loaded.
        const std::string stored = app.get_setting(key);
        if (character_count(field.text) > 1 && field.text != stored) {
            app.message("A hotkey is a single key: \"" + echo_value(field.text) +
                        "\" was not stored.");
            field.text = stored;
            changed();
            return;
        }
        app.save_setting(key, field.text);
    };
}

void FrmEdit::colour_button(const SettingKey& key) {
    auto c = app.platform.choose_color();
    if (c) app.save_setting(key, colour_text(*c));
}

void FrmEdit::value_button(const SettingKey& key, const char* title) {
    std::string stored = app.get_setting(key);
    app.frmInput().ask(key, title, stored.empty() ? key.preset : stored);
}

void FrmEdit::read_registry() {
    FrmMain& m = app.frmMain();
    std::string p = app.get_setting(keys::projection);
    if (p.empty() || p == "fan") {
        m.mnu_projection_wedge.checked = false;
        m.mnu_projection_fan.checked = true;
    } else if (p == "wedge") {
        m.mnu_projection_fan.checked = false;
        m.mnu_projection_wedge.checked = true;
    }
    read_drawing_switches();
    timemarksc.set_checked(app.get_setting(keys::time_marks) == "yes");

    for (const SettingKey& k : {keys::border_rgb, keys::polygon_rgb, keys::border_width,
                                keys::polygon_trans, keys::track_rgb, keys::track_width})
        app.setting_or_store_first_start(k);

    // Missing: the hotkeys act only in the viewer and in this program.
    hotkeys_everywhere.checked = app.get_setting(keys::hotkeys_everywhere) == "1";

    read_hotkey_chain();
    // Not part of the chain: it is optional, and a missing key leaves it empty.
    hkundo.set_text(app.get_setting(keys::hkundo));
    hkerase_storm.set_text(app.get_setting(keys::hkerase_storm));
    hknext_storm.set_text(app.get_setting(keys::hknext_storm));
    hkwatch.set_text(app.get_setting(keys::hkwatch));
    m.changed();
}

void FrmEdit::read_drawing_switches() {
    std::string b = app.get_setting(keys::border);
    borderc.set_checked(b == "yes");
    std::string poly = app.get_setting(keys::polygon);
    polyc.set_checked(poly.empty() || poly == "yes");
    std::string t = app.get_setting(keys::track);
    trackc.set_checked(t.empty() || t == "yes");
}

void FrmEdit::read_hotkey_chain() {
    std::string s = app.get_setting(keys::hkselect);
    if (s.empty()) return;
    hkselect.set_text(s);
    std::string e = app.get_setting(keys::hkerase);
    if (e.empty()) return;
    hkerase.set_text(e);
    std::string v = app.get_setting(keys::hketa);
    if (!v.empty()) hketa.set_text(v);
}

}  // namespace tessaly
