#include "core/failure.h"

namespace tessaly {

void fail_type_mismatch() { throw Failure("Type mismatch", 13); }
void fail_division_by_zero() { throw Failure("Division by zero", 11); }
void fail_overflow() { throw Failure("Overflow", 6); }
void fail_invalid_argument() { throw Failure("Invalid procedure call or argument", 5); }
void fail_subscript() { throw Failure("Subscript out of range", 9); }
void fail_file(const std::string& description) { throw Failure(description, 75); }

namespace {

std::string without_folders(std::string path) {
    size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos) path.erase(0, slash + 1);
    return path;
}

}  // namespace

CheckFailed::CheckFailed(const std::string& condition, std::string file_name, int line_number)
    : std::logic_error("Check failed: " + condition + " at " + file_name + ":" +
                       std::to_string(line_number)),
      file(std::move(file_name)),
      line(line_number) {}

void fail_check(const char* condition, const char* file, int line) {
    throw CheckFailed(condition, without_folders(file), line);
}

std::string failure_message(const std::string& source, const Failure& f) {
    return "Source: " + source + " Description: " + f.description() + "\r" +
           "Number: " + std::to_string(f.number);
}

}  // namespace tessaly
