// What the user does to one storm: select, erase, rename, its ETA view.
#include "app/app.h"

namespace tessaly {

void FrmMain::select_storm(int number) {
    if (!storms.select(number)) return;
    storms_changed();
}

void FrmMain::next_storm() {
    if (!storms.select_next()) {
        app.beep();
        return;
    }
    storms_changed();
}

void FrmMain::erase_storm(int number) {
    if (!storms.find(number)) {
        app.beep();
        return;
    }
    storms.erase(number);
    storms_changed();
}

bool FrmMain::rename_storm(int number, const std::string& label) {
    Storm* s = storms.find(number);
    if (!s) return false;
    if (std::string why = label_problem(storms, number, label); !why.empty()) {
        app.message(why);
        return false;
    }
    s->label = label;
    storms_changed();
    return true;
}

void FrmMain::view_storm_etas(int number) {
    if (!storms.select(number)) return;
    Command2_Click();
}

void FrmMain::storms_changed() { changed(); }

}  // namespace tessaly
