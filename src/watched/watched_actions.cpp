// The watched places of the main window: the file, the changes the user
// makes, and the alert test after every change of the storms and each minute.
#include <algorithm>
#include <set>

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "pathcast/pathcast_rows.h"
#include "places/local_places.h"
#include "storms/frm_storms.h"
#include "watched/frm_watched.h"

namespace tessaly {

namespace {

constexpr const char* kAlertSoundFile = "alert.wav";

// The clock a place's alerts are written in: that of the nearest index
// place within 50 km, else the PC's.
zones::Zone zone_of_place(App& app, double lat, double lon) {
    const zones::Zone pc = zones::find_zone(app.platform.time_zone()).value_or(zones::Zone());
    const PlaceIndex& index = app.frmNewETA().local_places().index();
    return zones::find_zone(zone_near(index, lat, lon)).value_or(pc);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : "\n") + l;
    return out;
}

}  // namespace

std::string FrmMain::watched_path() {
    return app.platform.program_folder() + "\\" + kWatchedFileName;
}

void FrmMain::load_watched() {
    const std::string path = watched_path();
    if (!app.platform.file_size(path)) return;  // none kept yet
    auto text = app.platform.read_file(path, kWatchedFileMaxBytes);
    if (!text) {
        app.message("The watched places in " + path + " cannot be read.");
        return;
    }
    WatchedRead r = read_watched(*text, path);
    // A name twice: the first is kept. A set, so a long file reads in n log n.
    std::set<std::string> names;
    for (CustomPlace& c : r.places) {
        if (!names.insert(to_upper_ascii(c.name)).second) continue;
        WatchedPlace w;
        w.id = ++watched_serial_;
        w.zone = zone_of_place(app, c.lat_deg, c.lon_deg);
        w.place = std::move(c);
        watched.push_back(std::move(w));
    }
    if (!r.problem.empty()) app.message(r.problem);
    check_alerts();  // writes the places' labels
}

void FrmMain::watched_changed() {
    auto err = app.platform.replace_file(watched_path(), watched_file_text(watched));
    if (err && !watched_save_failed_)
        app.message("The watched places could not be saved to " + watched_path() + ": " + *err +
                    ". They will not come back after a restart.");
    watched_save_failed_ = err.has_value();
    check_alerts();  // the labels follow, in one write
    if (app.is_loaded("frmWatched")) app.frmWatched().refresh();
}

bool FrmMain::add_watched(const std::string& name, const std::string& lat, const std::string& lon) {
    if (std::string why = watched_name_problem(watched, name); !why.empty()) {
        app.message(why);
        return false;
    }
    WatchedPlace w;
    w.id = ++watched_serial_;
    w.place.name = trim(name);
    w.place.lat = lat;
    w.place.lon = lon;
    w.place.lat_deg = to_number(lat);
    w.place.lon_deg = to_number(lon);
    w.zone = zone_of_place(app, w.place.lat_deg, w.place.lon_deg);
    watched.push_back(std::move(w));
    watched_changed();
    return true;
}

bool FrmMain::rename_watched(int id, const std::string& name) {
    auto it = std::find_if(watched.begin(), watched.end(),
                           [&](const WatchedPlace& w) { return w.id == id; });
    if (it == watched.end()) return false;
    if (std::string why = watched_name_problem(watched, name, id); !why.empty()) {
        app.message(why);
        return false;
    }
    it->place.name = trim(name);
    watched_changed();
    return true;
}

void FrmMain::remove_watched(int id) {
    std::erase_if(watched, [&](const WatchedPlace& w) { return w.id == id; });
    watched_changed();
}

void FrmMain::watch_cursor() {
    if (!Read_StatusBar()) {
        app.beep();
        return;
    }
    const auto at = parse_typed_position(cursor_lat.text + ", " + cursor_lon.text);
    if (!at) {
        app.beep();
        return;
    }
    App& a = app;
    a.frmInput().ask_text(" Name of the Watched Place", "",
                          [&a, lat = at->first, lon = at->second](const std::string& name) {
                              a.frmMain().add_watched(name, lat, lon);
                          });
}

void FrmMain::check_alerts() {
    alert_Timer.enabled = !watched.empty() && !storms.empty();
    // Nothing watched, nothing alerted and no labels to take off the map.
    if (watched.empty() && alerts.all().empty() && watched_lines.empty()) return;
    FrmEditETA& ed = app.frmEditETA();
    AlertSettings s;
    s.frame_delay_minutes = ed.stored_number(keys::frame_delay);
    s.pathcast_miles = ed.stored_number(keys::pathcast_miles);
    s.alert_minutes = ed.stored_number(keys::alert_minutes);
    s.style = zones::clock_style_of(app.get_setting(keys::clock_style));
    const std::vector<std::string> due =
        alerts.check(storms, watched, s, app.platform.utc_seconds());

    for (const std::string& text : due) app.ui.alert(*this, text);
    if (!due.empty()) {
        alerts_flashing_ = true;
        if (app.get_setting(keys::alert_sound) != "0") {
            auto why =
                app.platform.play_sound(app.platform.program_folder() + "\\" + kAlertSoundFile);
            alert_sound_result = why ? std::string(kAlertSoundFile) + " could not be played (" +
                                           *why + "); the exclamation sound instead"
                                     : std::string(kAlertSoundFile) + " played";
        }
    }
    const std::string banner = joined(alerts.banner_lines());
    const bool banner_changed = banner != alert_banner.text;
    alert_banner.text = banner;
    alert_banner.visible = !banner.empty();
    if (banner.empty() && alerts_flashing_) {
        // The storms that warned are gone: nothing is left to acknowledge.
        alerts_flashing_ = false;
        app.ui.alerts_acknowledged(*this);
    }
    std::vector<std::string> labels = watched_label_lines(watched, alerts);
    const bool labels_changed = labels != watched_lines;
    if (labels_changed) {
        watched_lines = std::move(labels);
        app.write_list_to_file(placefile_path(), placefile.items);
    }
    if (labels_changed && app.is_loaded("frmStorms")) app.frmStorms().refresh();
    if (banner_changed) changed();
}

void FrmMain::acknowledge_alerts() {
    alerts.acknowledge();
    alert_banner.text.clear();
    alert_banner.visible = false;
    if (alerts_flashing_) {
        alerts_flashing_ = false;
        app.ui.alerts_acknowledged(*this);
    }
    changed();
}

}  // namespace tessaly
