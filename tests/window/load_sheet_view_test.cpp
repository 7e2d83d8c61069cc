// The load sheet through the real window: its picture at two sizes, its
// window following the planner, and the files it keeps.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "support.h"
#include "window/loadsheetpainter.h"
#include "window/loadsheetwindow.h"

using tarnwell::loadsheet::LoadSheet;
using tarnwell::window::LoadSheetLayout;

namespace {

// The 737-800 over 1000 nm with 52,000 lb of payload: zero fuel and
// landing weight over their limits, take-off and taxi-out within.
void PlanHeavy800(LoadedWindow& w) {
    w.chooseModel("optModel800");
    w.list("cboCruisingAlt")->setCurrentIndex(3);
    w.list("cboTripDistance")->setCurrentIndex(8);
    w.type("txtPayload", QStringLiteral("52000"));
}

// A dark desktop theme's colours.
QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    dark.setColor(QPalette::Mid, QColor(120, 120, 120));
    dark.setColor(QPalette::Highlight, QColor(60, 120, 200));
    dark.setColor(QPalette::Link, QColor(120, 170, 255));
    return dark;
}

bool Reddish(QRgb pixel) {
    return qRed(pixel) > 150 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

}  // namespace

class LoadSheetView : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    // Drawn into an area inside a larger picture: the fills follow the plan,
    // red and the OVER mark sit exactly on the weights over their limits,
    // and nothing lands outside the area.
    void thePictureFollowsThePlanAtAnySize_data() {
        QTest::addColumn<QSize>("area");
        QTest::addColumn<bool>("dark");
        QTest::newRow("wide, dark desktop") << QSize(1000, 640) << true;
        QTest::newRow("small and tall, light desktop") << QSize(420, 700) << false;
    }
    void thePictureFollowsThePlanAtAnySize() {
        QFETCH(QSize, area);
        QFETCH(bool, dark);
        LoadedWindow w;
        PlanHeavy800(w);
        LoadSheet sheet = w.window().LoadSheetNow();
        QVERIFY(sheet.Complete());
        // Refresh read half a wing, a centre the simulator answered with
        // nonsense, and the other wing full.
        sheet.aircraft = tarnwell::loadsheet::AircraftNow{
            "X-Plane", "now", {sheet.tanks[0].capacity / 2.0, std::nullopt, 8630.0}, 52000};
        const QColor outside(1, 2, 3);
        QImage image(area + QSize(80, 80), QImage::Format_RGB32);
        image.fill(outside);
        LoadSheetLayout layout;
        {
            QPainter painter(&image);
            layout = tarnwell::window::PaintLoadSheet(
                painter, QRectF(QPointF(40, 40), QSizeF(area)), sheet,
                tarnwell::window::ColoursFor(dark ? DarkPalette() : w.window().palette()));
        }
        // The desktop's colours: its base behind, its text on it.
        const QPalette& palette = dark ? DarkPalette() : w.window().palette();
        QCOMPARE(image.pixelColor(41, 41), palette.color(QPalette::Base));
        bool textSeen = false;
        for (int y = 40; y < 40 + area.height() && !textSeen; ++y) {
            for (int x = 40; x < 40 + area.width() && !textSeen; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const QColor text = palette.color(QPalette::Text);
                textSeen = qAbs(pixel.red() - text.red()) < 40 &&
                           qAbs(pixel.green() - text.green()) < 40 &&
                           qAbs(pixel.blue() - text.blue()) < 40;
            }
        }
        QVERIFY(textSeen);
        for (std::size_t i = 0; i < sheet.tanks.size(); ++i) {
            const double fill =
                tarnwell::loadsheet::Fill(sheet.tanks[i].pounds, sheet.tanks[i].capacity);
            QVERIFY(qAbs(layout.tankFills[i].height() - layout.tanks[i].height() * fill) < 0.5);
            QCOMPARE(layout.tankFills[i].bottom(), layout.tanks[i].bottom());
        }
        const std::array<std::optional<double>, 3> marked{0.5, std::nullopt, 1.0};
        for (std::size_t i = 0; i < marked.size(); ++i) {
            const auto& mark = layout.aircraftMarks[i];
            QCOMPARE(mark.has_value(), marked[i].has_value());
            if (mark) {
                const QRectF gauge = layout.tanks[i];
                QVERIFY(qAbs(mark->center().y() - (gauge.bottom() - gauge.height() * *marked[i])) <
                        0.5);
            }
        }
        int exceeded = 0;
        for (std::size_t i = 0; i < sheet.weights.size(); ++i) {
            const QRectF fill = layout.weightFills[i];
            int red = 0;
            for (int x = int(fill.left()) + 2; x < int(fill.right()) - 2; x += 3) {
                red += Reddish(image.pixel(x, int(fill.center().y())));
            }
            QCOMPARE(red > 0, sheet.weights[i].exceeded);
            exceeded += sheet.weights[i].exceeded;
        }
        QCOMPARE(exceeded, 2);
        QCOMPARE(int(layout.exceededMarks.size()), exceeded);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (x < 40 || y < 40 || x >= 40 + area.width() || y >= 40 + area.height()) {
                    QCOMPARE(image.pixelColor(x, y), outside);
                }
            }
        }
    }

    // The load sheet's window follows every change, and a plan that
    // cannot be computed shows why instead of the last figures.
    void theWindowFollowsThePlanner() {
        LoadedWindow w;
        PlanHeavy800(w);
        w.window().findChild<QPushButton*>(QStringLiteral("cmdLoadSheet"))->click();
        tarnwell::window::LoadSheetWindow& sheet = w.window().LoadSheet();
        QVERIFY(sheet.isVisible());
        w.type("txtPayload", QStringLiteral("20000"));
        QCOMPARE(sheet.View().Sheet().weights[0].pounds, 91300 + 20000);
        QVERIFY(!sheet.View().Sheet().weights[0].exceeded);
        w.list("cboTripDistance")->setCurrentIndex(48);  // no trip data for 5000 nm
        w.takeMessages();
        QVERIFY(!sheet.View().Sheet().Complete());
        QVERIFY(!sheet.View().grab().isNull());
    }

    // Saved from the window: the file whole, or a box and nothing.
    void savingWritesWholeFilesOrNothing() {
        LoadedWindow w;
        QTemporaryDir folder;
        w.window().OpenLoadSheet();
        for (const char* name : {"sheet.pdf", "sheet.png", "sheet.txt"}) {
            w.window().LoadSheet().SaveAs(folder.filePath(QLatin1String(name)));
            QVERIFY(QFileInfo(folder.filePath(QLatin1String(name))).size() > 100);
        }
        QCOMPARE(w.takeMessages().size(), std::size_t{0});
        QVERIFY(QImage(folder.filePath(QStringLiteral("sheet.png"))).width() > 0);
        QFile pdf(folder.filePath(QStringLiteral("sheet.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        w.window().LoadSheet().SaveAs(folder.filePath(QStringLiteral("no-such-folder/sheet.pdf")));
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 3);
    }
};

TARNWELL_WINDOW_SUITE(LoadSheetView);

#include "load_sheet_view_test.moc"
