#include "platform/sim/simulator.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "core/codepage.h"
#include "core/failure.h"
#include "online/frm_new_eta.h"
#include "platform/sim/real_web.h"
#include "zones/zones.h"

namespace tessaly {

namespace fs = std::filesystem;

namespace {

struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Token {
    std::string text;
    bool quoted = false;
    size_t end = 0;  // offset in the line just past the token
};

std::vector<Token> tokenize(const std::string& line) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        Token t;
        if (line[i] == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    char e = line[i++];
                    switch (e) {
                        case 'r': t.text += '\r'; break;
                        case 'n': t.text += '\n'; break;
                        case 't': t.text += '\t'; break;
                        case '"': t.text += '"'; break;
                        case '\\': t.text += '\\'; break;
                        default: throw ScriptError(std::string("unknown escape \\") + e);
                    }
                } else {
                    t.text += c;
                }
            }
            if (!closed) throw ScriptError("unterminated string");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') t.text += line[i++];
        }
        t.end = i;
        out.push_back(std::move(t));
    }
    return out;
}

long long to_int(const std::string& s) {
    try {
        size_t used = 0;
        long long v = std::stoll(s, &used);
        if (used != s.size()) throw ScriptError("not a number: " + s);
        return v;
    } catch (const std::logic_error&) {
        throw ScriptError("not a number: " + s);
    }
}

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw ScriptError("cannot read " + path);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

const char* kIconBytes = "\x89PNG\r\n\x1a\n";  // placeholder icon file for the check

}  // namespace

Simulator::Simulator(std::string dir, std::string folder, std::ostream& out) : out_(out) {
    platform_ = std::make_unique<SimPlatform>(std::move(dir), std::move(folder), "Tessaly");
    platform_->emit = [this](const std::string& l) { emit(l); };
    platform_->pump = [this](const std::function<bool()>& done) { pump(done); };
    // A message box runs a message loop: what is due fires while it is open.
    platform_->message_box_open = [this] {
        dispatcher_.modal(true);
        if (!start_pending_) advance(msgbox_open_ms_);
        dispatcher_.modal(false);
        if (msgbox_open_ms_ > 0) emit("msgbox closed");
    };
    dispatcher_.let_through([](const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const ScriptError&) {
            return true;
        } catch (...) {
            return false;
        }
    });
    dispatcher_.set_report([this](const std::string& text, bool critical) {
        platform_->message_box(kMessageTitle, text, critical);
    });
}

Simulator::~Simulator() = default;

void Simulator::emit(const std::string& line) { out_ << line << '\n'; }

void Simulator::visibility_changed(Window& w) { emit((w.visible ? "show " : "hide ") + w.name); }
void Simulator::start_drag(Window& w) { emit("drag " + w.name); }
void Simulator::program_ended() { emit("exit"); }
void Simulator::alert(Window&, const std::string& text) { emit("alert " + sim_quote(text)); }

void Simulator::start_program() {
    std::error_code ec;
    fs::create_directories(platform_->dir(), ec);
    put_icon();
    platform_->remove_stale_temp();
    running_timers_.clear();
    app_ = std::make_unique<App>(*platform_, *this);
    dispatcher_.deliver(app_.get(), [this] { app_->start(); });
}

void Simulator::restart_program() {
    // Delivered whatever runs: the program ends for the restart.
    if (app_ && !app_->ended())
        dispatcher_.deliver(nullptr, [this] { app_->frmMain().Form_Unload(); });
    start_when_unwound();
}

void Simulator::start_when_unwound() {
    if (in_program()) {
        if (!start_pending_) ++deferred_starts;
        start_pending_ = true;
        return;
    }
    start_pending_ = false;
    start_program();
}

void Simulator::settle() {
    if (start_pending_ && !in_program()) start_when_unwound();
}

