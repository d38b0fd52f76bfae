#include "pathcast/frm_pathcast.h"

#include "app/app.h"

namespace tessaly {

FrmPathcast::FrmPathcast(App& a) : Window(a, "frmPathcast") {
    caption = "Pathcast";
    using K = ControlKind;
    add("rows", rows, K::List).columns = {"Arrives\u2013leaves", "In", "Town", "Passes",
                                          "Population"};
    add("note", note, K::Label);
    add("copy", copy, K::Button, "Copy");
    add("close", close, K::Button, "Close");
    copy.on_click = [this] { copy_Click(); };
    close.on_click = [this] { close_Click(); };
    add_timer(minute_Timer, "frmPathcast.minute_Timer", kMinuteIntervalMs, false).tick =
        [this] { minute_Timer_Timer(); };
}

void FrmPathcast::load() {}
void FrmPathcast::close_request() { close_Click(); }
void FrmPathcast::moved() {}
void FrmPathcast::resized() {}
void FrmPathcast::show_pathcast(Pathcast p) { pathcast_ = std::move(p); }
void FrmPathcast::forget(int) {}
void FrmPathcast::copy_Click() {}
void FrmPathcast::close_Click() {
    minute_Timer.enabled = false;
    hide();
}
void FrmPathcast::minute_Timer_Timer() {}
void FrmPathcast::render() {}

}  // namespace tessaly
