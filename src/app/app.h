#pragma once
// The program: every window model, created on first use, and the services
// they share (settings, message boxes, the placefile writer). The program's
// root (the simulator or the Win32 front end) owns one App.
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/settings_keys.h"
#include "app/window.h"
#include "platform/platform.h"

namespace tessaly {

class FrmEdit;
class FrmEditETA;
class FrmCustomETA;
class FrmCustomETA1;
class FrmCustomETA2;
class FrmInput;
class FrmAbout;
class FrmPFinfo;
class FrmBowEcho;
class FrmNewETA;

inline constexpr const char* kSettingsSection = "Korvel3";
inline constexpr const char* kMessageTitle = "Tessaly";  // title of untitled message boxes

class App {
public:
    App(Platform& platform, UiHost& ui);
    ~App();

    Platform& platform;
    UiHost& ui;

    // Windows. Each accessor creates its window on first use and runs its load
    // step, as a reference to a form does in the design.
    FrmMain& frmMain() { return *main_; }
    FrmEdit& frmEdit();
    FrmEditETA& frmEditETA();
    FrmCustomETA& frmCustomETA();
    FrmCustomETA1& frmCustomETA1();
    FrmCustomETA2& frmCustomETA2();
    FrmInput& frmInput();
    FrmAbout& frmAbout();
    FrmPFinfo& frmPFinfo();
    FrmBowEcho& frmBowEcho();
    FrmNewETA& frmNewETA();

    // By name, creating it ("frmEdit"); nullptr for an unknown name.
    Window* window(const std::string& name);
    // Loaded windows only, main window first.
    std::vector<Window*> loaded_windows();
    bool is_loaded(const std::string& name) const;
    // Destroys a window model (closing the editors); the next use loads it anew.
    void unload(const std::string& name);

    // Every timer of every loaded window.
    std::vector<Timer*> timers();

    // Settings store on (application, "Korvel3", key); missing reads "".
    std::string get_setting(const std::string& key);
    void save_setting(const std::string& key, const std::string& value);
    // The stored value; when nothing is stored, the key's first-start value,
    // which is then written as well.
    std::string setting_or_first_start(const SettingKey& key);

    void message(const std::string& text) { platform.message_box(kMessageTitle, text, false); }
    void beep() { platform.beep(); }

    // Writes the lines to the placefile path, CR LF, in the system code page.
    // On failure shows "Error: BuildPF Module : " + description and returns false.
    bool write_list_to_file(const std::string& path, const std::vector<std::string>& lines);

    // Start-up as the program's first event; ends the program when the
    // installation check fails.
    void start();
    // Ends the program (all windows closed); idempotent.
    void end_program();
    bool ended() const { return ended_; }

private:
    template <class W> W& get(std::unique_ptr<W>& slot);
    std::unique_ptr<FrmMain> main_;
    std::unique_ptr<FrmEdit> edit_;
    std::unique_ptr<FrmEditETA> edit_eta_;
    std::unique_ptr<FrmCustomETA> custom_eta_;
    std::unique_ptr<FrmCustomETA1> custom_eta1_;
    std::unique_ptr<FrmCustomETA2> custom_eta2_;
    std::unique_ptr<FrmInput> input_;
    std::unique_ptr<FrmAbout> about_;
    std::unique_ptr<FrmPFinfo> pfinfo_;
    std::unique_ptr<FrmBowEcho> bow_echo_;
    std::unique_ptr<FrmNewETA> new_eta_;
    bool ended_ = false;
};

}  // namespace tessaly
