// The compiler and the bow echo with arbitrary setting texts: colours,
// widths, transparency, switches, and the speed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/text.h"
#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaly;
    Simulator& sim = fuzz_session();
    App& app = *sim.app();
    std::vector<std::string> f =
        split(std::string(reinterpret_cast<const char*>(data), size), '\n');
    f.resize(11);
    const SettingKey* drawing[] = {&keys::border_width, &keys::polygon_trans, &keys::polygon_rgb,
                                   &keys::border_rgb,   &keys::track_rgb,     &keys::track_width,
                                   &keys::polygon,      &keys::border,        &keys::track};
    for (int i = 0; i < 9; ++i) app.save_setting(*drawing[i], f[static_cast<size_t>(i)]);
    FrmMain& m = app.frmMain();
    for (const char* shape : {"cone", "fan", "wedge"}) {
        m.choose_projection(shape);
        m.placefile.items.resize(7);
        m.placefile.items.insert(m.placefile.items.end(), {"a", "b", "c"});
        // A reset of the buffer, then the markers as the tracker records them.
        m.placefile_groups.clear();
        m.placefile_groups.record(LinePurpose::half_mark, m.placefile.items, 7);
        m.start_lat.text = "35.2";
        m.start_lon.text = "-97.4";
        m.stop_lat.text = "35.5";
        m.stop_lon.text = "-97.0";
        m.cell_speed.text = f[9].substr(0, 12);
        m.compiler();
    }
    FrmBowEcho& bow = app.frmBowEcho();
    bow.List.items = {
        "35.1", "-97.5", "35.15", "-97.45", "35.2", "-97.4", "35.25", "-97.35",
        "35.3", "-97.3", "35.35", "-97.25", "35.2", "-97.4", "35.4",  f[10].substr(0, 12)};
    m.placefile.items.resize(7);
    try {
        bow.bow_echo();  // a non-number fails to the caller (the hotkey tracker reports it)
    } catch (const Failure&) {
    }
    return 0;
}
