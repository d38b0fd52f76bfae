// The projection compiler: turns a finished track into cone, fan or wedge
// overlays plus the track line and its icons.
#include <string>
#include <vector>

#include "app/app.h"
#include "app/published.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "eta/frm_edit_eta.h"
#include "geodesy/geodesy.h"
#include "placefile/format.h"
#include "tracking/motion.h"

namespace tessaly {

namespace {

// The colours and widths of one shape, read afresh for every shape.
struct Look {
    std::string border_width, polygon_trans, polygon_rgb, border_rgb, track_rgb, track_width;
};

class Compiler {
public:
    Compiler(App& a, FrmMain& m) : app(a), main(m) {}

    size_t first_line = 0;  // the first buffer line this run appends

    void run() {
        // The markers of the two marks give way to the projection; ETA lines
        // or anything else written since stay as they are.
        if (const LineGroups::Group* g = main.placefile_groups.newest(LinePurpose::half_mark))
            main.placefile_groups.remove(g->id, main.placefile.items);
        first_line = main.placefile.items.size();
        start = {main.start_lat.text, main.start_lon.text};
        stop = {main.stop_lat.text, main.stop_lon.text};
        az_text = publish_azimuth(app, geodesy::azimuth_deg(to_number(start.lat), to_number(start.lon),
                                                            to_number(stop.lat), to_number(stop.lon)));
        az = to_number(az_text);

        speed = to_number(main.cell_speed.text);
        // The shapes reach as far as the storm travels in the projection's
        // length (one hour unless the track was marked with another).
        double s = projection_distance_nm(speed, main.projection_minutes.text);
        back = s + (s / 100 + 0.09);
        inner = round_half_even(s / 1.3);
        middle = s / 2;
        outer = s + s / 10 / 1.75;
        half = s / 2;
        quarter = s / 4;

        if (main.mnu_projection_cone.checked) cone();
        if (main.mnu_projection_fan.checked) fan();
        if (main.mnu_projection_wedge.checked) wedge();

        app.write_list_to_file(main.placefile_path(), main.placefile.items);
        main.tracker.text = num_text(to_number(main.tracker.text) + 1);
    }

private:
    App& app;
    FrmMain& main;
    Pt start, stop;
    std::string az_text;
    double speed = 0, az = 0, back = 0, inner = 0, middle = 0, outer = 0, half = 0, quarter = 0;

    void emit(const std::string& line) { main.placefile.items.push_back(line); }

    // polygon_fallback is already in the vertex form "R, G, B," so that the
    // viewer still reads a fill colour when nothing is stored.
    Look read_look(const std::string& polygon_fallback, const std::string& border_fallback) {
        Look k;
        k.border_width = setting_or(app, keys::border_width);
        k.polygon_trans = setting_or(app, keys::polygon_trans);
        k.polygon_rgb = setting_or(app, keys::polygon_rgb.key, polygon_fallback);
        k.border_rgb = colour_setting(app, keys::border_rgb.key, border_fallback);
        k.track_rgb = colour_setting(app, keys::track_rgb);
        k.track_width = setting_or(app, keys::track_width);
        return k;
    }

    bool polygons_on() { return app.get_setting(keys::polygon.key) != "no"; }
    bool borders_on() { return app.get_setting(keys::border.key) == "yes"; }
    bool track_on() { return app.get_setting(keys::track.key) != "no"; }

    // The published destination text, unchanged (wedge corners).
    Pt dest_text(const Pt& from, double bearing, double dist) {
        PublishedPoint p = publish_destination(
            app, geodesy::destination(to_number(from.lat), to_number(from.lon), bearing, dist));
        return {p.lat, p.lon};
    }
    // The published destination text rounded to 10 decimals (cone, fan, icons).
    Pt dest10(const Pt& from, double bearing, double dist) {
        Pt p = dest_text(from, bearing, dist);
        return {num_text(round10(p.lat)), num_text(round10(p.lon))};
    }

    std::vector<Pt> arc(double radius, const std::vector<double>& offsets, int side) {
        std::vector<Pt> out;
        for (double o : offsets) out.push_back(dest10(start, az + side * o, radius));
        return out;
    }

    void polygon(const Look& k, const std::vector<Pt>& vertices) {
        if (!polygons_on()) return;
        emit(pf::kPolygon);
        emit(pf::polygon_first_vertex(start, k.polygon_rgb, k.polygon_trans));
        for (const Pt& p : vertices) emit(p.line());
        emit(start.line());
        emit(pf::kEnd);
        emit("");
    }

    void border(const Look& k, const std::string& alpha, const std::vector<Pt>& points) {
        emit(pf::color(k.border_rgb, alpha));
        emit(pf::line_start(k.border_width, true));
        for (const Pt& p : points) emit(p.line());
        emit(pf::kLineEnd);
        emit("");
    }

