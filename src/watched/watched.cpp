#include "watched/watched.h"

#include <algorithm>

#include "core/text.h"
#include "pathcast/pathcast.h"
#include "placefile/format.h"
#include "storms/storm.h"

namespace tessaly {

namespace {

// A font slot of their own, so the other labels keep their size.
constexpr int kWatchedFontSlot = 2;
constexpr const char* kWatchedFontSize = "10";

}  // namespace

WatchedRead read_watched(std::string_view text, const std::string& path) {
    WatchedRead r;
    read_place_lines(text, path, r.places, r.problem);
    return r;
}

std::string watched_file_text(const std::vector<WatchedPlace>& places) {
    std::string out = "# Tessaly watched places: name,latitude,longitude\r\n";
    for (const WatchedPlace& w : places)
        out += w.place.name + "," + w.place.lat + "," + w.place.lon + "\r\n";
    return out;
}

std::string watched_name_problem(const std::vector<WatchedPlace>& places, const std::string& name,
                                 int except_id) {
    const std::string n = trim(name);
    if (n.empty() || character_count(n) > kMaxCustomNameCharacters ||
        n.find_first_of(",\r\n") != std::string::npos || n[0] == '#')
        return "A watched place needs a name of 1 to " + std::to_string(kMaxCustomNameCharacters) +
               " characters, without a comma and not starting with #.";
    for (const WatchedPlace& w : places)
        if (w.id != except_id && equals_icase(w.place.name, n))
            return "There is already a watched place named " + w.place.name + ".";
    return {};
}

std::optional<std::pair<std::string, std::string>> parse_typed_position(std::string_view text) {
    std::string t = trim(text);
    std::size_t cut = t.find(',');
    if (cut == std::string::npos) cut = t.find_first_of(" \t");
    if (cut == std::string::npos) return std::nullopt;
    std::string lat = trim(std::string_view(t).substr(0, cut));
    std::string lon = trim(std::string_view(t).substr(cut + 1));
    if (!place_degrees(lat, 90) || !place_degrees(lon, 180)) return std::nullopt;
    return std::make_pair(lat, lon);
}

std::string alert_text(std::string_view storm_label, std::string_view place_name,
                       const pathcast::Passage& pass, std::int64_t now_utc, const zones::Zone& zone,
                       zones::ClockStyle style) {
    return "Storm " + std::string(storm_label) + " reaches " + std::string(place_name) + " at " +
           zones::time_text(pass.arrival, zone, style) + " (" + in_text(pass, now_utc) + "), " +
           passes_text(pass);
}

std::vector<std::string> AlertBook::check(const Storms& storms,
                                          const std::vector<WatchedPlace>& places,
                                          const AlertSettings& settings, std::int64_t now_utc) {
    for (auto& [key, a] : alerts_) a.active = false;
    struct Due {
        std::int64_t arrival;
        std::string text;
    };
    std::vector<Due> due;
    const std::int64_t now_minute = pathcast::minute_of(now_utc);
    const std::int64_t window = settings.alert_minutes * 60LL;
    for (const Storm& s : storms.all()) {
        if (!(s.speed_kt > 0)) continue;
        const pathcast::Track track =
            track_of(s, settings.frame_delay_minutes, settings.pathcast_miles);
        for (const WatchedPlace& w : places) {
            const auto pass = pathcast::passage(track, w.place.lat_deg, w.place.lon_deg, now_utc);
            if (!pass || pass->arrival - now_minute > window) continue;
            const bool close = pass->arrival - now_minute <= kAlertAgainMinutes * 60LL;
            auto [it, fresh] = alerts_.try_emplace({s.number, w.id});
            Alert& a = it->second;
            bool warn = false;
            if (fresh || pass->arrival <= a.alerted_arrival - kAlertAgainMinutes * 60LL) {
                warn = true;
                a.storm_number = s.number;
                a.place_id = w.id;
                a.alerted_arrival = pass->arrival;
                a.ten_minutes_given = close;
            } else if (close && !a.ten_minutes_given) {
                warn = true;
                a.ten_minutes_given = true;
            }
            a.active = true;
            a.arrival = pass->arrival;
            a.text = alert_text(s.label, w.place.name, *pass, now_utc, w.zone, settings.style);
            if (warn) {
                a.acknowledged = false;
                due.push_back({a.arrival, a.text});
            }
        }
    }
    // A storm erased or a place removed takes its alerts along.
    std::erase_if(alerts_, [&](const auto& kv) {
        return !storms.find(kv.first.first) ||
               std::none_of(places.begin(), places.end(),
                            [&](const WatchedPlace& w) { return w.id == kv.first.second; });
    });
    std::stable_sort(due.begin(), due.end(),
                     [](const Due& a, const Due& b) { return a.arrival < b.arrival; });
    std::vector<std::string> texts;
    for (Due& d : due) texts.push_back(std::move(d.text));
    return texts;
}

void AlertBook::acknowledge() {
    for (auto& [key, a] : alerts_)
        if (a.active) a.acknowledged = true;
}

std::vector<std::string> AlertBook::banner_lines() const {
    std::vector<const Alert*> shown;
    for (const auto& [key, a] : alerts_)
        if (a.active && !a.acknowledged) shown.push_back(&a);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const Alert* a, const Alert* b) { return a->arrival < b->arrival; });
    std::vector<std::string> lines;
    for (const Alert* a : shown) lines.push_back(a->text);
    return lines;
}

bool AlertBook::place_alerted(int place_id) const {
    return std::any_of(alerts_.begin(), alerts_.end(), [&](const auto& kv) {
        return kv.second.active && kv.first.second == place_id;
    });
}

bool AlertBook::storm_alerted(int storm_number) const {
    return std::any_of(alerts_.begin(), alerts_.end(), [&](const auto& kv) {
        return kv.second.active && kv.first.first == storm_number;
    });
}

std::string AlertBook::place_text(int place_id) const {
    const Alert* first = nullptr;
    for (const auto& [key, a] : alerts_)
        if (a.active && key.second == place_id && (!first || a.arrival < first->arrival))
            first = &a;
    return first ? first->text : std::string();
}

std::vector<std::string> watched_label_lines(const std::vector<WatchedPlace>& places,
                                             const AlertBook& alerts) {
    std::vector<std::string> lines;
    if (places.empty()) return lines;
    lines.push_back(pf::font(kWatchedFontSize, kWatchedFontSlot));
    for (const WatchedPlace& w : places) {
        const bool alerted = alerts.place_alerted(w.id);
        const std::string& name = w.place.name;
        const std::string hover = alerted ? alerts.place_text(w.id) : "Watched place " + name;
        lines.push_back(pf::text_color(alerted ? "255 0 0" : pf::kWhite, pf::kOpaque));
        lines.push_back(pf::text(
            {w.place.lat, w.place.lon},
            pf::quoted(alerted ? "! " + name : name) + ", " + pf::quoted(hover), kWatchedFontSlot));
    }
    return lines;
}

}  // namespace tessaly
