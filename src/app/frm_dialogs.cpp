#include "app/frm_dialogs.h"

#include "app/app.h"
#include "eta/frm_custom_eta.h"
#include "tracking/motion.h"

namespace tessaly {

FrmInput::FrmInput(App& a) : Window(a, "frmInput") {
    add("INP", INP, ControlKind::Text);
    add("cmd_save", cmd_save, ControlKind::Button, "Apply");
    add("focus", focus, ControlKind::Text).visible = false;
    cmd_save.on_click = [this] { cmd_save_Click(); };
}

void FrmInput::load() {
    left_twips = 800;
    top_twips = 600;
}

void FrmInput::ask(const SettingKey& setting_key, const std::string& title,
                   const std::string& initial) {
    key = &setting_key;
    apply_ = nullptr;
    INP.set_text(initial);
    caption = title;
    show();
    changed();
}

void FrmInput::ask_text(const std::string& title, const std::string& initial,
                        std::function<void(const std::string&)> apply) {
    key = nullptr;
    apply_ = std::move(apply);
    INP.set_text(initial);
    caption = title;
    show();
    changed();
}

void FrmInput::close_request() {
    apply_ = nullptr;
    hide();
}

void FrmInput::cmd_save_Click() {
    hide();
    if (apply_) {
        // Taken first: the callback may ask again.
        auto apply = std::move(apply_);
        apply_ = nullptr;
        apply(INP.text);
        return;
    }
    if (key == &keys::border_width || key == &keys::polygon_trans || key == &keys::track_width) {
        app.save_setting(*key, INP.text);
    } else if (key == &keys::tag_text_edit) {
        app.save_setting(*key, INP.text);
        app.frmCustomETA().Labeltitle.text = INP.text;
        app.frmCustomETA().changed();
        app.frmCustomETA1().Labeltitle.text = INP.text;
        app.frmCustomETA1().changed();
    } else if (key == &keys::mark_minutes) {
        // Frames mode starts with a usable interval or not at all.
        auto v = typed_minutes("The minutes between the two frames must be a whole number ");
        if (!v) return;
        app.save_setting(keys::mark_minutes, std::to_string(*v));
        app.save_setting(keys::mark_mode, "frames");
        app.frmMain().set_mark_mode(true, *v);
    } else if (key == &keys::projection_minutes) {
        auto v = typed_minutes("The projection length must be a whole number of minutes ");
        if (!v) return;
        app.save_setting(keys::projection_minutes, std::to_string(*v));
    }
}

std::optional<int> FrmInput::typed_minutes(const std::string& message_start) {
    auto v = minutes_setting(INP.text, *key);
    if (!v) app.message(message_start + range_words(*key) + ".");
    return v;
}

FrmAbout::FrmAbout(App& a) : Window(a, "frmAbout") {
    caption = "About Korvel";
    add("version_label", version_label, ControlKind::Label, "Tessaly v4.2 (May 16th 2014)");
    add("help_text", help_text, ControlKind::Text,
        "Questions, problems or ideas? The README that comes with Tessaly explains how to "
        "link it to your radar viewer, how the hotkeys work and what to check when nothing "
        "shows up.");
    add("manual_text", manual_text, ControlKind::Text,
        "Please read the user guide in README.txt before reporting a problem: most questions "
        "about the placefile, the ETA lookup and the GeoNames user name are answered there.");
    add("places_credit", places_credit, ControlKind::Label,
        "Place data \xC2\xA9 GeoNames (geonames.org), CC BY 4.0");
    add("cmd_ok", cmd_ok, ControlKind::Button, "OK");
    add("focus", focus, ControlKind::Text).visible = false;
    cmd_ok.on_click = [this] { dismiss(); };
}

void FrmAbout::load() {
    left_twips = 7400;
    top_twips = 3700;
}

void FrmAbout::dismiss() { hide(); }

}  // namespace tessaly
