#pragma once
// The one error type of the program. Steps that may fail throw it; the
// handlers that report failures catch it at their own boundary and show
// "Source: ... Description: ... Number: ...", and a step whose failure only
// skips it runs through skip_on_failure.
#include <stdexcept>
#include <string>

namespace tessaly {

struct Failure : std::runtime_error {
    int number;
    Failure(std::string description, int num)
        : std::runtime_error(std::move(description)), number(num) {}
    std::string description() const { return what(); }
};

// The failures the program can raise, with the numbers users know from its messages.
[[noreturn]] void fail_type_mismatch();         // 13: text is not a number
[[noreturn]] void fail_division_by_zero();      // 11
[[noreturn]] void fail_overflow();              // 6
[[noreturn]] void fail_invalid_argument();      // 5: invalid procedure call or argument
[[noreturn]] void fail_subscript();             // 9: list index out of range
[[noreturn]] void fail_file(const std::string& description);  // 75: path/file access error

// "Source: " + source + " Description: " + description + CR + "Number: " + number
std::string failure_message(const std::string& source, const Failure& f);

// Runs one step of a handler whose failure skips just that step: what it did
// before failing stays, and the handler goes on with its next step.
template <class Step>
void skip_on_failure(Step&& step) {
    try {
        step();
    } catch (const Failure&) {
    }
}

// Number of the failure a broken invariant raises.
inline constexpr int kCheckFailedNumber = 51;
// Throws Failure "Check failed: <condition> at <file>:<line>" (the file
// without its folders), which the handler's boundary reports like any other.
[[noreturn]] void fail_check(const char* condition, const char* file, int line);

}  // namespace tessaly

// Checks an invariant the code relies on; a broken one fails the handler
// that runs, naming the condition, file and line, and the program goes on.
#define TESSALY_CHECK(condition) \
    ((condition) ? void(0) : ::tessaly::fail_check(#condition, __FILE__, __LINE__))

namespace tessaly {

}  // namespace tessaly
