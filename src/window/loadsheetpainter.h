#pragma once

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <array>
#include <vector>

#include "loadsheet/load_sheet.h"

class QPainter;

namespace tarnwell::window {

// The colours of a load sheet, taken from the desktop's palette, so that it
// reads in a light and in a dark theme alike; the warning red is the one
// colour of its own, and never the only sign.
struct LoadSheetColours {
    QColor background;
    QColor text;
    QColor frame;
    QColor fill;
    QColor exceeded;
    QColor dispatch;
};
LoadSheetColours ColoursFor(const QPalette& palette);

// Where the picture put its parts, in the painter's coordinates: what the
// tests and the window check and show.
struct LoadSheetLayout {
    std::array<QRectF, loadsheet::TankCount> tanks;  // the gauges' outlines
    std::array<QRectF, loadsheet::TankCount> tankFills;
    std::array<QRectF, loadsheet::WeightCount> weights;  // the bars' outlines
    std::array<QRectF, loadsheet::WeightCount> weightFills;
    std::vector<QRectF> exceededMarks;  // one per weight over its limit
    QRectF fuel;                        // the stacked fuel bar
};

// Draws the load sheet into `area`, scaled to fit it whole (the picture
// keeps its proportions and its text its size relative to the picture).
LoadSheetLayout PaintLoadSheet(QPainter& painter, const QRectF& area,
                               const loadsheet::LoadSheet& sheet, const LoadSheetColours& colours);

}  // namespace tarnwell::window
