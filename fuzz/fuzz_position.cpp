// The status-bar position parser on arbitrary panel text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/failure.h"
#include "viewer/statusbar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        auto [lat, lon] = tessaly::parse_position(text);
        if (lat.size() + lon.size() > text.size()) __builtin_trap();
    } catch (const tessaly::Failure&) {
    }
    return 0;
}
