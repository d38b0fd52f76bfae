// Undo of the last mark: takes back the newest group of lines the marks put
// into the placefile, with the state that goes with it.
#include <string>

#include "app/app.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "online/frm_new_eta.h"

namespace tessaly {

void FrmMain::undo_last_mark() {
    try {
        const LineGroups::Group* newest = placefile_groups.newest();
        // An erase newer than every group left is the last thing done.
        if (!erased.empty() && (!newest || newest->id < erased.back().stamp)) {
            undo_erase();
            return;
        }
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
        auto reset = [this, &last] {
            // A run still reading, for this track or any, would add lines after the undo.
            if (app.is_loaded("frmNewETA") &&
                (app.frmNewETA().request_executing() ||
                 (last.track > 0 && app.frmNewETA().view_storm_number() == last.track)))
                app.frmNewETA().cancel_request();
            reset_track(true);
            edit.text.assign(1, '0');  // (assign: gcc 12 warns falsely on = here)
        };

        switch (last.purpose) {
            case LinePurpose::bow_point: {
                FrmBowEcho& bow = app.frmBowEcho();
                auto& l = bow.List.items;
                l.resize(l.size() >= 2 ? l.size() - 2 : 0);
                bow.points.text = num_text(static_cast<double>(l.size() / 2));
                break;
            }
            case LinePurpose::half_mark: reset(); break;
            case LinePurpose::track:
                reset();
                if (last.track > 0) {
                    remove_storm_lines(static_cast<int>(last.track));
                    // The next track takes the number again: no line carries it any more.
                    if (tracker.text == std::to_string(last.track))
                        tracker.text = num_text(last.track - 1.0);
                    storms.erase(static_cast<int>(last.track));
                    show_storm(storms.selected());
                    storms_changed();
                }
                break;
            case LinePurpose::bow_echo: break;
        }
        app.write_list_to_file(placefile_path(), placefile.items);
        changed();
    } catch (const Failure& f) {
        app.message(failure_message("undo_last_mark", f));
    }
}

}  // namespace tessaly
