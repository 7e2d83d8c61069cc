#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPalette>
#include <QRectF>
#include <QSet>
#include <QStaticText>
#include <QString>
#include <QTransform>
#include <array>
#include <optional>
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
    // The aircraft's level across each gauge, where Refresh read a figure.
    std::array<std::optional<QRectF>, loadsheet::TankCount> aircraftMarks;
    QRectF fuel;  // the stacked fuel bar
};

// Where a part of the sheet is drawn when the sheet fills `area`.
QRectF SheetPartArea(loadsheet::SheetPart part, const QRectF& area);

// The texts a view has laid out, kept between its paints: typing changes a
// few figures at a time, and laying out every label again on each
// keystroke would cost more than the keystroke itself.
class LoadSheetTexts {
public:
    // `text` laid out in `font`, wrapped at `width` when it is above zero,
    // for drawing under `transform`; none the first time it is asked for
    // (a figure that may not be drawn again), when it is drawn as it is.
    const QStaticText* Get(const QString& text, const QFont& font, double width,
                           const QTransform& transform);

private:
    QHash<QString, QStaticText> texts_;
    QSet<QString> seen_;
};

// Draws the load sheet into `area`, scaled to fit it whole (the picture
// keeps its proportions and its text its size relative to the picture).
// With `texts`, the texts are taken from it (a view on the screen);
// without, laid out afresh (a page, a picture).
LoadSheetLayout PaintLoadSheet(QPainter& painter, const QRectF& area,
                               const loadsheet::LoadSheet& sheet, const LoadSheetColours& colours,
                               LoadSheetTexts* texts = nullptr);

}  // namespace tarnwell::window
