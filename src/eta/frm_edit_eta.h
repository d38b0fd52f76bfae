#pragma once
// The ETA editor: which ETA window the view shows, the ETA window colours,
// the marker look, the lookup's quality switches, the web service, and the
// ETA style with the pathcast's frame age, path width and clock.
#include <array>
#include <cstdint>
#include <string>

#include "app/settings_keys.h"
#include "app/window.h"

namespace tessaly {

class FrmCustomETABox;

class FrmEditETA : public Window {
public:
    explicit FrmEditETA(App& app);

    Control displayeta, displayetamed, displayeta2;
    Control Command1, Command2, Command3, command4, Command5, Command6;
    Control radius, etaqc_historic;
    Control eta_rep, eta_fontsize, eta_rgb;
    Control showcity, showtime;
    Control opt_local_db, opt_server_db;
    Control eta_server, eta_username;  // the web service: base address and user name
    // The ETA style and the pathcast's settings: the options are stored on
    // click, the number boxes when the editor closes.
    Control opt_eta_pathcast, opt_eta_classic;
    Control frame_delay;     // whole minutes, 0..30
    Control pathcast_miles;  // statute miles, 1..50
    Control opt_clock_12, opt_clock_24, opt_clock_utc;
    Control focus, hint;

    void load() override;
    void close_request() override;  // stores the marker texts, then unloads

    // The stored whole number of `key` when it lies in the key's range, else
    // the key's default.
    int stored_number(const SettingKey& key);

    // The ETA windows' colours: the one reader of their keys (a key found
    // empty gets its first-start value written), and where each one goes.
    enum Colour : size_t { text_colour, border_colour, tag_colour, back_colour, kColours };
    static std::array<std::string, kColours> stored_colours(App& app);
    static void set_colour(FrmCustomETABox& window, Colour which, std::uint32_t c);
    // The town markers' colour ("R G B") and font size, fit for a placefile line.
    std::string marker_rgb() const;
    std::string marker_font_size() const;

private:
    // The controls, in the steps the constructor takes: the ETA windows'
    // and markers' controls, the place source's and the pathcast's, and
    // what their clicks and edits store.
    void add_window_controls();
    void add_source_controls();
    void connect_window_buttons();
    void connect_marker_options();
    void connect_source_options();
    void colour_button(Colour which);
    void display_box(Control& box, const SettingKey& key);
    // At close: a box changed since the load is stored when it holds a whole
    // number within the key's range; otherwise the user is told (`rule` says
    // what the value must be) and the key keeps its value.
    void store_number(const Control& box, const std::string& loaded, const SettingKey& key,
                      const char* rule);
    bool loading_ = false;
    std::string frame_delay_loaded_, pathcast_miles_loaded_;
};

}  // namespace tessaly
