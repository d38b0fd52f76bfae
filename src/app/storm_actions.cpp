// What the user does to the storms: select, erase one or all, rename, undo
// an erase, and how a storm is read from and shown in the main window.
#include <cmath>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_custom_eta.h"
#include "geodesy/geodesy.h"
#include "online/frm_new_eta.h"
#include "pathcast/frm_pathcast.h"
#include "storms/frm_storms.h"
#include "tracking/motion.h"

namespace tessaly {

namespace {

// Erases kept for undo; older ones are forgotten.
constexpr size_t kErasesKept = 20;

Mark mark_from_text(App& app, const std::string& lat, const std::string& lon) {
    Mark m;
    m.text = {lat, lon};
    m.lat = try_number(lat).value_or(0);
    m.lon = try_number(lon).value_or(0);
    m.utc = app.platform.utc_seconds();
    m.clock = app.platform.local_time();
    return m;
}

}  // namespace

// The ETA windows forget a list whose storm is gone.
void FrmMain::forget_eta_windows() {
    forget_classic_eta_windows();
    if (app.is_loaded("frmPathcast")) app.frmPathcast().close_window();
    eta_windows_track.clear();
}

void FrmMain::forget_classic_eta_windows() {
    if (app.is_loaded("frmCustomETA")) {
        FrmCustomETA& small = app.frmCustomETA();
        small.hide();
        for (Control& l : small.labels) l.text.clear();
        small.changed();
    }
    if (app.is_loaded("frmCustomETA1")) {
        FrmCustomETA1& medium = app.frmCustomETA1();
        medium.hide();
        for (Control& l : medium.labels) l.text.clear();
        medium.changed();
    }
    if (app.is_loaded("frmCustomETA2")) {
        FrmCustomETA2& list = app.frmCustomETA2();
        list.List1.items.clear();
        list.changed();
    }
    if (app.is_loaded("frmNewETA")) app.frmNewETA().List1.items.clear();
}

void FrmMain::remove_storm_lines(int number) {
    for (LineGroups::Id id : placefile_groups.ids(LinePurpose::track))
        if (const LineGroups::Group* g = placefile_groups.find(id); g && g->track == number)
            placefile_groups.remove(id, placefile.items);
    remove_eta_lines(std::to_string(number));
    if (eta_windows_track == std::to_string(number)) forget_eta_windows();
}

Mark FrmMain::mark_at_cursor() { return mark_from_text(app, cursor_lat.text, cursor_lon.text); }

Storm FrmMain::storm_from_fields() {
    Storm s;
    s.first = first_mark ? *first_mark : mark_from_text(app, start_lat.text, start_lon.text);
    s.second = second_mark ? *second_mark : mark_from_text(app, stop_lat.text, stop_lon.text);
    s.mode = mnu_mark_frames.checked ? MarkMode::frames : MarkMode::hour;
    s.mark_minutes = frame_minutes;
    const double nm = geodesy::distance_nm(s.first.lat, s.first.lon, s.second.lat, s.second.lon);
    s.speed_kt = s.mode == MarkMode::frames ? nm * 60 / frame_minutes : nm;
    s.bearing_deg = geodesy::azimuth_deg(s.first.lat, s.first.lon, s.second.lat, s.second.lon);
    if (!std::isfinite(s.speed_kt)) s.speed_kt = 0;
    if (!std::isfinite(s.bearing_deg)) s.bearing_deg = 0;
    s.from_deg = std::fmod(s.bearing_deg + 180, 360);
    s.start = {start_lat.text, start_lon.text};
    s.stop = {stop_lat.text, stop_lon.text};
    s.stop_lat = try_number(stop_lat.text).value_or(0);
    s.stop_lon = try_number(stop_lon.text).value_or(0);
    s.speed_text = cell_speed.text;
    s.speed_mph_text = cell_speedkts.text;
    s.toward_text = disazimuth.text;
    s.from_text = cor_azimuth.text;
    s.projection_minutes = projection_minutes_of(projection_minutes.text);
    s.shapes = {mnu_projection_cone.checked, mnu_projection_fan.checked,
                mnu_projection_wedge.checked};
    s.drawn_at = app.platform.local_time();
    if (auto n = try_number(tracker.text); n && *n >= 0 && *n < 1e6)
        s.number = static_cast<int>(*n) + 1;
    s.label = storm_letters(s.number);
    return s;
}

void FrmMain::show_storm(const Storm* s) {
    if (!s) return;
    start_lat.text = s->start.lat;
    start_lon.text = s->start.lon;
    stop_lat.text = s->stop.lat;
    stop_lon.text = s->stop.lon;
    cell_speed.text = s->speed_text;
    cell_speedkts.text = s->speed_mph_text;
    disazimuth.text = s->toward_text;
    cor_azimuth.text = s->from_text;
    projection_minutes.text = std::to_string(s->projection_minutes);
    changed();
}

void FrmMain::reset_track(bool motion) {
    start_lat.text = start_lon.text = stop_lat.text = stop_lon.text = kUnmarked;
    if (motion) {
        cell_speed.text = cell_speedkts.text = "00";
        disazimuth.text = cor_azimuth.text = "000";
    }
    tag = "0";
    find_distance.enabled = false;
    first_mark.reset();
    second_mark.reset();
}

void FrmMain::select_storm(int number) {
    if (!storms.select(number)) return;
    // A half-marked track keeps its rows until it is finished.
    if (tag != "1") show_storm(storms.selected());
    storms_changed();
}

void FrmMain::next_storm() {
    if (!storms.select_next()) {
        app.beep();
        return;
    }
    if (tag != "1") show_storm(storms.selected());
    storms_changed();
}

void FrmMain::remember_erase() {
    ErasedState e;
    e.stamp = placefile_groups.next_id();
    e.placefile = placefile.items;
    e.groups = placefile_groups;
    e.storms = storms;
    e.tracker = tracker.text;
    e.tag = tag;
    e.eta_windows_track = eta_windows_track;
    e.rows = {start_lat.text,  start_lon.text,     stop_lat.text,   stop_lon.text,
              cell_speed.text, cell_speedkts.text, disazimuth.text, cor_azimuth.text};
    e.first_mark = first_mark;
    if (app.is_loaded("frmBowEcho")) e.bow_points = app.frmBowEcho().List.items;
    erased.push_back(std::move(e));
    if (erased.size() > kErasesKept) erased.erase(erased.begin());
}

void FrmMain::undo_erase() {
    ErasedState e = std::move(erased.back());
    erased.pop_back();
    // A run still reading would add its lines to the placefile given back.
    if (app.is_loaded("frmNewETA") &&
        (app.frmNewETA().request_executing() || app.frmNewETA().storm))
        app.frmNewETA().cancel_request();
    placefile.items = std::move(e.placefile);
    placefile_groups = std::move(e.groups);
    storms = std::move(e.storms);
    tracker.text = e.tracker;
    tag = e.tag;
    start_lat.text = e.rows[0];
    start_lon.text = e.rows[1];
    stop_lat.text = e.rows[2];
    stop_lon.text = e.rows[3];
    cell_speed.text = e.rows[4];
    cell_speedkts.text = e.rows[5];
    disazimuth.text = e.rows[6];
    cor_azimuth.text = e.rows[7];
    first_mark = e.first_mark;
    find_distance.enabled = tag == "1";
    FrmBowEcho& bow = app.frmBowEcho();
    bow.List.items = std::move(e.bow_points);
    bow.points.text = num_text(static_cast<double>(bow.List.items.size() / 2));
    eta_windows_track = e.eta_windows_track;
    app.write_list_to_file(placefile_path(), placefile.items);
    storms_changed();
}

void FrmMain::erase_all() {
    remember_erase();
    app.frmNewETA().hide();
    app.frmCustomETA().hide();
    app.frmCustomETA1().hide();
    if (app.is_loaded("frmPathcast")) app.frmPathcast().close_window();
    write_placefile();
    reset_track(true);
    FrmBowEcho& bow = app.frmBowEcho();
    bow.points.text = bow.cazimuth.text = bow.crange.text = "0";
    edit.text = tracker.text = "0";
    bow.List.items.clear();
    bow.placefile.items.clear();
    app.frmNewETA().cancel_request();
    storms.clear();
    storms_changed();
}

void FrmMain::erase_storm(int number) {
    if (!storms.find(number)) {
        app.beep();
        return;
    }
    remember_erase();
    // A view still waiting for this storm's places would add them after it is gone.
    FrmNewETA* lookup = app.is_loaded("frmNewETA") ? &app.frmNewETA() : nullptr;
    if (lookup && lookup->view_storm_number() == number) lookup->cancel_request();
    remove_storm_lines(number);
    const bool shown = storms.selected_number() == number;
    storms.erase(number);
    if (shown && tag != "1") {
        if (storms.selected()) show_storm(storms.selected());
        else reset_track(true);
    }
    app.write_list_to_file(placefile_path(), placefile.items);
    storms_changed();
}

bool FrmMain::rename_storm(int number, const std::string& label) {
    Storm* s = storms.find(number);
    if (!s) return false;
    if (std::string why = label_problem(storms, number, label); !why.empty()) {
        app.message(why);
        return false;
    }
    const std::vector<std::string> old_lines = storm_label_lines(*s, "");
    s->label = label;
    const std::vector<std::string> new_lines = storm_label_lines(*s, "");
    // The label's text line is the only one that names it.
    const std::string& old_text = old_lines[2];
    for (LineGroups::Id id : placefile_groups.ids(LinePurpose::track))
        if (const LineGroups::Group* g = placefile_groups.find(id); g && g->track == number)
            placefile_groups.rewrite(id, old_text, new_lines[2], placefile.items);
    app.write_list_to_file(placefile_path(), placefile.items);
    storms_changed();
    return true;
}

void FrmMain::view_storm_etas(int number) {
    if (!storms.find(number)) {
        app.beep();
        return;
    }
    eta_storm_number = number;
    Command2_Click();
}

void FrmMain::storms_changed() {
    save_storms();
    check_alerts();
    if (app.is_loaded("frmStorms")) app.frmStorms().refresh();
    changed();
}

}  // namespace tessaly
