#include "app/published.h"

#include "app/app.h"
#include "core/numtext.h"
#include "eta/frm_custom_eta.h"

namespace tessaly {

std::string publish_distance(App& app, double distance_nm) {
    std::string text = num_text(round_half_even(distance_nm));
    app.frmMain().return_dis.text = text;
    app.frmCustomETA().distance.text = text;
    return text;
}

std::string publish_azimuth(App& app, double azimuth_deg) {
    std::string text = num_text(round_half_even(azimuth_deg));
    app.frmMain().return_azimuth.text = text;
    return text;
}

Pt publish_destination(App& app, LatLon at) {
    Pt p{num_text(at.lat), num_text(at.lon)};
    app.frmMain().rlat.text = p.lat;
    app.frmMain().rlon.text = p.lon;
    return p;
}

}  // namespace tessaly
