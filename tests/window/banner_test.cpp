#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QtTest>

#include "window/appicon.h"
#include "window/banner.h"

using tarnwell::window::AppIcon;
using tarnwell::window::Banner;

namespace {

// Number of distinct colours in an image, counted up to `enough`.
int DistinctColours(const QImage& image, int enough) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            seen.insert(image.pixel(x, y));
            if (seen.size() >= enough) {
                return static_cast<int>(seen.size());
            }
        }
    }
    return static_cast<int>(seen.size());
}

}  // namespace

class BannerTest : public QObject {
    Q_OBJECT

private slots:
    // The window places the banner at 3,5 and the tank displays relative
    // to the picture, so the border and the picture size must not drift.
    void geometry() {
        Banner banner;
        QCOMPARE(banner.objectName(), QStringLiteral("Image1"));
        QCOMPARE(banner.minimumSize(), QSize(504, 119));
        QCOMPARE(banner.maximumSize(), QSize(504, 119));
        QCOMPARE(banner.frameWidth(), 2);
        QCOMPARE(banner.contentsRect(), QRect(2, 2, 500, 115));
        QCOMPARE(banner.frameShadow(), QFrame::Sunken);
    }

    // Rendered from the SVG artwork while building: the banner at 1x and 2x,
    // the icon square at each size.
    void artworkIsBuiltIn() {
        QCOMPARE(QFileInfo(QStringLiteral(":/art/banner.rgb32")).size(), 500 * 115 * 4);
        QCOMPARE(QFileInfo(QStringLiteral(":/art/banner@2x.rgb32")).size(), 1000 * 230 * 4);
        for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(QStringLiteral(":/art/icon-%1.png").arg(side));
            QCOMPARE(icon.size(), QSize(side, side));
        }
    }

    void picturePerRatio_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QSize>("deviceSize");
        QTest::newRow("1") << 1.0 << QSize(500, 115);
        QTest::newRow("1.5") << 1.5 << QSize(750, 173);
        QTest::newRow("2") << 2.0 << QSize(1000, 230);
    }

    void picturePerRatio() {
        QFETCH(qreal, ratio);
        QFETCH(QSize, deviceSize);
        Banner banner;
        const QPixmap picture = banner.Picture(ratio);
        QCOMPARE(picture.size(), deviceSize);
        QCOMPARE(picture.devicePixelRatio(), ratio);
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(deviceSize) / ratio);
        // A real picture, not an empty or single-colour fill.
        QVERIFY(DistinctColours(picture.toImage(), 200) >= 200);
        // Rendered once per ratio.
        QCOMPARE(banner.Picture(ratio).cacheKey(), picture.cacheKey());
    }

    // The picture fills the inside of the border one to one, and the border
    // is drawn around it.
    void paintsPictureInsideBorder() {
        Banner banner;
        const QImage shown = banner.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage picture = banner.Picture(1.0).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(504, 119));
        for (const QPoint at : {QPoint(0, 0), QPoint(250, 60), QPoint(499, 114), QPoint(111, 63)}) {
            QCOMPARE(shown.pixel(at + QPoint(2, 2)), picture.pixel(at));
        }
        QVERIFY(shown.pixel(0, 0) != picture.pixel(0, 0));
        QVERIFY(shown.pixel(503, 118) != picture.pixel(499, 114));
    }

    void iconSizes() {
        const QIcon icon = AppIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (const int side : {16, 32, 48, 64, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
        }
        // Drawn edge to edge: transparent outside the rounded tile's corners,
        // opaque in the middle, at the smallest size too.
        for (const int side : {16, 256}) {
            const QImage image = icon.pixmap(side).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(side / 2, side / 2)), 255);
        }
    }
};

QTEST_MAIN(BannerTest)
#include "banner_test.moc"
