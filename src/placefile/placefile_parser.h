#pragma once
// Reads placefile text back into items, for the demo viewer and for round-trip
// tests of what this program writes. Tolerant: bad lines become problems and
// parsing goes on, since a viewer must draw whatever it can of a file.
#include <string>
#include <string_view>
#include <vector>

#include "geodesy/geodesy.h"

namespace tessaly {

struct PfColor {
    int r = 255, g = 255, b = 255;
    int alpha = 100;  // as written; an empty alpha means fully opaque
};

struct PfPolygon {
    std::vector<LatLon> vertices;
    PfColor fill;  // the first vertex's colour, else the current Color:
};

struct PfLine {
    int width = 1;
    int flags = 0;
    std::string hover;
    PfColor color;
    std::vector<LatLon> points;
};

struct PfIcon {
    double lat = 0, lon = 0;
    double angle = 0;
    int file = 0, icon = 0;
    std::string hover;
};

struct PfText {
    double lat = 0, lon = 0;  // offsets in pixels inside an Object:
    int font = 0;
    std::string text;  // everything after the font number, as written
    PfColor color;
    // The text split as a viewer shows it: the label drawn on the map and
    // the hover text shown under the mouse ("\n" in it breaks lines); each
    // may be quoted.
    std::string label, hover;
};

struct PfObject {
    double lat = 0, lon = 0;
    std::vector<PfText> texts;
    std::vector<PfIcon> icons;
};

struct PfProblem {
    int line = 0;  // 1-based
    std::string message;
};

struct ParsedPlacefile {
    std::string title;
    int refresh_seconds = 0;
    int threshold = 0;
    std::vector<std::string> fonts;       // Font: lines, verbatim after the colon
    std::vector<std::string> icon_files;  // IconFile: lines, verbatim after the colon
    std::vector<PfPolygon> polygons;
    std::vector<PfLine> lines;
    std::vector<PfIcon> icons;
    std::vector<PfText> texts;
    std::vector<PfObject> objects;
    std::vector<PfProblem> problems;
};

// Never throws; an unclosed block at the end is dropped and reported.
ParsedPlacefile parse_placefile(std::string_view text) noexcept;

}  // namespace tessaly
