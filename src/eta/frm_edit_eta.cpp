#include "eta/frm_edit_eta.h"

#include <vector>

#include "app/app.h"
#include "app/frm_dialogs.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_custom_eta.h"
#include "placefile/format.h"
#include "zones/zones.h"

namespace tessaly {

namespace {

// The ETA windows' colours in the order of FrmEditETA::Colour.
struct EtaColour {
    const SettingKey& key;
    std::uint32_t FrmCustomETABox::*field;
};
const EtaColour kEtaColours[] = {
    {keys::eta_text, &FrmCustomETABox::text_colour},
    {keys::eta_border, &FrmCustomETABox::border_colour},
    {keys::eta_tag, &FrmCustomETABox::tag_colour},
    {keys::eta_background, &FrmCustomETABox::back_colour},
};

// Applies one stored ETA colour to the small and the medium window.
void apply_colour(App& app, FrmEditETA::Colour which, std::uint32_t c) {
    for (FrmCustomETABox* w : {static_cast<FrmCustomETABox*>(&app.frmCustomETA()),
                               static_cast<FrmCustomETABox*>(&app.frmCustomETA1())}) {
        FrmEditETA::set_colour(*w, which, c);
        w->changed();
    }
}

}  // namespace

std::array<std::string, FrmEditETA::kColours> FrmEditETA::stored_colours(App& app) {
    std::array<std::string, kColours> v;
    for (size_t i = 0; i < kColours; ++i)
        v[i] = app.setting_or_store_first_start(kEtaColours[i].key);
    return v;
}

void FrmEditETA::set_colour(FrmCustomETABox& w, Colour which, std::uint32_t c) {
    w.*kEtaColours[which].field = c;
}

FrmEditETA::FrmEditETA(App& a) : Window(a, "frmEditETA") {
    caption = " ETA Editor";
    add_window_controls();
    add_source_controls();
    connect_window_buttons();
    connect_marker_options();
    connect_source_options();
}

void FrmEditETA::add_window_controls() {
    using K = ControlKind;
    add("displayeta", displayeta, K::Check, "Display Small ETA Window").tooltip =
        "Display the visual ETA window.";
    add("displayetamed", displayetamed, K::Check, "Display Medium ETA Window").tooltip =
        "Display the visual ETA window.";
    add("displayeta2", displayeta2, K::Check, "Display Classic Large ListBox").tooltip =
        "Display the visual ETA window.";
    add("Command1", Command1, K::Button, "ETA City Text Color").tooltip =
        "Customize the ETA Window";
    add("Command2", Command2, K::Button, "ETA Border Color").tooltip = "Customize the ETA Window";
    add("Command3", Command3, K::Button, "Korvelv3 Tag Text Color").tooltip =
        "Customize the ETA Window";
    add("command4", command4, K::Button, "ETA Background Color").tooltip =
        "Customize the ETA Window";
    add("Command5", Command5, K::Button, "PREVIEW the ETA Window Appearance").tooltip =
        "Preview the ETA Window.";
    add("Command6", Command6, K::Button, "Korvelv3 Tag Text Edit");
    add("radius", radius, K::Check, "Adjust search radius. *Recommended*");
    add("etaqc_historic", etaqc_historic, K::Check, "Remove historical tags. *Recommended*");
    add("eta_rep", eta_rep, K::Text);
    add("eta_fontsize", eta_fontsize, K::Text);
    add("eta_rgb", eta_rgb, K::Text);
    add("showcity", showcity, K::Check, "Display cities within a projection");
    add("showtime", showtime, K::Check, "Display times within a projection");
}

void FrmEditETA::add_source_controls() {
    using K = ControlKind;
    add("opt_local_db", opt_local_db, K::Option, "Local Database").tooltip =
        "Use a custom local ETA database.";
    add("opt_server_db", opt_server_db, K::Option, "Server Database").tooltip =
        "Use the public ETA server database.";
    opt_local_db.checked = true;
    add("eta_server", eta_server, K::Text);
    add("eta_username", eta_username, K::Text);
    add("opt_eta_pathcast", opt_eta_pathcast, K::Option, "Pathcast").tooltip =
        "List each town in the storm's path with its arrival and departure.";
    add("opt_eta_classic", opt_eta_classic, K::Option, "Classic").tooltip =
        "Show the ETA markers and windows.";
    opt_eta_pathcast.checked = true;
    add("frame_delay", frame_delay, K::Text, keys::frame_delay.fallback).tooltip =
        "Minutes " + range_brackets(keys::frame_delay) + " the radar frames lag behind the clock.";
    add("pathcast_miles", pathcast_miles, K::Text, keys::pathcast_miles.fallback).tooltip =
        "Towns this many miles " + range_brackets(keys::pathcast_miles) +
        " either side of the track are listed.";
    add("opt_clock_12", opt_clock_12, K::Option, "12-hour");
    add("opt_clock_24", opt_clock_24, K::Option, "24-hour");
    add("opt_clock_utc", opt_clock_utc, K::Option, "UTC");
    opt_clock_12.checked = true;
    add("focus", focus, K::Text).visible = false;
    add("hint", hint, K::Label,
        "Click the PREVIEW button to see a real-time preview of the colors you are selecting "
        "for the ETA Window.");
}

void FrmEditETA::connect_window_buttons() {
    Command1.on_click = [this] { colour_button(text_colour); };
    Command2.on_click = [this] { colour_button(border_colour); };
    Command3.on_click = [this] { colour_button(tag_colour); };
    command4.on_click = [this] { colour_button(back_colour); };
    Command5.on_click = [this] {
        app.frmCustomETA().show();
        app.frmCustomETA1().show();
    };
    Command6.on_click = [this] {
        std::string title = app.get_setting(keys::tag_text_edit);
        app.frmInput().ask(keys::tag_text_edit, " ETA Box Title",
                           title.empty() ? keys::tag_text_edit.preset : title);
    };
    display_box(displayeta, keys::displayeta);
    display_box(displayetamed, keys::displayetamed);
    display_box(displayeta2, keys::displayeta2);
}

void FrmEditETA::connect_marker_options() {
    radius.on_click = [this] {
        if (!loading_) app.save_setting(keys::eta_radius, radius.checked ? "1" : "0");
    };
    etaqc_historic.on_click = [this] {
        if (!loading_) app.save_setting(keys::eta_historic, etaqc_historic.checked ? "1" : "0");
    };
    auto pair_box = [this](Control& box, Control& other, const SettingKey& key,
                           const SettingKey& other_key) {
        box.on_click = [this, &box, &other, &key, &other_key] {
            if (loading_) return;
            if (box.checked) {
                app.save_setting(key, "1");
                app.save_setting(other_key, "0");
                loading_ = true;  // unticking the other is not a choice of its own
                other.set_checked(false);
                loading_ = false;
            } else {
                app.save_setting(key, "0");
            }
        };
    };
    pair_box(showcity, showtime, keys::showcity, keys::showtime);
    pair_box(showtime, showcity, keys::showtime, keys::showcity);
}

void FrmEditETA::connect_source_options() {
    // Which places the ETA run asks: "local" (also when missing) or "server".
    auto db_option = [this](Control& chosen, Control& other, const char* value) {
        chosen.on_click = [this, &chosen, &other, value] {
            chosen.checked = true;
            other.checked = false;
            if (!loading_) app.save_setting(keys::eta_database, value);
            changed();
        };
    };
    db_option(opt_local_db, opt_server_db, "local");
    db_option(opt_server_db, opt_local_db, "server");
    // The ETA style and the clock: one option of each group, stored on click.
    auto group_option = [this](Control& chosen, std::vector<Control*> group, const SettingKey& key,
                               const char* value) {
        chosen.on_click = [this, &chosen, group, &key, value] {
            for (Control* c : group) c->checked = c == &chosen;
            if (!loading_) app.save_setting(key, value);
            changed();
        };
    };
    const std::vector<Control*> styles{&opt_eta_pathcast, &opt_eta_classic};
    group_option(opt_eta_pathcast, styles, keys::eta_style, "pathcast");
    group_option(opt_eta_classic, styles, keys::eta_style, "classic");
    const std::vector<Control*> clocks{&opt_clock_12, &opt_clock_24, &opt_clock_utc};
    group_option(opt_clock_12, clocks, keys::clock_style, "12");
    group_option(opt_clock_24, clocks, keys::clock_style, "24");
    group_option(opt_clock_utc, clocks, keys::clock_style, "utc");
    eta_server.on_change = [this] {
        if (!loading_) app.save_setting(keys::eta_server, eta_server.text);
    };
    eta_username.on_change = [this] {
        if (!loading_) app.save_setting(keys::eta_username, eta_username.text);
    };
}

void FrmEditETA::display_box(Control& box, const SettingKey& key) {
    box.on_click = [this, &box, &key] {
        if (loading_) return;
        if (box.checked) {
            Control* all[] = {&displayeta, &displayetamed, &displayeta2};
            const SettingKey* stored[] = {&keys::displayeta, &keys::displayetamed,
                                          &keys::displayeta2};
            for (int i = 0; i < 3; ++i) app.save_setting(*stored[i], all[i] == &box ? "1" : "0");
            loading_ = true;  // unticking the other two is not a choice of its own
            for (Control* c : all)
                if (c != &box) c->set_checked(false);
            loading_ = false;
        } else {
            app.save_setting(key, "0");
        }
    };
}

void FrmEditETA::colour_button(Colour which) {
    auto c = app.platform.choose_color();
    if (!c) return;
    app.save_setting(kEtaColours[which].key, std::to_string(*c));
    skip_on_failure([&] { apply_colour(app, which, *c); });
}

void FrmEditETA::load() {
    loading_ = true;
    left_twips = 7400;
    top_twips = 3700;
    auto value = [this](const SettingKey& k) { return app.setting_or_store_first_start(k); };
    const auto colours = stored_colours(app);
    for (size_t i = 0; i < kColours; ++i) {
        skip_on_failure([&] {
            // A colour that is not a whole number leaves the windows' built-in colours.
            apply_colour(app, static_cast<Colour>(i),
                         static_cast<std::uint32_t>(to_long(colours[i])));
        });
    }
    skip_on_failure([&] { radius.set_checked(to_long(value(keys::eta_radius)) == 1); });
    skip_on_failure([&] { etaqc_historic.set_checked(to_long(value(keys::eta_historic)) == 1); });
    eta_rep.set_text(value(keys::eta_rep));
    eta_rgb.set_text(value(keys::eta_rgb));
    eta_fontsize.set_text(value(keys::eta_fontsize));

    std::string d = app.get_setting(keys::displayeta);
    std::string dm = app.get_setting(keys::displayetamed);
    std::string d2 = app.get_setting(keys::displayeta2);
    Control* chosen = nullptr;
    if (d.empty() || d == "1") chosen = &displayeta;
    if (dm == "1") chosen = &displayetamed;
    if (d2 == "1") chosen = &displayeta2;
    for (Control* c : {&displayeta, &displayetamed, &displayeta2}) c->set_checked(c == chosen);

    std::string server = app.get_setting(keys::eta_server);
    eta_server.set_text(server.empty() ? keys::eta_server.fallback : server);
    eta_username.set_text(app.get_setting(keys::eta_username));
    const bool server_db = equals_icase(trim(app.get_setting(keys::eta_database)), "server");
    opt_server_db.checked = server_db;
    opt_local_db.checked = !server_db;

    // Anything but the other styles' exact values is the default option.
    const bool classic = app.get_setting(keys::eta_style) == "classic";
    opt_eta_classic.checked = classic;
    opt_eta_pathcast.checked = !classic;
    const zones::ClockStyle clock = zones::clock_style_of(app.get_setting(keys::clock_style));
    opt_clock_24.checked = clock == zones::ClockStyle::twenty_four;
    opt_clock_utc.checked = clock == zones::ClockStyle::utc;
    opt_clock_12.checked = !opt_clock_24.checked && !opt_clock_utc.checked;
    frame_delay_loaded_ = std::to_string(stored_number(keys::frame_delay));
    pathcast_miles_loaded_ = std::to_string(stored_number(keys::pathcast_miles));
    frame_delay.set_text(frame_delay_loaded_);
    pathcast_miles.set_text(pathcast_miles_loaded_);
    loading_ = false;
    changed();
}

int FrmEditETA::stored_number(const SettingKey& key) { return app.setting_number(key); }

std::string FrmEditETA::marker_rgb() const {
    return replace_all_icase(stored_text(eta_rgb.text), ",", " ");
}

std::string FrmEditETA::marker_font_size() const { return stored_text(eta_fontsize.text); }

void FrmEditETA::store_number(const Control& box, const std::string& loaded, const SettingKey& key,
                              const char* rule) {
    // Untouched boxes write nothing: a store without the key keeps reading
    // the fallback.
    if (box.text == loaded) return;
    if (auto v = minutes_setting(box.text, key)) {
        app.save_setting(key, std::to_string(*v));
        return;
    }
    app.message(std::string(rule) + " " + range_words(key) + ": \"" + echo_value(box.text) +
                "\" was not stored.");
}

void FrmEditETA::close_request() {
    app.save_setting(keys::eta_rgb, eta_rgb.text);
    app.save_setting(keys::eta_rep, eta_rep.text);
    app.save_setting(keys::eta_fontsize, eta_fontsize.text);
    store_number(frame_delay, frame_delay_loaded_, keys::frame_delay,
                 "The radar frames' age must be a whole number of minutes");
    store_number(pathcast_miles, pathcast_miles_loaded_, keys::pathcast_miles,
                 "The towns' distance from the track must be a whole number of miles");
    app.unload(name);
}

}  // namespace tessaly
