// The projection compiler: turns a finished track into cone, fan or wedge
// overlays plus the track line and its icons.
#include <string>
#include <vector>

#include "app/app.h"
#include "app/published.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "eta/frm_edit_eta.h"
#include "geodesy/geodesy.h"
#include "placefile/format.h"
#include "placefile/projection.h"

namespace tessaly {

namespace {

class Compiler {
public:
    Compiler(App& a, FrmMain& m) : app(a), main(m) {}

    size_t first_line = 0;  // the first buffer line this run appends

    void run(const Storm& storm, bool remove_half_mark) {
        // The markers of the two marks give way to the projection; ETA lines
        // or anything else written since stay as they are.
        if (remove_half_mark)
            if (const LineGroups::Group* g = main.placefile_groups.newest(LinePurpose::half_mark))
                main.placefile_groups.remove(g->id, main.placefile.items);
        first_line = main.placefile.items.size();
        ProjectionInput in;
        in.start = storm.start;
        in.stop = storm.stop;
        in.azimuth_text = publish_azimuth(
            app, geodesy::azimuth_deg(to_number(in.start.lat), to_number(in.start.lon),
                                      to_number(in.stop.lat), to_number(in.stop.lon)));
        in.speed_kt = to_number(storm.speed_text);
        in.minutes_text = std::to_string(storm.projection_minutes);
        in.polygons = app.get_setting(keys::polygon) != "no";
        in.borders = app.get_setting(keys::border) == "yes";
        in.track = app.get_setting(keys::track) != "no";
        const Shapes& sh = storm.shapes;
        if (in.track && (sh.cone || sh.fan || sh.wedge) &&
            app.get_setting(keys::time_marks) == "yes")
            in.time_marks =
                ProjectionInput::TimeMarks{storm.drawn_at, app.frmEditETA().eta_fontsize.text};

        const char* red = keys::polygon_rgb.fallback;
        const char* grey = keys::border_rgb.fallback;
        if (sh.cone) shape(cone_lines, in, stored_look(app, red, grey));
        if (sh.fan) shape(fan_lines, in, stored_look(app, red, grey));
        // Grey with light borders, so that a wedge never looks like a cone or fan.
        if (sh.wedge) shape(wedge_lines, in, stored_look(app, "128, 128, 128,", "248 248 248"));
        if (storm.number > 0 && app.get_setting(keys::storm_labels) != "0") {
            for (std::string& l : storm_label_lines(storm, colour_setting(app, keys::track_rgb)))
                main.placefile.items.push_back(std::move(l));
        }
    }

private:
    App& app;
    FrmMain& main;

    // The shape's lines go into the buffer and its last destination into the
    // result fields, also when it fails part way.
    template <class Lines>
    void shape(Lines lines, const ProjectionInput& in, const ShapeLook& look) {
        ProjectionOutput out;
        auto keep = [&] {
            for (std::string& l : out.lines) main.placefile.items.push_back(std::move(l));
            if (out.last_destination) publish_destination(app, *out.last_destination);
        };
        try {
            lines(in, look, out);
        } catch (...) {
            keep();
            throw;
        }
        keep();
    }
};

}  // namespace

void FrmMain::compiler() {
    // A counter that is no number draws the track without a number or label.
    Storm s = storm_from_fields();
    if (compile_storm(s, true) && s.number > 0) {
        storms.add(std::move(s));
        storms_changed();
    }
    first_mark.reset();
    second_mark.reset();
}

bool FrmMain::compile_storm(const Storm& storm, bool remove_half_mark, bool write) {
    const std::string before = tracker.text;
    Compiler c(app, *this);
    try {
        c.run(storm, remove_half_mark);
        if (write) app.write_list_to_file(placefile_path(), placefile.items);
        tracker.text = num_text(to_number(tracker.text) + 1);
    } catch (const Failure& f) {
        app.message(failure_message("data_compiler", f));
    }
    // The track's own lines, for undo and erase (its ETA lines are found by
    // their tag). A failed run is not counted: what it wrote is kept without
    // a number.
    const bool counted = tracker.text != before && is_number(tracker.text);
    if (counted || placefile.items.size() > c.first_line)
        placefile_groups.record(LinePurpose::track, placefile.items, c.first_line,
                                counted ? to_long(tracker.text) : 0);
    return counted;
}

}  // namespace tessaly
