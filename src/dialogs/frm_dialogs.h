#pragma once
#include "app/window.h"

namespace tessaly {

// Captions of the input dialog for the two values it checks before storing.
inline constexpr const char* kFrameMinutesTitle = " Minutes Between Frames";
inline constexpr const char* kProjectionMinutesTitle = " Projection Length (minutes)";

// The one-value input dialog; its caption selects the setting it edits.
class FrmInput : public Window {
public:
    explicit FrmInput(App& app);
    Control INP, cmd_save, focus;
    void load() override;
    void cmd_save_Click();
};

class FrmAbout : public Window {
public:
    explicit FrmAbout(App& app);
    Control version_label, help_text, manual_text, places_credit, cmd_ok, focus;
    void load() override;
    void cmd_ok_Click();
};

}  // namespace tessaly
