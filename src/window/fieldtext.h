#pragma once

#include <string>

class QLineEdit;

namespace tarnwell::window {

// A field's text, as the plan reads it (UTF-8).
std::string EditText(const QLineEdit* edit);

// Gives a field a text; the same text again changes nothing. The field being
// typed in keeps its caret and selection, counted from the end of the text.
// True when the text changed (and the field's change handler ran).
bool WriteFieldText(QLineEdit* edit, const std::string& text);

}  // namespace tarnwell::window
