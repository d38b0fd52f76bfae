#include "pathcast/pathcast.h"

namespace tessaly {}  // namespace tessaly
