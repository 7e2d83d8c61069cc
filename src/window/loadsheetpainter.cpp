#include "window/loadsheetpainter.h"

#include <QPainter>
#include <QPalette>
#include <QPolygonF>
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

struct PageFit {
    double scale;
    QPointF origin;
};

// The page scaled to fit the area whole, centred in it.
PageFit FitPage(const QRectF& area) {
    const double scale = std::min(area.width() / PageWidth, area.height() / PageHeight);
    return {scale, QPointF(area.left() + (area.width() - PageWidth * scale) / 2,
                           area.top() + (area.height() - PageHeight * scale) / 2)};
}

// Sized in page units, so that the text scales with the picture on every
// device alike (a screen, a PNG, a PDF page at its own resolution).
QFont PageFont(QPainter& painter, double size, bool bold = false) {
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(std::lround(size * 1.4)));
    font.setBold(bold);
    return font;
}

// The painter, with the view's laid-out texts where it keeps them.
struct Page {
    QPainter& painter;
    LoadSheetTexts* texts;
};

void Text(Page& page, const QRectF& box, const QString& text, int flags, double size,
          bool bold = false) {
    QPainter& painter = page.painter;
    painter.setFont(PageFont(painter, size, bold));
    const bool wrap = (flags & Qt::TextWordWrap) != 0;
    const QStaticText* laid =
        page.texts != nullptr
            ? page.texts->Get(text, painter.font(), wrap ? box.width() : -1, painter.transform())
            : nullptr;
    if (laid == nullptr) {
        painter.drawText(box, flags, text);
        return;
    }
    const QSizeF extent = laid->size();
    QPointF at = box.topLeft();
    if ((flags & Qt::AlignHCenter) != 0) {
        at.rx() += (box.width() - extent.width()) / 2;
    } else if ((flags & Qt::AlignRight) != 0) {
        at.rx() += box.width() - extent.width();
    }
    if ((flags & Qt::AlignVCenter) != 0) {
        at.ry() += (box.height() - extent.height()) / 2;
    }
    painter.drawStaticText(at, *laid);
}

// The fuel parts' shades: the palette's fill, lighter part by part.
QColor Shade(const QColor& fill, std::size_t part) {
    return fill.lighter(100 + static_cast<int>(part) * 22);
}

// What the aircraft holds now across a gauge: a dashed line with a pointer
// at its level and the figure under the gauge, "!" where it differs from
// the plan; "unknown" and no line where the simulator's answer was none.
std::optional<QRectF> PaintAircraftLevel(Page& page, const QRectF& gauge,
                                         const loadsheet::TankGauge& tank,
                                         const std::optional<double>& now, plan::Unit unit,
                                         const LoadSheetColours& colours) {
    QPainter& painter = page.painter;
    const QRectF caption(gauge.left() - 20, gauge.bottom() + 58, 100, 18);
    painter.setPen(colours.dispatch);
    if (!now) {
        Text(page, caption, QStringLiteral("now unknown"), Qt::AlignHCenter, 9, true);
        painter.setPen(colours.text);
        return std::nullopt;
    }
    const bool differs = loadsheet::Differs(tank.pounds, *now);
    const double y = gauge.bottom() - gauge.height() * loadsheet::Fill(*now, tank.capacity);
    painter.setPen(QPen(colours.dispatch, 3, Qt::DashLine));
    painter.drawLine(QPointF(gauge.left() - 6, y), QPointF(gauge.right() + 6, y));
    painter.setPen(QPen(colours.dispatch, 1));
    painter.setBrush(colours.dispatch);
    // Only the pointer is smoothed: everything else is upright lines and
    // rectangles, which smoothing would only make dearer to draw.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPolygon(
        QPolygonF({QPointF(gauge.right() + 6, y), QPointF(gauge.right() + 16, y - 6),
                   QPointF(gauge.right() + 16, y + 6)}));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(differs ? colours.exceeded : colours.dispatch);
    Text(page, caption,
         (differs ? QStringLiteral("! now ") : QStringLiteral("now ")) + Figure(*now, unit),
         Qt::AlignHCenter, 9, true);
    painter.setPen(colours.text);
    return QRectF(gauge.left() - 6, y - 1.5, gauge.width() + 12, 3);
}

