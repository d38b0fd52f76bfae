// Mark modes and projection length: what the two select presses mean, and
// where the finished track's stop lies.
#include "tracking/motion.h"

#include <cstdio>

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "app/published.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/arrival.h"
#include "geodesy/geodesy.h"

namespace tessaly {

int projection_minutes_of(std::string_view minutes_text) {
    return number_in_range(keys::projection_minutes, minutes_text);
}

int projection_length(App& app) { return app.setting_number(keys::projection_minutes); }

double projection_distance_nm(double speed_kt, const std::string& minutes_text) {
    int m = projection_minutes_of(minutes_text);
    return m == 60 ? speed_kt : speed_kt * m / 60;
}

std::string eta_clock_text(const ClockTime& now, long ahead) {
    const DialTime t = arrival_on_dial(now, ahead);
    char b[48];
    std::snprintf(b, sizeof b, "%02ld:%02ld", t.hours, t.minutes);
    return b;
}

void FrmMain::set_mark_mode(bool frames, int minutes) {
    frame_minutes = minutes;
    mnu_mark_frames.checked = frames;
    mnu_mark_hour.checked = !frames;
    mark_minutes.text = std::to_string(minutes) + " min";
    mark_minutes.visible = frames;
    changed();
}

void FrmMain::load_mark_settings() {
    const SettingKey& mk = keys::mark_minutes;
    int minutes = mk.fallback_number();
    std::string stored = app.get_setting(mk);
    if (!stored.empty()) {
        if (auto v = minutes_setting(stored, mk)) {
            minutes = *v;
        } else {
            app.message("The stored minutes between frames (\"" + echo_value(stored) +
                        "\") are not a whole number " + range_words(mk) + ". " + mk.fallback +
                        " minutes are used.");
        }
    }
    set_mark_mode(app.get_setting(keys::mark_mode) == "frames", minutes);

    const SettingKey& pk = keys::projection_minutes;
    std::string length = app.get_setting(pk);
    if (!length.empty() && !minutes_setting(length, pk)) {
        app.message("The stored projection length (\"" + echo_value(length) +
                    "\") is not a whole number of minutes " + range_words(pk) + ". " + pk.fallback +
                    " minutes are used.");
    }
}

void FrmMain::ask_frame_minutes() {
    app.frmInput().ask(keys::mark_minutes, kFrameMinutesTitle, std::to_string(frame_minutes));
}

void FrmMain::place_forecast() {
    const int minutes = projection_length(app);
    projection_minutes.text = std::to_string(minutes);
    const bool frames = mnu_mark_frames.checked;
    if (!frames && minutes == 60) return;  // the second mark is the one-hour point

    if (frames) {
        // The motion from the first frame to the second, per hour, from the
        // marks themselves (the cursor is the second mark).
        show_motion();
        start_lat.text = stop_lat.text;
        start_lon.text = stop_lon.text;
    } else {
        publish_azimuth(app,
                        geodesy::azimuth_deg(to_number(start_lat.text), to_number(start_lon.text),
                                             to_number(stop_lat.text), to_number(stop_lon.text)));
    }
    // Along the whole-degree direction shown, so the compiler finds the same
    // bearing from start to stop again.
    double bearing = to_number(return_azimuth.text);
    double distance = projection_distance_nm(to_number(cell_speed.text), projection_minutes.text);
    const Pt stop = publish_destination(
        app, geodesy::destination(to_number(start_lat.text), to_number(start_lon.text), bearing,
                                  distance));
    stop_lat.text = num_text(round10(stop.lat));
    stop_lon.text = num_text(round10(stop.lon));
    changed();
}

}  // namespace tessaly
