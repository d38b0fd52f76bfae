// The web reply reader on arbitrary bodies: records, entities, UTF-8, size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/codepage.h"
#include "fuzz_session.h"
#include "online/frm_new_eta.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    App& app = *fuzz_session().app();
    FrmMain& m = app.frmMain();
    m.placefile.items.resize(7);
    m.start_lat.text = "35.2";
    m.start_lon.text = "-97.4";
    m.disazimuth.text = "45";
    FrmNewETA& lookup = app.frmNewETA();
    lookup.one.items.clear();
    lookup.two.items.clear();
    lookup.mph.text = "40";
    lookup.buffer.text.assign(reinterpret_cast<const char*>(data), size);
    try {
        lookup.readdata();
    } catch (const Failure&) {
    }
    // Whatever came in, every placefile line stays one line of text.
    for (const std::string& l : m.placefile.items)
        if (l.find('\n') != std::string::npos || l.find('\r') != std::string::npos)
            __builtin_trap();
    return 0;
}
