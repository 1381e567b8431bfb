// The scheduler and the stall timer of a tracking run.
#include "shell/fvexo1.h"

namespace vexo {

void TMain::Timer2Timer() {}

void TMain::TsysTimer() {}

}  // namespace vexo
