#pragma once
// Every outside operation the core needs, behind one interface. The core never
// includes an OS header; src/platform/win32 implements this for Windows,
// src/platform/sim for the simulator and the tests.
//
// Text crossing this interface is UTF-8. Paths are as the program sees them:
// the program folder text followed by "\korvel.txt" and the like; the
// implementation maps them to real files.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

struct ClockTime {
    int hour24 = 0;           // 0..23
    int minute = 0;           // 0..59
    int second = 0;           // 0..59
    bool twelve_hour = true;  // the user's time format shows hours 1..12
};

// Result of one web request.
// A reply body is read up to this many bytes; a longer one is a failed
// transfer with the description and number below, so that a runaway server
// cannot exhaust memory. Every platform's web layer applies the same cap.
inline constexpr std::size_t kReplyLimitBytes = 1024 * 1024;
inline constexpr const char* kReplyTooLarge = "The reply is larger than 1 MiB";
inline constexpr int kReplyTooLargeNumber = 12152;  // WinHTTP: invalid server response

struct FetchResult {
    bool ok = false;       // transfer completed (any HTTP status)
    int http_status = 0;   // 200, 401, 503, ... (0 when no answer)
    std::string body;      // reply body as received (bytes)
    std::string error;     // transfer error description when !ok
    int error_number = 0;  // transfer error number when !ok (e.g. timeout 10060)
};

// Outcome of reading a status-bar panel.
enum class PanelStatus {
    NoWindow,  // no top-level window with that exact title (or no status bar, no panels)
    Empty,     // panel empty, or its text is 256 characters or longer
    Text,      // `text` holds the panel text (1..255 characters)
};
struct PanelRead {
    PanelStatus status = PanelStatus::NoWindow;
    std::string text;
};

// The window in front, which receives the keys the user types.
enum class ForegroundKind {
    Nothing,  // no window is in front
    Other,    // another program's window: `titles` names it
    Program,  // one of this program's windows, no text field of it has the focus
    Typing,   // one of this program's windows with a text field that has the focus
};
struct Foreground {
    ForegroundKind kind = ForegroundKind::Nothing;
    // For Other: the window's title, then the titles of the windows that own
    // it, nearest first.
    std::vector<std::string> titles;
};

class Platform {
public:
    virtual ~Platform() = default;

    // --- window manager -----------------------------------------------------
    // Titles of all top-level windows in the platform's z-order (enumeration
    // order); a window without a title is listed as "".
    virtual std::vector<std::string> top_level_titles() = 0;
    // Text of status-bar panel `index` (zero-based) of the top-level window
    // whose title equals `title` exactly. What it needs in the viewer's
    // process is kept between reads of the same status bar only, and released
    // when that bar goes or another one is read.
    virtual PanelRead read_panel(const std::string& title, int index) = 0;

    // The window in front now.
    virtual Foreground foreground() = 0;

    // --- keyboard -----------------------------------------------------------
    // Global asynchronous state of key code 1..255: bit 15 down now, bit 0
    // pressed since the previous query of this code.
    virtual std::uint16_t async_key_state(int code) = 0;

    // --- settings store -----------------------------------------------------
    // A missing value reads as "". Never cached.
    virtual std::string get_setting(const std::string& app, const std::string& section,
                                    const std::string& key) = 0;
    virtual void save_setting(const std::string& app, const std::string& section,
                              const std::string& key, const std::string& value) = 0;

    // --- user notifications -------------------------------------------------
    // Returns false when the clipboard could not be set.
    virtual bool set_clipboard_text(const std::string& text) = 0;
    // A modal message box with one OK button; returns when OK is pressed.
    // While it is open the program's timers keep firing (the box runs a
    // message loop). The drivers of the timers and of the windows' events
    // never enter a tick or handler that was running when the box opened
    // (its box is open): a tick that fails again and again shows one box at
    // a time, never a stack of them. Inside pump_until, with no box open, a
    // running tick may be entered again: that is how a hotkey stops a wait.
    virtual void message_box(const std::string& title, const std::string& text, bool critical) = 0;
    virtual void beep() = 0;
    // Starts the sound file (a WAV) without waiting for it; when it cannot
    // be played, the system's exclamation sound instead. Returns why the
    // file was not played, nullopt when it was.
    virtual std::optional<std::string> play_sound(const std::string& path) = 0;
    // 0x00BBGGRR, or nullopt when the user cancels.
    virtual std::optional<std::uint32_t> choose_color() = 0;

    // --- clock and locale ---------------------------------------------------
    virtual ClockTime local_time() = 0;
    // Now as seconds since 1970-01-01 UTC: the instant of a mark, which a
    // restart and a change of the local clock leave alone.
    virtual std::int64_t utc_seconds() = 0;
    // The PC's time zone: its IANA name ("America/Chicago") or, when the
    // system names none the program knows, a POSIX TZ rule; "" when unknown.
    virtual std::string time_zone() = 0;
    virtual std::string thousands_separator() = 0;  // "," in the simulator

    // --- files --------------------------------------------------------------
    virtual std::string program_folder() = 0;    // as the program sees it, e.g. C:\Tessaly
    virtual std::string application_name() = 0;  // executable name without extension
    // Size in bytes, or nullopt when the file does not exist or cannot be read.
    virtual std::optional<long long> file_size(const std::string& path) = 0;
    // Replaces the file's whole content with `bytes` so that a reader sees
    // either the old or the new file, never a part. Returns an error
    // description on failure (the old file is then unchanged).
    virtual std::optional<std::string> replace_file(const std::string& path,
                                                    const std::string& bytes) = 0;
    // Opens a document (the user guide) in the program the system associates
    // with its kind, without waiting for it. Returns an error description
    // when nothing could open it.
    virtual std::optional<std::string> open_document(const std::string& path) = 0;
    // The whole file, or nullopt when it does not exist, cannot be read or is
    // larger than `max_bytes`.
    virtual std::optional<std::string> read_file(const std::string& path,
                                                 std::size_t max_bytes) = 0;
    // UTF-8 to the system's single-byte code page and back.
    virtual std::string to_codepage(const std::string& utf8) = 0;
    virtual std::string from_codepage(const std::string& bytes) = 0;

    // --- web ----------------------------------------------------------------
    // Starts a GET of `url`; never blocks. Several may be in flight. Each
    // times out after 10 seconds; bodies are capped at kReplyLimitBytes.
    virtual int fetch_start(const std::string& url) = 0;
    virtual bool fetch_done(int id) = 0;
    // The result of a finished request; the id is then forgotten.
    virtual FetchResult fetch_take(int id) = 0;
    // Stop waiting for a request: returns at once; a late reply is discarded.
    virtual void fetch_abandon(int id) = 0;

    // --- event loop ---------------------------------------------------------
    // Keeps the program's timers and input running until `done()` is true.
    // Used while waiting for web requests. `done` is checked before each event.
    virtual void pump_until(const std::function<bool()>& done) = 0;
};

}  // namespace tessaly
