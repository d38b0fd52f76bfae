// The storms file reader on arbitrary bytes; whatever it reads writes a text
// that reads back and writes the same text again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storms/storms_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    StormsRead r = read_storms_file(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!r.file) {
        if (r.problem.empty()) __builtin_trap();
        return 0;
    }
    const std::string text = storms_file_text(*r.file);
    StormsRead again = read_storms_file(text);
    if (!again.file || storms_file_text(*again.file) != text) __builtin_trap();
    if (again.file->storms.selected_number() != r.file->storms.selected_number()) __builtin_trap();
    return 0;
}
