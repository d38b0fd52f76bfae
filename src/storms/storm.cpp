#include "storms/storm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/text.h"
#include "geodesy/geodesy.h"

namespace tessaly {

std::string storm_letters(int number) {
    std::string s;
    for (int n = number; n > 0; n = (n - 1) / 26)
        s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
    return s;
}

std::string clock_text(const ClockTime& t) {
    char b[32];
    if (t.twelve_hour) {
        int h = t.hour24 % 12;
        std::snprintf(b, sizeof b, "%d:%02d %s", h == 0 ? 12 : h, t.minute,
                      t.hour24 < 12 ? "AM" : "PM");
    } else {
        std::snprintf(b, sizeof b, "%02d:%02d", t.hour24, t.minute);
    }
    return b;
}

std::string compass_point(double degrees) {
    static const char* const kPoints[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    return kPoints[static_cast<int>(std::floor(d / 45 + 0.5)) % 8];
}

double distance_to_track_nm(const Storm& s, double lat, double lon) {
    // Within the few tens of miles that matter here a flat map around the
    // position finds the nearest point well; the distance itself is the
    // great circle's.
    const double k = std::cos(lat * geodesy::kPi / 180);
    const double ax = (s.first.lon - lon) * k, ay = s.first.lat - lat;
    const double ex = (s.stop_lon - s.first.lon) * k, ey = s.stop_lat - s.first.lat;
    const double len2 = ex * ex + ey * ey;
    const double t = len2 > 0 ? std::clamp(-(ax * ex + ay * ey) / len2, 0.0, 1.0) : 0.0;
    return geodesy::distance_nm(lat, lon, s.first.lat + t * (s.stop_lat - s.first.lat),
                                s.first.lon + t * (s.stop_lon - s.first.lon));
}

std::string storm_summary(const Storm& s) {
    return "Storm " + s.label + ": moving " + compass_point(s.bearing_deg) + " (from " +
           s.from_text + "\xC2\xB0) at " + s.speed_text + " kt / " + s.speed_mph_text +
           " mph, marked " + clock_text(s.anchor().clock);
}

std::vector<std::string> storm_label_lines(const Storm& s, std::string_view track_rgb) {
    return {pf::object(s.anchor().text), pf::color(track_rgb, pf::kOpaque),
            pf::object_text(
                "\"" + placefile_text(s.label) + "\", \"" + placefile_text(storm_summary(s)) + "\"",
                14),
            pf::kEnd, ""};
}

const Storm* Storms::selected() const { return find(selected_); }
Storm* Storms::selected() { return find(selected_); }

Storm* Storms::find(int number) {
    for (Storm& s : storms_)
        if (s.number == number) return &s;
    return nullptr;
}

const Storm* Storms::find(int number) const { return const_cast<Storms*>(this)->find(number); }

const Storm* Storms::find_label(const std::string& label) const {
    for (const Storm& s : storms_)
        if (s.label == label) return &s;
    return nullptr;
}

int Storms::index_of(int number) const {
    for (size_t i = 0; i < storms_.size(); ++i)
        if (storms_[i].number == number) return static_cast<int>(i);
    return -1;
}

Storm& Storms::add(Storm s) {
    storms_.push_back(std::move(s));
    selected_ = storms_.back().number;
    return storms_.back();
}

bool Storms::select(int number) {
    if (!find(number)) return false;
    selected_ = number;
    return true;
}

bool Storms::select_next() {
    if (storms_.empty()) return false;
    int i = index_of(selected_);
    selected_ = storms_[static_cast<size_t>(i + 1) % storms_.size()].number;
    return true;
}

std::optional<Storm> Storms::erase(int number) {
    int i = index_of(number);
    if (i < 0) return std::nullopt;
    Storm s = std::move(storms_[static_cast<size_t>(i)]);
    storms_.erase(storms_.begin() + i);
    if (selected_ == number) selected_ = storms_.empty() ? 0 : storms_.back().number;
    return s;
}

const Storm* Storms::nearest(double lat, double lon, double max_nm) const {
    const Storm* best = nullptr;
    double best_nm = max_nm;
    for (const Storm& s : storms_) {
        double d = distance_to_track_nm(s, lat, lon);
        if (std::isfinite(d) && d <= best_nm) {
            best = &s;
            best_nm = d;
        }
    }
    return best;
}

std::string label_problem(const Storms& storms, int number, const std::string& label) {
    const size_t chars = character_count(label);
    if (chars < 1 || chars > 12) return "A storm's label has 1 to 12 characters.";
    if (label.find_first_of(";\"") != std::string::npos)
        return "A storm's label cannot hold \";\" or a quote.";
    for (unsigned char c : label)
        if (c < 0x20 || c == 0x7F) return "A storm's label cannot hold control characters.";
    // Capital letters alone name the storms by number (A, B, .. AA): a later
    // storm must never find its own letters taken.
    if (label.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos &&
        label != storm_letters(number))
        return "Capital letters alone are kept for the storms' own letters.";
    const Storm* other = storms.find_label(label);
    if (other && other->number != number) return "Another storm is labelled \"" + label + "\".";
    return {};
}

}  // namespace tessaly