void Simulator::sync_timers() {
    if (!app_ || app_->ended()) {
        running_timers_.clear();
        return;
    }
    std::vector<RunningTimer> now_enabled;
    for (Timer* t : app_->timers()) {
        if (!t->enabled) continue;
        auto known = std::find_if(running_timers_.begin(), running_timers_.end(),
                                  [t](const RunningTimer& r) { return r.timer == t; });
        // A timer switched on starts its interval anew.
        now_enabled.push_back(known != running_timers_.end()
                                  ? *known
                                  : RunningTimer{t, platform_->now_ms + t->interval_ms});
    }
    running_timers_ = std::move(now_enabled);
}

bool Simulator::step(long long limit) {
    sync_timers();
    long long best = std::numeric_limits<long long>::max();
    long long f = platform_->next_fetch_due();
    if (f > platform_->now_ms) best = f;
    const Scheduled* sched = nullptr;
    for (auto& s : scheduled_)
        if (s.due_ms < best || (s.due_ms == best && sched == nullptr && s.due_ms != f)) {
            if (!sched || s.due_ms < sched->due_ms ||
                (s.due_ms == sched->due_ms && s.seq < sched->seq))
                sched = &s;
        }
    if (sched && sched->due_ms < best) best = sched->due_ms;
    RunningTimer* timer = nullptr;
    for (RunningTimer& t : running_timers_)
        if (t.due_ms < best || (!timer && t.due_ms == best && sched == nullptr && best != f)) {
            if (!timer || t.due_ms < timer->due_ms) timer = &t;
        }
    if (timer && timer->due_ms < best) best = timer->due_ms;
    if (best == std::numeric_limits<long long>::max() || best > limit) return false;
    if (best > platform_->now_ms) platform_->now_ms = best;

    if (f == best) return true;  // a fetch completes: time has moved, nothing to fire
    if (sched && sched->due_ms == best) {
        std::string line = sched->line;
        long long seq = sched->seq;
        scheduled_.erase(std::remove_if(scheduled_.begin(), scheduled_.end(),
                                        [seq](const Scheduled& s) { return s.seq == seq; }),
                         scheduled_.end());
        command(line);
        return true;
    }
    if (timer) {
        timer->due_ms += std::max(1, timer->timer->interval_ms);
        fire(*timer->timer);
    }
    return true;
}

void Simulator::fire(Timer& t) {
    if (t.tick) dispatcher_.deliver(&t, t.tick);
}

void Simulator::advance(long long ms) {
    long long target = platform_->now_ms + ms;
    for (;;) {
        settle();
        // Inside the program a pending start ends this loop (a message box
        // closes) so that the handlers below can return first.
        if (start_pending_) return;
        if (!step(target)) break;
    }
    // A restart the last step asked for starts now that it has returned.
    settle();
    if (platform_->now_ms < target) platform_->now_ms = target;
}

void Simulator::pump(const std::function<bool()>& done) {
    ++depth_;
    while (!done() && !start_pending_) {
        if (platform_->real_fetch_out()) {
            // Real requests take real time: let virtual time follow the clock.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            advance(1);
            continue;
        }
        if (!step(std::numeric_limits<long long>::max())) break;
    }
    --depth_;
}

Timer* Simulator::find_timer(const std::string& name) {
    if (!app_) return nullptr;
    std::string qualified = name;
    if (qualified.rfind("frmMain.", 0) == 0) qualified = qualified.substr(8);
    if (qualified == "find_gr" || qualified == "find_keys" || qualified == "find_distance") {
    } else if (name == "find_gr" || name == "find_keys" || name == "find_distance") {
        // main window timers
    } else if (name.find('.') == std::string::npos) {
        return nullptr;
    } else {
        // WINDOW.Timer1: make sure the window exists
        app_->window(name.substr(0, name.find('.')));
    }
    for (Timer* t : app_->timers())
        if (t->name == qualified) return t;
    return nullptr;
}

