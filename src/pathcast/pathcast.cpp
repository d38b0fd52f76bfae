#include "pathcast/pathcast.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/text.h"
#include "placefile/format.h"
#include "storms/storm.h"

namespace tessaly {

pathcast::Track track_of(const Storm& s, int frame_delay_minutes, int half_width_miles) {
    const Mark& anchor = s.anchor();
    pathcast::Track t;
    t.lat = anchor.lat;
    t.lon = anchor.lon;
    t.bearing_deg = s.bearing_deg;
    t.speed_kt = s.speed_kt;
    t.anchor_utc = anchor.utc - frame_delay_minutes * 60LL;
    t.projection_minutes = s.projection_minutes;
    t.radius_nm = half_width_miles * pathcast::kNmPerStatuteMile;
    return t;
}

void sort_rows(std::vector<PathcastRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const PathcastRow& a, const PathcastRow& b) {
        if (a.passage.arrival != b.passage.arrival) return a.passage.arrival < b.passage.arrival;
        return a.place.name < b.place.name;
    });
}

bool advance_to(Pathcast& p, std::int64_t now_utc) {
    const std::int64_t was = pathcast::minute_of(p.view_utc), minute = pathcast::minute_of(now_utc);
    p.view_utc = now_utc;
    const size_t before = p.rows.size();
    std::erase_if(p.rows, [&](const PathcastRow& r) { return r.passage.departure < minute; });
    bool reached = false;
    for (const PathcastRow& r : p.rows)
        reached = reached || (r.passage.arrival > was && r.passage.arrival <= minute);
    return reached || p.rows.size() != before;
}

std::string town_text(const PathcastPlace& p) {
    if (p.country == "US" && !p.admin1.empty()) return p.name + ", " + p.admin1;
    return p.name;
}

std::string passes_cell(const pathcast::Passage& p) {
    if (p.passes_over) return "over";
    return std::to_string(p.miles) + " mi " + p.side;
}

std::string passes_text(const pathcast::Passage& p) { return "passes " + passes_cell(p); }

namespace {

bool arrived(const pathcast::Passage& p, std::int64_t now_utc) {
    return p.arrival <= pathcast::minute_of(now_utc);
}

// The 16-point compass word of a direction: "N", "NNE", .. "NNW".
const char* compass16(double degrees) {
    static constexpr std::array<const char*, 16> kPoints = {"N",  "NNE", "NE", "ENE", "E",  "ESE",
                                                            "SE", "SSE", "S",  "SSW", "SW", "WSW",
                                                            "W",  "WNW", "NW", "NNW"};
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    return kPoints[static_cast<size_t>(std::floor((d + 11.25) / 22.5)) % 16];
}

}  // namespace

std::string in_text(const pathcast::Passage& p, std::int64_t now_utc) {
    if (arrived(p, now_utc)) return "now";
    return "in " + std::to_string((p.arrival - pathcast::minute_of(now_utc)) / 60) + " min";
}

std::string span_of(const PathcastRow& r, const Pathcast& p) {
    return zones::span_text(r.passage.arrival, r.passage.departure, arrived(r.passage, p.view_utc),
                            r.zone, p.style);
}

std::string clipboard_text(const Storm& s, const Pathcast& p) {
    std::string out = "Storm " + s.label + ": moving " + compass16(s.bearing_deg) + " at " +
                      s.speed_text + " kt (" + s.speed_mph_text + " mph), as of " +
                      zones::time_text(p.track.anchor_utc, p.pc_zone, p.style);
    if (p.not_moving) return out + "\r\n" + kNotMoving;
    if (p.rows.empty()) return out + "\r\n" + kNoTowns;
    for (const PathcastRow& r : p.rows)
        out += "\r\n" + span_of(r, p) + "  " + town_text(r.place) + "  " + passes_text(r.passage);
    return out;
}

}  // namespace tessaly

namespace tessaly {

std::vector<std::string> label_lines(const Pathcast& p, std::string_view rgb,
                                     std::string_view font_size) {
    std::vector<std::string> lines;
    if (p.rows.empty()) return lines;
    const std::string T = pf::eta_tag(std::to_string(p.storm_number));
    lines.push_back(std::string(pf::kThresholdNear) + T);
    lines.push_back(pf::text_color(rgb, pf::kOpaque) + T);
    lines.push_back(pf::font(font_size) + T);
    for (const PathcastRow& r : p.rows) {
        // A town the storm has reached says so rather than showing a past time.
        const std::string label =
            r.place.name + " " +
            (arrived(r.passage, p.view_utc)
                 ? std::string("now")
                 : zones::short_time_text(r.passage.arrival, r.zone, p.style));
        const std::string hover =
            span_of(r, p) + "  " + town_text(r.place) + "  " + passes_text(r.passage);
        lines.push_back(
            pf::text({r.place.lat, r.place.lon}, pf::quoted(label) + ", " + pf::quoted(hover)) + T);
    }
    lines.push_back(std::string(pf::kThresholdAll) + T);
    return lines;
}

}  // namespace tessaly
