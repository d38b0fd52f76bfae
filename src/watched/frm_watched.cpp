#include "watched/frm_watched.h"

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "core/text.h"

namespace tessaly {

FrmWatched::FrmWatched(App& a) : Window(a, "frmWatched") {
    caption = "Watched Places";
    using K = ControlKind;
    add("places", places, K::List).columns = {"Name", "Latitude", "Longitude"};
    add("name_label", name_label, K::Label, "Name:");
    add("new_name", new_name, K::Text);
    add("position_label", position_label, K::Label, "Latitude, longitude:");
    add("new_position", new_position, K::Text);
    add("add_place", add_place, K::Button, "Add");
    add("remove_place", remove_place, K::Button, "Remove");
    add("rename_place", rename_place, K::Button, "Rename...");
    add("close", close, K::Button, "Close");
    places.on_dblclick = [this] { rename_highlighted(); };
    add_place.on_click = [this] { add_typed_place(); };
    remove_place.on_click = [this] { remove_highlighted(); };
    rename_place.on_click = [this] { rename_highlighted(); };
    close.on_click = [this] { close_request(); };
}

void FrmWatched::load() {
    // Never moved: the view opens it beside the main window.
    restore_place(keys::watched_left, keys::watched_top);
    refresh();
}

void FrmWatched::close_request() { hide(); }

void FrmWatched::moved() { save_place(keys::watched_left, keys::watched_top); }

void FrmWatched::open() {
    refresh();
    show();
}

void FrmWatched::refresh() {
    const std::vector<WatchedPlace>& all = app.frmMain().watched;
    const int row = places.selected_row;
    places.items.clear();
    for (const WatchedPlace& w : all)
        places.items.push_back(w.place.name + '\t' + w.place.lat + '\t' + w.place.lon);
    places.selected_row =
        row < static_cast<int>(all.size()) ? row : static_cast<int>(all.size()) - 1;
    remove_place.enabled = rename_place.enabled = !all.empty();
    changed();
}

void FrmWatched::add_typed_place() {
    const auto at = parse_typed_position(new_position.text);
    if (!at) {
        app.message(
            "Type the position as a latitude and a longitude in degrees, such as "
            "35.47, -97.52.");
        return;
    }
    if (!app.frmMain().add_watched(new_name.text, at->first, at->second)) return;
    new_name.text.clear();
    new_position.text.clear();
    places.selected_row = static_cast<int>(app.frmMain().watched.size()) - 1;
    refresh();
}

const WatchedPlace* FrmWatched::highlighted() {
    const std::vector<WatchedPlace>& all = app.frmMain().watched;
    const int row = places.selected_row;
    if (row < 0 || row >= static_cast<int>(all.size())) {
        app.beep();
        return nullptr;
    }
    return &all[static_cast<size_t>(row)];
}

void FrmWatched::remove_highlighted() {
    if (const WatchedPlace* w = highlighted()) {
        app.frmMain().remove_watched(w->id);
        refresh();
    }
}

void FrmWatched::rename_highlighted() {
    const WatchedPlace* w = highlighted();
    if (!w) return;
    App& a = app;
    const int id = w->id;
    a.frmInput().ask_text(" Rename Watched Place", w->place.name,
                          [&a, id](const std::string& text) {
                              a.frmMain().rename_watched(id, text);
                              if (a.is_loaded("frmWatched")) a.frmWatched().refresh();
                          });
}

}  // namespace tessaly