int Simulator::key_code(const std::string& w) {
    if (w.size() > 1 && w[0] == '#') {
        long long v = to_int(w.substr(1));
        if (v < 1 || v > 255) throw ScriptError("key code out of range: " + w);
        return static_cast<int>(v);
    }
    if (w.size() != 1) throw ScriptError("a key is one character or #NN: " + w);
    char c = w[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);  // one key, one code
    return static_cast<unsigned char>(c);
}

void Simulator::print_settings() {
    std::string prefix = platform_->application_name() + "\\" + kSettingsSection + "\\";
    for (auto& [k, v] : platform_->settings)
        if (k.compare(0, prefix.size(), prefix) == 0)
            emit("setting " + k.substr(prefix.size()) + " = " + sim_quote(v));
}

// "placefile", or "file:NAME" for another file of the program folder: one
// line each, then the count and, when any line ends in a bare LF, that.
void Simulator::print_file(const std::string& what) {
    const std::string name = what == "placefile" ? "korvel.txt" : what.substr(5);
    std::string path = platform_->real_path(platform_->program_folder() + "\\" + name);
    if (!fs::exists(path)) {
        emit(what + " missing");
        return;
    }
    std::string bytes = read_file(path);
    size_t pos = 0, n = 0;
    bool lf = false;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        std::string line;
        if (nl == std::string::npos) {
            line = bytes.substr(pos);
            pos = bytes.size();
            lf = true;
        } else {
            line = bytes.substr(pos, nl - pos);
            pos = nl + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            else lf = true;
        }
        // The placefile is in the code page; the program's own other files are UTF-8.
        emit(what + "[" + std::to_string(n++) +
             "] = " + sim_quote(what == "placefile" ? cp1252_to_utf8(line) : line));
    }
    emit(what + ".count = " + std::to_string(n));
    if (lf) emit(what + ".lineends = LF");
}

// WINDOW.visible, WINDOW.caption, WINDOW.tag (where no control has that
// name); false when `field` is none of them.
bool Simulator::print_window_field(const std::string& what, Window& w, const std::string& field) {
    if (field == "visible") emit(what + " = " + (w.visible ? "true" : "false"));
    else if (field == "caption" && !w.control("caption")) emit(what + " = " + sim_quote(w.caption));
    else if (field == "tag" && !w.control("tag")) emit(what + " = " + sim_quote(w.tag));
    else return false;
    return true;
}

void Simulator::print_control_property(const std::string& what, const Control& c,
                                       const std::string& property) {
    if (property == "enabled") emit(what + " = " + (c.enabled ? "true" : "false"));
    else if (property == "visible") emit(what + " = " + (c.visible ? "true" : "false"));
    else if (property == "tooltip") emit(what + " = " + sim_quote(c.tooltip));
    else throw ScriptError("unknown property " + property);
}

void Simulator::print_control(const std::string& what, const Control& c) {
    switch (c.kind) {
        case ControlKind::Check:
        case ControlKind::Option:
        case ControlKind::Menu: emit(what + " = " + (c.checked ? "checked" : "unchecked")); break;
        case ControlKind::List: {
            if (!c.columns.empty()) {
                std::string headers;
                for (const std::string& h : c.columns) headers += (headers.empty() ? "" : "\t") + h;
                emit(what + ".columns = " + sim_quote(headers));
            }
            for (size_t i = 0; i < c.items.size(); ++i)
                emit(what + "[" + std::to_string(i) + "] = " + sim_quote(c.items[i]));
            emit(what + ".count = " + std::to_string(c.items.size()));
            // Only a list with a highlighted row says so (lists without one print as before).
            if (c.selected_row >= 0) emit(what + ".selected = " + std::to_string(c.selected_row));
            break;
        }
        default: emit(what + " = " + sim_quote(c.text));
    }
}

