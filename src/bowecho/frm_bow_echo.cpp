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

void FrmBowEcho::build_from_points() {
    FrmMain& m = app.frmMain();
    placefile.items.clear();
    placefile.items.push_back(";<BowEcho>");

    if (List.items.size() < 16) fail_subscript();
    Pt L[9];
    for (int k = 1; k <= 8; ++k) L[k] = {List.items[2 * (k - 1)], List.items[2 * (k - 1) + 1]};
    // Every point takes part in the geometry; the first one that is no
    // position is named, and nothing is drawn.
    for (int k = 1; k <= 8; ++k) {
        if (is_number(L[k].lat) && is_number(L[k].lon)) continue;
        app.message("Source: bow_echo Description: point " + std::to_string(k) + " (\"" +
                    echo_value(L[k].lat + ", " + L[k].lon) +
                    "\") is not a latitude and longitude; no bow echo was drawn");
        reset();
        return;
    }
    double lat7 = to_number(L[7].lat), lon7 = to_number(L[7].lon);
    double lat8 = to_number(L[8].lat), lon8 = to_number(L[8].lon);
    cazimuth.text = publish_azimuth(app, geodesy::azimuth_deg(lat7, lon7, lat8, lon8));
    crange.text = publish_distance(app, geodesy::distance_nm(lat7, lon7, lat8, lon8));

    double a = to_number(cazimuth.text), d = to_number(crange.text);
    auto dest10 = [&](const Pt& from, double dist) {
        PublishedPoint p = publish_destination(
            app, geodesy::destination(to_number(from.lat), to_number(from.lon), a, dist));
        return Pt{num_text(round10(p.lat)), num_text(round10(p.lon))};
    };
    Pt F[7], Q[7];
    for (int k = 1; k <= 6; ++k) F[k] = dest10(L[k], d);
    for (int k = 1; k <= 6; ++k) Q[k] = dest10(L[k], d / 4);

    std::string border_width = setting_or(app, keys::border_width);
    std::string polygon_trans = setting_or(app, keys::polygon_trans);
    // The fallback in the stored "R, G, B," form keeps the vertex readable as a colour.
    std::string polygon_rgb = setting_or(app, keys::polygon_rgb);
    std::string border_rgb = colour_setting(app, keys::border_rgb);
    std::string track_rgb = colour_setting(app, keys::track_rgb);
    std::string track_width = setting_or(app, keys::track_width);
    std::vector<std::string> rgb = split(polygon_rgb, ' ');
    if (rgb.size() < 3) {
        // Only an outside edit of the store gets here; leave the main buffer alone.
        app.message("Source: bow_echo Description: the setting polygon_rgb \"" +
                    echo_value(polygon_rgb) +
                    "\" needs three colour values (R G B) separated by blanks; no bow echo was "
                    "drawn");
        reset();
        return;
    }

    if (app.get_setting(keys::polygon) == "yes") {
        for (const Pt* far : {F, Q}) {
            placefile.items.push_back(pf::kPolygon);
            placefile.items.push_back(pf::polygon_first_vertex(
                L[1], rgb[0] + " " + rgb[1] + " " + rgb[2], polygon_trans));
            for (int k = 2; k <= 6; ++k) placefile.items.push_back(L[k].line());
            for (int k = 6; k >= 1; --k) placefile.items.push_back(far[k].line());
            placefile.items.push_back(L[1].line());
            placefile.items.push_back(pf::kEnd);
        }
    }

    if (app.get_setting(keys::border) == "yes") {
        placefile.items.push_back(pf::color(border_rgb, polygon_trans));
        placefile.items.push_back(pf::line_start(border_width, false));
        for (int k = 1; k <= 6; ++k) placefile.items.push_back(L[k].line());
        for (int k = 6; k >= 1; --k) placefile.items.push_back(F[k].line());
        placefile.items.push_back(L[1].line());
        placefile.items.push_back(pf::kLineEnd);
    }

    if (app.get_setting(keys::track) == "yes") {
        // Plain means of the degree values, not great-circle midpoints.
        double l3a = to_number(L[3].lat), l3o = to_number(L[3].lon);
        double f3a = to_number(F[3].lat), f3o = to_number(F[3].lon);
        double ha = (f3a + l3a) / 2, ho = (f3o + l3o) / 2;
        double h1a = (ha + l3a) / 2, h1o = (ho + l3o) / 2;
        double h3a = (f3a + ha) / 2, h3o = (f3o + ho) / 2;
        Pt h{num_text(ha), num_text(ho)}, h1{num_text(h1a), num_text(h1o)},
            h3{num_text(h3a), num_text(h3o)};
        placefile.items.push_back(pf::color(track_rgb, ""));
        placefile.items.push_back(pf::line_start(track_width, false));
        placefile.items.push_back(L[3].line());
        placefile.items.push_back(h3.line());
        placefile.items.push_back(pf::kLineEnd);
        placefile.items.push_back(pf::icon(L[3], cazimuth.text, 1));
        placefile.items.push_back(pf::icon(h1, cazimuth.text, 2));
        placefile.items.push_back(pf::icon(h, cazimuth.text, 2));
        placefile.items.push_back(pf::icon(h3, cazimuth.text, 3));
    }

    placefile.items.push_back(";</BowEcho>");
    for (const std::string& line : placefile.items) m.placefile.items.push_back(line);
    app.write_list_to_file(m.placefile_path(), m.placefile.items);
    reset();
}

}  // namespace tessaly
