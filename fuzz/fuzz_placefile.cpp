// The placefile parser never fails on any input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "placefile/placefile_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto p = tessaly::parse_placefile(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)p;
    return 0;
}
