#pragma once
// The bow echo tool: a worker window that is never shown.
#include "app/window.h"

namespace tessaly {

class FrmBowEcho : public Window {
public:
    explicit FrmBowEcho(App& app);
    Control List, points, cazimuth, crange, placefile, build, one, two, eta;
    // Builds the bow echo from the eight points in List and appends it to the
    // main window's buffer; afterwards, whether it was drawn or not, List and
    // the point count are empty.
    void bow_echo();

private:
    void build_from_points();
    void reset();  // no points, no results
};

}  // namespace tessaly
