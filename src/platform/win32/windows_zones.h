#pragma once
// The PC's time zone as the zones module names it, from what Windows says of
// it: the IANA name of its time-zone key (CLDR's map, generated at build time
// by scripts/make-zones.py), or a POSIX rule made of its offsets and dates.
#include <cstddef>
#include <string>
#include <string_view>

struct _TIME_ZONE_INFORMATION;  // <windows.h>'s TIME_ZONE_INFORMATION

namespace tessaly {

struct WindowsZone {
    const char* key;   // "Central Standard Time"
    const char* iana;  // "America/Chicago"
};
// Sorted by key, byte by byte.
extern const WindowsZone kWindowsZones[];
extern const std::size_t kWindowsZoneCount;

namespace win32 {

// The IANA name CLDR gives a Windows time-zone key for the world (territory
// "001"); nullptr for a key it does not know.
const char* iana_of_windows_zone(std::string_view key_name);

// The POSIX rule of a TIME_ZONE_INFORMATION, abbreviations numeric as tzdata
// writes them: "<-06>6<-05>,M3.2.0,M11.1.0", "<+0530>-5:30" without DST
// (DaylightDate.wMonth 0).
std::string posix_rule_of(const _TIME_ZONE_INFORMATION& tzi);

}  // namespace win32
}  // namespace tessaly
