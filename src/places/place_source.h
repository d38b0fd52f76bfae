#pragma once
// Where the ETA run gets its places: the place-name web service or the local
// index. Both answer a nearby search with records of the same shape, which
// the one record reader (FrmNewETA::read_records) turns into arrivals.
#include <optional>
#include <string>
#include <vector>

#include "core/failure.h"

namespace tessaly {

// One place as a source found it: its name and the texts of its latitude,
// longitude and distance (km), as plain one-line text (the reply's character
// references decoded, invalid UTF-8 replaced, control characters blanked;
// the coordinates trimmed). The record reader takes them as they are.
struct PlaceRecord {
    std::string name, lat, lng, distance;
};

// A nearby search: centre in decimal degrees and radius in km, as text.
struct PlaceQuery {
    std::string lat, lon, radius_km;
};

class PlaceSource {
public:
    virtual ~PlaceSource() = default;
    // Once at the start of an ETA run, before its searches.
    virtual void begin_run() {}
    // Starts a search (at most 20 rows); several may be out at once.
    virtual int start(const PlaceQuery& q) = 0;
    // Waits for search `id`; false when the run was cancelled meanwhile.
    virtual bool wait(int id) = 0;
    // The records of a finished search, nearest first, or the failure that
    // yielded none.
    virtual std::optional<Failure> take(int id, std::vector<PlaceRecord>& records) = 0;
};

}  // namespace tessaly
