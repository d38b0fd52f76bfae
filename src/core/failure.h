#pragma once
// The one error type for failed operations. Steps that may fail throw it;
// the handlers that report failures catch it at their own boundary and show
// "Source: ... Description: ... Number: ...", and a step whose failure only
// skips it runs through skip_on_failure. A broken invariant is CheckFailed.
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
[[noreturn]] void fail_type_mismatch();     // 13: text is not a number
[[noreturn]] void fail_division_by_zero();  // 11
[[noreturn]] void fail_overflow();          // 6
[[noreturn]] void fail_invalid_argument();  // 5: invalid procedure call or argument
[[noreturn]] void fail_subscript();         // 9: list index out of range
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

// A broken invariant: a fault of the program, not a failure of an
// operation. It is no Failure, so skip_on_failure and the handlers' own
// failure reports let it through to the event's catch-all, which reports it
// with its condition, file and line.
struct CheckFailed : std::logic_error {
    std::string file;  // without its folders
    int line;
    CheckFailed(const std::string& condition, std::string file_name, int line_number);
};

// The number the report of a broken invariant shows.
inline constexpr int kCheckFailedNumber = 51;
// Throws CheckFailed "Check failed: <condition> at <file>:<line>".
[[noreturn]] void fail_check(const char* condition, const char* file, int line);

}  // namespace tessaly

// Checks an invariant the code relies on; a broken one ends the event that
// runs, reported with the condition, file and line, and the program goes on.
#define TESSALY_CHECK(condition) \
    ((condition) ? void(0) : ::tessaly::fail_check(#condition, __FILE__, __LINE__))
