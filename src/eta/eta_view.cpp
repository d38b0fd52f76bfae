// The ETA view (Command2) and the ETA run.
#include "app/app.h"

namespace tessaly {

void FrmMain::Command2_Click() {}
void FrmMain::RUNeta() {}

}  // namespace tessaly