// Three lines of their own under the tanks, each short enough for the
// column: what was read and when, then the payload against the plan.
void PaintAircraftPayload(Page& page, const QPointF& at, const loadsheet::LoadSheet& sheet,
                          const LoadSheetColours& colours) {
    QPainter& painter = page.painter;
    const loadsheet::AircraftNow& now = *sheet.aircraft;
    const bool differs = now.payloadPounds && loadsheet::Differs(sheet.payload, *now.payloadPounds);
    const auto line = [&](double y, const QString& text, double size) {
        Text(page, QRectF(at.x(), at.y() + y, 320, 18), text, Qt::AlignLeft | Qt::AlignVCenter,
             size, true);
    };
    painter.setPen(colours.dispatch);
    line(0, QStringLiteral("In the aircraft now"), 10);
    line(17,
         QStringLiteral("%1, read %2")
             .arg(QString::fromStdString(now.simulator), QString::fromStdString(now.readAt)),
         9);
    QString payload =
        QStringLiteral("Payload ") +
        (now.payloadPounds ? WithUnit(*now.payloadPounds, sheet.unit) : QStringLiteral("unknown"));
    if (differs) {
        payload += QStringLiteral(", ! planned ") + Figure(sheet.payload, sheet.unit);
    }
    painter.setPen(differs ? colours.exceeded : colours.dispatch);
    line(34, payload, 9);
    painter.setPen(colours.text);
}

}  // namespace

LoadSheetColours ColoursFor(const QPalette& palette) {
    return {palette.color(QPalette::Base), palette.color(QPalette::Text),
            palette.color(QPalette::Mid),  palette.color(QPalette::Highlight),
            QColor(210, 30, 30),           palette.color(QPalette::Link)};
}

const QStaticText* LoadSheetTexts::Get(const QString& text, const QFont& font, double width,
                                       const QTransform& transform) {
    // The figures change with every keystroke: a text is laid out to keep
    // only once it is drawn a second time, and all are dropped once there
    // are many.
    constexpr qsizetype Kept = 512;
    if (texts_.size() + seen_.size() > Kept) {
        texts_.clear();
        seen_.clear();
    }
    // The page's fonts differ only in size and weight; a resized window
    // draws at another scale, for which the texts are laid out anew.
    const QString key =
        text + QChar(0x1f) + QString::number(font.pixelSize() * 2 + (font.bold() ? 1 : 0)) +
        QChar(0x1f) + QString::number(width) + QChar(0x1f) + QString::number(transform.m11());
    auto found = texts_.find(key);
    if (found != texts_.end()) {
        return &*found;
    }
    if (!seen_.contains(key)) {
        seen_.insert(key);
        return nullptr;
    }
    seen_.remove(key);
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    if (width > 0) {
        laid.setTextWidth(width);
    }
    laid.prepare(transform, font);
    return &*texts_.insert(key, laid);
}

QRectF SheetPartArea(loadsheet::SheetPart part, const QRectF& area) {
    // Where each part is drawn on the page, below: nothing of a part is
    // drawn outside its own.
    static constexpr QRectF Parts[loadsheet::SheetPartCount] = {
        QRectF(0, 0, PageWidth, 62),      // the heading
        QRectF(0, 62, 350, 478),          // the tanks, and the aircraft now
        QRectF(350, 62, 650, 328),        // the weights
        QRectF(350, 390, 650, 150),       // the fuel
        QRectF(0, 540, PageWidth, 100)};  // the notes
    const auto [scale, origin] = FitPage(area);
    const QRectF& r = Parts[static_cast<std::size_t>(part)];
    return QRectF(origin + r.topLeft() * scale, r.size() * scale);
}

