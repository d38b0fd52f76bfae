#pragma once
// The online ETA lookup: a worker window that is never shown. It asks the
// place-name web service for places near a point and keeps arrival lists.
#include <string>
#include <vector>

#include "app/window.h"

namespace tessaly {

class FrmNewETA : public Window {
public:
    explicit FrmNewETA(App& app);

    Control lat, lon, radius, mph, buffer, nm_distance;
    Control one, two, List1, hover, bufferr, Command1;

    // The web request ("socket"): is one executing, cancel it.
    bool request_executing() const;
    void cancel_request();

    void getdata();
    void readdata();
    void RemoveDuplicates();

    // Requests of the current run that are out (ids of Platform::fetch_start).
    std::vector<int> pending;
    bool cancelled = false;  // set by cancel_request; ends the run that waits
};

}  // namespace tessaly
