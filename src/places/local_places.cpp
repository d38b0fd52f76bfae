#include "places/local_places.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>

#include "app/app.h"
#include "core/codepage.h"
#include "core/text.h"

namespace tessaly {

namespace {

constexpr std::size_t kMaxRows = 20;  // as the service's maxRows
// Larger than any index Tessaly writes for a whole-world dump.
constexpr std::size_t kMaxIndexFileBytes = 512u * 1024 * 1024;
constexpr std::size_t kMaxCityFileBytes = 16u * 1024 * 1024;

std::shared_ptr<const PlaceIndex> builtin_index() {
    static const std::shared_ptr<const PlaceIndex> idx = [] {
        auto d = PlaceIndex::decode(builtin_place_index_bytes());
        return std::make_shared<const PlaceIndex>(d ? std::move(*d) : PlaceIndex());
    }();
    return idx;
}

// The lines of a user's text file, as Notepad and other editors save them:
// a UTF-8 byte-order mark dropped; CR LF, LF and CR each end a line; blanks
// at both ends trimmed.
std::vector<std::string> text_lines(std::string_view text) {
    if (starts_with(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(trim(text.substr(start, i - start)));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

}  // namespace

std::optional<double> place_degrees(std::string_view t, double limit) {
    double v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v) ||
        std::fabs(v) > limit)
        return std::nullopt;
    return v;
}

void read_place_lines(std::string_view text, const std::string& path,
                      std::vector<CustomPlace>& places, std::string& problem) {
    std::vector<std::string> lines = text_lines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = split(line, ',');
        std::optional<double> lat, lon;
        std::string name;
        if (f.size() >= 3) {
            name = trim(f[0]);
            f[1] = trim(f[1]);
            f[2] = trim(f[2]);
            lat = place_degrees(f[1], 90);
            lon = place_degrees(f[2], 180);
        }
        if (!lat || !lon || name.empty() || character_count(name) > kMaxCustomNameCharacters) {
            if (problem.empty())
                problem = "Line " + std::to_string(n + 1) + " of " + path +
                          " is not a place (name,latitude,longitude) and was skipped.";
            continue;
        }
        places.push_back(CustomPlace{*lat, *lon, name, f[1], f[2]});
    }
}

CustomPlaces read_custom_places(
    const std::string& site_title, const std::string& folder,
    const std::function<std::optional<std::string>(const std::string&)>& read,
    const std::function<bool(const std::string&)>& exists) {
    CustomPlaces r;
    try {
        const std::string sites_path = folder + "\\sites.txt";
        auto sites = read(sites_path);
        if (!sites) {
            if (exists && exists(sites_path))
                r.problem = "The site file " + sites_path + " cannot be read.";
            return r;
        }
        if (site_title.size() < 4) {
            r.no_site = true;
            return r;
        }
        const std::string site = to_upper_ascii(site_title.substr(0, 4));
        std::vector<std::string> codes;
        for (const std::string& line : text_lines(*sites)) {
            std::vector<std::string> f = split(line, ',');
            if (f.size() >= 2 && equals_icase(trim(f[0]), site)) {
                for (std::size_t k = 1; k < f.size(); ++k)
                    if (!trim(f[k]).empty()) codes.push_back(to_upper_ascii(trim(f[k])));
                break;
            }
        }
        for (const std::string& code : codes) {
            const std::string path = folder + "\\citydatabase\\" + code + "cities.txt";
            auto text = read(path);
            if (!text) {
                if (r.problem.empty()) r.problem = "The city file " + path + " cannot be read.";
                continue;
            }
            read_place_lines(*text, path, r.places, r.problem);
        }
    } catch (const std::bad_alloc&) {
        r = CustomPlaces{};
        r.problem = "Your own places cannot be used: they are too large for the memory.";
    }
    return r;
}

LocalPlaces::LocalPlaces(App& app) : app_(app) {}

const PlaceIndex& LocalPlaces::index() {
    if (index_) return *index_;
    const std::string path = app_.platform.program_folder() + "\\places.dat";
    std::string why;
    try {
        if (auto bytes = app_.platform.read_file(path, kMaxIndexFileBytes)) {
            if (auto own = PlaceIndex::decode(*bytes, &why)) {
                index_ = std::make_shared<const PlaceIndex>(std::move(*own));
                return *index_;
            }
        } else if (app_.platform.file_size(path)) {
            why =
                "larger than " + std::to_string(kMaxIndexFileBytes >> 20) + " MB or cannot be read";
        }
    } catch (const std::bad_alloc&) {
        why = "too large for the memory";
    }
    if (!why.empty())
        app_.message("The place file " + path + " cannot be used: it is " + why +
                     ". Tessaly uses its built-in places instead.");
    index_ = builtin_index();
    return *index_;
}

void LocalPlaces::begin_run() {
    index();
    FrmMain& m = app_.frmMain();
    std::string title;
    if (m.optgr3.checked) title = m.GR3.text;
    if (m.optgr2.checked) title = m.GR2.text;
    if (m.optgrae.checked) title = m.GRAE.text;
    custom_ = read_custom_places(
        title, app_.platform.program_folder(),
        [&](const std::string& p) { return app_.platform.read_file(p, kMaxCityFileBytes); },
        [&](const std::string& p) { return app_.platform.file_size(p).has_value(); });
    if (custom_.no_site) app_.beep();
    if (!custom_.problem.empty()) app_.message(custom_.problem);
}

std::vector<PlaceRecord> LocalPlaces::search(double lat, double lon, double radius_km) const {
    struct Hit {
        double d;
        std::string_view name, plat, plon;
    };
    std::vector<Hit> hits;
    if (!index_) return {};  // before the first run: nothing loaded yet
    for (const PlaceHit& h : index_->search(lat, lon, radius_km, kMaxRows)) {
        const PlaceView& e = index_->places()[h.index].entry;
        hits.push_back({h.distance_km, e.name, e.lat, e.lon});
    }
    if (std::isfinite(lat) && std::isfinite(lon)) {
        for (const CustomPlace& c : custom_.places) {
            double d = place_distance_km(lat, lon, c.lat_deg, c.lon_deg);
            if (d <= radius_km) hits.push_back({d, c.name, c.lat, c.lon});
        }
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const Hit& a, const Hit& b) { return a.d < b.d; });
    if (hits.size() > kMaxRows) hits.resize(kMaxRows);
    std::vector<PlaceRecord> out;
    for (const Hit& h : hits) {
        char km[32];
        std::snprintf(km, sizeof km, "%.5f", h.d);
        out.push_back(PlaceRecord{one_line_text(h.name, false), trim(one_line_text(h.plat, false)),
                                  trim(one_line_text(h.plon, false)), km});
    }
    return out;
}

int LocalPlaces::start(const PlaceQuery& q) {
    int id = next_id_++;
    index();
    auto lat = place_degrees(trim(q.lat), 90), lon = place_degrees(trim(q.lon), 180);
    std::optional<double> radius;
    {
        double v = 0;
        std::string t = trim(q.radius_km);
        auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (!t.empty() && ec == std::errc() && end == t.data() + t.size() && v >= 0) radius = v;
    }
    if (!radius) {
        errors_.emplace(id, Failure("Invalid procedure call or argument", 5));
        return id;
    }
    // A point off the globe (an unmarked "00.00" is on it) has no places near it.
    results_[id] = lat && lon ? search(*lat, *lon, *radius) : std::vector<PlaceRecord>{};
    return id;
}

std::optional<Failure> LocalPlaces::take(int id, std::vector<PlaceRecord>& records) {
    records.clear();
    if (auto e = errors_.find(id); e != errors_.end()) {
        Failure f = e->second;
        errors_.erase(e);
        return f;
    }
    auto it = results_.find(id);
    if (it == results_.end()) return std::nullopt;
    records = std::move(it->second);
    results_.erase(it);
    return std::nullopt;
}

}  // namespace tessaly
