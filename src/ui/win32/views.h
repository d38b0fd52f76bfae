#pragma once
// Which dialog template shows which window model, and which control of the
// template shows which control of the model. The tests check these tables
// against the templates and the models.
#include <cstddef>
#include <string>
#include <vector>

namespace tessaly::ui {

struct Binding {
    const char* control;  // the model's control name
    int id;               // the template's control ID (or menu item ID)
};

enum class ViewKind {
    Dialog,    // an ordinary window with a caption
    Main,      // the main window: menu bar, pause toggle, activation
    EtaBox,    // the small and medium ETA windows: no caption, drawn colours
    EtaList,   // the classic ETA list: a resizable tool window
    Storms,    // the storm list: keys of its own in the list
    Pathcast,  // the pathcast: a resizable floating list remembering its place and size
    Watched,   // the watched places: keys of its own in the list and the fields
};

struct ViewDef {
    const char* window;  // model name, "frmMain"
    int dialog;          // template ID
    ViewKind kind;
    std::vector<Binding> bindings;
};

// Every window that has a view; the others (the bow echo and online lookup
// models) are never shown.
const std::vector<ViewDef>& view_defs();
const ViewDef* find_view_def(const std::string& window);
// The main window's menu items.
const std::vector<Binding>& main_menu_bindings();

}  // namespace tessaly::ui
