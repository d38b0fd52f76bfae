#include "viewer/statusbar.h"

#include "app/app.h"
#include "core/failure.h"
#include "core/text.h"

namespace tessaly {

std::pair<std::string, std::string> parse_position(const std::string& t) {
    // Positions count from 0 here; the text is framed by "<" and ">".
    const std::string s = "<" + t + ">";
    const size_t a = 1;
    const size_t b = s.find(',', a);
    if (b == std::string::npos) fail_invalid_argument();  // latitude would have negative length
    std::string lat = trim(std::string_view(s).substr(a, b - a));
    const size_t c = s.find(',') + 1;
    const size_t d = s.find('>', c);
    std::string lon = trim(std::string_view(s).substr(c, d - c));
    return {lat, lon};
}

bool FrmMain::Read_StatusBar() {
    const std::string* title = nullptr;
    if (optgr3.checked) title = &GR3.text;
    if (optgr2.checked) title = &GR2.text;
    if (optgrae.checked) title = &GRAE.text;
    if (!title) return false;
    PanelRead r = app.platform.read_panel(*title, 4);
    if (r.status != PanelStatus::Text) return false;
    auto [lat, lon] = parse_position(r.text);
    // The texts go into placefile lines as they are, so they must not end one early.
    cursor_lat.text = placefile_text(lat);
    cursor_lon.text = placefile_text(lon);
    return true;
}

}  // namespace tessaly
