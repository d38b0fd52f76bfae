// The hotkey tracker and the live storm motion.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/published.h"
#include "bowecho/frm_bow_echo.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "core/text.h"
#include "editor/frm_edit.h"
#include "eta/frm_custom_eta.h"
#include "geodesy/geodesy.h"
#include "online/frm_new_eta.h"
#include "placefile/format.h"

namespace tessaly {

namespace {
const std::string kWhite = pf::text_color(pf::kWhite, pf::kOpaque);
// The start and stop markers end in the currency sign (one byte, 164, on disk).
constexpr const char* kMarkSign = "\xC2\xA4";
}  // namespace

const Storm* FrmMain::storm_at_cursor() {
    auto lat = try_number(cursor_lat.text), lon = try_number(cursor_lon.text);
    if (!lat || !lon) return nullptr;
    return storms.nearest(*lat, *lon, kPointingNm);
}

bool FrmMain::hotkey_meant() {
    if (app.frmEdit().hotkeys_everywhere.checked) return true;
    Foreground f = app.platform.foreground();
    switch (f.kind) {
        case ForegroundKind::Program: return true;
        case ForegroundKind::Nothing:
        case ForegroundKind::Typing: return false;
        case ForegroundKind::Other: break;
    }
    // The viewer chosen, or while none is chosen any the sweep found.
    std::vector<const std::string*> viewers;
    if (optgr3.checked) viewers = {&GR3.text};
    else if (optgr2.checked) viewers = {&GR2.text};
    else if (optgrae.checked) viewers = {&GRAE.text};
    else viewers = {&GR3.text, &GR2.text, &GRAE.text};
    for (const std::string& title : f.titles)
        for (const std::string* v : viewers)
            if (!v->empty() && *v == title) return true;
    return false;
}

void FrmMain::find_keys_Timer() {
    try {
        int meant = -1;  // asked once per scan, on the first press
        for (int k = 1; k <= 255; ++k) {
            // Only "down now and pressed since the last query" counts, so a key
            // fires once per press however long it is held.
            if (app.platform.async_key_state(k) != 0x8001) continue;
            // A press typed into another program is used up here, not kept for later.
            if (meant < 0) meant = hotkey_meant() ? 1 : 0;
            if (meant == 0) continue;
            if (!run_hotkey(std::string(1, static_cast<char>(k)))) return;
        }
    } catch (const Failure& f) {
        app.message(failure_message("function_keys", f));
    }
}

bool FrmMain::run_hotkey(const std::string& key) {
    // The hotkeys are read afresh from the editor's fields every time.
    auto is = [&](Control FrmEdit::*field) {
        return to_upper_ascii((app.frmEdit().*field).text) == key;
    };
    if (is(&FrmEdit::hketa) && !press_eta_key()) return false;

    if (is(&FrmEdit::hkerase)) {
        erase_all();
        changed();
    }

    if (is(&FrmEdit::hkundo)) undo_last_mark();

    if (is(&FrmEdit::hkerase_storm)) {
        Read_StatusBar();
        if (const Storm* s = storm_at_cursor()) erase_storm(s->number);
        else app.beep();
    }

    if (is(&FrmEdit::hknext_storm)) next_storm();

    if (is(&FrmEdit::hkwatch)) watch_cursor();

    if (is(&FrmEdit::hkselect)) return press_select_key();
    return true;
}

bool FrmMain::press_eta_key() {
    if (!track_finished() && storms.empty()) return false;
    FrmNewETA& lookup = app.frmNewETA();
    if (lookup.request_executing()) {
        app.beep();
        lookup.cancel_request();
        return false;
    }
    // With several storms, the one the cursor points at.
    if (storms.size() > 1) {
        eta_storm_number = 0;
        skip_on_failure([&] {
            Read_StatusBar();
            if (const Storm* s = storm_at_cursor()) eta_storm_number = s->number;
        });
    }
    Command2_Click();
    return true;
}

bool FrmMain::press_select_key() {
    if (!optgr3.checked && !optgr2.checked && !optgrae.checked) {
        status.text = "You must select a version of GRLevelX";
        changed();
        return false;
    }
    edit.text = "0";
    Read_StatusBar();
    app.beep();
    if (mnubowecho.checked) add_bow_point();
    else if (tag == "0") mark_start();
    else if (tag == "1") mark_stop();
    changed();
    return true;
}

void FrmMain::add_bow_point() {
    FrmBowEcho& bow = app.frmBowEcho();
    bow.List.items.push_back(cursor_lat.text);
    bow.List.items.push_back(cursor_lon.text);
    bow.points.text = num_text(to_number(bow.points.text) + 1);
    const size_t first = placefile.items.size();
    placefile.items.push_back(kWhite);
    placefile.items.push_back(pf::text({cursor_lat.text, cursor_lon.text}, bow.points.text));
    placefile_groups.record(LinePurpose::bow_point, placefile.items, first);
    app.write_list_to_file(placefile_path(), placefile.items);
    if (bow.points.text != "8") return;
    // The point markers give way to the bow echo, wherever later lines have
    // put them.
    for (LineGroups::Id id : placefile_groups.ids(LinePurpose::bow_point))
        placefile_groups.remove(id, placefile.items);
    const size_t at = placefile.items.size();
    bow.build.click();
    if (placefile.items.size() > at)
        placefile_groups.record(LinePurpose::bow_echo, placefile.items, at);
    app.write_list_to_file(placefile_path(), placefile.items);
}

void FrmMain::mark_start() {
    first_mark = mark_at_cursor();
    start_lat.text = cursor_lat.text;
    start_lon.text = cursor_lon.text;
    const size_t first = placefile.items.size();
    placefile.items.push_back(kWhite);
    placefile.items.push_back(pf::text({cursor_lat.text, cursor_lon.text}, kMarkSign));
    placefile_groups.record(LinePurpose::half_mark, placefile.items, first);
    app.write_list_to_file(placefile_path(), placefile.items);
    tag = "1";
    find_distance.enabled = true;
}

void FrmMain::mark_stop() {
    second_mark = mark_at_cursor();
    stop_lat.text = cursor_lat.text;
    stop_lon.text = cursor_lon.text;
    const size_t first = placefile.items.size();
    placefile.items.push_back(pf::text({cursor_lat.text, cursor_lon.text}, kMarkSign));
    if (const LineGroups::Group* g = placefile_groups.newest(LinePurpose::half_mark))
        placefile_groups.extend(g->id, placefile.items, first);
    app.write_list_to_file(placefile_path(), placefile.items);
    tag = "0";
    find_distance.enabled = false;
    place_forecast();
    compiler();
}

void FrmMain::find_distance_Timer() {
    skip_on_failure([&] { Read_StatusBar(); });
    show_motion();
}

void FrmMain::show_motion() {
    // Every step on its own: a failing one leaves its fields as they were.
    const bool frames = mnu_mark_frames.checked;
    double exact_nm = std::numeric_limits<double>::quiet_NaN();
    skip_on_failure([&] {
        exact_nm = geodesy::distance_nm(to_number(start_lat.text), to_number(start_lon.text),
                                        to_number(cursor_lat.text), to_number(cursor_lon.text));
        publish_distance(app, exact_nm);
    });
    // Knots: the published whole distance between one-hour marks; between two
    // frames the exact distance scaled from their minutes to one hour.
    auto knots = [&] {
        if (!frames) return to_number(return_dis.text);
        if (std::isnan(exact_nm)) fail_invalid_argument();
        return exact_nm * 60 / frame_minutes;
    };
    skip_on_failure([&] { cell_speedkts.text = num_text(round_half_even(knots() * 1.15077945)); });
    skip_on_failure([&] { cell_speed.text = num_text(round_half_even(knots())); });
    skip_on_failure([&] {
        publish_azimuth(
            app, geodesy::azimuth_deg(to_number(start_lat.text), to_number(start_lon.text),
                                      to_number(cursor_lat.text), to_number(cursor_lon.text)));
    });
    skip_on_failure([&] { disazimuth.text = return_azimuth.text; });
    skip_on_failure([&] { cor_azimuth.text = num_text(to_number(return_azimuth.text) + 180); });
    skip_on_failure([&] {
        double v = to_number(cor_azimuth.text);
        if (v > 360) cor_azimuth.text = num_text(v - 360);
    });
    changed();
}

}  // namespace tessaly
