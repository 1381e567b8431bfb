#pragma once
// The font of every window of the program.

#include <QFont>

namespace vexo {

// "宋体" at 12 pixels, with the CJK Song/Ming faces of a Linux desktop behind it.
QFont WindowFont();

}  // namespace vexo
