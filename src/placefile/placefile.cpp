// The placefile buffer of the main window: header, reset, copy, remove.
#include "app/app.h"
#include "core/failure.h"
#include "core/text.h"
#include "placefile/format.h"

namespace tessaly {

std::string FrmMain::placefile_path() { return app.platform.program_folder() + "\\korvel.txt"; }

void FrmMain::write_placefile() {
    try {
        auto& lines = placefile.items;
        placefile_groups.clear();
        lines = pf::header();
        app.write_list_to_file(placefile_path(), lines);
    } catch (const Failure& f) {
        app.message("Source: write_placefile / Description: " + f.description() + "\r" +
                    " Number: " + std::to_string(f.number));
    }
}

void FrmMain::remove_eta() {
    skip_on_failure([&] { remove_eta_lines(tracker.text); });
}

void FrmMain::remove_eta_lines(const std::string& track) {
    // The tag is matched at the end of the line, so that the lines of track 1
    // are not mistaken for those of tracks 10 to 19.
    const std::string tag = pf::eta_tag(track);
    placefile_groups.remove_if(placefile.items,
                               [&](const std::string& l) { return ends_with(l, tag); });
}

void FrmMain::copy_placefile_path() { app.platform.set_clipboard_text(placefile_path()); }

}  // namespace tessaly
