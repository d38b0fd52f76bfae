#pragma once
// The simulated platform: a scripted desktop, keyboard, settings store, clock
// and web, with real files in a folder that stands for the program's folder.
// Every outside effect is reported through `emit` as one line of text.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tessaly {

class SimPlatform : public Platform {
public:
    // dir: real folder for the program folder; folder: the folder as the program sees it.
    SimPlatform(std::string dir, std::string folder, std::string app_name);

    std::function<void(const std::string&)> emit;            // one event line
    std::function<void(const std::function<bool()>&)> pump;  // set by the simulator
    // Runs while a message box is open (set by the simulator): the timers fire.
    std::function<void()> message_box_open;
    // Real HTTP for fetches, set up by the simulator for `web server URL`.
    struct RealWeb {
        virtual ~RealWeb() = default;
        virtual int start(const std::string& url) = 0;
        virtual bool done(int id) = 0;
        virtual FetchResult take(int id) = 0;
        virtual void abandon(int id) = 0;
    };
    std::unique_ptr<RealWeb> real_web;
    std::string real_web_base;  // replaces the request's base address

    // --- scripted environment ---
    struct SimWindow {
        std::string title;
        bool status_bar = true;
        std::string panels[5];
        std::string owner;  // title of the window that owns it, "" for none
    };
    std::vector<SimWindow> desktop;
    // The window in front (script: `desktop foreground ...`). By default the
    // first desktop window; the program's own window while the desktop is empty.
    enum class Front { Default, Nothing, Window, Program, Typing };
    Front front = Front::Default;
    std::string front_title;                      // for Front::Window
    std::map<std::string, std::string> settings;  // "app\section\key" -> value
    bool placefile_readonly = false;
    // Injected file faults for replace_file (script: `fault disk ...`).
    enum class DiskFault { None, Full, ReadOnly, Missing };
    DiskFault disk_fault = DiskFault::None;
    long long disk_room = 0;  // bytes a full disk still takes before it fails
    int writes_failed = 0;    // replace_file calls that reported a failure
    // Called after every successful replace_file with the bytes now on disk,
    // so that tests and the soak driver can check each write.
    std::function<void(const std::string& path, const std::string& bytes)> on_write;
    // Removes the temporary files a killed run left beside the placefile and
    // the saved storms.
    void remove_stale_temp();
    std::deque<std::optional<std::uint32_t>> colour_answers;
    struct WebAnswer {
        bool ok = true;
        std::string body;
        int status = 200;
        std::string error;
        long long delay_ms = 0;
    };
    std::deque<WebAnswer> web_answers;
    ClockTime clock_base{10, 0, 0, true};
    long long clock_set_at_ms = 0;
    // The local clock's day and zone, so that marks have an instant: by
    // default 2026-06-01 in America/Chicago (CDT, UTC-5). The day's 00:00 as
    // the clock counts it, in UTC: on a day with a DST change the reading
    // the clock was set to decides which offset the whole day keeps.
    std::int64_t local_midnight_utc = 1780290000;  // 2026-06-01 05:00 UTC
    std::string zone_name = "America/Chicago";
    long long now_ms = 0;  // virtual time, advanced by the simulator

    void press(int code);
    void hold(int code);
    void release(int code);

    // Pending scripted fetches: id -> completion time.
    struct Pending {
        long long due_ms;
        WebAnswer answer;
        bool real = false;
    };
    std::map<int, Pending> fetches;
    // Earliest completion time after now of a scripted fetch still out, or -1.
    long long next_fetch_due() const;
    bool real_fetch_out() const;

    std::string real_path(const std::string& program_path) const;
    const std::string& dir() const { return dir_; }

    // Platform
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
    std::string time_zone() override { return zone_name; }
    std::string thousands_separator() override { return ","; }
    std::string program_folder() override { return folder_; }
    std::string application_name() override { return app_name_; }
    std::optional<long long> file_size(const std::string& path) override;
    std::optional<std::string> replace_file(const std::string& path,
                                            const std::string& bytes) override;
    std::optional<std::string> open_document(const std::string& path) override;
    std::optional<std::string> read_file(const std::string& path, std::size_t max_bytes) override;
    std::string to_codepage(const std::string& utf8) override;
    std::string from_codepage(const std::string& bytes) override;
    int fetch_start(const std::string& url) override;
    bool fetch_done(int id) override;
    FetchResult fetch_take(int id) override;
    void fetch_abandon(int id) override;
    void pump_until(const std::function<bool()>& done) override;

    std::string clipboard;

private:
    struct Key {
        bool pressed_pending = false;  // next query reports 0x8001
        bool held = false;             // later queries report 0x8000
    };
    std::map<int, Key> keys_;
    std::string dir_, folder_, app_name_;
    int next_fetch_id_ = 1;
};

// Quotes a text with the script's escapes: "a\"b".
std::string sim_quote(const std::string& s);

}  // namespace tessaly
