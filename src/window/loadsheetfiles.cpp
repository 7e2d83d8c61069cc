#include "window/loadsheetfiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QSaveFile>

#include "window/loadsheetpainter.h"

namespace tarnwell::window {
namespace {

// Printed on paper: black on white whatever the desktop's theme.
LoadSheetColours PaperColours() {
    return {Qt::white,           Qt::black,         QColor(90, 90, 90),
            QColor(40, 90, 170), QColor(200, 0, 0), QColor(0, 110, 60)};
}

QByteArray Pdf(const loadsheet::LoadSheet& sheet, const std::string& printed) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(QStringLiteral("Tarnwell load sheet"));
        pdf.setCreator(QStringLiteral("Tarnwell"));
        QPainter painter(&pdf);
        const QRectF page(0, 0, pdf.width(), pdf.height());
        // The picture on the upper part, the sheet's text below it.
        const QRectF picture(page.left(), page.top(), page.width(), page.width() * 0.64);
        PaintLoadSheet(painter, picture, sheet, PaperColours());
        QFont mono(QStringLiteral("DejaVu Sans Mono"));
        mono.setStyleHint(QFont::Monospace);
        mono.setPixelSize(static_cast<int>(page.width() / 88));
        painter.setFont(mono);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(page.left(), picture.bottom() + page.height() * 0.02, page.width(),
                                page.bottom() - picture.bottom()),
                         Qt::AlignLeft | Qt::AlignTop,
                         QString::fromStdString(loadsheet::LoadSheetText(sheet, printed)));
    }
    return buffer.data();
}

QByteArray Png(const loadsheet::LoadSheet& sheet) {
    QImage image(1600, 1024, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PaintLoadSheet(painter, QRectF(image.rect()), sheet, PaperColours());
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

}  // namespace

std::string PrintedNow() {
    return QDateTime::currentDateTimeUtc()
               .toString(QStringLiteral("yyyy-MM-dd HH:mm"))
               .toStdString() +
           " UTC";
}

std::string WriteLoadSheet(const QString& path, const loadsheet::LoadSheet& sheet,
                           const std::string& printed) {
    const QString ending = QFileInfo(path).suffix().toLower();
    QByteArray content;
    if (ending == QLatin1String("pdf")) {
        content = Pdf(sheet, printed);
    } else if (ending == QLatin1String("png")) {
        content = Png(sheet);
    } else if (ending == QLatin1String("txt")) {
        content = QByteArray::fromStdString(loadsheet::LoadSheetText(sheet, printed));
    } else {
        return "A load sheet is written as .pdf, .png or .txt, not as \"" + path.toStdString() +
               "\".";
    }
    // Written beside its name and renamed once whole: a full disk or a
    // folder that cannot be written leaves no half file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        const std::string why = file.errorString().toStdString();
        file.cancelWriting();
        return "The load sheet could not be written to " + path.toStdString() + ": " + why + ".";
    }
    return {};
}

}  // namespace tarnwell::window
