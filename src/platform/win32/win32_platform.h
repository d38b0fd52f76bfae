#pragma once
// The Windows implementation of the platform interface. Kept free of
// <windows.h> so that the program's entry point can hold one without pulling
// the Win32 headers into portable code.
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace tessaly {

namespace win32 {
class Web;
struct PanelBuffer;
}  // namespace win32

class Win32Platform : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // Owner (an HWND) for message boxes and the colour dialog; null for none.
    void set_owner_window(void* hwnd) { owner_ = hwnd; }

    // Removes the temporary files a run killed during a write left beside the
    // placefile and the saved storms; called once at start, before the
    // program writes.
    void remove_stale_temp();

    // Told when a message box or the colour dialog opens (true) and closes
    // (false), so that the driver of the timers and events does not enter
    // again what was running when it opened.
    void set_modal_hook(std::function<void(bool open)> hook) { modal_hook_ = std::move(hook); }

    // Whether the system is of the NT family; asked once.
    static bool is_nt();

    // Key state from a low-level keyboard hook instead of GetAsyncKeyState.
    // Installs on the calling thread, which must keep pumping messages (the
    // hook runs inside its message calls) and make the key-state queries.
    // The hook only observes: every key goes on to its window. False when the
    // system refuses the hook or another Win32Platform in this process holds
    // it; async_key_state then keeps polling GetAsyncKeyState.
    bool start_key_hook();
    void stop_key_hook();
    bool key_hook_active() const { return hooked_; }
    // While the hook runs, each key press posts `message` to `hwnd` (an
    // HWND), so that the scan can run on a press instead of on a fast timer.
    void set_key_press_notice(void* hwnd, unsigned message);
    // How often the hook is installed afresh (see renew_key_hook); 10 s.
    void set_key_hook_renewal_ms(unsigned long long ms) { hook_renewal_ms_ = ms; }

    // Called by pump_until with each message (a MSG*) before it is
    // translated and dispatched; returning true means the filter handled it
    // (e.g. IsDialogMessage) and it is not dispatched. Empty for none.
    void set_message_filter(std::function<bool(void* msg)> filter) {
        message_filter_ = std::move(filter);
    }

    std::vector<std::string> top_level_titles() override;
    PanelRead read_panel(const std::string& title, int index) override;
    Foreground foreground() override;
    std::uint16_t async_key_state(int code) override;
    std::string get_setting(const std::string& app, const std::string& section,
                            const std::string& key) override;
    void save_setting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) override;
    bool set_clipboard_text(const std::string& text) override;
    void message_box(const std::string& title, const std::string& text, bool critical) override;
    void beep() override;
    std::optional<std::string> play_sound(const std::string& path) override;
    std::optional<std::uint32_t> choose_color() override;
    ClockTime local_time() override;
    std::int64_t utc_seconds() override;
    std::string time_zone() override;
    std::string thousands_separator() override;
    std::string program_folder() override;
    std::string application_name() override;
    std::optional<long long> file_size(const std::string& path) override;
    std::optional<std::string> read_file(const std::string& path, std::size_t max_bytes) override;
    std::optional<std::string> replace_file(const std::string& path,
                                            const std::string& bytes) override;
    std::optional<std::string> open_document(const std::string& path) override;
    std::string to_codepage(const std::string& utf8) override;
    std::string from_codepage(const std::string& bytes) override;
    int fetch_start(const std::string& url) override;
    bool fetch_done(int id) override;
    FetchResult fetch_take(int id) override;
    void fetch_abandon(int id) override;
    void pump_until(const std::function<bool()>& done) override;

private:
    std::uint16_t polled_key_state(int code);
    void renew_key_hook();

    void* owner_ = nullptr;
    bool key_down_[256] = {};  // down at the previous query of each code
    bool hooked_ = false;
    unsigned long long hook_renewed_ms_ = 0;  // GetTickCount64 at the last (re)install
    unsigned long long hook_renewal_ms_ = 10000;
    std::function<bool(void*)> message_filter_;
    std::function<void(bool)> modal_hook_;
    std::unique_ptr<win32::Web> web_;
    // The buffer in the viewer's process that status-bar reads reuse.
    std::unique_ptr<win32::PanelBuffer> panel_buffer_;
};

}  // namespace tessaly