void Simulator::print(const std::vector<std::string>& a) {
    if (a.size() != 1) throw ScriptError("print takes one argument");
    const std::string& what = a[0];
    if (what == "settings") return print_settings();
    if (what == "placefile" || what.rfind("file:", 0) == 0) return print_file(what);
    if (!app_) throw ScriptError("the program has not started");
    std::vector<std::string> parts;
    std::stringstream ss(what);
    for (std::string p; std::getline(ss, p, '.');) parts.push_back(p);
    if (parts.size() < 2) throw ScriptError("print WINDOW.FIELD");

    // TIMER.enabled / WINDOW.Timer1.enabled
    if (parts.back() == "enabled") {
        if (Timer* t = find_timer(what.substr(0, what.size() - 8))) {
            emit(what + " = " + (t->enabled ? "true" : "false"));
            return;
        }
    }
    Window* w = app_->window(parts[0]);
    if (!w) throw ScriptError("unknown window " + parts[0]);
    if (parts.size() == 2 && print_window_field(what, *w, parts[1])) return;
    Control* c = w->control(parts[1]);
    if (!c) throw ScriptError("unknown control " + parts[0] + "." + parts[1]);
    if (parts.size() == 3) return print_control_property(what, *c, parts[2]);
    if (parts.size() != 2) throw ScriptError("print WINDOW.FIELD");
    print_control(what, *c);
}

// One script line, split into its words.
struct Simulator::Line {
    const std::string& text;
    std::vector<Token> tk;

    const std::string& cmd() const { return tk[0].text; }
    size_t size() const { return tk.size(); }
    const std::string& arg(size_t i) const {
        if (i >= tk.size()) throw ScriptError("missing argument for " + cmd());
        return tk[i].text;
    }
    // Word i is the bare word `word` (not the same text in quotes).
    bool bare(size_t i, const char* word) const {
        return !tk[i < tk.size() ? i : 0].quoted && arg(i) == word;
    }
};

App& Simulator::need_app() {
    if (!app_) throw ScriptError("the program has not started");
    return *app_;
}

Control* Simulator::target(const std::string& t) {
    size_t dot = t.find('.');
    if (dot == std::string::npos) throw ScriptError("expected WINDOW.CONTROL: " + t);
    Window* w = need_app().window(t.substr(0, dot));
    if (!w) throw ScriptError("unknown window " + t.substr(0, dot));
    Control* c = w->control(t.substr(dot + 1));
    if (!c) throw ScriptError("unknown control " + t);
    return c;
}

void Simulator::put_icon() {
    std::string icon = platform_->real_path(platform_->program_folder() + "\\stormtrack.png");
    std::error_code ec;
    if (icon_present_) {
        fs::create_directories(platform_->dir(), ec);
        if (!fs::exists(icon)) std::ofstream(icon, std::ios::binary) << kIconBytes;
    } else {
        fs::remove(icon, ec);
    }
}

void Simulator::do_setting(const Line& l) {
    platform_->save_setting(platform_->application_name(), kSettingsSection, l.arg(1), l.arg(2));
}

void Simulator::do_icon(const Line& l) {
    if (l.arg(1) == "absent") icon_present_ = false;
    else if (l.arg(1) == "present") icon_present_ = true;
    else throw ScriptError("icon absent|present");
    put_icon();
}

