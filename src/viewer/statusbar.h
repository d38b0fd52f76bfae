#pragma once
// The portable half of the status-bar reader: panel text to position texts.
#include <string>
#include <utility>

namespace tessaly {

// Splits a panel text "lat, lon" at its first comma into trimmed latitude and
// longitude texts (the longitude runs to the end, or to a ">" after the
// comma). A text without a comma throws Failure (invalid argument, 5).
std::pair<std::string, std::string> parse_position(const std::string& panel_text);

}  // namespace tessaly
