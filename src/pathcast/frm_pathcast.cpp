#include "pathcast/frm_pathcast.h"

#include "app/app.h"
#include "core/numtext.h"
#include "placefile/frm_pfinfo.h"
#include "storms/storm.h"

namespace tessaly {

FrmPathcast::FrmPathcast(App& a) : Window(a, "frmPathcast") {
    caption = "Pathcast";
    using K = ControlKind;
    add("rows", rows, K::List).columns = {"Arrives\u2013leaves", "In", "Town", "Passes",
                                          "Population"};
    add("note", note, K::Label);
    add("copy", copy, K::Button, "Copy");
    add("close", close, K::Button, "Close");
    copy.on_click = [this] { copy_rows(); };
    close.on_click = [this] { close_window(); };
    add_timer(minute_Timer, "frmPathcast.minute_Timer", kMinuteIntervalMs, false).tick = [this] {
        refresh_minute();
    };
}

void FrmPathcast::load() {
    restore_place(keys::pathcast_left, keys::pathcast_top);
    auto setting = [this](const SettingKey& k) { return twips_value(app.get_setting(k)); };
    auto width = setting(keys::pathcast_width), height = setting(keys::pathcast_height);
    if (width && height && *width > 0 && *height > 0) {
        width_twips = *width;
        height_twips = *height;
    }
}

void FrmPathcast::close_request() { close_window(); }

void FrmPathcast::moved() { save_place(keys::pathcast_left, keys::pathcast_top); }

void FrmPathcast::resized() {
    app.save_setting(keys::pathcast_width, std::to_string(width_twips));
    app.save_setting(keys::pathcast_height, std::to_string(height_twips));
}

void FrmPathcast::show_pathcast(Pathcast p) {
    pathcast_ = std::move(p);
    caption = "Pathcast: Storm " + pathcast_->label;
    render();
    minute_Timer.enabled = true;
    show();
    app.ui.make_topmost(*this);
}

void FrmPathcast::copy_rows() {
    if (!pathcast_) return;
    const Storm* s = app.frmMain().storms.find(pathcast_->storm_number);
    Storm rows_storm;
    if (!s) {
        // A view of rows typed by hand: the main window's rows.
        rows_storm = app.frmMain().storm_from_fields();
        rows_storm.label = pathcast_->label;
        s = &rows_storm;
    }
    if (!app.platform.set_clipboard_text(clipboard_text(*s, *pathcast_))) app.beep();
}

void FrmPathcast::close_window() {
    minute_Timer.enabled = false;
    pathcast_.reset();
    rows.items.clear();
    hide();
    changed();
}

void FrmPathcast::refresh_minute() {
    if (!pathcast_) {
        minute_Timer.enabled = false;
        return;
    }
    if (advance_to(*pathcast_, app.platform.utc_seconds()))
        app.frmMain().write_pathcast_labels(*pathcast_);
    render();
}

void FrmPathcast::render() {
    rows.items.clear();
    note.text.clear();
    if (pathcast_) {
        const std::string sep = app.platform.thousands_separator();
        for (const PathcastRow& r : pathcast_->rows) {
            const std::string people = r.place.population < 0
                                           ? std::string()
                                           : FrmPFinfo::group_thousands(r.place.population, sep);
            rows.items.push_back(
                span_of(r, *pathcast_) + '\t' + in_text(r.passage, pathcast_->view_utc) + '\t' +
                town_text(r.place) + '\t' + passes_cell(r.passage) + '\t' + people);
        }
        if (pathcast_->not_moving) note.text = kNotMoving;
        else if (pathcast_->rows.empty()) note.text = kNoTowns;
    }
    note.visible = !note.text.empty();
    changed();
}

}  // namespace tessaly
