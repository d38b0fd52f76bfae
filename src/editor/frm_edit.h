#pragma once
// The projection editor: drawing switches, colours, widths, transparency and
// the hotkeys. Every change goes to the settings store at once.
#include "app/settings_keys.h"
#include "app/window.h"

namespace tessaly {

class FrmEdit : public Window {
public:
    explicit FrmEdit(App& app);

    Control polyc, borderc, trackc;
    Control cmd_polygon_color, cmd_border_color, cmd_track_color;
    Control cmd_polygon_trans, cmd_border_width, cmd_track_width;
    // Length of the projection (projection_minutes) and the clock labels
    // along the track (time_marks).
    Control cmd_projection_minutes, timemarksc;
    Control hkselect, hkerase, hketa;
    Control hkundo;  // optional; empty (the default) never fires
    // Optional as well: erase the storm under the cursor, select the next storm.
    Control hkerase_storm, hknext_storm, hkwatch;
    Control hotkeys_everywhere;  // checked: the hotkeys act whichever program is in front
    Control focus;
    Control Frame1, Frame2, Frame3, notice;

    void load() override;
    void close_request() override;  // closing unloads the editor
    void read_registry();
    // The polygon, border and track boxes from their stored switches.
    void read_drawing_switches();
    // The select, erase and ETA hotkeys, chained: an empty one stops the
    // chain, the fields after it keep what they show.
    void read_hotkey_chain();

    // "R, G, B," from a 0x00BBGGRR colour value.
    static std::string colour_text(unsigned long value);

private:
    // Stores the field's text under `key` on every change; a new text of
    // more than one character is refused with a message and the field shows
    // the stored key again (a stored value is loaded as it is).
    void hotkey_field(Control& field, const SettingKey& key);
    void colour_button(const SettingKey& key);
    // Asks the value of `key` with the input dialog, preset to the stored value.
    void value_button(const SettingKey& key, const char* title);
};

}  // namespace tessaly
