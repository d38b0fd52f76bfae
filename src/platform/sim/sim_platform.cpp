#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/codepage.h"

namespace tessaly {

namespace fs = std::filesystem;

std::string sim_quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

SimPlatform::SimPlatform(std::string dir, std::string folder, std::string app_name)
    : dir_(std::move(dir)), folder_(std::move(folder)), app_name_(std::move(app_name)) {}

void SimPlatform::press(int code) { keys_[code].pressed_pending = true; }
void SimPlatform::hold(int code) {
    Key& k = keys_[code];
    k.pressed_pending = true;
    k.held = true;
}
void SimPlatform::release(int code) { keys_[code].held = false; }

std::vector<std::string> SimPlatform::top_level_titles() {
    std::vector<std::string> v;
    v.reserve(desktop.size());
    for (auto& w : desktop) v.push_back(w.title);
    return v;
}

PanelRead SimPlatform::read_panel(const std::string& title, int index) {
    PanelRead r;
    for (auto& w : desktop) {
        if (w.title != title) continue;
        if (!w.status_bar || index < 0 || index > 4) return r;
        const std::string& t = w.panels[index];
        size_t bytes = to_codepage(t).size();
        if (bytes == 0 || bytes >= 256) {
            r.status = PanelStatus::Empty;
        } else {
            r.status = PanelStatus::Text;
            r.text = t;
        }
        return r;
    }
    return r;
}

Foreground SimPlatform::foreground() {
    Foreground f;
    const std::string* title = nullptr;
    switch (front) {
        case Front::Nothing: return f;
        case Front::Program: f.kind = ForegroundKind::Program; return f;
        case Front::Typing: f.kind = ForegroundKind::Typing; return f;
        case Front::Default:
            if (desktop.empty()) {
                f.kind = ForegroundKind::Program;
                return f;
            }
            title = &desktop.front().title;
            break;
        case Front::Window: title = &front_title; break;
    }
    // The window, then its owners; a window closed while in front leaves nothing there.
    std::string t = *title;
    for (int depth = 0; depth < 8; ++depth) {
        auto w = std::find_if(desktop.begin(), desktop.end(),
                              [&](const SimWindow& d) { return d.title == t; });
        if (w == desktop.end()) break;
        f.kind = ForegroundKind::Other;
        f.titles.push_back(w->title);
        if (w->owner.empty()) break;
        t = w->owner;
    }
    return f;
}

std::uint16_t SimPlatform::async_key_state(int code) {
    auto it = keys_.find(code);
    if (it == keys_.end()) return 0;
    Key& k = it->second;
    if (k.pressed_pending) {
        k.pressed_pending = false;
        return 0x8001;
    }
    if (k.held) return 0x8000;
    keys_.erase(it);
    return 0;
}

std::string SimPlatform::get_setting(const std::string& app, const std::string& section,
                                     const std::string& key) {
    auto it = settings.find(app + "\\" + section + "\\" + key);
    return it == settings.end() ? std::string() : it->second;
}

void SimPlatform::save_setting(const std::string& app, const std::string& section,
                               const std::string& key, const std::string& value) {
    settings[app + "\\" + section + "\\" + key] = value;
}

bool SimPlatform::set_clipboard_text(const std::string& text) {
    clipboard = text;
    if (emit) emit("clipboard " + sim_quote(text));
    return true;
}

void SimPlatform::message_box(const std::string& title, const std::string& text, bool critical) {
    if (emit)
        emit(std::string("msgbox ") + (critical ? "critical " : "") + sim_quote(title) + " " +
             sim_quote(text));
    if (message_box_open) message_box_open();
}

std::optional<std::string> SimPlatform::play_sound(const std::string&) {
    if (emit) emit("sound");
    return std::nullopt;
}

void SimPlatform::beep() {
    if (emit) emit("beep");
}

std::optional<std::uint32_t> SimPlatform::choose_color() {
    if (colour_answers.empty()) return std::nullopt;
    auto a = colour_answers.front();
    colour_answers.pop_front();
    return a;
}

std::int64_t SimPlatform::utc_seconds() {
    return local_midnight_utc + clock_base.hour24 * 3600LL + clock_base.minute * 60LL +
           clock_base.second + (now_ms - clock_set_at_ms) / 1000;
}

ClockTime SimPlatform::local_time() {
    long long secs = clock_base.hour24 * 3600LL + clock_base.minute * 60LL + clock_base.second +
                     (now_ms - clock_set_at_ms) / 1000;
    secs %= 86400;
    ClockTime t = clock_base;
    t.hour24 = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs / 60 % 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

std::string SimPlatform::real_path(const std::string& program_path) const {
    std::string rest = program_path;
    if (rest.compare(0, folder_.size(), folder_) == 0) rest = rest.substr(folder_.size());
    for (char& c : rest)
        if (c == '\\') c = '/';
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    return (fs::path(dir_) / rest).string();
}

std::optional<long long> SimPlatform::file_size(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(real_path(path), ec);
    if (ec) return std::nullopt;
    return static_cast<long long>(n);
}

namespace {
std::string temp_of(const std::string& target) { return target + ".tmp"; }
}  // namespace

void SimPlatform::remove_stale_temp() {
    std::error_code ec;
    // The placefile's and the saved storms' (storms/storms_file.h names it).
    for (const char* name : {"\\korvel.txt", "\\storms.txt"})
        fs::remove(temp_of(real_path(folder_ + name)), ec);
}

std::optional<std::string> SimPlatform::replace_file(const std::string& path,
                                                     const std::string& bytes) {
    const std::string target = real_path(path);
    auto fail = [&](const char* why) {
        ++writes_failed;
        return std::optional<std::string>(why);
    };
    if (placefile_readonly || disk_fault == DiskFault::ReadOnly) return fail("Permission denied");
    if (disk_fault == DiskFault::Missing) return fail("Path not found");
    // Write beside the target, then rename over it: a reader sees the old or the new file.
    const std::string tmp = temp_of(target);
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) return fail("Path not found");
        size_t n = bytes.size();
        if (disk_fault == DiskFault::Full)
            n = std::min(n, static_cast<size_t>(std::max(0LL, disk_room)));
        f.write(bytes.data(), static_cast<std::streamsize>(n));
        f.flush();
        if (!f || n < bytes.size()) {
            f.close();
            std::remove(tmp.c_str());
            return fail("Disk full");
        }
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return fail("Permission denied");
    }
    if (on_write) on_write(path, bytes);
    return std::nullopt;
}

