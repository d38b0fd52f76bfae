#pragma once
// Runs the whole program on the simulated platform, driven by a script of
// commands (see README "The simulator"). Virtual time moves only with `wait`
// and with fetches that take time; timers fire at their set intervals.
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/dispatcher.h"
#include "platform/sim/sim_platform.h"

namespace tessaly {

class Simulator : public UiHost {
public:
    Simulator(std::string dir, std::string folder, std::ostream& out);
    ~Simulator() override;

    // Runs a script; returns 0 at its end, 2 for a script error (message in `error`).
    int run(const std::string& script_text, const std::string& script_dir);
    // Runs one command line (used by `schedule`); throws ScriptError.
    void command(const std::string& line);

    std::string error;
    long deferred_starts = 0;  // (re)starts asked inside a pump or a box, for the soak's figures
    SimPlatform& platform() { return *platform_; }
    App* app() { return app_.get(); }

    // Advances virtual time by `ms`, firing timers, fetch completions and scheduled commands.
    void advance(long long ms);

    // UiHost
    void visibility_changed(Window& w) override;
    void window_loaded(Window&) override {}
    void window_unloaded(Window&) override {}
    void make_topmost(Window&) override {}
    void start_drag(Window& w) override;
    void model_changed(Window&) override {}
    void program_ended() override;
    void alert(Window&, const std::string& text) override;
    void alerts_acknowledged(Window&) override {}

private:
    void start_program();
    // True while program code runs below the driver: inside a pump (a wait
    // for web replies) or a message box.
    bool in_program() const { return depth_ > 0 || dispatcher_.boxes_open() > 0; }
    // `restart` and `start`: the program must never be destroyed under a
    // running handler. Inside it the running program ends at once by its own
    // close (its waits end as cancelled), every pump and box loop returns,
    // and the new program starts when they have (settle).
    void restart_program();
    void start_when_unwound();
    // Starts a program deferred by the two above once no program code runs.
    void settle();
    void print(const std::vector<std::string>& args);
    void print_settings();
    void print_file(const std::string& what);
    bool print_window_field(const std::string& what, Window& w, const std::string& field);
    void print_control_property(const std::string& what, const Control& c,
                                const std::string& property);
    void print_control(const std::string& what, const Control& c);
    // The script's commands, one step each (command() looks them up by name).
    struct Line;
    App& need_app();
    Control* target(const std::string& window_dot_control);
    void put_icon();
    void do_setting(const Line& l);
    void do_icon(const Line& l);
    void do_clock(const Line& l);
    void do_desktop(const Line& l);
    void desktop_foreground(const Line& l);
    void desktop_panel(const Line& l);
    void do_file(const Line& l);
    void do_msgbox(const Line& l);
    void do_placefile(const Line& l);
    void do_fault(const Line& l);
    void do_colordialog(const Line& l);
    void do_web(const Line& l);
    void web_answer(const Line& l);
    void do_start(const Line& l);
    void do_restart(const Line& l);
    void do_key(const Line& l);
    void do_tick(const Line& l);
    void do_wait(const Line& l);
    void do_schedule(const Line& l);
    void do_click(const Line& l);
    void do_type(const Line& l);
    void do_close(const Line& l);
    void do_print(const Line& l);
    void emit(const std::string& line);
    void pump(const std::function<bool()>& done);
    // Fires the earliest event due at or before `limit`; false when none is.
    bool step(long long limit);
    // Delivers a timer's tick.
    void fire(Timer& t);
    void sync_timers();
    Timer* find_timer(const std::string& name);
    int key_code(const std::string& word);

    std::ostream& out_;
    std::string script_dir_;
    std::unique_ptr<SimPlatform> platform_;
    std::unique_ptr<App> app_;
    bool icon_present_ = true;
    struct Scheduled {
        long long due_ms;
        long long seq;
        std::string line;
    };
    std::vector<Scheduled> scheduled_;
    long long seq_ = 0;
    // The enabled timers, in the order the program lists them, and when each fires next.
    struct RunningTimer {
        Timer* timer;
        long long due_ms;
    };
    std::vector<RunningTimer> running_timers_;
    int depth_ = 0;
    long long msgbox_open_ms_ = 0;  // how long each message box stays open
    bool start_pending_ = false;    // a (re)start waits for the pumps and boxes to unwind
    Dispatcher dispatcher_;
};

}  // namespace tessaly
