#pragma once
// The Win32 front end of the window models: one native window per model
// that has a view, timers driven by SetTimer, and the message loop's hook for
// keyboard navigation in the modeless windows.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dispatcher.h"
#include "app/window.h"

namespace tessaly {
class App;
}

namespace tessaly::ui {

class DialogView;

class Win32Ui : public UiHost {
public:
    explicit Win32Ui(HINSTANCE instance);
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    // The program whose windows this shows; set before the program starts.
    void attach(App& app) { app_ = &app; }
    App* app() { return app_; }
    HINSTANCE instance() const { return instance_; }

    // Runs the program's message loop until the program ends; returns the exit code.
    int run();
    // Keyboard navigation (tab, access keys, Enter, Esc) in the modeless
    // windows; true when the message was used. Also called by the loop that
    // runs while a web request is out.
    bool dialog_message(MSG* msg);

    // After any event was forwarded to the models: start and stop timers as
    // the models left them, and re-render what changed.
    void refresh();

    // A message box or the colour dialog opened (true) or closed (false):
    // what was running when it opened is not entered again until it closes.
    void modal(bool open) { dispatcher_.modal(open); }
    // Delivers an event to the models through the dispatcher (its re-entry
    // rule and catch-all) and, when it ran, refreshes; `key` names the handler (its
    // control, window, timer or the program).
    void forward(const void* key, const std::function<void()>& action);

    // Key presses are posted as kKeyPressMessage to message_window() (the
    // keyboard hook runs): the key-driven timers then run on a press, and on
    // their slow safety net otherwise.
    static constexpr UINT kKeyPressMessage = WM_APP + 1;
    static constexpr int kKeySafetyNetMs = 250;
    HWND message_window() const { return timer_window_; }
    void set_key_presses_posted(bool posted);

    HWND hwnd_of(const std::string& window) const;
    DialogView* view_of(const std::string& window) const;

    // Inside a catch: what escaped reached a window procedure. It is
    // reported as the dispatcher reports what escapes an event (in a message
    // box, or to the function the tests give); the program keeps running.
    void unexpected_failure() { dispatcher_.report_current_exception(); }
    void set_failure_report(Dispatcher::Report report) { on_failure_ = std::move(report); }

    // UiHost
    void visibility_changed(Window& w) override;
    void window_loaded(Window& w) override;
    void window_unloaded(Window& w) override;
    void make_topmost(Window& w) override;
    void start_drag(Window& w) override;
    void model_changed(Window& w) override;
    void program_ended() override;
    // The window's taskbar button flashes until acknowledged; the text goes
    // to the debug output.
    void alert(Window& w, const std::string& text) override;
    void alerts_acknowledged(Window& w) override;

private:
    static LRESULT CALLBACK timer_proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT handle_timer_message(HWND, UINT, WPARAM, LPARAM);
    void sync_timers();
    void fire(UINT_PTR id);
    UINT period_of(const Timer& t) const;

    HINSTANCE instance_;
    App* app_ = nullptr;
    HWND timer_window_ = nullptr;
    std::map<const Window*, std::unique_ptr<DialogView>> views_;
    std::vector<std::unique_ptr<DialogView>> graveyard_;  // unloaded, destroyed at the loop's top
    struct Running {
        Timer* timer;
        int interval;
    };
    std::map<UINT_PTR, Running> running_;  // SetTimer id -> timer
    UINT_PTR next_timer_id_ = 1;
    bool refreshing_ = false;
    bool key_presses_posted_ = false;
    bool ended_ = false;
    Dispatcher dispatcher_;
    Dispatcher::Report on_failure_;
};

}  // namespace tessaly::ui
