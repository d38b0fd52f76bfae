// The storms on disk: saved after every change, drawn again at start.
#include "app/app.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "storms/storms_file.h"
#include "tracking/motion.h"

namespace tessaly {

std::string FrmMain::storms_path() {
    return app.platform.program_folder() + "\\" + kStormsFileName;
}

void FrmMain::save_storms() {
    StormsFile f;
    f.storms = storms;
    f.counter = static_cast<long>(try_number(tracker.text).value_or(0));
    // The same durable replace as the placefile: a crash leaves the old file
    // or the new one, never a mix.
    auto err = app.platform.replace_file(storms_path(), storms_file_text(f));
    if (err && !storms_save_failed_) {
        app.message("The storms could not be saved to " + storms_path() + ": " + *err +
                    ". They will not come back after a restart.");
    }
    storms_save_failed_ = err.has_value();
}

void FrmMain::restore_storms() {
    const std::string path = storms_path();
    if (!app.platform.file_size(path)) return;  // none saved yet
    auto text = app.platform.read_file(path, kStormsFileMaxBytes);
    StormsRead r;
    if (text) r = read_storms_file(*text);
    else r.problem = "it cannot be read or is too large";
    if (!r.file) {
        // Kept for a look, and out of the way of the next save.
        app.platform.replace_file(app.platform.program_folder() + "\\" + kStormsBadFileName,
                                  text.value_or(""));
        app.message("The saved storms in " + path + " cannot be used: " + r.problem +
                    ". The file was renamed " + kStormsBadFileName + ".");
        save_storms();
        return;
    }
    const int hours = app.setting_number(keys::restore_hours);
    if (hours == 0) return;
    const StormsFile keep = storms_since(*r.file, app.platform.utc_seconds() - hours * 3600LL);
    for (const Storm& s : keep.storms.all()) {
        // Each storm under its own number, as it was drawn; the file is
        // written once for all of them (a write each made it quadratic).
        tracker.text = std::to_string(s.number - 1);
        if (compile_storm(s, false, false)) storms.add(s);
    }
    if (!keep.storms.empty()) app.write_list_to_file(placefile_path(), placefile.items);
    tracker.text = storms.empty() ? "0" : std::to_string(keep.counter);
    storms.select(keep.storms.selected_number());
    show_storm(storms.selected());
    storms_changed();
}

}  // namespace tessaly
