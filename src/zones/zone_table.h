#pragma once
// The zones of the tz database the build was made with, generated from the
// system's tzdata by scripts/make-zones.py (zones.cpp reads it).
#include <cstddef>

namespace tessaly::zones::detail {

struct NameRule {
    const char* name;  // IANA name, links included
    const char* rule;  // the POSIX TZ rule its TZif file ends with
};
// Sorted by name, byte by byte.
extern const NameRule kZoneRules[];
extern const std::size_t kZoneRuleCount;
extern const char kTzdataVersion[];

}  // namespace tessaly::zones::detail
