#include "window/banner.h"

#include <QImage>
#include <QPainter>
#include <QResource>
#include <QString>
#include <QtMath>

#include <utility>

namespace tarnwell::window {

Banner::Banner(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Image1"));
    // WinPanel is always two pixels wide, whatever the widget style.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFixedSize(PictureWidth + 2 * BorderWidth, PictureHeight + 2 * BorderWidth);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QPixmap Banner::Picture(qreal ratio) {
    if (const auto found = pictures_.find(ratio); found != pictures_.end()) {
        return found->second;
    }
    // At fractional ratios the device size is rounded up; the artwork is
    // stretched over the extra fraction of a pixel rather than leaving a
    // blank row.
    const QSize size(qCeil(PictureWidth * ratio), qCeil(PictureHeight * ratio));
    // The pixels lie uncompressed in the program (art/*.rgb32); the image
    // points at them until the pixmap takes its copy below.
    const bool large = ratio > 1;
    const QResource art(large ? QStringLiteral(":/art/banner@2x.rgb32")
                              : QStringLiteral(":/art/banner.rgb32"));
    const QByteArray pixels = art.uncompressedData();
    const int width = large ? 2 * PictureWidth : PictureWidth;
    const int height = large ? 2 * PictureHeight : PictureHeight;
    QImage image;
    if (pixels.size() == qsizetype{width} * height * 4) {
        image = QImage(reinterpret_cast<const uchar*>(pixels.constData()), width, height,
                       QImage::Format_RGB32);
    }
    if (image.size() != size) {
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    pictures_.emplace(ratio, pixmap);
    return pixmap;
}

void Banner::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setClipRect(area);
        // Drawn at its own size, so each device pixel of the picture lands
        // on one pixel of the screen.
        painter.drawPixmap(area.topLeft(), Picture(devicePixelRatio()));
    }
    QFrame::paintEvent(event);  // the border
}

}  // namespace tarnwell::window
