#pragma once
// The program: every window model, created on first use, and the services
// they share (settings, message boxes, the placefile writer). The program's
// root (the simulator or the Win32 front end) owns one App.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/settings_keys.h"
#include "app/window.h"
#include "platform/platform.h"

namespace tessaly {

// The windows besides the main one: class and name (the name is also the
// accessor's), in the order loaded_windows() lists them. A new window is one
// entry here and its header in app.cpp.
#define TESSALY_WINDOWS(X)          \
    X(FrmEdit, frmEdit)             \
    X(FrmEditETA, frmEditETA)       \
    X(FrmCustomETA, frmCustomETA)   \
    X(FrmCustomETA1, frmCustomETA1) \
    X(FrmCustomETA2, frmCustomETA2) \
    X(FrmInput, frmInput)           \
    X(FrmAbout, frmAbout)           \
    X(FrmPFinfo, frmPFinfo)         \
    X(FrmBowEcho, frmBowEcho)       \
    X(FrmNewETA, frmNewETA)         \
    X(FrmStorms, frmStorms)         \
    X(FrmPathcast, frmPathcast)     \
    X(FrmWatched, frmWatched)

#define TESSALY_DECLARE_CLASS(type, name) class type;
TESSALY_WINDOWS(TESSALY_DECLARE_CLASS)
#undef TESSALY_DECLARE_CLASS

inline constexpr const char* kSettingsSection = "Korvel3";
inline constexpr const char* kMessageTitle = "Tessaly";  // title of untitled message boxes

class App {
public:
    App(Platform& platform, UiHost& ui);
    ~App();

    Platform& platform;
    UiHost& ui;

    // Windows. Each accessor creates its window on first use and runs its load
    // step; the main window exists from the start.
    FrmMain& frmMain() { return *main_; }
#define TESSALY_DECLARE_ACCESSOR(type, name) type& name();
    TESSALY_WINDOWS(TESSALY_DECLARE_ACCESSOR)
#undef TESSALY_DECLARE_ACCESSOR

    // By name, creating it ("frmEdit"); nullptr for an unknown name.
    Window* window(const std::string& name);
    // Loaded windows only, main window first.
    std::vector<Window*> loaded_windows();
    bool is_loaded(const std::string& name) const;
    // Destroys a window model (closing the editors); the next use loads it anew.
    void unload(const std::string& name);

    // Every timer of every loaded window.
    std::vector<Timer*> timers();

    // Settings store on (application, "Korvel3", key); missing reads "", and
    // a value ends at its first NUL. Only the keys of settings_keys.h.
    std::string get_setting(const SettingKey& key);
    void save_setting(const SettingKey& key, const std::string& value);
    // The stored value; when nothing is stored, the key's first-start value,
    // which is then written as well.
    std::string setting_or_store_first_start(const SettingKey& key);
    // A whole-number key: the stored number when it lies in the key's range,
    // else the key's fallback.
    int setting_number(const SettingKey& key);

    void message(const std::string& text) { platform.message_box(kMessageTitle, text, false); }
    void beep() { platform.beep(); }

    // Writes the lines to the placefile path, CR LF, in the system code page
    // (the placefile with the watched places' labels after them).
    // On failure shows "Error: BuildPF Module : " + description and returns false.
    bool write_list_to_file(const std::string& path, const std::vector<std::string>& lines);

    // Start-up as the program's first event; ends the program when the
    // installation check fails.
    void start();
    // Ends the program (all windows closed); idempotent.
    void end_program();
    bool ended() const { return ended_; }

private:
    enum Slot : size_t {
#define TESSALY_SLOT(type, name) slot_##name,
        TESSALY_WINDOWS(TESSALY_SLOT)
#undef TESSALY_SLOT
            slot_count
    };
    Window& get(Slot slot);
    // Index of a window's name; slot_count for the main window or an unknown name.
    static Slot slot_of(const std::string& name);
    std::unique_ptr<FrmMain> main_;
    std::array<std::unique_ptr<Window>, slot_count> windows_;
    bool ended_ = false;
};

}  // namespace tessaly
