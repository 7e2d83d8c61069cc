#pragma once

#include "window/message.h"

class QWidget;

namespace tarnwell::window {

// The longest run of characters without a blank that a box shows whole:
// a longer one (a host name given on the command line, a simulator's
// answer) is cut, so that no box grows wider than the screen.
inline constexpr int LongestWord = 80;

// Shows a message as a modal box with its title, its icon and one OK
// button, and returns when the user closes it. The program builds its
// texts with a carriage return and line feed between lines; the box shows
// them as plain line breaks. Details, when there are any, are behind the
// box's details button.
void ShowMessageBox(QWidget* parent, const Message& message);

// Asks a question in a modal box with two buttons: the question's own
// (the default) and Cancel (also Escape and the close box). True when the
// user chose to go on.
bool AskQuestionBox(QWidget* parent, const Question& question);

}  // namespace tarnwell::window
