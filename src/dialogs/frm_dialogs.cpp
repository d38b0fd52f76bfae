#include "dialogs/frm_dialogs.h"

#include "app/app.h"
#include "eta/frm_custom_eta.h"

namespace tessaly {

FrmInput::FrmInput(App& a) : Window(a, "frmInput") {
    add("INP", INP, ControlKind::Text);
    add("cmd_save", cmd_save, ControlKind::Button, "Apply");
    add("focus", focus, ControlKind::Text).visible = false;
    cmd_save.on_click = [this] { cmd_save_Click(); };
}

void FrmInput::load() {
    left_twips = 800;
    top_twips = 600;
}

void FrmInput::cmd_save_Click() {
    hide();
    if (caption == " Border Line Width") {
        app.save_setting("border_width", INP.text);
    } else if (caption == " Polygon Transparency") {
        app.save_setting("polygon_trans", INP.text);
    } else if (caption == " Track Line Width") {
        app.save_setting("track_width", INP.text);
    } else if (caption == " ETA Box Title") {
        app.save_setting("tag_text_edit", INP.text);
        app.frmCustomETA().Labeltitle.text = INP.text;
        app.frmCustomETA().changed();
        app.frmCustomETA1().Labeltitle.text = INP.text;
        app.frmCustomETA1().changed();
    }
}

FrmAbout::FrmAbout(App& a) : Window(a, "frmAbout") {
    caption = "About Korvel";
    add("version_label", version_label, ControlKind::Label, "Tessaly v4.2 (May 16th 2014)");
    add("help_text", help_text, ControlKind::Text,
        "Questions, problems or ideas? The README that comes with Tessaly explains how to "
        "link it to your radar viewer, how the hotkeys work and what to check when nothing "
        "shows up.");
    add("manual_text", manual_text, ControlKind::Text,
        "Please read the user guide in README.txt before reporting a problem: most questions "
        "about the placefile, the ETA lookup and the GeoNames user name are answered there.");
    add("places_credit", places_credit, ControlKind::Label,
        "Place data \xC2\xA9 GeoNames (geonames.org), CC BY 4.0");
    add("cmd_ok", cmd_ok, ControlKind::Button, "OK");
    add("focus", focus, ControlKind::Text).visible = false;
    cmd_ok.on_click = [this] { cmd_ok_Click(); };
}

void FrmAbout::load() {
    left_twips = 7400;
    top_twips = 3700;
}

void FrmAbout::cmd_ok_Click() { hide(); }

}  // namespace tessaly