std::optional<std::string> SimPlatform::open_document(const std::string& path) {
    if (emit) emit("open " + sim_quote(path));
    return std::nullopt;
}

std::optional<std::string> SimPlatform::read_file(const std::string& path, std::size_t max_bytes) {
    const std::string real = real_path(path);
    std::error_code ec;
    auto n = fs::file_size(real, ec);
    if (ec || n > max_bytes) return std::nullopt;
    std::ifstream f(real, std::ios::binary);
    if (!f) return std::nullopt;
    std::string bytes(static_cast<size_t>(n), '\0');
    if (!f.read(bytes.data(), static_cast<std::streamsize>(n))) return std::nullopt;
    return bytes;
}

std::string SimPlatform::to_codepage(const std::string& utf8) { return utf8_to_cp1252(utf8); }
std::string SimPlatform::from_codepage(const std::string& bytes) { return cp1252_to_utf8(bytes); }

int SimPlatform::fetch_start(const std::string& url) {
    int id = next_fetch_id_++;
    if (emit) emit("fetch " + sim_quote(url));
    Pending p;
    if (real_web) {
        std::string u = url;
        size_t at = u.find("findNearbyPlaceName");
        if (!real_web_base.empty() && at != std::string::npos) u = real_web_base + u.substr(at);
        p.real = true;
        p.due_ms = real_web->start(u);  // the real id
    } else {
        if (!web_answers.empty()) {
            p.answer = web_answers.front();
            web_answers.pop_front();
        } else {
            p.answer.ok = false;
            p.answer.error = "Cannot connect to server";
        }
        p.due_ms = now_ms + p.answer.delay_ms;
    }
    fetches[id] = p;
    return id;
}

bool SimPlatform::fetch_done(int id) {
    auto it = fetches.find(id);
    if (it == fetches.end()) return true;
    if (it->second.real) return real_web->done(static_cast<int>(it->second.due_ms));
    return it->second.due_ms <= now_ms;
}

FetchResult SimPlatform::fetch_take(int id) {
    FetchResult r;
    auto it = fetches.find(id);
    if (it == fetches.end()) {
        r.error = "Request was cancelled";
        return r;
    }
    if (it->second.real) {
        r = real_web->take(static_cast<int>(it->second.due_ms));
    } else {
        const WebAnswer& a = it->second.answer;
        r.ok = a.ok;
        r.http_status = a.ok ? a.status : 0;
        r.body = a.body;
        r.error = a.error;
        r.error_number = a.ok ? 0 : 12029;
        if (r.ok && r.body.size() > kReplyLimitBytes) {  // as the real web layers do
            r = FetchResult{};
            r.error = kReplyTooLarge;
            r.error_number = kReplyTooLargeNumber;
        }
    }
    fetches.erase(it);
    return r;
}

void SimPlatform::fetch_abandon(int id) {
    auto it = fetches.find(id);
    if (it == fetches.end()) return;
    if (emit) emit("cancel");
    if (it->second.real) real_web->abandon(static_cast<int>(it->second.due_ms));
    fetches.erase(it);
}

long long SimPlatform::next_fetch_due() const {
    long long best = -1;
    // A reply already due but not yet taken is no event to wait for: counting
    // it stalled the clock when a timer fell due at the same moment.
    for (auto& [id, p] : fetches)
        if (!p.real && p.due_ms > now_ms && (best < 0 || p.due_ms < best)) best = p.due_ms;
    return best;
}

bool SimPlatform::real_fetch_out() const {
    for (auto& [id, p] : fetches)
        if (p.real) return true;
    return false;
}

void SimPlatform::pump_until(const std::function<bool()>& done) {
    if (pump) pump(done);
}

}  // namespace tessaly
