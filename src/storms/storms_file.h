#pragma once
// The storms on disk: a small text file beside the placefile that lets the
// program draw every storm again after a restart or a crash. Pure text in,
// text out; reading and writing the file itself is the caller's.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storms/storm.h"

namespace tessaly {

inline constexpr const char* kStormsFileName = "storms.txt";  // beside the placefile
inline constexpr const char* kStormsBadFileName = "storms.bad.txt";
// A longer file, or one with more storms, is not read (it cannot be ours).
inline constexpr std::size_t kStormsFileMaxBytes = 4u * 1024 * 1024;
inline constexpr std::size_t kStormsFileMaxStorms = 1000;

// Everything needed to draw the storms again exactly as they were.
struct StormsFile {
    Storms storms;     // in creation order, with the selection
    long counter = 0;  // the main window's track counter (number of the newest track)
};

// The file's text, lines ending in CR LF: the version line, the counter, the
// selected storm's number (0 for none), one block per storm and an end line.
// Every field of a storm but its arrivals is kept; doubles round-trip
// exactly. Texts escape "\" as "\\", control bytes (CR, LF, NUL, ...) and a
// final blank as "\xHH".
std::string storms_file_text(const StormsFile& f);

// The storms of a file, or a short reason it cannot be used (damaged,
// truncated, another program's file, a newer version) in `problem` with
// `file` empty. Accepts CR LF and LF. Never throws; reads nothing past
// kStormsFileMaxBytes and keeps at most kStormsFileMaxStorms storms.
struct StormsRead {
    std::optional<StormsFile> file;
    std::string problem;
};
StormsRead read_storms_file(std::string_view text);

// The storms marked (second press, UTC seconds) at or after `since_utc`, in
// order, with the same numbers, labels and counter. The selection stays if
// its storm is kept, else falls to the newest kept storm.
StormsFile storms_since(const StormsFile& f, std::int64_t since_utc);

}  // namespace tessaly
