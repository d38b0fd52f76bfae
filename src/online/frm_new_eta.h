#pragma once
// The online ETA lookup: a worker window that is never shown. It asks the
// place-name web service for places near a point and keeps arrival lists.
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/window.h"
#include "core/failure.h"
#include "places/local_places.h"
#include "places/place_source.h"
#include "platform/platform.h"
#include "storms/storm.h"

namespace tessaly {

class FrmNewETA : public Window {
public:
    explicit FrmNewETA(App& app);

    Control lat, lon, radius, buffer, nm_distance;
    Control mph;  // the storm's speed in knots, despite the name
    Control one, two, List1, hover, bufferr, Command1;

    // The web request ("socket"): is one executing, cancel it.
    bool request_executing() const;
    void cancel_request();

    // One search with the current fields: fetch, wait, handle the reply.
    // A request still out is cancelled instead and nothing is fetched.
    void getdata();
    // The two halves of getdata, so that a run can have several requests out
    // at once and still handle the replies in its own order.
    // request_url: the query for the current lat/lon/radius fields.
    std::string request_url();
    int start_request();  // starts the fetch, adds its id to `pending`
    // Waits for request `id` while the message loop runs. False when the run
    // was cancelled meanwhile (the request is then gone).
    bool wait_request(int id);
    // Takes the reply of a finished request into `buffer` and reads it. A
    // transfer error or a service error is returned (and yields no places).
    std::optional<Failure> finish_request(int id);

    void readdata();  // reads the records of the reply in `buffer`
    // The record reader: arrival times, the in-path test, markers and lists
    // for the records of one search, whichever source answered. Outside an
    // ETA view the placefile is written once after the records.
    void read_records(const std::vector<PlaceRecord>& records);
    // The records of a reply body (its <geoname> elements), in its order, at
    // most 20; each is read on its own, and one without all four elements
    // (name, lat, lng, distance) is skipped.
    static std::vector<PlaceRecord> parse_records(const std::string& body);
    // The source the ETA run asks: setting eta_database "server" is the web
    // service, anything else (missing too) the local index.
    PlaceSource& place_source();
    // The local index and custom places, whichever source the setting names.
    LocalPlaces& local_places();
    // Set by the ETA view while it runs: the places it has already placed
    // (one marker and one entry per place whichever search finds it again);
    // the view writes the placefile once at its end.
    std::optional<std::set<std::string>> view_places;
    void RemoveDuplicates();
    // Puts an arrival among the others by its time, earliest first (places
    // arriving in the same minute in the order read), and shows it in `one`
    // and `two` (its clock as the list writes it).
    void add_arrival(Arrival a, const std::string& clock);

    // The service's refusal in a reply body (<status message=".." value=".."/>).
    static std::optional<Failure> service_error(const std::string& body);
    // Text of an element or attribute value with the XML character references
    // decoded, invalid UTF-8 bytes replaced and control characters turned
    // into blanks.
    static std::string xml_text(const std::string& raw);
    static std::string url_encode(const std::string& s);

    // The storm an ETA run reads places for (set while it runs); outside a
    // run the main window's rows stand for it.
    std::optional<Storm> storm;
    int view_storm_number() const { return storm ? storm->number : 0; }
    // The places in the storm's path read since the lists were cleared,
    // earliest first; `one` and `two` show them.
    std::vector<Arrival> arrivals;

    // Requests of the current run that are out (ids of Platform::fetch_start).
    std::vector<int> pending;
    bool cancelled = false;  // set by cancel_request; ends the run that waits

private:
    std::unique_ptr<PlaceSource> online_;
    std::unique_ptr<LocalPlaces> local_;
};

}  // namespace tessaly
