#include "online/frm_new_eta.h"

#include "app/app.h"

namespace tessaly {

FrmNewETA::FrmNewETA(App& a) : Window(a, "frmNewETA") {
    using K = ControlKind;
    add("lat", lat, K::Text);
    add("lon", lon, K::Text);
    add("radius", radius, K::Text);
    add("mph", mph, K::Text);
    add("buffer", buffer, K::Text);
    add("nm_distance", nm_distance, K::Text);
    add("one", one, K::List);
    add("two", two, K::List);
    add("List1", List1, K::List);
    add("hover", hover, K::Text);
    add("bufferr", bufferr, K::List);
    add("Command1", Command1, K::Button, "Command1");
    Command1.on_click = [this] { RemoveDuplicates(); };
}

bool FrmNewETA::request_executing() const { return !pending.empty(); }

void FrmNewETA::cancel_request() {
    for (int id : pending) app.platform.fetch_abandon(id);
    pending.clear();
    cancelled = true;
}

void FrmNewETA::getdata() {}
void FrmNewETA::readdata() {}
void FrmNewETA::RemoveDuplicates() {}

}  // namespace tessaly
