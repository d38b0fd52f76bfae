#include "ui/win32/win32_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "app/app.h"
#include "eta/frm_custom_eta.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/dialog_view.h"
#include "ui/win32/eta_box_view.h"
#include "ui/win32/eta_list_view.h"
#include "ui/win32/main_view.h"
#include "ui/win32/pathcast_view.h"
#include "ui/win32/storms_view.h"
#include "ui/win32/views.h"
#include "ui/win32/watched_view.h"

namespace tessaly::ui {

namespace {

constexpr wchar_t kTimerClass[] = L"TessalyTimers";

// The view for a model of the given kind; the definition's kind names the
// model's class.
std::unique_ptr<DialogView> make_view(Win32Ui& ui, Window& w, const ViewDef& def) {
    switch (def.kind) {
        case ViewKind::Main: return std::make_unique<MainView>(ui, static_cast<FrmMain&>(w), def);
        case ViewKind::EtaBox:
            return std::make_unique<EtaBoxView>(ui, static_cast<FrmCustomETABox&>(w), def);
        case ViewKind::EtaList: return std::make_unique<EtaListView>(ui, w, def);
        case ViewKind::Storms: return std::make_unique<StormsView>(ui, w, def);
        case ViewKind::Pathcast: return std::make_unique<PathcastView>(ui, w, def);
        case ViewKind::Watched: return std::make_unique<WatchedView>(ui, w, def);
        case ViewKind::Dialog: break;
    }
    return std::make_unique<DialogView>(ui, w, def);
}

}  // namespace

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
    // The storm list's template names the list view class, which exists
    // only once the common controls were asked for it.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Ui::timer_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kTimerClass;
    RegisterClassExW(&wc);  // fails harmlessly when a second front end registers it again
    timer_window_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    SetWindowLongPtrW(timer_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    dispatcher_.set_report([this](const std::string& text, bool critical) {
        if (on_failure_) on_failure_(text, critical);
        else if (app_) app_->platform.message_box(kMessageTitle, text, critical);
    });
}

Win32Ui::~Win32Ui() {
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    views_.clear();
    graveyard_.clear();
    if (timer_window_) DestroyWindow(timer_window_);
}

HWND Win32Ui::hwnd_of(const std::string& window) const {
    DialogView* v = view_of(window);
    return v ? v->hwnd() : nullptr;
}

DialogView* Win32Ui::view_of(const std::string& window) const {
    for (auto& [model, view] : views_)
        if (model->name == window) return view.get();
    return nullptr;
}

void Win32Ui::window_loaded(Window& w) {
    const ViewDef* def = find_view_def(w.name);
    if (!def) return;  // a model that is never shown
    std::unique_ptr<DialogView> view = make_view(*this, w, *def);
    view->create();
    views_[&w] = std::move(view);
}

void Win32Ui::window_unloaded(Window& w) {
    auto it = views_.find(&w);
    if (it == views_.end()) return;
    // The model goes now; its window may be running one of its own handlers
    // (the close box unloads the editor), so it is destroyed later.
    it->second->detach();
    ShowWindow(it->second->hwnd(), SW_HIDE);
    graveyard_.push_back(std::move(it->second));
    views_.erase(it);
    sync_timers();
}

void Win32Ui::visibility_changed(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->show(w.visible);
}

void Win32Ui::make_topmost(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->topmost();
}

void Win32Ui::start_drag(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->drag();
}

void Win32Ui::model_changed(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->render();
}

namespace {

void flash(HWND h, DWORD flags) {
    if (!h) return;
    FLASHWINFO fi{};
    fi.cbSize = sizeof fi;
    fi.hwnd = h;
    fi.dwFlags = flags;
    FlashWindowEx(&fi);  // uCount 0 with FLASHW_TIMER: until FLASHW_STOP
}

}  // namespace

void Win32Ui::alert(Window& w, const std::string& text) {
    OutputDebugStringW(win32::widen("Tessaly: alert: " + text + "\n").c_str());
    auto it = views_.find(&w);
    if (it != views_.end()) flash(it->second->hwnd(), FLASHW_ALL | FLASHW_TIMER);
}

void Win32Ui::alerts_acknowledged(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) flash(it->second->hwnd(), FLASHW_STOP);
}