void Simulator::do_clock(const Line& l) {
    static const char kUsage[] =
        "clock HH:MM:SS [12h|24h] | clock YYYY-MM-DD HH:MM:SS 12h|24h ZONE";
    // The short form keeps the default day and zone.
    bool dated = l.size() >= 5;
    int y = 2026, mo = 6, d = 1, h = 0, m = 0, s = 0;
    char end = 0;
    if (dated && (std::sscanf(l.arg(1).c_str(), "%d-%d-%d%c", &y, &mo, &d, &end) != 3 || mo < 1 ||
                  mo > 12 || d < 1 || d > 31))
        throw ScriptError(kUsage);
    const std::string& t = l.arg(dated ? 2 : 1);
    if (std::sscanf(t.c_str(), "%d:%d:%d", &h, &m, &s) != 3 || h < 0 || h > 23 || m < 0 || m > 59 ||
        s < 0 || s > 59)
        throw ScriptError(kUsage);
    bool twelve = true;
    if (l.size() > (dated ? 3u : 2u)) {
        const std::string& f = l.arg(dated ? 3 : 2);
        if (f == "12h") twelve = true;
        else if (f == "24h") twelve = false;
        else throw ScriptError(kUsage);
    }
    std::string zone_name = dated ? l.arg(4) : "America/Chicago";
    auto zone = zones::find_zone(zone_name);
    if (!zone) throw ScriptError("clock: unknown time zone " + zone_name);
    // 2026-02-30 would quietly be March the 2nd.
    zones::LocalTime day = zones::Zone().local(zones::Zone().utc_of(y, mo, d, 0, 0, 0));
    if (day.month != mo || day.day != d) throw ScriptError("clock: no such day " + l.arg(1));
    long long secs_of_day = h * 3600LL + m * 60LL + s;
    platform_->local_midnight_utc = zone->utc_of(y, mo, d, h, m, s) - secs_of_day;
    platform_->zone_name = zone_name;
    platform_->clock_base = ClockTime{h, m, s, twelve};
    platform_->clock_set_at_ms = platform_->now_ms;
}

void Simulator::desktop_foreground(const Line& l) {
    using F = SimPlatform::Front;
    const std::string& what = l.arg(2);
    if (l.tk[2].quoted) {
        platform_->front = F::Window;
        platform_->front_title = what;
    } else if (what == "none") {
        platform_->front = F::Nothing;
    } else if (what == "program") {
        platform_->front = l.size() > 3 && l.arg(3) == "typing" ? F::Typing : F::Program;
    } else if (what == "default") {
        platform_->front = F::Default;
    } else {
        throw ScriptError("desktop foreground \"TITLE\"|none|program [typing]|default");
    }
}

void Simulator::desktop_panel(const Line& l) {
    std::string title = l.arg(2);
    bool found = false;
    for (auto& w : platform_->desktop) {
        if (w.title != title) continue;
        found = true;
        if (l.bare(3, "none")) {
            w.status_bar = false;
        } else {
            w.status_bar = true;
            w.panels[4] = l.arg(3);
        }
    }
    if (!found) throw ScriptError("no desktop window titled " + title);
}

void Simulator::do_desktop(const Line& l) {
    const std::string& sub = l.arg(1);
    if (sub == "add") {
        SimPlatform::SimWindow w;
        w.title = l.arg(2);
        if (l.size() > 3) {
            if (l.arg(3) != "owner") throw ScriptError("desktop add \"TITLE\" [owner \"OWNER\"]");
            w.owner = l.arg(4);
        }
        platform_->desktop.push_back(w);
    } else if (sub == "foreground") {
        desktop_foreground(l);
    } else if (sub == "remove") {
        auto& d = platform_->desktop;
        std::string title = l.arg(2);
        d.erase(std::remove_if(d.begin(), d.end(),
                               [&](const SimPlatform::SimWindow& w) { return w.title == title; }),
                d.end());
    } else if (sub == "panel") {
        desktop_panel(l);
    } else {
        throw ScriptError("desktop add|remove|panel|foreground");
    }
}

// file NAME "CONTENT" | file NAME remove: a file in the program folder
// (NAME as the program names it below its folder: citydatabase\X.txt).
void Simulator::do_file(const Line& l) {
    const std::string real = platform_->real_path(platform_->program_folder() + "\\" + l.arg(1));
    std::error_code ec;
    if (l.bare(2, "remove")) {
        fs::remove(real, ec);
    } else {
        fs::create_directories(fs::path(real).parent_path(), ec);
        std::ofstream(real, std::ios::binary | std::ios::trunc) << l.arg(2);
    }
}