    // start_closed: whether the start icon's line ends in ", " as the others do.
    void track(const Look& k, const std::string& alpha, bool start_closed) {
        if (!track_on()) return;
        emit(pf::color(k.track_rgb, alpha));
        emit(pf::line_start(k.track_width, true));
        emit(start.line());
        emit(stop.line());
        emit(pf::kLineEnd);
        emit("");
        Pt a = dest10(start, az, half);
        Pt b = dest10(start, az, quarter);
        Pt c{num_text((to_number(stop.lat) + to_number(a.lat)) / 2),
             num_text((to_number(stop.lon) + to_number(a.lon)) / 2)};
        emit(pf::icon(start, az_text, 1, start_closed));
        emit(pf::icon(b, az_text, 2));
        emit(pf::icon(a, az_text, 2));
        emit(pf::icon(c, az_text, 2));
        emit(pf::icon(stop, az_text, 3));
        emit("");
        if (app.get_setting(keys::time_marks.key) == "yes") time_marks();
    }

    // The clock time of arrival every 15 minutes along the track, in the ETA
    // marker's colour and font.
    void time_marks() {
        const ClockTime now = app.platform.local_time();
        const int minutes = projection_minutes_of(main.projection_minutes.text);
        emit(pf::text_color("200 200 200", "100"));
        emit(pf::font(app.frmEditETA().eta_fontsize.text));
        for (int t = kTimeMarkStepMinutes; t <= minutes; t += kTimeMarkStepMinutes) {
            Pt p = dest10(start, az, speed * t / 60);
            emit(pf::text(p, eta_clock_text(now, t)));
        }
        emit("");
    }

    static std::vector<Pt> join(std::vector<Pt> a, const std::vector<Pt>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    void cone() {
        Look k = read_look(keys::polygon_rgb.fallback, keys::border_rgb.fallback);
        struct Ring {
            double radius;
            std::vector<double> right, left;
        };
        const Ring rings[] = {
            {inner,
             {25.5, 20, 18, 15, 13, 11, 8, 6, 4, 2, 0},
             {0, 2, 4, 6, 8, 11, 13, 15, 18, 20, 23}},
            {middle,
             {31, 25, 18, 15, 13, 11, 8, 6, 4, 2, 0},
             {0, 2, 4, 6, 8, 11, 13, 15, 18, 25, 28}},
            {outer, {22.5, 20, 18, 15, 13, 11, 8, 6, 4, 2, 0}, {0, 2, 4, 6, 8, 11, 13, 15, 18, 20}},
        };
        for (int r = 0; r < 3; ++r) {
            Pt bl = dest10(stop, az + 180 + 8, back);
            Pt br = dest10(stop, az + 180 - 8, back);
            std::vector<Pt> right = arc(rings[r].radius, rings[r].right, +1);
            polygon(k, join({br}, right));
            std::vector<Pt> left = join(arc(rings[r].radius, rings[r].left, -1), {bl});
            polygon(k, left);
            // The left half of the inner ring is drawn twice for a darker core.
            if (r == 0) polygon(k, left);
        }
        track(k, "100", true);
    }

    void fan() {
        Look k = read_look(keys::polygon_rgb.fallback, keys::border_rgb.fallback);
        Pt bl = dest10(stop, az + 188, back);
        Pt br = dest10(stop, az + 172, back);
        std::vector<Pt> right = arc(outer, {22, 20, 18, 15, 13, 11, 8, 6, 4, 2, 0}, +1);
        polygon(k, join({br}, right));
        if (borders_on()) {
            border(k, "100", right);
            border(k, "100", {start, br, right.front()});
        }
        bl = dest10(stop, az + 188, back);
        br = dest10(stop, az + 172, back);
        std::vector<Pt> left = arc(outer, {0, 2, 4, 6, 8, 11, 13, 15, 18, 20}, -1);
        polygon(k, join(left, {bl}));
        if (borders_on()) {
            border(k, "100", left);
            border(k, "100", {start, bl});
            border(k, "100", {bl, left.back()});
            border(k, "100", {right[9], left.front()});  // R2 to L0 across the front
        }
        track(k, "100", true);
    }

    void wedge() {
        // Grey with light borders, so that a wedge never looks like a cone or fan.
        Look k = read_look("128, 128, 128,", "248 248 248");
        Pt fr = dest_text(start, az + 19, outer);
        Pt fl = dest_text(start, az - 19, outer);
        Pt bl7 = dest_text(stop, az + 180 + 7, back);
        Pt br7 = dest_text(stop, az + 180 - 7, back);
        polygon(k, {br7, fr, fl, bl7});
        if (borders_on()) border(k, "", {start, br7, fr, fl, bl7, start});
        track(k, "", false);
    }
};

}  // namespace

void FrmMain::compiler() {
    const std::string before = tracker.text;
    Compiler c(app, *this);
    try {
        c.run();
    } catch (const Failure& f) {
        app.message(failure_message("data_compiler", f));
    }
    // The track's own lines, for undo (its ETA lines are found by their tag).
    // A failed run is not counted: what it wrote is kept without a number.
    const bool counted = tracker.text != before && is_number(tracker.text);
    if (counted || placefile.items.size() > c.first_line)
        placefile_groups.record(LinePurpose::track, placefile.items, c.first_line,
                                counted ? to_long(tracker.text) : 0);
}

}  // namespace tessaly