LoadSheetLayout PaintLoadSheet(QPainter& painter, const QRectF& area,
                               const loadsheet::LoadSheet& sheet, const LoadSheetColours& colours,
                               LoadSheetTexts* texts) {
    LoadSheetLayout layout;
    Page page{painter, texts};
    painter.save();
    painter.fillRect(area, colours.background);
    const auto [scale, origin] = FitPage(area);
    painter.translate(origin);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(0, 0, PageWidth, PageHeight));
    painter.setPen(colours.text);
    const plan::Unit unit = sheet.unit;

    QString title = QStringLiteral("Load sheet: ") + QString::fromStdString(sheet.modelName);
    Text(page, QRectF(20, 10, 960, 30), title, Qt::AlignLeft | Qt::AlignVCenter, 16, true);
    if (!sheet.dispatchName.empty()) {
        Text(page, QRectF(20, 38, 960, 20),
             QStringLiteral("Dispatch plan: ") + QString::fromStdString(sheet.dispatchName),
             Qt::AlignLeft | Qt::AlignVCenter, 10);
    }
    if (!sheet.Complete()) {
        // What can be drawn without figures: the inputs, and why not more.
        Text(page, QRectF(20, 70, 960, 30), QString::fromStdString(sheet.notComputed),
             Qt::AlignLeft | Qt::AlignVCenter, 13, true);
        double y = 110;
        for (const auto& [name, value] : sheet.inputs) {
            Text(page, QRectF(40, y, 300, 22), QString::fromStdString(name),
                 Qt::AlignLeft | Qt::AlignVCenter, 11);
            Text(page, QRectF(340, y, 400, 22), QString::fromStdString(value),
                 Qt::AlignLeft | Qt::AlignVCenter, 11);
            y += 24;
        }
        painter.restore();
        return layout;
    }

    // The tanks: gauges filled to the planned fuel against capacity, left
    // main, centre, right main, as a pilot faces the fuel panel.
    Text(page, QRectF(20, 66, 300, 22), QStringLiteral("Tanks"), Qt::AlignLeft, 12, true);
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
        Text(page, QRectF(gauge.left() - 20, gauge.bottom() + 4, 100, 18),
             QString::fromStdString(tank.name), Qt::AlignHCenter, 10);
        Text(page, QRectF(gauge.left() - 20, gauge.bottom() + 22, 100, 18),
             WithUnit(tank.pounds, unit), Qt::AlignHCenter, 10, true);
        Text(page, QRectF(gauge.left() - 20, gauge.bottom() + 40, 100, 18),
             QStringLiteral("of ") + Figure(tank.capacity, unit), Qt::AlignHCenter, 9);
        layout.tanks[i] = gauge;
        layout.tankFills[i] = filled;
        if (sheet.aircraft) {
            layout.aircraftMarks[i] =
                PaintAircraftLevel(page, gauge, tank, sheet.aircraft->tankPounds[i], unit, colours);
        }
    }
    if (sheet.aircraft) {
        PaintAircraftPayload(page, QPointF(20, 484), sheet, colours);
    }
    if (sheet.fuelNotLoaded > 0) {
        painter.setPen(colours.exceeded);
        Text(page, QRectF(20, 444, 320, 36),
             QStringLiteral("! %1 does not fit the tanks").arg(WithUnit(sheet.fuelNotLoaded, unit)),
             Qt::AlignLeft | Qt::TextWordWrap, 10, true);
        painter.setPen(colours.text);
    }

    // The weights: bars against their limits, the limit at the same place
    // for all four; one over its limit is red, hatched and marked "OVER".
    Text(page, QRectF(360, 66, 300, 22), QStringLiteral("Weights against limits"), Qt::AlignLeft,
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
            Text(page, mark, QStringLiteral("\u25B2 OVER"), Qt::AlignLeft | Qt::AlignVCenter, 11,
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
        Text(page, QRectF(bar.left(), top, 620, 20), caption, Qt::AlignLeft | Qt::AlignVCenter, 10,
             weight.exceeded);
        layout.weights[i] = bar;
        layout.weightFills[i] = filled;
    }

    // The fuel: one stacked bar from en-route to taxi, with the total.
    Text(page, QRectF(360, 400, 600, 22),
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
        Text(page, QRectF(key.x() + 16, key.y(), 160, 20), label, Qt::AlignLeft | Qt::AlignVCenter,
             9);
    }
    painter.setPen(QPen(colours.frame, 2));
    painter.drawRect(fuelBar);
    layout.fuel = fuelBar;
    if (sheet.dispatchBlockFuel) {
        painter.setPen(colours.dispatch);
        Text(
            page, QRectF(360, 530, 600, 20),
            QStringLiteral("Dispatch block fuel: %1").arg(WithUnit(*sheet.dispatchBlockFuel, unit)),
            Qt::AlignLeft | Qt::AlignVCenter, 10);
    }
    if (!sheet.negativeEntries.empty()) {
        QStringList names;
        for (const std::string& name : sheet.negativeEntries) {
            names << QString::fromStdString(name);
        }
        painter.setPen(colours.exceeded);
        Text(page, QRectF(20, 540, 960, 40),
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
    for (std::optional<QRectF>& r : layout.aircraftMarks) {
        if (r) {
            r = out(*r);
        }
    }
    layout.fuel = out(layout.fuel);
    return layout;
}

}  // namespace tarnwell::window
