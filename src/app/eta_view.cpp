// The ETA view (Command2) and the ETA run.
#include <array>
#include <optional>

#include "app/app.h"
#include "app/published.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_custom_eta.h"
#include "eta/frm_edit_eta.h"
#include "geodesy/geodesy.h"
#include "online/frm_new_eta.h"
#include "pathcast/frm_pathcast.h"
#include "placefile/format.h"
#include "tracking/motion.h"

namespace tessaly {

namespace {

// Search radii (km) by speed band, in search order S, 1/8, 1/4, 3/8, 1/2, 5/8, 3/4, 7/8.
constexpr std::array<const char*, 8> kFast = {"9", "15", "15", "15", "20", "20", "25", "25"};
constexpr std::array<const char*, 8> kMedium = {"9", "9", "15", "15", "20", "20", "25", "25"};
constexpr std::array<const char*, 8> kSlow = {"5", "5", "7", "7", "7", "9", "11", "11"};

// Index into eta_points of each search after S (the points are stored in the
// order they are computed: P, 1/2, 3/4, 1/4, 1/8, 3/8, 5/8, 7/8).
constexpr std::array<int, 7> kSearchPoint = {4, 3, 5, 1, 6, 2, 7};

// Line i of the ETA list, "" past its end.
std::string list_entry(const std::vector<std::string>& list, size_t i) {
    return i < list.size() ? list[i] : std::string();
}

}  // namespace

Storm FrmMain::eta_storm() {
    const Storm* s = eta_storm_number ? storms.find(eta_storm_number) : nullptr;
    eta_storm_number = 0;
    if (!s) s = storms.selected();
    if (s) return *s;
    // Rows filled by hand: the newest track's number.
    Storm f = storm_from_fields();
    f.number = static_cast<int>(try_number(tracker.text).value_or(0));
    f.label = storm_letters(f.number);
    return f;
}

void FrmMain::Command2_Click() {
    // The view computes from the storm as it is now, whatever is pressed
    // while it waits for its places.
    const Storm storm = eta_storm();
    FrmNewETA& lookup = app.frmNewETA();
    // A view while another one waits for its replies cancels that one, as the
    // View entry does; two runs never share the lookup's lists.
    if (lookup.request_executing()) {
        app.beep();
        lookup.cancel_request();
        return;
    }
    if (app.get_setting(keys::eta_style) == "classic") {
        if (app.is_loaded("frmPathcast")) app.frmPathcast().close_window();
        classic_view(storm);
    } else {
        pathcast_view(storm);
    }
}

void FrmMain::classic_view(const Storm& storm) {
    if (!run_classic_lookup(storm)) return;
    list_classic_arrivals();
    write_classic_marker(storm);
    fill_classic_windows();
    // Saved after the marker: the save's message box lets the keys act.
    if (Storm* live = storms.find(storm.number)) {
        live->arrivals = app.frmNewETA().arrivals;
        storms_changed();
    }
    show_classic_windows();
    changed();
}

bool FrmMain::run_classic_lookup(const Storm& storm) {
    FrmNewETA& lookup = app.frmNewETA();
    skip_on_failure([&] {
        app.frmCustomETA().hide();
        app.frmCustomETA1().hide();
    });
    skip_on_failure([&] {
        lookup.List1.items.clear();
        lookup.hover.text.clear();
        lookup.one.items.clear();
        lookup.two.items.clear();
        lookup.arrivals.clear();
    });
    lookup.cancelled = false;
    // The searches add their markers to the buffer only; the view writes the
    // file once, at its end.
    lookup.view_places.emplace();
    const size_t lines_before = placefile.items.size();
    const bool kept = storms.find(storm.number) != nullptr;
    skip_on_failure([&] { RUNeta(storm); });
    lookup.view_places.reset();
    // The run's message boxes let the keys act: a storm undone or erased
    // meanwhile took its lines along, and its marker must not come back.
    if (storm_gone(storm, kept)) {
        skip_on_failure([&] { app.write_list_to_file(placefile_path(), placefile.items); });
        return false;
    }
    // An erase or a cancel during the run ends the view as well: nothing of it
    // may reach the freshly erased placefile. A cancel without an erase
    // leaves the markers read so far, and the file shows them.
    if (lookup.cancelled) {
        if (placefile.items.size() > lines_before)
            skip_on_failure([&] { app.write_list_to_file(placefile_path(), placefile.items); });
        return false;
    }
    return true;
}

void FrmMain::list_classic_arrivals() {
    FrmNewETA& lookup = app.frmNewETA();
    skip_on_failure([&] {
        size_t n = std::min(lookup.one.items.size(), lookup.two.items.size());
        for (size_t i = 0; i < n; ++i) {
            lookup.List1.items.push_back(lookup.two.items[i] + "  " + lookup.one.items[i]);
            lookup.Command1.click();
        }
    });
    skip_on_failure([&] {
        lookup.bufferr.items.clear();
        lookup.one.items.clear();
        lookup.two.items.clear();
        lookup.hover.text.clear();
    });
    skip_on_failure([&] {
        std::string h;
        for (size_t i = 0; i <= 8; ++i) {
            h += list_entry(lookup.List1.items, i);
            if (i < 8) h += "\\n";
        }
        lookup.hover.text = h;
    });
}

void FrmMain::write_classic_marker(const Storm& storm) {
    FrmNewETA& lookup = app.frmNewETA();
    const std::string number = std::to_string(storm.number);
    const std::string T = pf::eta_tag(number);
    eta_windows_track = number;
    skip_on_failure([&] {
        auto& lines = placefile.items;
        lines.push_back(T);
        lines.push_back(pf::object(storm.start) + T);
        lines.push_back(pf::text_color(pf::kLabelGrey, pf::kOpaque) + T);
        lines.push_back(pf::font(app.frmEditETA().marker_font_size()) + T);
        lines.push_back(pf::object_text(" . ," + lookup.hover.text) + T);
        lines.push_back(pf::kEnd + T);
    });
    skip_on_failure([&] { app.write_list_to_file(placefile_path(), placefile.items); });
}

void FrmMain::fill_classic_windows() {
    const auto& list = app.frmNewETA().List1.items;
    skip_on_failure([&] {
        FrmCustomETA& small = app.frmCustomETA();
        for (size_t i = 0; i < small.labels.size(); ++i) small.labels[i].text = list_entry(list, i);
        small.changed();
        FrmCustomETA1& medium = app.frmCustomETA1();
        for (size_t i = 0; i < medium.labels.size(); ++i)
            medium.labels[i].text = list_entry(list, i);
        medium.changed();
    });
}

void FrmMain::show_classic_windows() {
    FrmEditETA& ed = app.frmEditETA();
    skip_on_failure([&] {
        if (!ed.displayeta.checked) return;
        FrmCustomETA& w = app.frmCustomETA();
        w.Timer1.enabled = true;
        w.show();
    });
    skip_on_failure([&] {
        if (!ed.displayetamed.checked) return;
        FrmCustomETA1& w = app.frmCustomETA1();
        w.Timer1.enabled = true;
        w.show();
    });
    skip_on_failure([&] {
        if (!ed.displayeta2.checked) return;
        std::string title = app.get_setting(keys::tag_text_edit);
        if (title.empty()) title = keys::tag_text_edit.fallback;
        FrmCustomETA2& w = app.frmCustomETA2();
        w.List1.items = app.frmNewETA().List1.items;
        w.caption = " " + title;
        w.Timer1.enabled = true;
        w.show();
        w.changed();
    });
}

void FrmMain::RUNeta() { RUNeta(eta_storm()); }

bool FrmMain::storm_gone(const Storm& storm, bool kept) {
    if (kept && !storms.find(storm.number)) return true;
    // An undone track gives its number back.
    return try_number(tracker.text).value_or(0) < storm.number;
}

void FrmMain::RUNeta(const Storm& storm,
                     const std::function<void(const std::vector<PlaceRecord>&)>& read) {
    FrmNewETA& lookup = app.frmNewETA();
    const bool kept = storms.find(storm.number) != nullptr;
    // The records are read against this storm while the run lasts.
    lookup.storm = storm;
    struct Done {
        FrmNewETA& l;
        ~Done() { l.storm.reset(); }
    } done{lookup};
    try {
        if (edit.text == "0") {
            double slat = to_number(storm.start.lat), slon = to_number(storm.start.lon);
            const double bearing = to_number(
                publish_azimuth(app, geodesy::azimuth_deg(slat, slon, to_number(storm.stop.lat),
                                                          to_number(storm.stop.lon))));
            // P lies as far ahead as the projection reaches.
            const Pt far = publish_destination(
                app, geodesy::destination(
                         slat, slon, bearing,
                         projection_distance_nm(to_number(storm.speed_text),
                                                std::to_string(storm.projection_minutes))));
            auto mean = [](const LatLon& a, const LatLon& b) {
                return LatLon{(a.lat + b.lat) / 2, (a.lon + b.lon) / 2};
            };
            const LatLon s{slat, slon};
            auto& p = eta_points;
            p[0] = LatLon{round10(far.lat), round10(far.lon)};  // P
            p[1] = mean(p[0], s);                               // 1/2
            p[2] = mean(p[1], p[0]);                            // 3/4
            p[3] = mean(p[1], s);                               // 1/4
            p[4] = mean(p[3], s);                               // 1/8
            p[5] = mean(p[3], p[1]);                            // 3/8
            p[6] = mean(p[2], p[1]);                            // 5/8
            p[7] = mean(p[2], p[0]);                            // 7/8
            lookup.bufferr.items.clear();
            lookup.buffer.text.clear();
        }

        double v = to_number(storm.speed_text);
        const auto& radii = v > 65 ? kFast : v > 36 ? kMedium : kSlow;

        // All eight searches go out at once; the replies are then handled in
        // search order, exactly as if each search had waited for the last.
        PlaceSource& source = lookup.place_source();
        source.begin_run();
        struct Search {
            PlaceQuery q;
            int id;
        };
        std::vector<Search> searches;
        for (size_t k = 0; k < 8; ++k) {
            Search s;
            if (k == 0) {
                s.q.lat = storm.start.lat;
                s.q.lon = storm.start.lon;
            } else {
                const LatLon& pt = eta_points[static_cast<size_t>(kSearchPoint[k - 1])];
                s.q.lat = num_text(pt.lat);
                s.q.lon = num_text(pt.lon);
            }
            s.q.radius_km = radii[k];
            lookup.mph.text = storm.speed_text;
            lookup.lat.text = s.q.lat;
            lookup.lon.text = s.q.lon;
            lookup.radius.text = s.q.radius_km;
            s.id = source.start(s.q);
            searches.push_back(s);
        }

        std::optional<Failure> first_error;
        std::vector<PlaceRecord> records;
        for (const Search& s : searches) {
            // Cancelled: the run ends here. A message box of the run (the local
            // places' one) lets the keys act, so the run looks again after each.
            if (!source.wait(s.id) || lookup.cancelled || storm_gone(storm, kept)) return;
            lookup.mph.text = storm.speed_text;
            lookup.lat.text = s.q.lat;
            lookup.lon.text = s.q.lon;
            lookup.radius.text = s.q.radius_km;
            auto err = source.take(s.id, records);
            if (err && !first_error) first_error = err;
            if (err) continue;
            if (read) read(records);
            else lookup.read_records(records);
        }
        // One message per view, naming the first refusal or transfer error.
        if (first_error) app.message(failure_message("run_eta", *first_error));
    } catch (const Failure& f) {
        lookup.cancel_request();
        lookup.cancelled = false;
        app.message(failure_message("run_eta", f));
    }
}

}  // namespace tessaly
