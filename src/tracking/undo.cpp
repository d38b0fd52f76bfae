// Undo of the last mark: takes back the newest group of lines the marks put
// into the placefile, with the state that goes with it.
#include <string>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_custom_eta.h"
#include "online/frm_new_eta.h"
#include "placefile/format.h"

namespace tessaly {

namespace {

// The ETA windows forget a list whose track is gone.
void clear_eta_windows(App& app) {
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

}  // namespace

void FrmMain::undo_last_mark() {
    try {
        const LineGroups::Group* newest = placefile_groups.newest();
        if (!newest) {
            app.beep();
            return;
        }
        const LineGroups::Group last = *newest;
        // Its lines go even if some were lost already; whatever is gone stays gone.
        placefile_groups.remove(last.id, placefile.items);

        // The main window shows no track afterwards, as after an erase: a
        // later ETA view must not run on the geometry of a track that is gone,
        // and a lookup still running would read the reset fields (or, for an
        // undone track, add lines under its number after the undo).
        auto reset_track = [this] {
            if (app.is_loaded("frmNewETA") && app.frmNewETA().request_executing())
                app.frmNewETA().cancel_request();
            start_lat.text = start_lon.text = stop_lat.text = stop_lon.text = kUnmarked;
            cell_speed.text = cell_speedkts.text = "00";
            disazimuth.text = cor_azimuth.text = "000";
            tag = "0";
            find_distance.enabled = false;
            edit.text = "0";
        };

        switch (last.purpose) {
        case LinePurpose::bow_point: {
            FrmBowEcho& bow = app.frmBowEcho();
            auto& l = bow.List.items;
            l.resize(l.size() >= 2 ? l.size() - 2 : 0);
            bow.points.text = num_text(static_cast<double>(l.size() / 2));
            break;
        }
        case LinePurpose::half_mark:
            reset_track();
            break;
        case LinePurpose::track:
            reset_track();
            if (last.track > 0) {
                const std::string number = std::to_string(last.track);
                const std::string tag_text = pf::eta_tag(number);
                placefile_groups.remove_if(placefile.items, [&](const std::string& line) {
                    return ends_with(line, tag_text);
                });
                // The next track takes the number again: no line carries it any more.
                if (tracker.text == number) tracker.text = num_text(last.track - 1.0);
                if (eta_windows_track == number) {
                    clear_eta_windows(app);
                    eta_windows_track.clear();
                }
            }
            break;
        case LinePurpose::bow_echo:
            break;
        }
        app.write_list_to_file(placefile_path(), placefile.items);
        changed();
    } catch (const Failure& f) {
        app.message(failure_message("undo_last_mark", f));
    }
}

}  // namespace tessaly
