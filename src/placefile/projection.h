#pragma once
// The projection's geometry: the cone, fan or wedge of a finished track, its
// track line, icons and time marks, as placefile lines. Values in, lines out;
// compiler.cpp reads the inputs from the main window and the settings.
#include <optional>
#include <string>
#include <vector>

#include "geodesy/geodesy.h"
#include "placefile/format.h"
#include "platform/platform.h"

namespace tessaly {

struct ProjectionInput {
    Pt start, stop;
    std::string azimuth_text;  // whole degrees from start to stop, as shown
    double speed_kt = 0;
    std::string minutes_text;  // the track's projection length field
    bool polygons = true, borders = false, track = true;
    // Clock labels every 15 minutes along the track, in the ETA markers' font.
    struct TimeMarks {
        ClockTime now;
        std::string font_size;
    };
    std::optional<TimeMarks> time_marks;
};

// What a shape appends. On a failure part way (a destination off the
// number range) the lines so far stay, as does the last destination.
struct ProjectionOutput {
    std::vector<std::string> lines;
    std::optional<LatLon> last_destination;
};

void cone_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out);
void fan_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out);
void wedge_lines(const ProjectionInput& in, const ShapeLook& look, ProjectionOutput& out);

}  // namespace tessaly
