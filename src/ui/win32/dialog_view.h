#pragma once
// One native window over one window model: a dialog from the window's
// template, its controls bound to the model's, events forwarded to the model
// and the model rendered back. The kinds of window with more to do (the main
// window, the ETA windows) derive from it.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/window.h"
#include "ui/win32/views.h"

namespace tessaly::ui {

class Win32Ui;

class DialogView {
public:
    DialogView(Win32Ui& ui, Window& model, const ViewDef& def);
    virtual ~DialogView();
    DialogView(const DialogView&) = delete;
    DialogView& operator=(const DialogView&) = delete;

    // Creates the native window (hidden) and renders the model into it;
    // called once, right after construction.
    void create();

    HWND hwnd() const { return hwnd_; }
    const ViewDef& def() const { return def_; }
    // The model is gone (window unloaded); the native window waits for
    // destruction outside any of its own handlers.
    void detach() { model_ = nullptr; }

    void render();
    void show(bool visible);
    // A key message bound for this window, before the dialog manager sees
    // it; true when the view used it.
    virtual bool key_message(const MSG&) { return false; }
    void topmost();
    void drag();

protected:
    // The ETA windows float over the viewer: no owner, shown without taking
    // the focus, and kept below the program's own dialogs.
    virtual bool floating() const { return false; }
    // Owned by the main window (with it in front of the viewer).
    virtual bool owned() const { return !floating(); }
    // Made topmost when shown, so that it comes up above the ETA windows.
    virtual bool topmost_when_shown() const { return !floating(); }
    // Menu items bound to the model's controls.
    virtual const std::vector<Binding>* menu_bindings() const { return nullptr; }
    // Where the user leaves it is told to the model (Window::moved).
    virtual bool remembers_place() const { return false; }
    // And its size too (Window::resized); a size of its own is applied when
    // the window is placed.
    virtual bool remembers_size() const { return false; }
    // List views' columns fit their cells whenever a cell's length changes;
    // a view that sets its columns' widths itself says no.
    virtual bool fits_columns() const { return true; }
    // After the native window was made and first rendered.
    virtual void created() {}
    // Esc and the template's Close button.
    virtual void on_cancel();
    // Fonts of the view's own, made again when the DPI changes.
    virtual void make_fonts() {}
    // After the bound controls, the menu and the caption were rendered.
    virtual void render_more() {}
    // Messages the dialog procedure does not handle itself; the derived kinds
    // take theirs and pass on the rest.
    virtual INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp);

    // Destroys the native window; the derived kinds call it before they
    // free what the window draws with.
    void destroy();

    void forward(const std::function<void()>& action);
    void forward(const void* key, const std::function<void()>& action);

    Win32Ui& ui_;
    Window* model_;
    const ViewDef& def_;
    HWND hwnd_ = nullptr;

private:
    struct Bound {
        Control* control = nullptr;
        int id = 0;
        HWND hwnd = nullptr;
        std::wstring template_text;  // the template's caption, with its access key
        bool rendered = false;
        std::string text;
        bool checked = false, enabled = true, visible = true;
        std::vector<std::string> items;
        bool list_view = false;  // a report-style list view (columns) rather than a list box
        int selected_row = -1;   // list views: the highlighted row on screen
        bool selection_check_posted = false;
    };
    struct MenuBound {
        Control* control = nullptr;
        int id = 0;
        bool rendered = false;
        bool checked = false, enabled = true;
    };

    static INT_PTR CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    void on_command(int id, int code, HWND from);
    Bound* bound(int id);
    void render_list_view(Bound& b, bool first);
    void on_notify(const NMHDR& nm);
    // A list view's selection settled (posted after its change notices).
    void check_selection(int id);
    void place();
    void add_tooltips();

    HWND tooltip_ = nullptr;
    std::vector<Bound> bound_;
    std::vector<MenuBound> menu_;
    std::vector<std::wstring> tooltip_texts_;
    bool rendering_ = false;
    bool placed_ = false;
    int placed_left_ = 0, placed_top_ = 0, placed_width_ = 0, placed_height_ = 0;
    std::string shown_caption_;
};

}  // namespace tessaly::ui
