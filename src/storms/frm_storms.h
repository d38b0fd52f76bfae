#pragma once
// The storm list: one row per storm the program knows, in the order they
// were made, with buttons that act on the row the user highlighted.
#include <string>

#include "app/window.h"

namespace tessaly {

struct Storm;
class FrmMain;

class FrmStorms : public Window {
public:
    explicit FrmStorms(App& app);

    // One row per storm, its cells separated by tabs under the headers in
    // storm_list.columns: label, moving ("NE (from 225°)"), speed
    // ("25 kt / 29 mph"), marked (the clock of the second mark), age
    // ("12 min"), next arrival ("3:40 PM Norman", or "" before its ETAs or
    // after its last arrival). storm_list.selected_row is the highlighted
    // row (-1 for none): the selected storm's, until the user picks another.
    Control storm_list;
    Control select_storm, eta_storm, rename_storm, erase_storm, close;
    // Keeps the ages current while the window is shown.
    Timer age_Timer;
    static constexpr int kAgeIntervalMs = 30000;

    void load() override;
    void close_request() override;
    void moved() override;
    // Shows the window with its rows current.
    void open();
    // Rebuilds the rows from the storms (after every change of them) and
    // tells the view.
    void refresh();
    // The storm in the highlighted row; 0 for none.
    int highlighted_number() const;

    void select_highlighted();
    void view_highlighted_etas();
    void rename_highlighted();
    void erase_highlighted();

    // The row of one storm at `now_utc` (seconds since 1970-01-01 UTC).
    static std::string row_text(const Storm& s, long long now_utc);

private:
    // The action on the highlighted row's storm (a beep with none), then the rows.
    void act_on_highlighted(void (FrmMain::*action)(int));
    void enable_buttons(bool any);
    int highlighted_ = 0;     // number of the storm in the highlighted row, 0 for none
    int shown_selected_ = 0;  // the selected storm when the rows were last built
};

}  // namespace tessaly
