// The projection compiler.
#include "app/app.h"

namespace tessaly {

void FrmMain::compiler() {}

}  // namespace tessaly