void Win32Ui::program_ended() {
    ended_ = true;
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    for (auto& [model, view] : views_) ShowWindow(view->hwnd(), SW_HIDE);
    PostQuitMessage(0);
}

void Win32Ui::refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    sync_timers();
    for (auto& [model, view] : views_) view->render();
    refreshing_ = false;
}

// Windows raises the 5 ms and 1 ms intervals of the hotkey scan and the live
// motion to its minimum timer period (about 10 to 16 ms); nothing in the
// program depends on the exact rate. The live motion runs every 16 ms; the
// hotkey scan, while the keyboard hook posts the presses, runs on each press
// and on a slow safety net (mouse-button codes, a hook the system dropped),
// so that an idle program does not wake a hundred times a second.
UINT Win32Ui::period_of(const Timer& t) const {
    if (t.key_driven && key_presses_posted_) return kKeySafetyNetMs;
    return static_cast<UINT>(std::max({t.interval_ms, t.min_period_ms, int{USER_TIMER_MINIMUM}}));
}

void Win32Ui::set_key_presses_posted(bool posted) {
    key_presses_posted_ = posted;
    // Running timers take the new period.
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    sync_timers();
}

void Win32Ui::sync_timers() {
    if (!app_ || ended_) return;
    std::vector<Timer*> all = app_->timers();
    for (auto it = running_.begin(); it != running_.end();) {
        Timer* t = it->second.timer;
        bool alive = std::find(all.begin(), all.end(), t) != all.end();
        if (!alive || !t->enabled || t->interval_ms != it->second.interval) {
            KillTimer(timer_window_, it->first);
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
    for (Timer* t : all) {
        if (!t->enabled) continue;
        bool known = std::any_of(running_.begin(), running_.end(),
                                 [t](const auto& r) { return r.second.timer == t; });
        if (known) continue;
        UINT_PTR id = next_timer_id_++;
        if (SetTimer(timer_window_, id, period_of(*t), nullptr)) running_[id] = {t, t->interval_ms};
    }
}

void Win32Ui::forward(const void* key, const std::function<void()>& action) {
    if (dispatcher_.deliver(key, action)) refresh();
}

void Win32Ui::fire(UINT_PTR id) {
    auto it = running_.find(id);
    if (it == running_.end()) {
        KillTimer(timer_window_, id);
        return;
    }
    Timer* t = it->second.timer;
    if (t->enabled && t->tick && !dispatcher_.deliver(t, t->tick)) return;  // its box is open
    refresh();
}

// Nothing may unwind through the system's frames: a fault is reported once
// and the timers go on.
LRESULT CALLBACK Win32Ui::timer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return handle_timer_message(hwnd, msg, wp, lp);
    } catch (...) {
        if (auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            ui->unexpected_failure();
        return 0;
    }
}

LRESULT Win32Ui::handle_timer_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (ui) ui->fire(static_cast<UINT_PTR>(wp));
        return 0;
    }
    if (msg == kKeyPressMessage) {
        auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!ui) return 0;
        std::vector<UINT_PTR> keyed;
        for (auto& [id, r] : ui->running_)
            if (r.timer->key_driven) keyed.push_back(id);
        for (UINT_PTR id : keyed) ui->fire(id);  // fire() skips one gone meanwhile
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Win32Ui::dialog_message(MSG* msg) {
    if (!msg->hwnd) return false;
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    for (auto& [model, view] : views_)
        if (view->hwnd() == root)
            return view->key_message(*msg) || IsDialogMessageW(root, msg) != FALSE;
    return false;
}

int Win32Ui::run() {
    MSG msg;
    int code = 0;
    for (;;) {
        graveyard_.clear();
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (dialog_message(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    graveyard_.clear();
    return code;
}

}  // namespace tessaly::ui
