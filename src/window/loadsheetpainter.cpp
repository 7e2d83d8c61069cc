#include "window/loadsheetpainter.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "plan/arithmetic.h"

namespace tarnwell::window {
namespace {

// The picture is laid out on a page of its own units and scaled to the area.
constexpr double PageWidth = 1000;
constexpr double PageHeight = 640;

QString Figure(double pounds, plan::Unit unit) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return whole ? QString::fromStdString(plan::FromPounds(*whole, unit)) : QStringLiteral("--");
}

QString WithUnit(double pounds, plan::Unit unit) {
    return Figure(pounds, unit) + QString::fromStdString(plan::UnitSuffix(unit));
}

// Sized in page units, so that the text scales with the picture on every
// device alike (a screen, a PNG, a PDF page at its own resolution).
QFont PageFont(QPainter& painter, double size, bool bold = false) {
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(std::lround(size * 1.4)));
    font.setBold(bold);
    return font;
}

void Text(QPainter& painter, const QRectF& box, const QString& text, int flags, double size,
          bool bold = false) {
    painter.setFont(PageFont(painter, size, bold));
    painter.drawText(box, flags, text);
}

// The fuel parts' shades: the palette's fill, lighter part by part.
QColor Shade(const QColor& fill, std::size_t part) {
    return fill.lighter(100 + static_cast<int>(part) * 22);
}

}  // namespace

LoadSheetColours ColoursFor(const QPalette& palette) {
    return {palette.color(QPalette::Base), palette.color(QPalette::Text),
            palette.color(QPalette::Mid),  palette.color(QPalette::Highlight),
            QColor(210, 30, 30),           palette.color(QPalette::Link)};
}

