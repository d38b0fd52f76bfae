#include "placefile/frm_pfinfo.h"

#include "app/app.h"

namespace tessaly {

FrmPFinfo::FrmPFinfo(App& a) : Window(a, "frmPFinfo") {
    caption = " Placefile Information";
    add("Frame1", Frame1, ControlKind::Frame, "Location");
    add("pfdir", pfdir, ControlKind::Text);
    add("Label2", Label2, ControlKind::Label,
        "Important, you must copy this placefile location and paste it directly into the "
        "GRLevelX Placefile Manager.");
    add("Label1", Label1, ControlKind::Label, "Placefile Size:");
    add("size", size, ControlKind::Label, "0 Bytes");
    add("copypfdir", copypfdir, ControlKind::Button, "Copy Location");
    add("focus", focus, ControlKind::Text, "Text1").visible = false;
    copypfdir.on_click = [this] { copypfdir_Click(); };
}

std::string FrmPFinfo::group_thousands(long long n, const std::string& sep) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out;
    int count = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        out.insert(out.begin(), digits[i]);
        if (++count % 3 == 0 && i > 0) out.insert(0, sep);
    }
    return n < 0 ? "-" + out : out;
}

void FrmPFinfo::load() {
    // Each step on its own: a missing file leaves the length unset (0).
    pfdir.text = app.frmMain().placefile_path();
    long long length = 0;
    if (auto s = app.platform.file_size(pfdir.text)) length = *s;
    size.text = " " + group_thousands(length, app.platform.thousands_separator()) + " Bytes";
}

void FrmPFinfo::copypfdir_Click() {
    app.platform.set_clipboard_text(pfdir.text);
    hide();
}

}  // namespace tessaly
