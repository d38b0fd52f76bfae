#include "app/window.h"

#include "app/app.h"
#include "core/numtext.h"

namespace tessaly {

Window::Window(App& a, std::string n) : app(a), name(std::move(n)) {}
Window::~Window() = default;

void Window::show() {
    if (visible) return;
    visible = true;
    app.ui.visibility_changed(*this);
}

void Window::hide() {
    if (!visible) return;
    visible = false;
    app.ui.visibility_changed(*this);
}

void Window::close_request() { hide(); }

Control* Window::control(const std::string& control_name) {
    auto it = controls_.find(control_name);
    return it == controls_.end() ? nullptr : it->second;
}

Control& Window::add(const std::string& control_name, Control& c, ControlKind kind,
                     std::string text) {
    c.kind = kind;
    c.text = std::move(text);
    controls_[control_name] = &c;
    return c;
}

Timer& Window::add_timer(Timer& t, const std::string& timer_name, int interval_ms, bool enabled) {
    t.name = timer_name;
    t.interval_ms = interval_ms;
    t.enabled = enabled;
    timers_.push_back(&t);
    return t;
}

void Window::changed() { app.ui.model_changed(*this); }

bool Window::restore_place(const SettingKey& left, const SettingKey& top) {
    auto l = twips_value(app.get_setting(left)), t = twips_value(app.get_setting(top));
    if (!l || !t) return false;
    left_twips = *l;
    top_twips = *t;
    return true;
}

void Window::save_place(const SettingKey& left, const SettingKey& top) {
    app.save_setting(left, std::to_string(left_twips));
    app.save_setting(top, std::to_string(top_twips));
}

}  // namespace tessaly