LoadSheetLayout PaintLoadSheet(QPainter& painter, const QRectF& area,
                               const loadsheet::LoadSheet& sheet, const LoadSheetColours& colours) {
    LoadSheetLayout layout;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, colours.background);
    const double scale = std::min(area.width() / PageWidth, area.height() / PageHeight);
    const QPointF origin(area.left() + (area.width() - PageWidth * scale) / 2,
                         area.top() + (area.height() - PageHeight * scale) / 2);
    painter.translate(origin);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(0, 0, PageWidth, PageHeight));
    painter.setPen(colours.text);
    const plan::Unit unit = sheet.unit;

    QString title = QStringLiteral("Load sheet: ") + QString::fromStdString(sheet.modelName);
    Text(painter, QRectF(20, 10, 960, 30), title, Qt::AlignLeft | Qt::AlignVCenter, 16, true);
    if (!sheet.dispatchName.empty()) {
        Text(painter, QRectF(20, 38, 960, 20),
             QStringLiteral("Dispatch plan: ") + QString::fromStdString(sheet.dispatchName),
             Qt::AlignLeft | Qt::AlignVCenter, 10);
    }
    if (!sheet.Complete()) {
        // What can be drawn without figures: the inputs, and why not more.
        Text(painter, QRectF(20, 70, 960, 30), QString::fromStdString(sheet.notComputed),
             Qt::AlignLeft | Qt::AlignVCenter, 13, true);
        double y = 110;
        for (const auto& [name, value] : sheet.inputs) {
            Text(painter, QRectF(40, y, 300, 22), QString::fromStdString(name),
                 Qt::AlignLeft | Qt::AlignVCenter, 11);
            Text(painter, QRectF(340, y, 400, 22), QString::fromStdString(value),
                 Qt::AlignLeft | Qt::AlignVCenter, 11);
            y += 24;
        }
        painter.restore();
        return layout;
    }

    // The tanks: gauges filled to the planned fuel against capacity, left
    // main, centre, right main, as a pilot faces the fuel panel.
    Text(painter, QRectF(20, 66, 300, 22), QStringLiteral("Tanks"), Qt::AlignLeft, 12, true);
    for (std::size_t i = 0; i < loadsheet::TankCount; ++i) {
        const loadsheet::TankGauge& tank = sheet.tanks[i];
        const QRectF gauge(40 + double(i) * 100, 100, 60, 260);
        const double fill = loadsheet::Fill(tank.pounds, tank.capacity);
        const QRectF filled(gauge.left(), gauge.bottom() - gauge.height() * fill, gauge.width(),
                            gauge.height() * fill);
        painter.fillRect(filled, colours.fill);
        painter.setPen(QPen(colours.frame, 2));
        painter.drawRect(gauge);
        painter.setPen(colours.text);
        Text(painter, QRectF(gauge.left() - 20, gauge.bottom() + 4, 100, 18),
             QString::fromStdString(tank.name), Qt::AlignHCenter, 10);
        Text(painter, QRectF(gauge.left() - 20, gauge.bottom() + 22, 100, 18),
             WithUnit(tank.pounds, unit), Qt::AlignHCenter, 10, true);
        Text(painter, QRectF(gauge.left() - 20, gauge.bottom() + 40, 100, 18),
             QStringLiteral("of ") + Figure(tank.capacity, unit), Qt::AlignHCenter, 9);
        layout.tanks[i] = gauge;
        layout.tankFills[i] = filled;
    }
    if (sheet.fuelNotLoaded > 0) {
        painter.setPen(colours.exceeded);
        Text(painter, QRectF(20, 424, 320, 36),
             QStringLiteral("! %1 does not fit the tanks").arg(WithUnit(sheet.fuelNotLoaded, unit)),
             Qt::AlignLeft | Qt::TextWordWrap, 10, true);
        painter.setPen(colours.text);
    }

    // The weights: bars against their limits, the limit at the same place
    // for all four; one over its limit is red, hatched and marked "OVER".
    Text(painter, QRectF(360, 66, 300, 22), QStringLiteral("Weights against limits"), Qt::AlignLeft,
         12, true);
    for (std::size_t i = 0; i < loadsheet::WeightCount; ++i) {
        const loadsheet::WeightBar& weight = sheet.weights[i];
        const double top = 100 + double(i) * 72;
        const QRectF bar(360, top + 22, 520, 26);
        const double fill = loadsheet::Fill(weight.pounds, weight.limit);
        const QRectF filled(bar.left(), bar.top(), bar.width() * fill, bar.height());
        painter.fillRect(filled, weight.exceeded ? colours.exceeded : colours.fill);
        if (weight.exceeded) {
            painter.fillRect(filled, QBrush(colours.background, Qt::BDiagPattern));
            const QRectF mark(bar.right() + 6, bar.top(), 90, bar.height());
            painter.setPen(colours.exceeded);
            Text(painter, mark, QStringLiteral("\u25B2 OVER"), Qt::AlignLeft | Qt::AlignVCenter, 11,
                 true);
            layout.exceededMarks.push_back(mark);
        }
        painter.setPen(QPen(colours.frame, 2));
        painter.drawRect(bar);
        if (weight.dispatch) {
            // The dispatch plan's figure as a tick on the bar.
            const double x =
                bar.left() + bar.width() * loadsheet::Fill(*weight.dispatch, weight.limit);
            painter.setPen(QPen(colours.dispatch, 3, Qt::DashLine));
            painter.drawLine(QPointF(x, bar.top() - 4), QPointF(x, bar.bottom() + 4));
        }
        painter.setPen(colours.text);
        QString caption = QStringLiteral("%1: %2 of %3")
                              .arg(QString::fromStdString(weight.name),
                                   WithUnit(weight.pounds, unit), Figure(weight.limit, unit));
        if (weight.dispatch) {
            caption += QStringLiteral("  (dispatch %1)").arg(Figure(*weight.dispatch, unit));
        }
        Text(painter, QRectF(bar.left(), top, 620, 20), caption, Qt::AlignLeft | Qt::AlignVCenter,
             10, weight.exceeded);
        layout.weights[i] = bar;
        layout.weightFills[i] = filled;
    }

    // The fuel: one stacked bar from en-route to taxi, with the total.
    Text(painter, QRectF(360, 400, 600, 22),
         QStringLiteral("Fuel at taxi: %1").arg(WithUnit(sheet.totalFuel, unit)), Qt::AlignLeft, 12,
         true);
    const QRectF fuelBar(360, 430, 520, 34);
    double x = fuelBar.left();
    const double total = std::max(1.0, double(sheet.totalFuel));
    for (std::size_t i = 0; i < loadsheet::FuelPartCount; ++i) {
        const loadsheet::FuelPart& part = sheet.fuel[i];
        const double width =
            part.pounds > 0 ? fuelBar.width() * std::min(1.0, part.pounds / total) : 0;
        const double clipped = std::min(width, fuelBar.right() - x);
        painter.fillRect(QRectF(x, fuelBar.top(), clipped, fuelBar.height()),
                         Shade(colours.fill, i));
        x += clipped;
        // The legend, three to a row.
        const QPointF key(fuelBar.left() + double(i % 3) * 175,
                          fuelBar.bottom() + 8 + double(i / 3) * 22);
        painter.fillRect(QRectF(key.x(), key.y() + 4, 12, 12), Shade(colours.fill, i));
        painter.setPen(colours.text);
        const QString label = QStringLiteral("%1 %2").arg(QString::fromStdString(part.name),
                                                          Figure(part.pounds, unit));
        Text(painter, QRectF(key.x() + 16, key.y(), 160, 20), label,
             Qt::AlignLeft | Qt::AlignVCenter, 9);
    }
    painter.setPen(QPen(colours.frame, 2));
    painter.drawRect(fuelBar);
    layout.fuel = fuelBar;
    if (sheet.dispatchBlockFuel) {
        painter.setPen(colours.dispatch);
        Text(
            painter, QRectF(360, 530, 600, 20),
            QStringLiteral("Dispatch block fuel: %1").arg(WithUnit(*sheet.dispatchBlockFuel, unit)),
            Qt::AlignLeft | Qt::AlignVCenter, 10);
    }
    if (!sheet.negativeEntries.empty()) {
        QStringList names;
        for (const std::string& name : sheet.negativeEntries) {
            names << QString::fromStdString(name);
        }
        painter.setPen(colours.exceeded);
        Text(painter, QRectF(20, 540, 960, 40),
             QStringLiteral("! Below zero, drawn as nothing: ") + names.join(QStringLiteral(", ")),
             Qt::AlignLeft | Qt::TextWordWrap, 10, true);
    }
    painter.restore();
    // The layout in the caller's coordinates.
    const auto out = [&](const QRectF& r) {
        return QRectF(origin + r.topLeft() * scale, r.size() * scale);
    };
    for (auto* rects : {&layout.tanks, &layout.tankFills}) {
        for (QRectF& r : *rects) {
            r = out(r);
        }
    }
    for (auto* rects : {&layout.weights, &layout.weightFills}) {
        for (QRectF& r : *rects) {
            r = out(r);
        }
    }
    for (QRectF& r : layout.exceededMarks) {
        r = out(r);
    }
    layout.fuel = out(layout.fuel);
    return layout;
}

}  // namespace tarnwell::window
