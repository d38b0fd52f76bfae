#pragma once
#include <functional>
#include <optional>
#include <string>

#include "app/settings_keys.h"
#include "app/window.h"

namespace tessaly {

// Captions of the input dialog for the two values it checks before storing.
inline constexpr const char* kFrameMinutesTitle = " Minutes Between Frames";
inline constexpr const char* kProjectionMinutesTitle = " Projection Length (minutes)";

// The one-value input dialog for one setting at a time.
class FrmInput : public Window {
public:
    explicit FrmInput(App& app);
    Control INP, cmd_save, focus;
    // The settings key that Apply stores (mark_minutes and projection_minutes
    // are checked first); nullptr: Apply only closes the dialog.
    const SettingKey* key = nullptr;
    // Shows the dialog for `key` with its caption and the text to start from.
    void ask(const SettingKey& setting_key, const std::string& title, const std::string& initial);
    // Shows the dialog for a free text that Apply hands to `apply` (once)
    // instead of storing it; closing the dialog drops it.
    void ask_text(const std::string& title, const std::string& initial,
                  std::function<void(const std::string&)> apply);
    void load() override;
    void close_request() override;
    void cmd_save_Click();

private:
    // The typed whole minutes within the key's range; else nullopt after a
    // message of message_start and the range.
    std::optional<int> typed_minutes(const std::string& message_start);
    std::function<void(const std::string&)> apply_;
};

class FrmAbout : public Window {
public:
    explicit FrmAbout(App& app);
    Control version_label, help_text, manual_text, places_credit, cmd_ok, focus;
    void load() override;
    void dismiss();
};

}  // namespace tessaly
