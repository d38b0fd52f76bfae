#pragma once
// Delivers the events of a driver (the simulator, the Win32 front end) to
// the window models: clicks, typing, list picks, close boxes, timer ticks,
// the program's start. Every driver keeps the same two rules through it:
// - Re-entry: a message box (or the colour dialog) runs a message loop, so
//   events keep arriving while a handler waits for it. An event whose
//   handler is still running with a box opened since it was entered is
//   dropped; everything else is delivered, the same handler too when it
//   runs below a box that was already open when it was entered.
// - Nothing escapes a handler: what it throws (a Failure, a failed check, a
//   standard exception, anything else) is caught here and reported through
//   the one report function; the program goes on.
#include <exception>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace tessaly {

class Dispatcher {
public:
    // Shows a report to the user (critical: a fault of the program rather
    // than a failed operation).
    using Report = std::function<void(const std::string& text, bool critical)>;

    explicit Dispatcher(Report report = {}) : report_(std::move(report)) {}
    void set_report(Report report) { report_ = std::move(report); }

    // The driver's own exceptions (the simulator's script errors, thrown by
    // a scripted command that runs below a handler) pass through to it
    // unreported.
    using IsDrivers = std::function<bool(const std::exception_ptr&)>;
    void let_through(IsDrivers is_drivers) { is_drivers_ = std::move(is_drivers); }

    // A message box or the colour dialog opened (true) or closed (false).
    void modal(bool open) { boxes_open_ += open ? 1 : -1; }
    int boxes_open() const { return boxes_open_; }

    // Runs the handler of the event `key` names (its control, window, timer
    // or program) under the re-entry rule; false when it was dropped. A null
    // key is always delivered (the simulator ends the program for a restart
    // whatever runs).
    bool deliver(const void* key, const std::function<void()>& handler);
    // Reports the exception being handled; for the catch (...) of a window
    // procedure, through which nothing may unwind.
    void report_current_exception();

private:
    void report(const std::string& text, bool critical);

    Report report_;
    IsDrivers is_drivers_;
    int boxes_open_ = 0;
    std::map<const void*, int> running_;  // handlers running -> boxes open at entry
    std::set<std::string> reported_;
};

// The report for an exception a handler let escape: a Failure and a failed
// check as the program's messages show failures ("Source: ... Description:
// ... Number: ..."), anything else as an unexpected error. A critical one
// is a fault of the program.
struct EscapedReport {
    std::string text;
    bool critical = false;
};
EscapedReport escaped_report(const std::exception_ptr& e);

}  // namespace tessaly
