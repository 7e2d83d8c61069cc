#pragma once

#include "window/message.h"

class QWidget;

namespace tarnwell::window {

// Shows a message as a modal box with its title, its icon and one OK
// button, and returns when the user closes it. The program builds its
// texts with a carriage return and line feed between lines; the box shows
// them as plain line breaks.
void ShowMessageBox(QWidget* parent, const Message& message);

}  // namespace tarnwell::window
