// The view key in the pathcast style: which places the storm's path holds,
// and showing them.
#include <algorithm>

#include "app/app.h"
#include "core/failure.h"
#include "eta/frm_edit_eta.h"
#include "online/frm_new_eta.h"
#include "pathcast/frm_pathcast.h"
#include "pathcast/pathcast_rows.h"
#include "places/local_places.h"

namespace tessaly {

void FrmMain::pathcast_view(const Storm& storm) {
    FrmNewETA& lookup = app.frmNewETA();
    Platform& pf_ = app.platform;
    Pathcast p;
    p.storm_number = storm.number;
    p.label = storm.label;
    p.style = zones::clock_style_of(app.get_setting(keys::clock_style));
    p.pc_zone = zones::find_zone(pf_.time_zone()).value_or(zones::Zone());
    FrmEditETA& ed = app.frmEditETA();
    const int delay = ed.stored_number(keys::frame_delay);
    const int miles = ed.stored_number(keys::pathcast_miles);
    const long long min_population = ed.stored_number(keys::pathcast_min_population);
    p.track = track_of(storm, delay, miles);
    p.view_utc = pf_.utc_seconds();
    p.not_moving = !(storm.speed_kt > 0);

    const bool kept = storms.find(storm.number) != nullptr;
    if (!p.not_moving) {
        LocalPlaces& local = lookup.local_places();
        const bool server = &lookup.place_source() != &local;
        if (!server) local.begin_run();
        PathcastRows rows(p, local.index(), min_population);
        if (server) {
            lookup.cancelled = false;
            RUNeta(storm, [&](const std::vector<PlaceRecord>& records) {
                for (const PlaceRecord& r : records)
                    rows.add_other_place(r.name, r.lat, r.lng, false);
            });
            // Undone, erased or cancelled meanwhile: nothing of the view shows.
            if (storm_gone(storm, kept) || lookup.cancelled) return;
        } else {
            rows.add_corridor();
            for (const CustomPlace& c : local.custom().places)
                rows.add_other_place(c.name, c.lat, c.lon, true);
        }
        for (const WatchedPlace& w : watched)
            rows.add_other_place(w.place.name, w.place.lat, w.place.lon, true);
        sort_rows(p.rows);
    }
    // The run's message boxes let the keys act: a storm undone or erased
    // meanwhile keeps its map clear.
    if (storm_gone(storm, kept)) return;

    forget_classic_eta_windows();
    eta_windows_track = std::to_string(storm.number);
    skip_on_failure([&] { write_pathcast_labels(p); });
    // The storm list shows the next arrival.
    if (Storm* live = storms.find(storm.number)) {
        live->arrivals.clear();
        const ClockTime now = pf_.local_time();
        for (const PathcastRow& r : p.rows) {
            Arrival a;
            a.name = r.place.name;
            a.at = {r.place.lat, r.place.lon};
            a.lat = r.place.lat_deg;
            a.lon = r.place.lon_deg;
            a.distance_nm = r.passage.at.along_nm;
            a.travel_minutes = static_cast<long>(std::max<std::int64_t>(
                0, (r.passage.arrival - pathcast::minute_of(p.view_utc)) / 60));
            a.read_at = now;
            a.utc = r.passage.arrival;
            a.in_path = true;
            live->arrivals.push_back(std::move(a));
        }
        storms_changed();
    }
    app.frmPathcast().show_pathcast(std::move(p));
    changed();
}

void FrmMain::write_pathcast_labels(const Pathcast& p) {
    remove_eta_lines(std::to_string(p.storm_number));
    FrmEditETA& ed = app.frmEditETA();
    const std::vector<std::string> lines = label_lines(p, ed.marker_rgb(), ed.marker_font_size());
    placefile.items.insert(placefile.items.end(), lines.begin(), lines.end());
    app.write_list_to_file(placefile_path(), placefile.items);
}

}  // namespace tessaly
