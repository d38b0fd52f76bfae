// Viewer discovery: once a second, find the radar viewer's main window by title.
#include <string>

#include "app/app.h"
#include "core/failure.h"

namespace tessaly {

namespace {

struct ViewerKind {
    const char* marker;
    const char* excluded[2];
};

constexpr ViewerKind kKinds[] = {
    {"- GRLevel3", {"Warnings - GRLevel3", "Warning Text - Grlevel3"}},
    {"- GRLevel2", {"Warnings - GRLevel2", "Warning Text - Grlevel2"}},
    {"- GR2Analyst", {"Warnings - GR2Analyst", "Warning Text - GRAnalyst"}},
};

constexpr const char* kSearching[] = {
    "Searching for GRLevelX Software .",
    "Searching for GRLevelX Software ..",
    "Searching for GRLevelX Software ...",
    "Searching for GRLevelX Software ....",
};

}  // namespace

int FrmMain::wndenum_proc(const std::string& title) {
    if (title.empty()) return 1;
    process.text = title;
    Control* fields[] = {&GR3, &GR2, &GRAE};
    Control* choices[] = {&optgr3, &optgr2, &optgrae};
    for (int k = 0; k < 3; ++k) {
        // The marker must start at the second character or later.
        if (title.find(kKinds[k].marker, 1) == std::string::npos) continue;
        if (process.text == kKinds[k].excluded[0] || process.text == kKinds[k].excluded[1])
            process.text.clear();
        if (!process.text.empty()) {
            scaption.text = process.text;
            fields[k]->text = process.text;
            choices[k]->enabled = true;
        }
    }
    process.text.clear();
    return 1;
}

void FrmMain::find_gr_Timer() {
    app.ui.make_topmost(*this);
    process.text.clear();
    scaption.text.clear();
    for (const std::string& title : app.platform.top_level_titles()) {
        skip_on_failure([&] { wndenum_proc(title); });
    }
    if (scaption.text.empty()) {
        optgr3.enabled = optgr2.enabled = optgrae.enabled = false;
        cell_speed.text = "00";
        disazimuth.text = "000";
        cor_azimuth.text = "000";
        status_on.visible = false;
        status_off.visible = true;
        // With the start reset, a half-marked track would measure motion from
        // "00.00": it ends too.
        auto reset = [this] {
            find_keys.enabled = false;
            reset_track(false);
        };
        if (status.text.empty()) {
            status.text = kSearching[0];
            reset();
        } else {
            for (int i = 0; i < 4; ++i) {
                if (status.text == kSearching[i]) {
                    status.text = kSearching[(i + 1) % 4];
                    reset();
                    break;
                }
            }
        }
    } else {
        status_off.visible = false;
        status_on.visible = true;
        status.text = scaption.text;
        find_keys.enabled = true;
        // With viewers of one kind only, nobody need be asked which one.
        const bool chosen = optgr3.checked || optgr2.checked || optgrae.checked;
        const int kinds = optgr3.enabled + optgr2.enabled + optgrae.enabled;
        if (!chosen && kinds == 1)
            choose_viewer(optgr3.enabled ? "gr3" : optgr2.enabled ? "gr2" : "grae");
    }
    changed();
}

}  // namespace tessaly
