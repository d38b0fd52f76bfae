#pragma once
// Real HTTP for the simulator and the native build (libcurl).
#include <memory>

#include "platform/sim/sim_platform.h"

namespace tessaly {

// nullptr when the build has no HTTP client.
std::unique_ptr<SimPlatform::RealWeb> make_real_web();

}  // namespace tessaly
