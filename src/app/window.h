#pragma once
// The building blocks of the window models: controls with their names,
// timers, and the window itself. A model holds only state and handlers; a
// view (Win32) or the simulator renders it and forwards events to it.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessaly {

class App;
class Window;
struct SettingKey;

enum class ControlKind { Text, Label, Check, Option, Menu, Button, List, Image, Frame };

struct Control {
    ControlKind kind = ControlKind::Label;
    std::string text;      // text, caption or label
    bool checked = false;  // check box value, menu check mark, option value
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> items;  // lists
    // Lists: the highlighted row (0-based), -1 for none. The user's pick
    // arrives through select(); a model may also set it directly.
    int selected_row = -1;
    // Lists shown in columns: the headers; each item then holds its cells
    // separated by tabs. Empty: a plain list of lines.
    std::vector<std::string> columns;
    std::string tooltip;
    std::function<void()>
        on_click;  // buttons, menu items, images, labels; check boxes on value change
    std::function<void()> on_change;    // text fields, on every change of text
    std::function<void()> on_select;    // lists: the user highlighted a row (selected_row set)
    std::function<void()> on_dblclick;  // lists: double-click on the highlighted row

    // Programmatic changes fire the change and click actions as user edits do
    // (so loading a stored hotkey writes it back).
    void set_text(const std::string& t) {
        if (t == text) return;
        text = t;
        if (on_change) on_change();
    }
    void set_checked(bool v) {
        if (v == checked) return;
        checked = v;
        if (kind == ControlKind::Check && on_click) on_click();
    }
    // The user highlights a row of a list (-1: none).
    void select(int row) {
        selected_row = row;
        if (on_select) on_select();
    }
    void click() {
        if (kind == ControlKind::Check) {
            checked = !checked;
        } else if (kind == ControlKind::Option) {
            checked = true;
        }
        if (on_click) on_click();
    }
};

struct Timer {
    std::string name;  // "find_gr", "frmCustomETA.Timer1", ...
    int interval_ms = 0;
    bool enabled = false;
    std::function<void()> tick;
    // What the tick needs, for drivers with a real clock to pace it (the
    // simulator keeps the interval): it only acts on key presses, so it may
    // run when the keyboard reports one, with a slow safety net; and it need
    // not run more often than every `min_period_ms`. The drivers keep their
    // own bookkeeping (ids, due times, re-entry) outside the model.
    bool key_driven = false;
    int min_period_ms = 0;
};

// What a window model needs from whoever shows it.
class UiHost {
public:
    virtual ~UiHost() = default;
    virtual void visibility_changed(Window& w) = 0;  // after show/hide
    virtual void window_loaded(Window& w) = 0;       // model created (view may create its window)
    virtual void window_unloaded(Window& w) = 0;     // model about to be destroyed
    virtual void make_topmost(Window& w) = 0;        // SetWindowPos HWND_TOPMOST, 0x53
    virtual void start_drag(Window& w) = 0;          // system move as if the caption were grabbed
    virtual void model_changed(Window& w) = 0;       // fields changed: re-render
    virtual void program_ended() = 0;
    // A new warning shows in w: its taskbar button flashes until
    // alerts_acknowledged (the simulator prints it as an event).
    virtual void alert(Window& w, const std::string& text) = 0;
    virtual void alerts_acknowledged(Window& w) = 0;
};

class Window {
public:
    Window(App& app, std::string name);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    App& app;
    const std::string name;
    std::string caption;
    std::string tag;
    bool visible = false;
    int left_twips = 0, top_twips = 0;
    // Size of a window the user can resize, in twips; 0: its layout's own.
    int width_twips = 0, height_twips = 0;

    void show();
    void hide();
    // The close box of the window: unloads or hides, as the window decides.
    virtual void close_request();
    virtual void load() {}
    // The user moved the window: left_twips and top_twips hold its new place.
    virtual void moved() {}
    // The user resized the window: width_twips and height_twips hold its size.
    virtual void resized() {}

    Control* control(const std::string& control_name);
    const std::map<std::string, Control*>& controls() const { return controls_; }
    std::vector<Timer*>& timers() { return timers_; }
    // Tells the view that fields changed.
    void changed();
    // Where the user last left the window, from two stored twips values;
    // false (the place unchanged) when they are not both stored and usable.
    bool restore_place(const SettingKey& left, const SettingKey& top);
    void save_place(const SettingKey& left, const SettingKey& top);

protected:
    Control& add(const std::string& control_name, Control& c, ControlKind kind,
                 std::string text = {});
    Timer& add_timer(Timer& t, const std::string& timer_name, int interval_ms, bool enabled);

private:
    std::map<std::string, Control*> controls_;
    std::vector<Timer*> timers_;
};

}  // namespace tessaly