void Simulator::do_msgbox(const Line& l) {
    if (l.arg(1) != "open") throw ScriptError("msgbox open MS");
    msgbox_open_ms_ = to_int(l.arg(2));
    if (msgbox_open_ms_ < 0) throw ScriptError("msgbox open MS");
}

void Simulator::do_placefile(const Line& l) {
    if (l.arg(1) == "readonly") platform_->placefile_readonly = true;
    else if (l.arg(1) == "writable") platform_->placefile_readonly = false;
    else throw ScriptError("placefile readonly|writable");
}

// fault disk full [BYTES] | readonly | missing | off
void Simulator::do_fault(const Line& l) {
    using F = SimPlatform::DiskFault;
    if (l.arg(1) != "disk") throw ScriptError("fault disk full|readonly|missing|off");
    const std::string& what = l.arg(2);
    if (what == "full") {
        platform_->disk_fault = F::Full;
        platform_->disk_room = l.size() > 3 ? to_int(l.arg(3)) : 0;
    } else if (what == "readonly") {
        platform_->disk_fault = F::ReadOnly;
    } else if (what == "missing") {
        platform_->disk_fault = F::Missing;
    } else if (what == "off") {
        platform_->disk_fault = F::None;
    } else {
        throw ScriptError("fault disk full|readonly|missing|off");
    }
}

void Simulator::do_colordialog(const Line& l) {
    if (l.arg(1) == "cancel") {
        platform_->colour_answers.push_back(std::nullopt);
    } else {
        long long r = to_int(l.arg(1)), g = to_int(l.arg(2)), b = to_int(l.arg(3));
        platform_->colour_answers.push_back(static_cast<std::uint32_t>(r + g * 256 + b * 65536));
    }
}

void Simulator::web_answer(const Line& l) {
    SimPlatform::WebAnswer a;
    if (l.arg(1) == "reply") {
        a.body = read_file((fs::path(script_dir_) / l.arg(2)).string());
    } else {
        a.ok = false;
        a.error = l.arg(2);
    }
    for (size_t i = 3; i < l.size(); i += 2) {
        if (l.tk[i].text == "delay") a.delay_ms = to_int(l.arg(i + 1));
        else if (l.tk[i].text == "status") a.status = static_cast<int>(to_int(l.arg(i + 1)));
        else throw ScriptError("web reply FILE [status CODE] [delay MS]");
    }
    platform_->web_answers.push_back(a);
}

void Simulator::do_web(const Line& l) {
    const std::string& sub = l.arg(1);
    if (sub == "reply" || sub == "fail") {
        web_answer(l);
    } else if (sub == "server") {
        platform_->real_web = make_real_web();
        if (!platform_->real_web) throw ScriptError("real web requests are not available");
        platform_->real_web_base = l.arg(2);
        if (!platform_->real_web_base.empty() && platform_->real_web_base.back() != '/')
            platform_->real_web_base += '/';
    } else {
        throw ScriptError("web reply|fail|server");
    }
}

void Simulator::do_start(const Line&) {
    if ((app_ && !app_->ended()) || start_pending_) throw ScriptError("the program is running");
    start_when_unwound();
}

void Simulator::do_restart(const Line&) {
    need_app();
    restart_program();
}

void Simulator::do_key(const Line& l) {
    int code = key_code(l.arg(1));
    if (l.cmd() == "press") platform_->press(code);
    else if (l.cmd() == "hold") platform_->hold(code);
    else platform_->release(code);
}

void Simulator::do_tick(const Line& l) {
    need_app();
    Timer* t = find_timer(l.arg(1));
    if (!t) throw ScriptError("unknown timer " + l.arg(1));
    long long n = l.size() > 2 ? to_int(l.arg(2)) : 1;
    for (long long i = 0; i < n; ++i) {
        if (!t->enabled || app_->ended()) break;
        fire(*t);
    }
}

