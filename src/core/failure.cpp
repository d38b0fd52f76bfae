#include "core/failure.h"

namespace tessaly {

void fail_type_mismatch() { throw Failure("Type mismatch", 13); }
void fail_division_by_zero() { throw Failure("Division by zero", 11); }
void fail_overflow() { throw Failure("Overflow", 6); }
void fail_invalid_argument() { throw Failure("Invalid procedure call or argument", 5); }
void fail_subscript() { throw Failure("Subscript out of range", 9); }
void fail_file(const std::string& description) { throw Failure(description, 75); }

void fail_check(const char* condition, const char* file, int line) {
    std::string f = file;
    size_t slash = f.find_last_of("/\\");
    if (slash != std::string::npos) f.erase(0, slash + 1);
    throw Failure(
        std::string("Check failed: ") + condition + " at " + f + ":" + std::to_string(line),
        kCheckFailedNumber);
}

std::string failure_message(const std::string& source, const Failure& f) {
    return "Source: " + source + " Description: " + f.description() + "\r" +
           "Number: " + std::to_string(f.number);
}

}  // namespace tessaly
