#include "placefile/projection.h"

#include "core/numtext.h"
#include "geodesy/geodesy.h"
#include "tracking/motion.h"

namespace tessaly {

namespace {

class Geometry {
public:
    Geometry(const ProjectionInput& input, ProjectionOutput& output)
        : in(input),
          out(output),
          start(input.start),
          stop(input.stop),
          az_text(input.azimuth_text) {
        az = to_number(az_text);
        // The shapes reach as far as the storm travels in the projection's
        // length (one hour unless the track was marked with another).
        double s = projection_distance_nm(in.speed_kt, in.minutes_text);
        back = s + (s / 100 + 0.09);
        inner = round_half_even(s / 1.3);
        middle = s / 2;
        outer = s + s / 10 / 1.75;
        half = s / 2;
        quarter = s / 4;
    }

    void emit(const std::string& line) { out.lines.push_back(line); }

    // The destination's full text (wedge corners).
    Pt dest_text(const Pt& from, double bearing, double dist) {
        auto d = geodesy::destination(to_number(from.lat), to_number(from.lon), bearing, dist);
        out.last_destination = d;
        return {num_text(d.lat), num_text(d.lon)};
    }
    // That text rounded to 10 decimals (cone, fan, icons).
    Pt dest10(const Pt& from, double bearing, double dist) {
        Pt p = dest_text(from, bearing, dist);
        return {num_text(round10(p.lat)), num_text(round10(p.lon))};
    }

    std::vector<Pt> arc(double radius, const std::vector<double>& offsets, int side) {
        std::vector<Pt> out;
        for (double o : offsets) out.push_back(dest10(start, az + side * o, radius));
        return out;
    }

    void polygon(const ShapeLook& k, const std::vector<Pt>& vertices) {
        if (!in.polygons) return;
        emit(pf::kPolygon);
        emit(pf::polygon_first_vertex(start, k.polygon_rgb, k.polygon_trans));
        for (const Pt& p : vertices) emit(p.line());
        emit(start.line());
        emit(pf::kEnd);
        emit("");
    }

    void border(const ShapeLook& k, const std::string& alpha, const std::vector<Pt>& points) {
        emit(pf::color(k.border_rgb, alpha));
        emit(pf::line_start(k.border_width, true));
        for (const Pt& p : points) emit(p.line());
        emit(pf::kLineEnd);
        emit("");
    }

    // start_closed: whether the start icon's line ends in ", " as the others do.
    void track(const ShapeLook& k, const std::string& alpha, bool start_closed) {
        if (!in.track) return;
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
        if (in.time_marks) time_marks();
    }

    // The clock time of arrival every 15 minutes along the track, in the ETA
    // marker's colour and font.
    void time_marks() {
        const ClockTime& now = in.time_marks->now;
        const int minutes = projection_minutes_of(in.minutes_text);
        emit(pf::text_color(pf::kLabelGrey, pf::kOpaque));
        emit(pf::font(stored_text(in.time_marks->font_size)));
        for (int t = kTimeMarkStepMinutes; t <= minutes; t += kTimeMarkStepMinutes) {
            Pt p = dest10(start, az, in.speed_kt * t / 60);
            emit(pf::text(p, eta_clock_text(now, t)));
        }
        emit("");
    }

    static std::vector<Pt> join(std::vector<Pt> a, const std::vector<Pt>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    void cone(const ShapeLook& k) {
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
        track(k, pf::kOpaque, true);
    }

    void fan(const ShapeLook& k) {
        Pt bl = dest10(stop, az + 188, back);
        Pt br = dest10(stop, az + 172, back);
        std::vector<Pt> right = arc(outer, {22, 20, 18, 15, 13, 11, 8, 6, 4, 2, 0}, +1);
        polygon(k, join({br}, right));
        if (in.borders) {
            border(k, pf::kOpaque, right);
            border(k, pf::kOpaque, {start, br, right.front()});
        }
        bl = dest10(stop, az + 188, back);
        br = dest10(stop, az + 172, back);
        std::vector<Pt> left = arc(outer, {0, 2, 4, 6, 8, 11, 13, 15, 18, 20}, -1);
        polygon(k, join(left, {bl}));
        if (in.borders) {
            border(k, pf::kOpaque, left);
            border(k, pf::kOpaque, {start, bl});
            border(k, pf::kOpaque, {bl, left.back()});
            border(k, pf::kOpaque, {right[9], left.front()});  // R2 to L0 across the front
        }
        track(k, pf::kOpaque, true);
    }

    void wedge(const ShapeLook& k) {
        Pt fr = dest_text(start, az + 19, outer);
        Pt fl = dest_text(start, az - 19, outer);
        Pt bl7 = dest_text(stop, az + 180 + 7, back);
        Pt br7 = dest_text(stop, az + 180 - 7, back);
        polygon(k, {br7, fr, fl, bl7});
        if (in.borders) border(k, "", {start, br7, fr, fl, bl7, start});
        track(k, "", false);
    }

private:
    const ProjectionInput& in;
    ProjectionOutput& out;
    const Pt& start;
    const Pt& stop;
    const std::string& az_text;
    double az = 0, back = 0, inner = 0, middle = 0, outer = 0, half = 0, quarter = 0;
};

}  // namespace

void cone_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out) {
    Geometry(in, out).cone(look);
}

void fan_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out) {
    Geometry(in, out).fan(look);
}

void wedge_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out) {
    Geometry(in, out).wedge(look);
}

}  // namespace tessaly
