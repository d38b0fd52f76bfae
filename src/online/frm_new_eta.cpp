#include "online/frm_new_eta.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app.h"
#include "app/published.h"
#include "core/codepage.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/arrival.h"
#include "eta/frm_edit_eta.h"
#include "geodesy/geodesy.h"
#include "placefile/format.h"
#include "places/local_places.h"

namespace tessaly {

namespace {

constexpr int kMaxPlaces = 20;  // places read from one reply; also asked of the service

// Text between `open` and the next `close` at or after `from`; the position
// after `close` goes to `next`. nullopt when either is missing.
std::optional<std::string> element(const std::string& s, const std::string& open,
                                   const std::string& close, size_t from, size_t& next) {
    size_t a = s.find(open, from);
    if (a == std::string::npos) return std::nullopt;
    a += open.size();
    size_t b = s.find(close, a);
    if (b == std::string::npos) return std::nullopt;
    next = b + close.size();
    return s.substr(a, b - a);
}

std::optional<std::string> attribute(const std::string& tag, const std::string& name) {
    for (char q : {'"', '\''}) {
        std::string key = " " + name + "=" + q;
        size_t a = tag.find(key);
        if (a == std::string::npos) continue;
        a += key.size();
        size_t b = tag.find(q, a);
        if (b == std::string::npos) return std::nullopt;
        return tag.substr(a, b - a);
    }
    return std::nullopt;
}

// A place name longer than this is cut: the marker stays readable and one
// hostile record cannot blow up the placefile lines and the ETA lists.
constexpr size_t kMaxNameCharacters = 100;

std::string two_digits(long v) {
    char b[24];
    std::snprintf(b, sizeof b, "%02ld", v);
    return b;
}

}  // namespace

FrmNewETA::FrmNewETA(App& a) : Window(a, "frmNewETA") {
    using K = ControlKind;
    add("lat", lat, K::Text);
    add("lon", lon, K::Text);
    add("radius", radius, K::Text);
    add("mph", mph, K::Text);
    add("buffer", buffer, K::Text);
    add("nm_distance", nm_distance, K::Text);
    add("one", one, K::List);
    add("two", two, K::List);
    add("List1", List1, K::List);
    add("hover", hover, K::Text);
    add("bufferr", bufferr, K::List);
    add("Command1", Command1, K::Button, "Command1");
    Command1.on_click = [this] { RemoveDuplicates(); };
}

bool FrmNewETA::request_executing() const { return !pending.empty(); }

void FrmNewETA::cancel_request() {
    for (int id : pending) app.platform.fetch_abandon(id);
    pending.clear();
    cancelled = true;
}

std::string FrmNewETA::url_encode(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string FrmNewETA::request_url() {
    std::string base = app.get_setting(keys::eta_server);
    if (base.empty()) base = keys::eta_server.fallback;
    if (base.back() != '/') base += '/';
    std::string url = base + "findNearbyPlaceName?lat=" + lat.text + "&lng=" + lon.text +
                      "&radius=" + radius.text + "&maxRows=" + std::to_string(kMaxPlaces);
    std::string user = app.get_setting(keys::eta_username);
    if (!user.empty()) url += "&username=" + url_encode(user);
    return url;
}

int FrmNewETA::start_request() {
    int id = app.platform.fetch_start(request_url());
    pending.push_back(id);
    return id;
}

bool FrmNewETA::wait_request(int id) {
    auto out = [&] { return std::find(pending.begin(), pending.end(), id) != pending.end(); };
    app.platform.pump_until([&] { return !out() || app.platform.fetch_done(id); });
    return out();
}

namespace {

// The web service as a place source: the lookup's own requests.
class OnlinePlaces : public PlaceSource {
public:
    explicit OnlinePlaces(FrmNewETA& l) : l_(l) {}
    int start(const PlaceQuery& q) override {
        l_.lat.text = q.lat;
        l_.lon.text = q.lon;
        l_.radius.text = q.radius_km;
        return l_.start_request();
    }
    bool wait(int id) override { return l_.wait_request(id); }
    std::optional<Failure> take(int id, std::vector<PlaceRecord>& records) override {
        records.clear();
        auto& pending = l_.pending;
        pending.erase(std::remove(pending.begin(), pending.end(), id), pending.end());
        FetchResult r = l_.app.platform.fetch_take(id);
        if (!r.ok) {
            l_.buffer.text.clear();
            return Failure(r.error.empty() ? "The request failed" : r.error, r.error_number);
        }
        l_.buffer.text = r.body;
        l_.bufferr.items.push_back(r.body);
        if (auto f = FrmNewETA::service_error(r.body)) return f;
        if (r.http_status >= 400) {
            return Failure("The server answered with HTTP status " + std::to_string(r.http_status),
                           r.http_status);
        }
        records = FrmNewETA::parse_records(r.body);
        return std::nullopt;
    }

private:
    FrmNewETA& l_;
};

}  // namespace

PlaceSource& FrmNewETA::place_source() {
    if (equals_icase(trim(app.get_setting(keys::eta_database)), "server")) {
        if (!online_) online_ = std::make_unique<OnlinePlaces>(*this);
        return *online_;
    }
    return local_places();
}

LocalPlaces& FrmNewETA::local_places() {
    if (!local_) local_ = std::make_unique<LocalPlaces>(app);
    return *local_;
}

std::optional<Failure> FrmNewETA::finish_request(int id) {
    std::vector<PlaceRecord> records;
    if (auto f = OnlinePlaces(*this).take(id, records)) return f;
    read_records(records);
    return std::nullopt;
}

void FrmNewETA::getdata() {
    if (request_executing()) {
        cancel_request();
        return;
    }
    cancelled = false;
    int id = start_request();
    if (!wait_request(id)) return;
    if (auto f = finish_request(id)) throw *f;
}

std::optional<Failure> FrmNewETA::service_error(const std::string& body) {
    size_t a = body.find("<status");
    if (a == std::string::npos) return std::nullopt;
    size_t b = body.find('>', a);
    std::string tag = body.substr(a, b == std::string::npos ? std::string::npos : b - a);
    std::string message = xml_text(attribute(tag, "message").value_or(""));
    std::string value = attribute(tag, "value").value_or("");
    // A value that is no whole number in range (a hostile "99999999999") is
    // no number; the service's own message stays what the user sees.
    int number = 0;
    skip_on_failure([&] {
        if (is_number(value)) number = static_cast<int>(to_long(value));
    });
    if (message.empty()) message = "The service refused the request";
    return Failure(trim(message), number);
}

std::string FrmNewETA::xml_text(const std::string& raw) { return one_line_text(raw, true); }

std::vector<PlaceRecord> FrmNewETA::parse_records(const std::string& s) {
    static const std::string kOpen = "<geoname>", kClose = "</geoname>";
    std::vector<PlaceRecord> out;
    for (size_t at = s.find(kOpen);
         at != std::string::npos && out.size() < static_cast<size_t>(kMaxPlaces);) {
        // One record's text: up to its end tag, or to the next record or the
        // end of the body when the end tag is missing (a cut reply), so that
        // no element is ever taken from another record.
        const size_t body = at + kOpen.size();
        const size_t next_open = s.find(kOpen, body);
        const size_t close = std::min(s.find(kClose, body), next_open);
        const std::string record =
            s.substr(body, close == std::string::npos ? std::string::npos : close - body);
        at = next_open;

        // The record's own elements, in order after its name; a record
        // without all four is skipped.
        size_t next = 0;
        auto raw_name = element(record, "<name>", "</name>", 0, next);
        if (!raw_name) continue;
        auto raw_lat = element(record, "<lat>", "</lat>", next, next);
        if (!raw_lat) continue;
        auto raw_lng = element(record, "<lng>", "</lng>", next, next);
        if (!raw_lng) continue;
        auto raw_dist = element(record, "<distance>", "</distance>", next, next);
        if (!raw_dist) continue;
        out.push_back(PlaceRecord{xml_text(*raw_name), trim(xml_text(*raw_lat)),
                                  trim(xml_text(*raw_lng)), trim(xml_text(*raw_dist))});
    }
    return out;
}

void FrmNewETA::readdata() { read_records(parse_records(buffer.text)); }

void FrmNewETA::read_records(const std::vector<PlaceRecord>& records) {
    FrmMain& main = app.frmMain();
    FrmEditETA& ed = app.frmEditETA();
    // The run's storm, or outside a run the one the rows stand for.
    std::optional<Storm> rows;
    if (!storm) rows = main.eta_storm();
    const Storm& s = storm ? *storm : *rows;
    const std::string T = pf::eta_tag(std::to_string(s.number));
    // The view's list starts empty: the lists were cleared with the arrivals.
    if (one.items.empty()) arrivals.clear();
    bool read_any = false;
    // A bad record ends the reading; the places before it stay.
    skip_on_failure([&] {
        for (const PlaceRecord& rec : records) {
            Arrival a;
            a.name = place_name_text(rec.name);
            a.at = {placefile_text(rec.lat), placefile_text(rec.lng)};

            nm_distance.text.clear();
            double slat = to_number(s.start.lat), slon = to_number(s.start.lon);
            a.lat = to_number(a.at.lat);
            a.lon = to_number(a.at.lon);
            const double exact_nm = geodesy::distance_nm(slat, slon, a.lat, a.lon);
            publish_distance(app, exact_nm);
            nm_distance.text = num_text(exact_nm);
            a.distance_nm = to_number(nm_distance.text);

            a.travel_minutes =
                static_cast<long>(travel_minutes(a.distance_nm, to_number(mph.text)));
            a.read_at = app.platform.local_time();
            // On the whole minute the clock shows, as the lists show it.
            a.utc = (app.platform.utc_seconds() / 60 + a.travel_minutes) * 60;
            const DialTime arrival = arrival_on_dial(a.read_at, a.travel_minutes);
            const std::string minutes = two_digits(arrival.minutes);

            double azimuth = static_cast<double>(
                to_long(publish_azimuth(app, geodesy::azimuth_deg(slat, slon, a.lat, a.lon))));
            a.in_path = tessaly::in_path(azimuth, to_number(s.toward_text));

            if (ed.etaqc_historic.checked) {
                size_t at = find_icase(a.name, "(historical)");
                if (at != std::string::npos && at > 0)
                    a.name = replace_all_icase(a.name, "(historical)", "");
            }

            // (A record's name is valid UTF-8: the sources make it so.)
            a.name = std::string(utf8_prefix(a.name, kMaxNameCharacters));

            // A place another search of this view found already keeps its one marker.
            if (a.in_path && view_places &&
                !view_places->insert(a.name + '\n' + a.at.lat + '\n' + a.at.lon).second)
                a.in_path = false;

            if (a.in_path) {
                const std::string shown = std::to_string(arrival.hours) + ":" + minutes;
                auto& lines = main.placefile.items;
                lines.push_back(pf::place_object(a.at) + T);
                lines.push_back(pf::text_color(ed.marker_rgb(), pf::kOpaque) + T);
                lines.push_back(pf::font(ed.marker_font_size()) + T);
                if (ed.showcity.checked)
                    lines.push_back(pf::object_text(a.name + ", " + shown) + T);
                if (ed.showtime.checked)
                    lines.push_back(pf::object_text(shown + ", " + a.name) + T);
                if (!ed.showcity.checked && !ed.showtime.checked)
                    lines.push_back(pf::object_text(stored_text(ed.eta_rep.text) + " ," + a.name +
                                                    " " + shown) +
                                    T);
                lines.push_back(pf::kEnd + T);
                lines.push_back(T);

                add_arrival(std::move(a), two_digits(arrival.hours) + ":" + minutes);
            }
            read_any = true;
        }
    });
    if (read_any && !view_places)
        app.write_list_to_file(main.placefile_path(), main.placefile.items);
}

void FrmNewETA::add_arrival(Arrival a, const std::string& clock) {
    // After every arrival of the same minute: those keep the order they were read in.
    auto at = std::upper_bound(arrivals.begin(), arrivals.end(), a.utc,
                               [](std::int64_t utc, const Arrival& b) { return utc < b.utc; });
    const auto row = at - arrivals.begin();
    one.items.insert(one.items.begin() + row, a.name);
    two.items.insert(two.items.begin() + row, clock);
    arrivals.insert(at, std::move(a));
}

void FrmNewETA::RemoveDuplicates() {
    auto& l = List1.items;
    const size_t c = l.size();
    for (size_t i = 0; i < c; ++i) {
        std::string s = i < l.size() ? l[i] : std::string();
        for (size_t j = i + 1; j < l.size(); ++j) {
            if (l[j] == s) {
                l.erase(l.begin() + static_cast<long>(j));
                break;
            }
        }
    }
}

}  // namespace tessaly
