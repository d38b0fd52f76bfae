#include "platform/sim/real_web.h"

namespace tessaly {

std::unique_ptr<SimPlatform::RealWeb> make_real_web() { return nullptr; }

}  // namespace tessaly
