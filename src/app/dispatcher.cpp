#include "app/dispatcher.h"

#include "core/failure.h"

namespace tessaly {

namespace {

constexpr const char* kSource = "Tessaly";
constexpr const char* kUnexpected = "An unexpected error occurred";

}  // namespace

EscapedReport escaped_report(const std::exception_ptr& e) {
    try {
        std::rethrow_exception(e);
    } catch (const Failure& f) {
        return {failure_message(kSource, f), false};
    } catch (const CheckFailed& c) {
        return {failure_message(kSource, Failure(c.what(), kCheckFailedNumber)), true};
    } catch (const std::exception& x) {
        return {std::string(kUnexpected) + ": " + x.what() + ". Tessaly keeps running.", true};
    } catch (...) {
        return {std::string(kUnexpected) + ". Tessaly keeps running.", true};
    }
}

bool Dispatcher::deliver(const void* key, const std::function<void()>& handler) {
    auto running = key ? running_.find(key) : running_.end();
    if (running != running_.end() && boxes_open_ > running->second)
        return false;  // its box is open
    const int outer = running == running_.end() ? -1 : running->second;
    if (key) running_[key] = boxes_open_;
    std::exception_ptr drivers;
    try {
        handler();
    } catch (...) {
        if (is_drivers_ && is_drivers_(std::current_exception()))
            drivers = std::current_exception();
        else
            // Reported while the handler still counts as running: events for
            // it that arrive under the report's box are dropped too.
            report_current_exception();
    }
    // The handler may have destroyed what the key names: the entry goes by key alone.
    if (key) {
        if (outer < 0) running_.erase(key);
        else running_[key] = outer;
    }
    if (drivers) std::rethrow_exception(drivers);
    return true;
}

void Dispatcher::report_current_exception() {
    EscapedReport r = escaped_report(std::current_exception());
    report(r.text, r.critical);
}

// Each text once: a fault in a tick that fires every few milliseconds
// shows one box, not a stream of them.
void Dispatcher::report(const std::string& text, bool critical) {
    if (!report_ || !reported_.insert(text).second) return;
    try {
        report_(text, critical);
    } catch (...) {
        // Reporting must not fail in turn.
    }
}

}  // namespace tessaly
