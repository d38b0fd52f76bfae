#include "bowecho/frm_bow_echo.h"

#include <string>
#include <vector>

#include "app/app.h"
#include "app/published.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "geodesy/geodesy.h"
#include "placefile/format.h"

namespace tessaly {

FrmBowEcho::FrmBowEcho(App& a) : Window(a, "frmBowEcho") {
    using K = ControlKind;
    add("List", List, K::List);
    add("points", points, K::Text, "0");
    add("cazimuth", cazimuth, K::Text, "0");
    add("crange", crange, K::Text, "0");
    add("placefile", placefile, K::List);
    add("build", build, K::Button, "build");
    add("one", one, K::List);
    add("two", two, K::List);
    add("eta", eta, K::List);
    build.on_click = [this] { bow_echo(); };
}

void FrmBowEcho::reset() {
    placefile.items.clear();
    List.items.clear();
    points.text = crange.text = cazimuth.text = "0";
    one.items.clear();
    two.items.clear();
    eta.items.clear();
}

void FrmBowEcho::bow_echo() {
    // A failed build empties the points too, so that the next eight points
    // build again.
    try {
        build_from_points();
    } catch (const Failure& f) {
        reset();
        app.message(failure_message("bow_echo", f));
    }
}

namespace {

// The eight marked points (1-based), the far ends of the first six at the
// front's distance, and their ends a quarter of the way.
struct BowPoints {
    Pt L[9], F[7], Q[7];
};

BowPoints marked_points(const std::vector<std::string>& list) {
    BowPoints b;
    for (int k = 1; k <= 8; ++k) b.L[k] = {list[2 * (k - 1)], list[2 * (k - 1) + 1]};
    return b;
}

// The first point that is no position (1..8), or 0.
int first_unusable_point(const BowPoints& b) {
    for (int k = 1; k <= 8; ++k)
        if (!is_number(b.L[k].lat) || !is_number(b.L[k].lon)) return k;
    return 0;
}

// The front's direction and length run from point 7 to point 8; the first
// six points move along it, the whole way and a quarter of it.
void project_front(App& app, BowPoints& b, std::string& azimuth, std::string& range) {
    double lat7 = to_number(b.L[7].lat), lon7 = to_number(b.L[7].lon);
    double lat8 = to_number(b.L[8].lat), lon8 = to_number(b.L[8].lon);
    azimuth = publish_azimuth(app, geodesy::azimuth_deg(lat7, lon7, lat8, lon8));
    range = publish_distance(app, geodesy::distance_nm(lat7, lon7, lat8, lon8));

    double a = to_number(azimuth), d = to_number(range);
    auto dest10 = [&](const Pt& from, double dist) {
        Pt p = publish_destination(
            app, geodesy::destination(to_number(from.lat), to_number(from.lon), a, dist));
        return Pt{num_text(round10(p.lat)), num_text(round10(p.lon))};
    };
    for (int k = 1; k <= 6; ++k) b.F[k] = dest10(b.L[k], d);
    for (int k = 1; k <= 6; ++k) b.Q[k] = dest10(b.L[k], d / 4);
}

void append_polygons(std::vector<std::string>& out, const BowPoints& b,
                     const std::vector<std::string>& rgb, const std::string& trans) {
    for (const Pt* far : {b.F, b.Q}) {
        out.push_back(pf::kPolygon);
        out.push_back(
            pf::polygon_first_vertex(b.L[1], rgb[0] + " " + rgb[1] + " " + rgb[2], trans));
        for (int k = 2; k <= 6; ++k) out.push_back(b.L[k].line());
        for (int k = 6; k >= 1; --k) out.push_back(far[k].line());
        out.push_back(b.L[1].line());
        out.push_back(pf::kEnd);
    }
}

void append_border(std::vector<std::string>& out, const BowPoints& b, const ShapeLook& look) {
    out.push_back(pf::color(look.border_rgb, look.polygon_trans));
    out.push_back(pf::line_start(look.border_width, false));
    for (int k = 1; k <= 6; ++k) out.push_back(b.L[k].line());
    for (int k = 6; k >= 1; --k) out.push_back(b.F[k].line());
    out.push_back(b.L[1].line());
    out.push_back(pf::kLineEnd);
}

void append_track(std::vector<std::string>& out, const BowPoints& b, const ShapeLook& look,
                  const std::string& azimuth) {
    // Plain means of the degree values, not great-circle midpoints.
    double l3a = to_number(b.L[3].lat), l3o = to_number(b.L[3].lon);
    double f3a = to_number(b.F[3].lat), f3o = to_number(b.F[3].lon);
    double ha = (f3a + l3a) / 2, ho = (f3o + l3o) / 2;
    double h1a = (ha + l3a) / 2, h1o = (ho + l3o) / 2;
    double h3a = (f3a + ha) / 2, h3o = (f3o + ho) / 2;
    Pt h{num_text(ha), num_text(ho)}, h1{num_text(h1a), num_text(h1o)},
        h3{num_text(h3a), num_text(h3o)};
    out.push_back(pf::color(look.track_rgb, ""));
    out.push_back(pf::line_start(look.track_width, false));
    out.push_back(b.L[3].line());
    out.push_back(h3.line());
    out.push_back(pf::kLineEnd);
    out.push_back(pf::icon(b.L[3], azimuth, 1));
    out.push_back(pf::icon(h1, azimuth, 2));
    out.push_back(pf::icon(h, azimuth, 2));
    out.push_back(pf::icon(h3, azimuth, 3));
}

}  // namespace

void FrmBowEcho::build_from_points() {
    FrmMain& m = app.frmMain();
    std::vector<std::string>& out = placefile.items;
    out.clear();
    out.push_back(pf::kBowEchoStart);

    if (List.items.size() < 16) fail_subscript();
    BowPoints b = marked_points(List.items);
    // Every point takes part in the geometry; the first one that is no
    // position is named, and nothing is drawn.
    if (int k = first_unusable_point(b)) {
        app.message("Source: bow_echo Description: point " + std::to_string(k) + " (\"" +
                    echo_value(b.L[k].lat + ", " + b.L[k].lon) +
                    "\") is not a latitude and longitude; no bow echo was drawn");
        reset();
        return;
    }
    project_front(app, b, cazimuth.text, crange.text);

    const ShapeLook look = stored_look(app);
    std::vector<std::string> rgb = split(look.polygon_rgb, ' ');
    if (rgb.size() < 3) {
        // Only an outside edit of the store gets here; leave the main buffer alone.
        app.message("Source: bow_echo Description: the setting polygon_rgb \"" +
                    echo_value(look.polygon_rgb) +
                    "\" needs three colour values (R G B) separated by blanks; no bow echo was "
                    "drawn");
        reset();
        return;
    }

    if (app.get_setting(keys::polygon) == "yes") append_polygons(out, b, rgb, look.polygon_trans);
    if (app.get_setting(keys::border) == "yes") append_border(out, b, look);
    if (app.get_setting(keys::track) == "yes") append_track(out, b, look, cazimuth.text);

    out.push_back(pf::kBowEchoEnd);
    for (const std::string& line : out) m.placefile.items.push_back(line);
    app.write_list_to_file(m.placefile_path(), m.placefile.items);
    reset();
}

}  // namespace tessaly
