#include "bowecho/frm_bow_echo.h"

#include "app/app.h"

namespace tessaly {

FrmBowEcho::FrmBowEcho(App& a) : Window(a, "frmBowEcho") {
    using K = ControlKind;
    add("List", List, K::List);
    add("points", points, K::Text, "0");
    add("cazimuth", cazimuth, K::Text, "0");
    add("crange", crange, K::Text, "0");
    add("placefile", placefile, K::List);
    add("build", build, K::Button, "build");
    add("one", one, K::List);
    add("two", two, K::List);
    add("eta", eta, K::List);
    build.on_click = [this] { bow_echo(); };
}

void FrmBowEcho::bow_echo() {
    // Built by the bow echo tool.
}

}  // namespace tessaly
