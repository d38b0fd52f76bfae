#pragma once
// The local place source: the index Tessaly carries (or places.dat beside
// the program) plus the user's own places from sites.txt and
// citydatabase\<CODE>cities.txt.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "places/place_index.h"
#include "places/place_source.h"

namespace tessaly {

class App;

struct CustomPlace {
    double lat_deg, lon_deg;
    std::string name, lat, lon;  // as written in the file, trimmed
};

struct CustomPlaces {
    std::vector<CustomPlace> places;
    bool no_site = false;  // the viewer's title gives no four-character site
    std::string problem;   // the first unreadable file or bad line, for the user
};

// Reads the custom places of `site_title`'s radar site. `read` returns a
// file's bytes or nullopt when it cannot be read (or is too large); `exists`
// tells a missing file from one that cannot be read; `folder` is the program
// folder as the platform names it. Without sites.txt there are none. Both
// kinds of file are read alike: a UTF-8 byte-order mark is dropped, CR LF,
// LF and CR end lines, fields are trimmed. Never throws std::bad_alloc: a
// problem says so instead.
CustomPlaces read_custom_places(
    const std::string& site_title, const std::string& folder,
    const std::function<std::optional<std::string>(const std::string&)>& read,
    const std::function<bool(const std::string&)>& exists = {});

// A latitude or longitude as the user's files write it: a plain decimal
// number within +-limit degrees; nullopt for anything else.
std::optional<double> place_degrees(std::string_view text, double limit);

// The places of one file's text, name,latitude,longitude per line: a UTF-8
// byte-order mark dropped, CR LF, LF and CR end lines, fields trimmed, blank
// lines and # comments skipped. A bad line is skipped; the first one is
// named (by `path` and number) in `problem` unless it already holds one.
void read_place_lines(std::string_view text, const std::string& path,
                      std::vector<CustomPlace>& places, std::string& problem);

// Longest custom place name, in characters.
inline constexpr std::size_t kMaxCustomNameCharacters = 100;

class LocalPlaces : public PlaceSource {
public:
    explicit LocalPlaces(App& app);

    // Loads the index on first use (places.dat when present and sound) and
    // reads the custom places for the selected viewer's site.
    void begin_run() override;
    int start(const PlaceQuery& q) override;
    bool wait(int) override { return true; }
    std::optional<Failure> take(int id, std::vector<PlaceRecord>& records) override;

    // The records of one search, as the service would give them.
    std::vector<PlaceRecord> search(double lat_deg, double lon_deg, double radius_km) const;
    const PlaceIndex& index();
    // The custom places the last begin_run read.
    const CustomPlaces& custom() const { return custom_; }

private:
    App& app_;
    std::shared_ptr<const PlaceIndex> index_;
    CustomPlaces custom_;
    std::map<int, std::vector<PlaceRecord>> results_;
    std::map<int, Failure> errors_;
    int next_id_ = 1;
};

}  // namespace tessaly
