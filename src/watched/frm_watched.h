#pragma once
// The watched places window: the list of places Tessaly warns about, with
// add (a name and "lat, lon" typed), remove and rename.
#include "app/window.h"
#include "watched/watched.h"

namespace tessaly {

class FrmWatched : public Window {
public:
    explicit FrmWatched(App& app);

    // One row per place: name, latitude, longitude (tabs between, under
    // places.columns), in the file's order.
    Control places;
    Control name_label, new_name, position_label, new_position;
    Control add_place, remove_place, rename_place, close;

    void load() override;
    void close_request() override;
    void moved() override;
    // Shows the window with its rows current.
    void open();
    // Rebuilds the rows from the main window's watched places.
    void refresh();

    void add_typed_place();
    void remove_highlighted();
    void rename_highlighted();

private:
    // The place in the highlighted row; nullptr (and a beep) for none.
    const WatchedPlace* highlighted();
};

}  // namespace tessaly
