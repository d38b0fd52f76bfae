// The built-in place index, linked into the program image as it is on disk
// (assets/places/places-na.dat; its provenance is beside it).
#include "places/place_index.h"

#ifndef TESSALY_PLACES_DAT
#error "TESSALY_PLACES_DAT names the built-in place index file"
#endif

#if defined(__ELF__)
#define TESSALY_RODATA ".section .rodata\n"
#else
#define TESSALY_RODATA ".section .rdata,\"dr\"\n"
#endif

// clang-format off
__asm__(TESSALY_RODATA
        ".balign 16\n"
        ".globl tessaly_places_begin\n"
        "tessaly_places_begin:\n"
        ".incbin \"" TESSALY_PLACES_DAT "\"\n"
        ".globl tessaly_places_end\n"
        "tessaly_places_end:\n"
        ".byte 0\n"
        ".text\n");
// clang-format on

extern "C" const char tessaly_places_begin[];
extern "C" const char tessaly_places_end[];

namespace tessaly {

std::string_view builtin_place_index_bytes() {
    return {tessaly_places_begin,
            static_cast<std::size_t>(tessaly_places_end - tessaly_places_begin)};
}

}  // namespace tessaly
