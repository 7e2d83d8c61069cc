#pragma once

#include <QString>
#include <string>

#include "loadsheet/load_sheet.h"

// The load sheet kept as a file: one A4 page of PDF (the inputs, the
// figures and the picture), a PNG of the picture, or the plain text, by
// the name's ending. A file is written whole or not at all: it appears
// under its name only once complete, and a failure leaves nothing.
namespace tarnwell::window {

// The date and time a sheet is made, as it prints: "2026-12-10 14:05 UTC".
std::string PrintedNow();

// Empty when written; otherwise why not, in a pilot's words.
std::string WriteLoadSheet(const QString& path, const loadsheet::LoadSheet& sheet,
                           const std::string& printed);

}  // namespace tarnwell::window
