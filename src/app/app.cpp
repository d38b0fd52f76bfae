#include "app/app.h"

#include "app/frm_dialogs.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "editor/frm_edit.h"
#include "eta/frm_custom_eta.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "pathcast/frm_pathcast.h"
#include "placefile/frm_pfinfo.h"
#include "storms/frm_storms.h"
#include "tracking/motion.h"
#include "watched/frm_watched.h"

namespace tessaly {

App::App(Platform& p, UiHost& u) : platform(p), ui(u), main_(std::make_unique<FrmMain>(*this)) {}

App::~App() = default;

namespace {

template <class W>
std::unique_ptr<Window> make(App& app) {
    return std::make_unique<W>(app);
}

struct WindowEntry {
    const char* name;
    std::unique_ptr<Window> (*make)(App&);
};

constexpr WindowEntry kWindows[] = {
#define TESSALY_ENTRY(type, name) {#name, &make<type>},
    TESSALY_WINDOWS(TESSALY_ENTRY)
#undef TESSALY_ENTRY
};

}  // namespace

App::Slot App::slot_of(const std::string& name) {
    for (size_t i = 0; i < slot_count; ++i)
        if (name == kWindows[i].name) return static_cast<Slot>(i);
    return slot_count;
}

Window& App::get(Slot slot) {
    TESSALY_CHECK(slot < slot_count);
    std::unique_ptr<Window>& w = windows_[slot];
    if (!w) {
        w = kWindows[slot].make(*this);
        ui.window_loaded(*w);
        // The load step may itself refer to this window again (it exists now).
        w->load();
    }
    return *w;
}

#define TESSALY_DEFINE_ACCESSOR(type, name) \
    type& App::name() { return static_cast<type&>(get(slot_##name)); }
TESSALY_WINDOWS(TESSALY_DEFINE_ACCESSOR)
#undef TESSALY_DEFINE_ACCESSOR

Window* App::window(const std::string& n) {
    if (n == "frmMain") return main_.get();
    Slot s = slot_of(n);
    return s == slot_count ? nullptr : &get(s);
}

std::vector<Window*> App::loaded_windows() {
    std::vector<Window*> v{main_.get()};
    for (auto& w : windows_)
        if (w) v.push_back(w.get());
    return v;
}

bool App::is_loaded(const std::string& n) const {
    if (n == "frmMain") return true;
    Slot s = slot_of(n);
    return s != slot_count && windows_[s] != nullptr;
}

void App::unload(const std::string& n) {
    Slot s = slot_of(n);
    if (s == slot_count || !windows_[s]) return;
    std::unique_ptr<Window>& w = windows_[s];
    w->hide();
    ui.window_unloaded(*w);
    w.reset();
}

std::vector<Timer*> App::timers() {
    std::vector<Timer*> v;
    for (Window* w : loaded_windows())
        for (Timer* t : w->timers()) v.push_back(t);
    return v;
}

std::string App::get_setting(const SettingKey& key) {
    std::string v = platform.get_setting(platform.application_name(), kSettingsSection, key.key);
    // A value ends at a NUL, as the registry's strings do, so no store puts
    // one into a placefile line or a message.
    if (size_t nul = v.find('\0'); nul != std::string::npos) v.resize(nul);
    return v;
}

void App::save_setting(const SettingKey& key, const std::string& value) {
    platform.save_setting(platform.application_name(), kSettingsSection, key.key, value);
}

std::string App::setting_or_store_first_start(const SettingKey& k) {
    std::string v = get_setting(k);
    if (v.empty() && k.first_start) {
        save_setting(k, k.first_start);
        v = k.first_start;
    }
    return v;
}

int App::setting_number(const SettingKey& k) { return number_in_range(k, get_setting(k)); }

bool App::write_list_to_file(const std::string& path, const std::vector<std::string>& buffer) {
    // The watched places' labels go with every write of the placefile,
    // after the buffer (they belong to no storm).
    const std::vector<std::string>& tail = main_->watched_lines;
    const bool with_tail = !tail.empty() && path == main_->placefile_path();
    std::string text;
    size_t total = 0;
    for (const auto& l : buffer) total += l.size() + 2;
    if (with_tail)
        for (const auto& l : tail) total += l.size() + 2;
    text.reserve(total);
    auto add = [&](const std::string& l) {
        // Outside text (a status-bar panel, a stored setting) may hold line
        // breaks; each buffer line must stay one placefile line.
        if (l.find_first_of("\r\n") == std::string::npos) {
            text += l;
        } else {
            for (char c : l) text += (c == '\r' || c == '\n') ? ' ' : c;
        }
        text += "\r\n";
    };
    for (const auto& l : buffer) add(l);
    if (with_tail)
        for (const auto& l : tail) add(l);
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
    if (windows_[slot_frmNewETA]) frmNewETA().cancel_request();
    ui.program_ended();
}

}  // namespace tessaly
