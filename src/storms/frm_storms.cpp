#include "storms/frm_storms.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "storms/storm.h"

namespace tessaly {

namespace {

constexpr const char* kDegree = "\xC2\xB0";

// The local clock `minutes` after `t`, on the same kind of dial.
ClockTime clock_after(const ClockTime& t, long minutes) {
    constexpr long kDay = 24 * 60;
    long m = ((t.hour24 * 60L + t.minute + minutes) % kDay + kDay) % kDay;
    ClockTime out = t;
    out.hour24 = static_cast<int>(m / 60);
    out.minute = static_cast<int>(m % 60);
    out.second = 0;
    return out;
}

}  // namespace

FrmStorms::FrmStorms(App& a) : Window(a, "frmStorms") {
    caption = "Storms";
    using K = ControlKind;
    add("storm_list", storm_list, K::List).columns = {"Label",  "Moving", "Speed",
                                                      "Marked", "Age",    "Next arrival"};
    add("select_storm", select_storm, K::Button, "Select");
    add("eta_storm", eta_storm, K::Button, "ETAs");
    add("rename_storm", rename_storm, K::Button, "Rename...");
    add("erase_storm", erase_storm, K::Button, "Erase");
    add("close", close, K::Button, "Close");
    storm_list.on_select = [this] {
        highlighted_ = highlighted_number();
        enable_buttons(highlighted_ != 0);
    };
    storm_list.on_dblclick = [this] { select_highlighted(); };
    select_storm.on_click = [this] { select_highlighted(); };
    eta_storm.on_click = [this] { view_highlighted_etas(); };
    rename_storm.on_click = [this] { rename_highlighted(); };
    erase_storm.on_click = [this] { erase_highlighted(); };
    close.on_click = [this] { close_request(); };
    add_timer(age_Timer, "frmStorms.age_Timer", kAgeIntervalMs, false).tick = [this] { refresh(); };
}

void FrmStorms::load() {
    restore_place(keys::storms_left, keys::storms_top);
    refresh();
}

void FrmStorms::open() {
    refresh();
    age_Timer.enabled = true;
    show();
}

void FrmStorms::close_request() {
    age_Timer.enabled = false;
    hide();
}

void FrmStorms::moved() { save_place(keys::storms_left, keys::storms_top); }

std::string FrmStorms::row_text(const Storm& s, long long now_utc) {
    std::string next;
    for (const Arrival& a : s.arrivals) {
        if (!a.in_path || a.utc < now_utc) continue;
        next = clock_text(clock_after(a.read_at, a.travel_minutes)) + " " + a.name;
        break;
    }
    long long age_min = std::max(0LL, (now_utc - s.second.utc) / 60);
    std::string row;
    row.reserve(64 + next.size());
    row += s.label;
    row += '\t';
    row += compass_point(s.bearing_deg) + " (from " + s.from_text + kDegree + ")";
    row += '\t';
    row += s.speed_text + " kt / " + s.speed_mph_text + " mph";
    row += '\t';
    row += clock_text(s.second.clock);
    row += '\t';
    row += std::to_string(age_min) + " min";
    row += '\t';
    row += next;
    return row;
}

void FrmStorms::refresh() {
    const Storms& storms = app.frmMain().storms;
    // A newly selected storm takes the highlight; otherwise the user's row
    // stays highlighted while its storm exists.
    const int selected = storms.selected_number();
    if (selected != shown_selected_ || !storms.find(highlighted_)) highlighted_ = selected;
    shown_selected_ = selected;
    const long long now = app.platform.utc_seconds();
    storm_list.items.clear();
    storm_list.items.reserve(storms.size());
    const AlertBook& alerts = app.frmMain().alerts;
    for (const Storm& s : storms.all()) {
        std::string row = row_text(s, now);
        // A storm whose path reaches a watched place is marked beside its label.
        if (alerts.storm_alerted(s.number)) row.insert(s.label.size(), " !");
        storm_list.items.push_back(std::move(row));
    }
    storm_list.selected_row = storms.index_of(highlighted_);
    enable_buttons(storm_list.selected_row >= 0);
    changed();
}

void FrmStorms::enable_buttons(bool any) {
    for (Control* c : {&select_storm, &eta_storm, &rename_storm, &erase_storm}) c->enabled = any;
}

int FrmStorms::highlighted_number() const {
    const auto& all = app.frmMain().storms.all();
    int row = storm_list.selected_row;
    return row >= 0 && row < static_cast<int>(all.size()) ? all[static_cast<size_t>(row)].number
                                                          : 0;
}

// Each action leaves the rows current, also where it changed nothing.
void FrmStorms::act_on_highlighted(void (FrmMain::*action)(int)) {
    const int n = highlighted_number();
    if (!n) {
        app.beep();
        return;
    }
    (app.frmMain().*action)(n);
    refresh();
}

void FrmStorms::select_highlighted() { act_on_highlighted(&FrmMain::select_storm); }
void FrmStorms::view_highlighted_etas() { act_on_highlighted(&FrmMain::view_storm_etas); }
void FrmStorms::erase_highlighted() { act_on_highlighted(&FrmMain::erase_storm); }

void FrmStorms::rename_highlighted() {
    int n = highlighted_number();
    if (!n) {
        app.beep();
        return;
    }
    const Storm* s = app.frmMain().storms.find(n);
    App& a = app;
    a.frmInput().ask_text(" Rename Storm " + s->label, s->label, [&a, n](const std::string& text) {
        a.frmMain().rename_storm(n, text);
        if (a.is_loaded("frmStorms")) a.frmStorms().refresh();
    });
}

}  // namespace tessaly
