#include "eta/frm_custom_eta.h"

#include "app/app.h"

namespace tessaly {

const char* FrmCustomETABox::label_name(int i) {
    static const char* names[] = {"one",   "two",  "three", "four",   "five",   "six",     "seven",
                                  "eight", "nine", "ten",   "eleven", "twelve", "thirteen"};
    return names[i];
}

FrmCustomETABox::FrmCustomETABox(App& a, const std::string& n, int label_count)
    : Window(a, n), labels(static_cast<size_t>(label_count)) {
    using K = ControlKind;
    for (int i = 0; i < label_count; ++i)
        add(label_name(i), labels[static_cast<size_t>(i)], K::Label, "00:00");
    add("Labeltitle", Labeltitle, K::Label, "Korvelv4");
    add("labelClose", labelClose, K::Label, "x");
    add("Shape1", Shape1, K::Frame);
    add("distance", distance, K::Text).visible = false;
    labelClose.on_click = [this] { labelClose_Click(); };
    Labeltitle.on_click = [this] { mouse_down(1); };
    add_timer(Timer1, n + ".Timer1", 10, false).tick = [this] { Timer1_Timer(); };
}

void FrmCustomETABox::load() {
    if (!app.frmMain().track_finished()) {
        hide();
    } else {
        app.ui.make_topmost(*this);
        Timer1.enabled = true;
    }
}

// A window hidden by an erase or another view stops raising itself (it
// would cost a core's few percent for the rest of the run under Wine).
void FrmCustomETABox::Timer1_Timer() {
    if (!visible) {
        Timer1.enabled = false;
        return;
    }
    app.ui.make_topmost(*this);
}

void FrmCustomETABox::mouse_down(int button) {
    if (button == 1) app.ui.start_drag(*this);
}

void FrmCustomETABox::labelClose_Click() {
    Timer1.enabled = false;
    hide();
}

FrmCustomETA2::FrmCustomETA2(App& a) : Window(a, "frmCustomETA2") {
    add("List1", List1, ControlKind::List);
    add("focus", focus, ControlKind::Text).visible = false;
    List1.on_click = [this] { List1_Click(); };
    add_timer(Timer1, "frmCustomETA2.Timer1", 10, false).tick = [this] { Timer1_Timer(); };
}

void FrmCustomETA2::load() {
    if (!app.frmMain().track_finished()) {
        hide();
    } else {
        app.ui.make_topmost(*this);
        Timer1.enabled = true;
    }
}

void FrmCustomETA2::close_request() {
    Timer1.enabled = false;
    hide();
}

void FrmCustomETA2::Timer1_Timer() {
    if (!visible) {
        Timer1.enabled = false;
        return;
    }
    app.ui.make_topmost(*this);
}

void FrmCustomETA2::List1_Click() {
    // Focus moves to the hidden field; nothing else to do in the model.
}

}  // namespace tessaly
