#pragma once
// The one error type of the program. Steps that the original design lets fail
// throw it; the handlers that report failures catch it at their own boundary
// and show "Source: ... Description: ... Number: ...".
#include <stdexcept>
#include <string>

namespace tessaly {

struct Failure : std::runtime_error {
    int number;
    Failure(std::string description, int num)
        : std::runtime_error(std::move(description)), number(num) {}
    std::string description() const { return what(); }
};

// The failures the program can raise, with the numbers users of the old tool know.
[[noreturn]] void fail_type_mismatch();         // 13: text is not a number
[[noreturn]] void fail_division_by_zero();      // 11
[[noreturn]] void fail_overflow();              // 6
[[noreturn]] void fail_invalid_argument();      // 5: invalid procedure call or argument
[[noreturn]] void fail_subscript();             // 9: list index out of range
[[noreturn]] void fail_file(const std::string& description);  // 75: path/file access error

// "Source: " + source + " Description: " + description + CR + "Number: " + number
std::string failure_message(const std::string& source, const Failure& f);

}  // namespace tessaly
