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
    bool in_program() const { return depth_ > 0 || boxes_open_ > 0; }
    // `restart` and `start`: the program must never be destroyed under a
    // running handler. Inside it the running program ends at once by its own
    // close (its waits end as cancelled), every pump and box loop returns,
    // and the new program starts when they have (settle).
    void restart_program();
    void start_when_unwound();
    // Starts a program deferred by the two above once no program code runs.
    void settle();
    void print(const std::vector<std::string>& args);
    void emit(const std::string& line);
    void pump(const std::function<bool()>& done);
    // Fires the earliest event due at or before `limit`; false when none is.
    bool step(long long limit);
    // Runs a timer's tick unless it is running with a message box open since.
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
    std::vector<Timer*> known_enabled_;
    int depth_ = 0;
    long long msgbox_open_ms_ = 0;  // how long each message box stays open
    int boxes_open_ = 0;
    bool start_pending_ = false;  // a (re)start waits for the pumps and boxes to unwind
    std::map<const Control*, int> clicking_;  // click handlers running -> boxes open at entry
};

}  // namespace tessaly
