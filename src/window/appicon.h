#pragma once

#include <QIcon>

namespace tarnwell::window {

// The program's icon, for the window and the application: a fuel drop
// behind the aircraft seen head-on. Rendered from the vector original at
// 16, 24, 32, 48, 64, 128 and 256 pixels while building; each size is
// read when first asked for.
QIcon AppIcon();

}  // namespace tarnwell::window
