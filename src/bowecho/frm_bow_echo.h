#pragma once
// The bow echo tool: a worker window that is never shown.
#include "app/window.h"

namespace tessaly {

class FrmBowEcho : public Window {
public:
    explicit FrmBowEcho(App& app);
    Control List, points, cazimuth, crange, placefile, build, one, two, eta;
    void bow_echo();
};

}  // namespace tessaly