void Simulator::do_wait(const Line& l) { advance(to_int(l.arg(1))); }

void Simulator::do_schedule(const Line& l) {
    long long ms = to_int(l.arg(1));
    if (l.size() < 3) throw ScriptError("schedule MS COMMAND");
    scheduled_.push_back({platform_->now_ms + ms, seq_++, l.text.substr(l.tk[1].end)});
}

// click, select ROW, dblclick ROW: as the user does on screen.
void Simulator::do_click(const Line& l) {
    const std::string& cmd = l.cmd();
    Control* c = target(l.arg(1));
    long long row = -1;
    if (cmd != "click") {
        if (c->kind != ControlKind::List) throw ScriptError(cmd + " needs a list: " + l.arg(1));
        row = to_int(l.arg(2));
        if (row < 0 || row >= static_cast<long long>(c->items.size()))
            throw ScriptError("no row " + l.arg(2) + " in " + l.arg(1));
    }
    if (!c->enabled) return;  // a disabled control takes no clicks
    dispatcher_.deliver(c, [c, row, dbl = cmd == "dblclick", click = cmd == "click"] {
        if (click) {
            c->click();
            return;
        }
        // A double-click highlights its row first, as on screen.
        c->select(static_cast<int>(row));
        if (dbl && c->on_dblclick) c->on_dblclick();
    });
}

void Simulator::do_type(const Line& l) {
    Control* c = target(l.arg(1));
    const std::string text = l.arg(2);
    dispatcher_.deliver(c, [c, &text] { c->set_text(text); });
}

void Simulator::do_close(const Line& l) {
    Window* w = need_app().window(l.arg(1));
    if (!w) throw ScriptError("unknown window " + l.arg(1));
    dispatcher_.deliver(w, [w] { w->close_request(); });
}

void Simulator::do_print(const Line& l) {
    std::vector<std::string> rest;
    for (size_t i = 1; i < l.size(); ++i) rest.push_back(l.tk[i].text);
    print(rest);
}

void Simulator::command(const std::string& text) {
    using Step = void (Simulator::*)(const Line&);
    static const std::map<std::string, Step> kCommands = {
        {"setting", &Simulator::do_setting},
        {"icon", &Simulator::do_icon},
        {"clock", &Simulator::do_clock},
        {"desktop", &Simulator::do_desktop},
        {"file", &Simulator::do_file},
        {"msgbox", &Simulator::do_msgbox},
        {"placefile", &Simulator::do_placefile},
        {"fault", &Simulator::do_fault},
        {"colordialog", &Simulator::do_colordialog},
        {"web", &Simulator::do_web},
        {"start", &Simulator::do_start},
        {"restart", &Simulator::do_restart},
        {"press", &Simulator::do_key},
        {"hold", &Simulator::do_key},
        {"release", &Simulator::do_key},
        {"tick", &Simulator::do_tick},
        {"wait", &Simulator::do_wait},
        {"schedule", &Simulator::do_schedule},
        {"click", &Simulator::do_click},
        {"select", &Simulator::do_click},
        {"dblclick", &Simulator::do_click},
        {"type", &Simulator::do_type},
        {"close", &Simulator::do_close},
        {"print", &Simulator::do_print},
    };
    Line l{text, tokenize(text)};
    if (l.tk.empty()) return;
    auto it = kCommands.find(l.cmd());
    if (it == kCommands.end()) throw ScriptError("unknown command " + l.cmd());
    (this->*(it->second))(l);
}

int Simulator::run(const std::string& text, const std::string& script_dir) {
    script_dir_ = script_dir;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        try {
            command(line);
            settle();
        } catch (const ScriptError& e) {
            error = "line " + std::to_string(number) + ": " + e.what();
            out_.flush();
            return 2;
        }
    }
    out_.flush();
    return 0;
}

}  // namespace tessaly
