#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_web.h"
#include "platform/win32/windows_zones.h"
#include "zones/zones.h"

namespace tessaly {

using win32::acp_to_utf8;
using win32::narrow;
using win32::utf8_to_acp;
using win32::widen;

namespace {

// Status-bar messages (ANSI forms), as numbers so no common-controls header is needed.
constexpr UINT kSbGetTextA = 0x402;
constexpr UINT kSbGetTextLengthA = 0x403;
constexpr UINT kSbGetParts = 0x406;
// PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE
constexpr DWORD kProcessVmAccess = 0x38;
constexpr SIZE_T kRemoteBufferSize = 256;

// A buffer inside another process, released on every path out of the read.
class RemoteBuffer {
public:
    explicit RemoteBuffer(DWORD pid) {
        process_ = OpenProcess(kProcessVmAccess, FALSE, pid);
        if (process_)
            address_ = VirtualAllocEx(process_, nullptr, kRemoteBufferSize,
                                      MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool ok() const { return address_ != nullptr; }
    void* address() const { return address_; }
    HANDLE process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

}  // namespace

// The buffer of the last status bar read, kept for the next read of the same
// bar: allocating and freeing memory in another process costs that process a
// wake-up each (under Wine a round trip through it), and the live motion
// reads the bar up to sixty times a second.
struct win32::PanelBuffer {
    HWND bar = nullptr;
    DWORD pid = 0;
    RemoteBuffer remote;
    PanelBuffer(HWND b, DWORD p) : bar(b), pid(p), remote(p) {}
};

namespace {

std::string window_text_utf8(HWND hwnd) {
    int n = GetWindowTextLengthA(hwnd);
    if (n <= 0) return {};
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(hwnd, buf.data(), n + 1);
    buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return acp_to_utf8(buf);
}

struct TitleSearch {
    std::vector<std::string> titles;
    std::exception_ptr fault;  // thrown back once EnumWindows has returned
};

// Nothing may unwind through EnumWindows: a fault stops the search and is
// thrown again to the caller.
BOOL CALLBACK collect_title(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    try {
        search->titles.push_back(window_text_utf8(hwnd));
        return TRUE;
    } catch (...) {
        search->fault = std::current_exception();
        return FALSE;
    }
}

// FindWindowA compares titles without regard to case; the interface wants the exact one.
HWND find_exact_window(const std::string& title_acp) {
    HWND hwnd = FindWindowA(nullptr, title_acp.c_str());
    while (hwnd) {
        int n = GetWindowTextLengthA(hwnd);
        std::string buf(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
        int got = GetWindowTextA(hwnd, buf.data(), n + 1);
        buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
        if (buf == title_acp) return hwnd;
        hwnd = FindWindowExA(nullptr, hwnd, nullptr, title_acp.c_str());
    }
    return nullptr;
}

std::wstring settings_key(const std::string& app, const std::string& section) {
    return L"Software\\VB and VBA Program Settings\\" + widen(app) + L"\\" + widen(section);
}

std::wstring module_path() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::wstring locale_info(LCTYPE type) {
    wchar_t buf[16] = {};
    int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 16);
    return n > 1 ? std::wstring(buf, static_cast<size_t>(n) - 1) : std::wstring();
}

// Writes the whole file; false (GetLastError set) when any step fails. With
// `durable` the data is on the disk before the call returns, so that a rename
// over the old file cannot outlive the new content in a power loss.
bool write_whole_file(const std::wstring& path, const std::string& bytes, DWORD disposition,
                      DWORD share, bool durable) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(f, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    // In place, the old content beyond the new length goes only after the new content is in.
    if (ok) ok = SetEndOfFile(f) != 0;
    if (ok && durable) ok = FlushFileBuffers(f) != 0;
    DWORD err = ok ? 0 : GetLastError();
    CloseHandle(f);
    if (!ok) SetLastError(err);
    return ok;
}

}  // namespace

Win32Platform::Win32Platform() : web_(std::make_unique<win32::Web>()) {}
Win32Platform::~Win32Platform() { stop_key_hook(); }

// --- window manager ----------------------------------------------------------

bool Win32Platform::is_nt() {
    // The program's runtime needs the NT family, so only NT's cross-process
    // memory path is written; the older family's shared file-mapping path is left out.
    static const bool nt = [] {
        OSVERSIONINFOA vi{};
        vi.dwOSVersionInfoSize = sizeof vi;
        return GetVersionExA(&vi) && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return nt;
}

std::vector<std::string> Win32Platform::top_level_titles() {
    TitleSearch search;
    EnumWindows(collect_title, reinterpret_cast<LPARAM>(&search));
    if (search.fault) std::rethrow_exception(search.fault);
    return search.titles;
}

PanelRead Win32Platform::read_panel(const std::string& title, int index) {
    PanelRead r;
    if (!is_nt()) return r;
    HWND top = find_exact_window(utf8_to_acp(title));
    HWND bar = top ? FindWindowExA(top, nullptr, "msctls_statusbar32", nullptr) : nullptr;
    if (!bar) {
        panel_buffer_.reset();  // the viewer or its bar is gone
        return r;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    const bool known = panel_buffer_ && panel_buffer_->bar == bar && panel_buffer_->pid == pid &&
                       panel_buffer_->remote.ok();
    // Each message to the bar wakes the viewer: its parts are counted once,
    // at the first read of this bar (a bar that drops its parts later reads
    // as empty).
    if (!known) {
        panel_buffer_.reset();
        if (SendMessageA(bar, kSbGetParts, 0, 0) < 1) return r;
        panel_buffer_ = std::make_unique<win32::PanelBuffer>(bar, pid);
    }
    r.status = PanelStatus::Empty;
    RemoteBuffer& remote = panel_buffer_->remote;
    if (!remote.ok()) return r;
    auto length = static_cast<size_t>(
        LOWORD(SendMessageA(bar, kSbGetTextLengthA, static_cast<WPARAM>(index), 0)));
    if (length == 0 || length >= kRemoteBufferSize) return r;
    SendMessageA(bar, kSbGetTextA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(remote.address()));
    char local[kRemoteBufferSize] = {};
    SIZE_T got = 0;
    if (!ReadProcessMemory(remote.process(), remote.address(), local, length, &got) || got == 0)
        return r;
    std::string text(local, strnlen(local, got));
    if (text.empty()) return r;
    r.status = PanelStatus::Text;
    r.text = acp_to_utf8(text);
    return r;
}

// A field the user types into: an edit control that is not read-only.
static bool is_text_field(HWND h) {
    wchar_t cls[16] = {};
    if (!GetClassNameW(h, cls, 16) || lstrcmpiW(cls, L"Edit") != 0) return false;
    return (GetWindowLongW(h, GWL_STYLE) & ES_READONLY) == 0;
}

Foreground Win32Platform::foreground() {
    Foreground f;
    HWND h = GetForegroundWindow();
    if (!h) return f;
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == GetCurrentProcessId()) {
        // The focus is per thread; the program's windows all live on this one.
        HWND focus = GetFocus();
        f.kind = focus && is_text_field(focus) ? ForegroundKind::Typing : ForegroundKind::Program;
        return f;
    }
    f.kind = ForegroundKind::Other;
    for (int depth = 0; h && depth < 8; ++depth, h = GetWindow(h, GW_OWNER))
        f.titles.push_back(window_text_utf8(h));
    return f;
}

// --- settings store ------------------------------------------------------------

std::string Win32Platform::get_setting(const std::string& app, const std::string& section,
                                       const std::string& key) {
    std::wstring sub = settings_key(app, section), name = widen(key);
    for (int attempt = 0; attempt < 3; ++attempt) {  // the value may grow between the calls
        DWORD bytes = 0;
        LSTATUS st = RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                  nullptr, nullptr, &bytes);
        if (st != ERROR_SUCCESS) return {};
        std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        st = RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                          buf.data(), &bytes);
        if (st == ERROR_MORE_DATA) continue;
        if (st != ERROR_SUCCESS) return {};
        buf.resize(wcsnlen(buf.data(), bytes / sizeof(wchar_t)));
        return narrow(buf);
    }
    return {};
}

void Win32Platform::save_setting(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& value) {
    std::wstring sub = settings_key(app, section), name = widen(key), data = widen(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, sub.c_str(), name.c_str(), REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// --- user notifications --------------------------------------------------------

bool Win32Platform::set_clipboard_text(const std::string& text) {
    std::wstring w = widen(text);
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int attempt = 0; attempt < 5 && !open; ++attempt) {
        open = OpenClipboard(static_cast<HWND>(owner_)) != 0;
        if (!open) Sleep(10);
    }
    if (!open) return false;
    bool ok = false;
    if (EmptyClipboard()) {
        size_t bytes = (w.size() + 1) * sizeof(wchar_t);
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (mem) {
            if (void* p = GlobalLock(mem)) {
                std::memcpy(p, w.c_str(), bytes);
                GlobalUnlock(mem);
                ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
            }
            if (!ok) GlobalFree(mem);  // the clipboard owns it only on success
        }
    }
    CloseClipboard();
    return ok;
}

void Win32Platform::message_box(const std::string& title, const std::string& text, bool critical) {
    if (modal_hook_) modal_hook_(true);
    MessageBoxW(static_cast<HWND>(owner_), widen(text).c_str(), widen(title).c_str(),
                MB_OK | MB_TOPMOST | (critical ? MB_ICONERROR : 0u));
    if (modal_hook_) modal_hook_(false);
}

void Win32Platform::beep() { MessageBeep(MB_OK); }

// PlaySound started asynchronously reports only whether it could start, not
// whether anything was heard: the two common reasons it would not be (no
// output device, no file) are asked first, so the answer says which. Every
// answer goes to the debug output, where a spotter's "I heard nothing" can
// be checked with a debug viewer.
std::optional<std::string> Win32Platform::play_sound(const std::string& path) {
    const std::wstring file = widen(path);
    std::optional<std::string> why;
    if (waveOutGetNumDevs() == 0) why = "no sound device";
    else if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        why = "the file is missing";
    else if (!PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT))
        why = "the file cannot be played";
    if (why) MessageBeep(MB_ICONEXCLAMATION);
    OutputDebugStringW(
        widen("Tessaly: sound " + path + ": " + (why ? "not played, " + *why : "played") + "\n")
            .c_str());
    return why;
}

std::optional<std::uint32_t> Win32Platform::choose_color() {
    COLORREF custom[16] = {};  // sixteen black custom colours
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = static_cast<HWND>(owner_);
    cc.lpCustColors = custom;
    if (modal_hook_) modal_hook_(true);
    BOOL chosen = ChooseColorW(&cc);
    if (modal_hook_) modal_hook_(false);
    if (!chosen) return std::nullopt;
    return static_cast<std::uint32_t>(cc.rgbResult);
}

// --- clock and locale ----------------------------------------------------------

ClockTime Win32Platform::local_time() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    ClockTime t;
    t.hour24 = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.twelve_hour = locale_info(LOCALE_ITIME) == L"0";
    return t;
}

std::int64_t Win32Platform::utc_seconds() {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    // 100 ns ticks since 1601-01-01; 11644473600 s lie between 1601 and 1970.
    return static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

std::string Win32Platform::time_zone() {
    DYNAMIC_TIME_ZONE_INFORMATION d{};
    if (GetDynamicTimeZoneInformation(&d) == TIME_ZONE_ID_INVALID) return {};
    if (!d.DynamicDaylightTimeDisabled) {
        const char* iana = win32::iana_of_windows_zone(narrow(d.TimeZoneKeyName));
        if (iana && zones::find_zone(iana)) return iana;
    }
    TIME_ZONE_INFORMATION tzi{};
    tzi.Bias = d.Bias;
    tzi.StandardDate = d.StandardDate;
    tzi.StandardBias = d.StandardBias;
    tzi.DaylightDate = d.DaylightDate;
    tzi.DaylightBias = d.DaylightBias;
    // "Adjust for daylight saving time automatically" off: the clock keeps
    // standard time all year.
    if (d.DynamicDaylightTimeDisabled) tzi.DaylightDate.wMonth = 0;
    std::string rule = win32::posix_rule_of(tzi);
    return zones::find_zone(rule) ? rule : std::string();
}

namespace win32 {

const char* iana_of_windows_zone(std::string_view key_name) {
    const WindowsZone* end = kWindowsZones + kWindowsZoneCount;
    const WindowsZone* hit = std::lower_bound(
        kWindowsZones, end, key_name,
        [](const WindowsZone& z, std::string_view key) { return std::string_view(z.key) < key; });
    return hit != end && key_name == hit->key ? hit->iana : nullptr;
}

namespace {

// Minutes west of UTC as POSIX writes an offset: "6", "-5:30".
std::string posix_offset(long minutes_west) {
    long a = minutes_west < 0 ? -minutes_west : minutes_west;
    std::string t = (minutes_west < 0 ? "-" : "") + std::to_string(a / 60);
    if (a % 60) {
        char b[8];
        std::snprintf(b, sizeof b, ":%02ld", a % 60);
        t += b;
    }
    return t;
}

// The numeric abbreviation tzdata gives a zone without a name: "<-06>", "<+0530>".
std::string numeric_name(long minutes_west) {
    long east = -minutes_west, a = east < 0 ? -east : east;
    char b[16];
    if (a % 60) std::snprintf(b, sizeof b, "<%c%02ld%02ld>", east < 0 ? '-' : '+', a / 60, a % 60);
    else std::snprintf(b, sizeof b, "<%c%02ld>", east < 0 ? '-' : '+', a / 60);
    return b;
}

// A change's day and local time: "M3.2.0" (wDay is the week, 5 the last),
// "/h[:mm[:ss]]" unless POSIX's default 02:00. A date with its year (a rule
// for that year only) becomes its day of the year, leap days not counted.
std::string posix_change(const SYSTEMTIME& st) {
    char b[32];
    if (st.wYear == 0) {
        std::snprintf(b, sizeof b, "M%u.%u.%u", st.wMonth, st.wDay, st.wDayOfWeek);
    } else {
        static const int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
        std::snprintf(b, sizeof b, "J%d", kBefore[(st.wMonth - 1) % 12] + st.wDay);
    }
    std::string t = b;
    // Windows ends some days at 23:59:59.999: that is midnight.
    long secs = st.wHour * 3600L + st.wMinute * 60L + st.wSecond + (st.wMilliseconds >= 500);
    if (secs != 2 * 3600) {
        t += "/" + std::to_string(secs / 3600);
        if (secs % 3600) {
            std::snprintf(b, sizeof b, ":%02ld", secs / 60 % 60);
            t += b;
        }
        if (secs % 60) {
            std::snprintf(b, sizeof b, ":%02ld", secs % 60);
            t += b;
        }
    }
    return t;
}

}  // namespace

std::string posix_rule_of(const TIME_ZONE_INFORMATION& tzi) {
    long standard = tzi.Bias + tzi.StandardBias, daylight = tzi.Bias + tzi.DaylightBias;
    std::string rule = numeric_name(standard) + posix_offset(standard);
    if (tzi.DaylightDate.wMonth == 0 || tzi.StandardDate.wMonth == 0) return rule;
    rule += numeric_name(daylight);
    if (daylight != standard - 60) rule += posix_offset(daylight);
    return rule + "," + posix_change(tzi.DaylightDate) + "," + posix_change(tzi.StandardDate);
}

}  // namespace win32

std::string Win32Platform::thousands_separator() { return narrow(locale_info(LOCALE_STHOUSAND)); }

// --- files ---------------------------------------------------------------------

std::string Win32Platform::program_folder() {
    std::wstring p = module_path();
    size_t slash = p.find_last_of(L"\\/");
    return narrow(slash == std::wstring::npos ? std::wstring() : p.substr(0, slash));
}

std::string Win32Platform::application_name() {
    std::wstring p = module_path();
    size_t slash = p.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? p : p.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return narrow(name);
}

std::optional<long long> Win32Platform::file_size(const std::string& path) {
    HANDLE f = CreateFileW(widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) != 0;
    CloseHandle(f);
    if (!ok) return std::nullopt;
    return static_cast<long long>(size.QuadPart);
}

std::optional<std::string> Win32Platform::read_file(const std::string& path,
                                                    std::size_t max_bytes) {
    HANDLE f = CreateFileW(widen(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> out;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart >= 0 &&
        static_cast<unsigned long long>(size.QuadPart) <= max_bytes) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        size_t got = 0;
        while (got < bytes.size()) {
            DWORD n = 0;
            DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 24));
            if (!ReadFile(f, bytes.data() + got, want, &n, nullptr) || n == 0) break;
            got += n;
        }
        if (got == bytes.size()) out = std::move(bytes);
    }
    CloseHandle(f);
    return out;
}

void Win32Platform::remove_stale_temp() {
    // The placefile's and the saved storms' (storms/storms_file.h names it).
    for (const char* name : {"\\korvel.txt.tmp", "\\storms.txt.tmp"})
        DeleteFileW(widen(program_folder() + name).c_str());
}

std::optional<std::string> Win32Platform::replace_file(const std::string& path,
                                                       const std::string& bytes) {
    std::wstring target = widen(path), tmp = target + L".tmp";
    if (!write_whole_file(tmp, bytes, CREATE_ALWAYS, 0, true)) {
        DWORD err = GetLastError();
        DeleteFileW(tmp.c_str());
        return win32::error_text(err);
    }
    // A reader that holds the file open makes the rename fail (Wine refuses
    // it whatever the reader's sharing) until the reader closes it. Retry
    // often: a viewer re-reading in a loop leaves only brief gaps, and an
    // in-place write is what a reader could catch half-done.
    const ULONGLONG give_up = GetTickCount64() + 200;
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(tmp.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return std::nullopt;
        if (GetTickCount64() >= give_up) break;
        if (attempt >= 8) Sleep(1);
    }
    // Still held: overwrite in place, which a reader sharing the file allows.
    bool ok =
        write_whole_file(target, bytes, OPEN_ALWAYS, FILE_SHARE_READ | FILE_SHARE_WRITE, true);
    DWORD err = ok ? 0 : GetLastError();
    DeleteFileW(tmp.c_str());
    if (!ok) return win32::error_text(err);
    return std::nullopt;
}

std::optional<std::string> Win32Platform::open_document(const std::string& path) {
    const std::wstring file = widen(path);
    HWND owner = static_cast<HWND>(owner_);
    SetLastError(0);
    auto r = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // A system without a program for the file's type (a 64-bit-only Wine
    // prefix has none for .txt) still has Notepad.
    if (r == SE_ERR_NOASSOC || r == SE_ERR_ASSOCINCOMPLETE) {
        const std::wstring quoted = L"\"" + file + L"\"";
        SetLastError(0);
        r = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, L"open", L"notepad.exe", quoted.c_str(), nullptr, SW_SHOWNORMAL));
    }
    if (r > 32) return std::nullopt;
    DWORD err = GetLastError();
    // Below 32 the result itself is the reason.
    std::string why = win32::error_text(err ? err : static_cast<DWORD>(r));
    if (size_t at = why.find("%1"); at != std::string::npos) why.replace(at, 2, path);
    return why;
}

std::string Win32Platform::to_codepage(const std::string& utf8) { return utf8_to_acp(utf8); }
std::string Win32Platform::from_codepage(const std::string& bytes) { return acp_to_utf8(bytes); }

// --- web -----------------------------------------------------------------------

int Win32Platform::fetch_start(const std::string& url) { return web_->start(url); }
bool Win32Platform::fetch_done(int id) { return web_->done(id); }
FetchResult Win32Platform::fetch_take(int id) { return web_->take(id); }
void Win32Platform::fetch_abandon(int id) { web_->abandon(id); }

// --- event loop ----------------------------------------------------------------

void Win32Platform::pump_until(const std::function<bool()>& done) {
    bool quit = false;
    WPARAM quit_code = 0;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (!done() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // belongs to the outer loop: hand it back afterwards
                quit = true;
                quit_code = msg.wParam;
                continue;
            }
            if (message_filter_) {
                // A copy: the filter may replace itself while it runs.
                auto filter = message_filter_;
                if (filter(&msg)) continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace tessaly
