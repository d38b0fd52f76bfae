#include "app/frm_main.h"

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "editor/frm_edit.h"
#include "eta/frm_custom_eta.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "placefile/format.h"
#include "placefile/frm_pfinfo.h"
#include "storms/frm_storms.h"
#include "tracking/motion.h"
#include "watched/frm_watched.h"

namespace tessaly {

FrmMain::FrmMain(App& a) : Window(a, "frmMain") {
    tag = "0";
    init_controls();
}

void FrmMain::init_controls() {
    add_figures();
    add_hidden_fields();
    add_menus();
    connect_handlers();
    connect_menus();
    add_timers();
}

void FrmMain::add_figures() {
    using K = ControlKind;
    add("start_lat", start_lat, K::Label, kUnmarked);
    add("start_lon", start_lon, K::Label, kUnmarked);
    add("stop_lat", stop_lat, K::Label, kUnmarked);
    add("stop_lon", stop_lon, K::Label, kUnmarked);
    add("cell_speed", cell_speed, K::Label, "00");
    add("cell_speedkts", cell_speedkts, K::Label, "00");
    add("cor_azimuth", cor_azimuth, K::Label, "000");
    add("disazimuth", disazimuth, K::Label, "000").visible = false;
    // The row's figures explain themselves only to those who know them.
    const char* knots = "Storm speed in knots (KTS)";
    const char* mph = "Storm speed in miles per hour (MPH)";
    const char* from = "AZ: the direction the storm moves from, in degrees";
    cell_speed.tooltip = knots;
    cell_speedkts.tooltip = mph;
    cor_azimuth.tooltip = from;
    add("kts_label", kts_label, K::Label, "KTS").tooltip = knots;
    add("mph_label", mph_label, K::Label, "MPH").tooltip = mph;
    add("az_label", az_label, K::Label, "AZ").tooltip = from;
    add("status", status, K::Label, "Searching for GRLevelX Software .");
    add("status_on", status_on, K::Image).visible = false;
    status_on.tooltip = "Linked to the viewer. Click to pause the hotkeys";
    add("status_off", status_off, K::Image).tooltip = "Not linked, or paused. Click to resume";
    // Disabled until a sweep finds a viewer of their kind.
    add("optgr3", optgr3, K::Option, "GRLevel3").enabled = false;
    add("optgr2", optgr2, K::Option, "GRLevel2").enabled = false;
    add("optgrae", optgrae, K::Option, "GR2Analyst").enabled = false;
}

void FrmMain::add_hidden_fields() {
    using K = ControlKind;
    for (Control* c : {&GR3, &GR2, &GRAE, &process, &scaption, &return_dis, &return_azimuth, &rlat,
                       &rlon, &cursor_lat, &cursor_lon}) {
        c->kind = K::Text;
        c->visible = false;
    }
    add("GR3", GR3, K::Text).visible = false;
    add("GR2", GR2, K::Text).visible = false;
    add("GRAE", GRAE, K::Text).visible = false;
    add("process", process, K::Text).visible = false;
    add("scaption", scaption, K::Text).visible = false;
    add("tracker", tracker, K::Text, "0").visible = false;
    add("edit", edit, K::Text, "0").visible = false;
    add("return_dis", return_dis, K::Text).visible = false;
    add("return_azimuth", return_azimuth, K::Text).visible = false;
    add("rlat", rlat, K::Text).visible = false;
    add("rlon", rlon, K::Text).visible = false;
    add("projection_minutes", projection_minutes, K::Text, keys::projection_minutes.fallback)
        .visible = false;
    add("cursor_lat", cursor_lat, K::Text).visible = false;
    add("cursor_lon", cursor_lon, K::Text).visible = false;
    add("placefile", placefile, K::List).visible = false;
    add("Command2", Command2, K::Button, "Command2").visible = false;
    add("remove", remove, K::Button, "remove_eta").visible = false;
}

void FrmMain::add_menus() {
    using K = ControlKind;
    add("mnu_projection_edit", mnu_projection_edit, K::Menu, "Edit");
    add("mnu_projection_fan", mnu_projection_fan, K::Menu, "Fan").checked = true;
    add("mnu_projection_cone", mnu_projection_cone, K::Menu, "Cone");
    add("mnu_projection_wedge", mnu_projection_wedge, K::Menu, "Wedge");
    add("mnubowecho", mnubowecho, K::Menu, "Bow");
    add("mnu_eta_edit", mnu_eta_edit, K::Menu, "Edit");
    add("mnu_eta_view", mnu_eta_view, K::Menu, "View");
    add("mnu_placefile_clear", mnu_placefile_clear, K::Menu, "Copy");
    add("mnu_placefile_info", mnu_placefile_info, K::Menu, "Info");
    add("mnu_help_guide", mnu_help_guide, K::Menu, "User Guide");
    add("mnu_help_about", mnu_help_about, K::Menu, "About");
    add("mnu_mark_hour", mnu_mark_hour, K::Menu, "Mark One Hour").checked = true;
    add("mnu_mark_frames", mnu_mark_frames, K::Menu, "Mark Two Frames...");
    add("mark_minutes", mark_minutes, K::Label, std::string(keys::mark_minutes.fallback) + " min")
        .visible = false;
    add("mnu_projection_undo", mnu_projection_undo, K::Menu, "Undo Last Mark");
    add("mnu_storms_list", mnu_storms_list, K::Menu, "Storm List...");
    add("mnu_storms_next", mnu_storms_next, K::Menu, "Next Storm");
    add("mnu_storms_erase", mnu_storms_erase, K::Menu, "Erase Storm");
    add("mnu_storms_watched", mnu_storms_watched, K::Menu, "Watched Places...");
    add("alert_banner", alert_banner, K::Label).visible = false;
}

void FrmMain::connect_handlers() {
    // Option buttons exclude each other.
    optgr3.on_click = [this] { choose_viewer("gr3"); };
    optgr2.on_click = [this] { choose_viewer("gr2"); };
    optgrae.on_click = [this] { choose_viewer("grae"); };
    status_on.on_click = [this] { pause_link(); };
    status_off.on_click = [this] { resume_link(); };
    Command2.on_click = [this] { Command2_Click(); };
    remove.on_click = [this] { remove_eta(); };
    alert_banner.on_click = [this] { acknowledge_alerts(); };
}

void FrmMain::connect_menus() {
    mnu_projection_edit.on_click = [this] { skip_on_failure([&] { app.frmEdit().show(); }); };
    mnu_projection_fan.on_click = [this] { choose_projection("fan"); };
    mnu_projection_cone.on_click = [this] { choose_projection("cone"); };
    mnu_projection_wedge.on_click = [this] { choose_projection("wedge"); };
    mnubowecho.on_click = [this] { choose_projection("bow"); };
    mnu_mark_hour.on_click = [this] {
        app.save_setting(keys::mark_mode, "hour");
        set_mark_mode(false, frame_minutes);
    };
    mnu_mark_frames.on_click = [this] { ask_frame_minutes(); };
    mnu_projection_undo.on_click = [this] { undo_last_mark(); };
    mnu_storms_list.on_click = [this] { app.frmStorms().open(); };
    mnu_storms_next.on_click = [this] { next_storm(); };
    mnu_storms_watched.on_click = [this] { app.frmWatched().open(); };
    mnu_storms_erase.on_click = [this] {
        if (!storms.selected()) {
            app.beep();
            return;
        }
        erase_storm(storms.selected_number());
    };
    mnu_eta_edit.on_click = [this] {
        FrmEditETA& e = app.frmEditETA();
        e.tag = "1";
        e.show();
    };
    mnu_eta_view.on_click = [this] { mnu_eta_view_Click(); };
    mnu_placefile_clear.on_click = [this] { copy_placefile_path(); };
    mnu_placefile_info.on_click = [this] { app.frmPFinfo().show(); };
    mnu_help_guide.on_click = [this] { open_user_guide(); };
    mnu_help_about.on_click = [this] { app.frmAbout().show(); };
}

void FrmMain::add_timers() {
    add_timer(find_gr, "find_gr", 1000, true).tick = [this] { find_gr_Timer(); };
    add_timer(find_keys, "find_keys", 5, false).tick = [this] { find_keys_Timer(); };
    find_keys.key_driven = true;
    add_timer(find_distance, "find_distance", 1, false).tick = [this] { find_distance_Timer(); };
    add_timer(alert_Timer, "alert_Timer", kAlertIntervalMs, false).tick = [this] {
        check_alerts();
    };
    find_distance.min_period_ms = 16;  // a screen refresh: the status bar is read no faster
}

void FrmMain::Form_Load() {
    // Steps 1 to 5 are skipped one by one when they fail.
    skip_on_failure([&] {
        left_twips = 6000;
        top_twips = 200;
    });
    skip_on_failure([&] { show(); });
    skip_on_failure([&] { app.ui.make_topmost(*this); });
    skip_on_failure([&] { write_placefile(); });
    skip_on_failure([&] { read_registry(); });
    // A step of its own: a stored value the load stops at must not turn
    // frames mode off. Nothing is written for missing keys.
    skip_on_failure([&] { load_mark_settings(); });
    // Before the storms: a storm restored on its way to a watched place warns.
    skip_on_failure([&] { load_watched(); });
    skip_on_failure([&] { restore_storms(); });

    try {
        // Installation check: the icon file the placefile header names.
        if (!app.platform.file_size(app.platform.program_folder() + "\\" + pf::kIconFile))
            throw Failure("File not found", 53);

        std::string version = app.get_setting(keys::version);
        if (version.empty() || version == "4.1") {
            app.platform.message_box(
                "Korvel Version 4.2",
                "Korvel Hotkeys have changed yet again in version 4.2\r\r"
                "Please make sure you notice the new keys or edit them to your liking.\r\r"
                "Click OK to see the new HotKeys",
                true);
            app.save_setting(keys::version, keys::version.first_start);
            FrmEdit& e = app.frmEdit();
            for (const SettingKey& k : {keys::hkselect, keys::hkerase, keys::hketa})
                app.save_setting(k, k.first_start);
            e.hkselect.set_text(keys::hkselect.first_start);
            e.hkerase.set_text(keys::hkerase.first_start);
            e.hketa.set_text(keys::hketa.first_start);
            e.show();
        }
    } catch (const Failure&) {
        app.platform.message_box("Tessaly v3.0",
                                 "Korvelv3 Installation is corrupt.\r\rPlease re-install Korvelv3",
                                 true);
        app.end_program();
    }
    changed();
}

void FrmMain::Form_Activate() { app.ui.make_topmost(*this); }

void FrmMain::Form_Unload() {
    if (app.ended()) return;
    watched_lines.clear();  // the viewer is left with nothing of Tessaly's
    skip_on_failure([&] { write_placefile(); });
    app.end_program();
}

void FrmMain::choose_projection(const std::string& which) {
    mnu_projection_fan.checked = which == "fan";
    mnu_projection_cone.checked = which == "cone";
    mnu_projection_wedge.checked = which == "wedge";
    mnubowecho.checked = which == "bow";
    app.save_setting(keys::projection, which);
    changed();
}

void FrmMain::choose_viewer(const std::string& grtype) {
    optgr3.checked = grtype == "gr3";
    optgr2.checked = grtype == "gr2";
    optgrae.checked = grtype == "grae";
    skip_on_failure([&] { app.save_setting(keys::grtype, grtype); });
    changed();
}

void FrmMain::pause_link() {
    find_gr.enabled = false;
    find_keys.enabled = false;
    status_on.visible = false;
    status_off.visible = true;
    changed();
}

void FrmMain::resume_link() {
    find_gr.enabled = true;
    find_keys.enabled = true;
    status_off.visible = false;
    status_on.visible = true;
    changed();
}

void FrmMain::mnu_eta_view_Click() {
    if (!track_finished()) {
        app.beep();
        return;
    }
    // A view still waiting for its replies is cancelled by the view itself.
    Command2_Click();
}

void FrmMain::open_user_guide() {
    const std::string path = app.platform.program_folder() + "\\README.txt";
    if (!app.platform.file_size(path)) {
        app.platform.message_box("User Guide",
                                 "The user guide is missing:\r" + path +
                                     "\r\rIt is README.txt from Tessaly's zip or installer; "
                                     "put it back beside Tessaly.exe.",
                                 false);
        return;
    }
    if (auto error = app.platform.open_document(path))
        app.platform.message_box(
            "User Guide", "The user guide could not be opened:\r" + path + "\r\r" + *error, false);
}

void FrmMain::read_registry() {
    // A failure ends the load where it happens; start-up goes on.
    skip_on_failure([&] {
        read_eta_window_colours();
        read_eta_options();
        read_projection_shape();
        // The drawing switches, shown by the projection editor's boxes.
        app.frmEdit().read_drawing_switches();
        store_appearance_defaults();
        read_viewer_choice();
        read_eta_window_choice();
        // The undo hotkey (hkundo) has no default: missing or empty, no key undoes.
        app.frmEdit().read_hotkey_chain();
    });
    changed();
}

void FrmMain::read_eta_window_colours() {
    const auto colours = FrmEditETA::stored_colours(app);
    FrmCustomETA& w = app.frmCustomETA();
    // In order, so that a colour that is no number leaves the ones after it.
    for (size_t i = 0; i < colours.size(); ++i)
        FrmEditETA::set_colour(w, static_cast<FrmEditETA::Colour>(i),
                               static_cast<std::uint32_t>(to_long(colours[i])));
    w.changed();
}

void FrmMain::read_eta_options() {
    std::string r = app.setting_or_store_first_start(keys::eta_radius);
    app.frmEditETA().radius.checked = to_long(r) == 1;
    std::string h = app.setting_or_store_first_start(keys::eta_historic);
    app.frmEditETA().etaqc_historic.checked = to_long(h) == 1;
    app.frmEditETA().eta_rep.text = app.setting_or_store_first_start(keys::eta_rep);
    app.frmEditETA().eta_rgb.text = app.setting_or_store_first_start(keys::eta_rgb);
    app.frmEditETA().eta_fontsize.text = app.setting_or_store_first_start(keys::eta_fontsize);
}

void FrmMain::read_projection_shape() {
    std::string p = app.get_setting(keys::projection);
    if (p.empty() || p == "fan" || p == "cone" || p == "wedge" || p == "bow") {
        if (p.empty()) p = keys::projection.fallback;
        mnu_projection_fan.checked = p == "fan";
        mnu_projection_cone.checked = p == "cone";
        mnu_projection_wedge.checked = p == "wedge";
        mnubowecho.checked = p == "bow";
    }
}

void FrmMain::store_appearance_defaults() {
    for (const SettingKey& k :
         {keys::border_rgb, keys::polygon_rgb, keys::border_width, keys::border, keys::track,
          keys::polygon_trans, keys::track_rgb, keys::track_width})
        app.setting_or_store_first_start(k);
}

void FrmMain::read_viewer_choice() {
    std::string g = app.get_setting(keys::grtype);
    optgr3.checked = g == "gr3";
    optgr2.checked = g == "gr2";
    optgrae.checked = g == "grae";
}

void FrmMain::read_eta_window_choice() {
    std::string d = app.setting_or_store_first_start(keys::displayeta);
    app.frmEditETA().displayeta.set_checked(to_long(d) == 1);
}

}  // namespace tessaly
