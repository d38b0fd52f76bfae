#include "app/app.h"

#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "dialogs/frm_dialogs.h"
#include "editor/frm_edit.h"
#include "eta/frm_custom_eta.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "placefile/frm_pfinfo.h"

namespace tessaly {

App::App(Platform& p, UiHost& u) : platform(p), ui(u), main_(std::make_unique<FrmMain>(*this)) {}

App::~App() = default;

template <class W>
W& App::get(std::unique_ptr<W>& slot) {
    if (!slot) {
        slot = std::make_unique<W>(*this);
        ui.window_loaded(*slot);
        // The load step may itself refer to this window again (it exists now).
        slot->load();
    }
    return *slot;
}

FrmEdit& App::frmEdit() { return get(edit_); }
FrmEditETA& App::frmEditETA() { return get(edit_eta_); }
FrmCustomETA& App::frmCustomETA() { return get(custom_eta_); }
FrmCustomETA1& App::frmCustomETA1() { return get(custom_eta1_); }
FrmCustomETA2& App::frmCustomETA2() { return get(custom_eta2_); }
FrmInput& App::frmInput() { return get(input_); }
FrmAbout& App::frmAbout() { return get(about_); }
FrmPFinfo& App::frmPFinfo() { return get(pfinfo_); }
FrmBowEcho& App::frmBowEcho() { return get(bow_echo_); }
FrmNewETA& App::frmNewETA() { return get(new_eta_); }

Window* App::window(const std::string& n) {
    if (n == "frmMain") return main_.get();
    if (n == "frmEdit") return &frmEdit();
    if (n == "frmEditETA") return &frmEditETA();
    if (n == "frmCustomETA") return &frmCustomETA();
    if (n == "frmCustomETA1") return &frmCustomETA1();
    if (n == "frmCustomETA2") return &frmCustomETA2();
    if (n == "frmInput") return &frmInput();
    if (n == "frmAbout") return &frmAbout();
    if (n == "frmPFinfo") return &frmPFinfo();
    if (n == "frmBowEcho") return &frmBowEcho();
    if (n == "frmNewETA") return &frmNewETA();
    return nullptr;
}

std::vector<Window*> App::loaded_windows() {
    std::vector<Window*> v{main_.get()};
    Window* others[] = {edit_.get(),   edit_eta_.get(), custom_eta_.get(), custom_eta1_.get(),
                        custom_eta2_.get(), input_.get(), about_.get(),    pfinfo_.get(),
                        bow_echo_.get(), new_eta_.get()};
    for (Window* w : others)
        if (w) v.push_back(w);
    return v;
}

bool App::is_loaded(const std::string& n) const {
    if (n == "frmMain") return true;
    if (n == "frmEdit") return edit_ != nullptr;
    if (n == "frmEditETA") return edit_eta_ != nullptr;
    if (n == "frmCustomETA") return custom_eta_ != nullptr;
    if (n == "frmCustomETA1") return custom_eta1_ != nullptr;
    if (n == "frmCustomETA2") return custom_eta2_ != nullptr;
    if (n == "frmInput") return input_ != nullptr;
    if (n == "frmAbout") return about_ != nullptr;
    if (n == "frmPFinfo") return pfinfo_ != nullptr;
    if (n == "frmBowEcho") return bow_echo_ != nullptr;
    if (n == "frmNewETA") return new_eta_ != nullptr;
    return false;
}

namespace {
template <class W>
void drop(UiHost& ui, std::unique_ptr<W>& slot) {
    if (!slot) return;
    slot->hide();
    ui.window_unloaded(*slot);
    slot.reset();
}
}  // namespace

void App::unload(const std::string& n) {
    if (n == "frmEdit") drop(ui, edit_);
    else if (n == "frmEditETA") drop(ui, edit_eta_);
    else if (n == "frmCustomETA") drop(ui, custom_eta_);
    else if (n == "frmCustomETA1") drop(ui, custom_eta1_);
    else if (n == "frmCustomETA2") drop(ui, custom_eta2_);
    else if (n == "frmInput") drop(ui, input_);
    else if (n == "frmAbout") drop(ui, about_);
    else if (n == "frmPFinfo") drop(ui, pfinfo_);
    else if (n == "frmBowEcho") drop(ui, bow_echo_);
    else if (n == "frmNewETA") drop(ui, new_eta_);
}

std::vector<Timer*> App::timers() {
    std::vector<Timer*> v;
    for (Window* w : loaded_windows())
        for (Timer* t : w->timers()) v.push_back(t);
    return v;
}

std::string App::get_setting(const std::string& key) {
    return platform.get_setting(platform.application_name(), kSettingsSection, key);
}

void App::save_setting(const std::string& key, const std::string& value) {
    platform.save_setting(platform.application_name(), kSettingsSection, key, value);
}

std::string App::setting_or_first_start(const SettingKey& k) {
    std::string v = get_setting(k.key);
    if (v.empty() && k.first_start) {
        save_setting(k.key, k.first_start);
        v = k.first_start;
    }
    return v;
}

bool App::write_list_to_file(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    text.reserve(total);
    for (const auto& l : lines) {
        // Outside text (a status-bar panel, a stored setting) may hold line
        // breaks; each buffer line must stay one placefile line.
        for (char c : l) text += (c == '\r' || c == '\n') ? ' ' : c;
        text += "\r\n";
    }
    auto err = platform.replace_file(path, platform.to_codepage(text));
    if (err) {
        platform.message_box(kMessageTitle, "Error: BuildPF Module : " + *err, false);
        return false;
    }
    return true;
}

void App::start() { main_->Form_Load(); }

void App::end_program() {
    if (ended_) return;
    ended_ = true;
    // Stop every timer so that nothing runs after the end.
    for (Timer* t : timers()) t->enabled = false;
    if (new_eta_) new_eta_->cancel_request();
    ui.program_ended();
}

}  // namespace tessaly
