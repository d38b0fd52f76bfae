#pragma once
// Checks that bytes read from the placefile are a whole file as this program
// writes it: CR LF after every line and blocks that open and close in order.
// Shared by the hostile-input tests, the integrity tests and the soak driver.
#include <string>
#include <string_view>
#include <vector>

#include "placefile/placefile_parser.h"

namespace tessaly::check {

// The lines of `bytes`; `why` is set when a line break is not CR LF or the
// last line has none (what a cut-off read shows).
struct FileLines {
    std::vector<std::string> lines;
    std::string why;
};

inline FileLines split_crlf(std::string_view b) {
    FileLines out;
    size_t pos = 0;
    while (pos < b.size()) {
        size_t nl = b.find('\n', pos);
        if (nl == std::string_view::npos) {
            out.why = "last line without CR LF";
            return out;
        }
        if (nl == pos || b[nl - 1] != '\r') {
            out.why = "LF without CR at byte " + std::to_string(nl);
            return out;
        }
        std::string_view line = b.substr(pos, nl - 1 - pos);
        if (line.find('\r') != std::string_view::npos) {
            out.why = "CR inside a line at byte " + std::to_string(pos);
            return out;
        }
        out.lines.emplace_back(line);
        pos = nl + 1;
    }
    return out;
}

// A block cut short or closed out of place: what a torn or spliced file
// shows. Bad values inside a line (a stored width "abc") are not counted:
// the program writes stored texts as they are and the viewer skips them.
inline bool structural(const PfProblem& p) {
    auto starts = [&](std::string_view s) { return p.message.rfind(s, 0) == 0; };
    return starts("block opened") || starts("file ends inside") || starts("End: outside") ||
           starts("out of memory");
}

// "" when `bytes` is a whole placefile, else the first reason it is not.
// With `header`, the first line must be the program's title line.
inline std::string validate(std::string_view bytes, bool header = true) {
    FileLines f = split_crlf(bytes);
    if (!f.why.empty()) return f.why;
    if (header && (f.lines.empty() || f.lines[0] != "Title: Tessaly")) return "no title line";
    ParsedPlacefile p = parse_placefile(bytes);
    for (const PfProblem& pr : p.problems)
        if (structural(pr)) return "line " + std::to_string(pr.line) + ": " + pr.message;
    return "";
}

}  // namespace tessaly::check
