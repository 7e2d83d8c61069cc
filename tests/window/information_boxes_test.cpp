// The About and Operating Limitations boxes, opened with their buttons.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support.h"
#include "window/informationboxes.h"
#include "window/messagebox.h"

using tarnwell::window::Message;
using tarnwell::window::MessageIcon;
using tarnwell::window::ShowMessageBox;

Q_DECLARE_METATYPE(tarnwell::window::Message)

namespace {

Message Click(LoadedWindow& w, const char* button) {
    QTest::mouseClick(w.window().findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    auto messages = w.takeMessages();
    return messages.size() == 1 ? messages[0] : Message{};
}

}  // namespace

class InformationBoxes : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void aboutNamesTheProgramAndVersion() {
        LoadedWindow w;
        const Message about = Click(w, "cmdAbout");
        QCOMPARE(about.title, std::string("About"));
        QCOMPARE(about.icon, MessageIcon::Information);
        QCOMPARE(about.text, std::string("Tarnwell\r\n\r\nVersion 1.3.1\r\n\r\nBy Quillmere\r\n\r\n"
                                         "https://tarnwell.example.org"));
    }

    void limitsForEveryModelInBothUnits_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("figures");
        const QString lbs = QStringLiteral(" Lbs.");
        const QString kgs = QStringLiteral(" Kgs.");
        QTest::newRow("737-600 lbs")
            << "optModel600" << 0 << "Boeing 737-600 NG"
            << QStringList{"80,200", "113,500", "120,500", "144,000", "144,500", "46,063"};
        QTest::newRow("737-600 kgs")
            << "optModel600" << 1 << "Boeing 737-600 NG"
            << QStringList{"36,378", "51,483", "54,658", "65,317", "65,544", "20,894"};
        QTest::newRow("737-700 lbs")
            << "optModel700" << 0 << "Boeing 737-700 NG"
            << QStringList{"83,000", "120,500", "128,000", "153,500", "154,000", "46,063"};
        QTest::newRow("737-700 kgs")
            << "optModel700" << 1 << "Boeing 737-700 NG"
            << QStringList{"37,648", "54,658", "58,060", "69,626", "69,853", "20,894"};
        QTest::newRow("737-800 lbs")
            << "optModel800" << 0 << "Boeing 737-800 NG"
            << QStringList{"91,300", "136,000", "144,000", "173,000", "173,500", "46,063"};
        QTest::newRow("737-800 kgs")
            << "optModel800" << 1 << "Boeing 737-800 NG"
            << QStringList{"41,413", "61,689", "65,317", "78,471", "78,698", "20,894"};
        QTest::newRow("737-900 lbs")
            << "optModel900" << 0 << "Boeing 737-900 NG"
            << QStringList{"94,580", "140,300", "146,300", "174,200", "174,700", "46,063"};
        QTest::newRow("737-900 kgs")
            << "optModel900" << 1 << "Boeing 737-900 NG"
            << QStringList{"42,901", "63,639", "66,361", "79,016", "79,243", "20,894"};
    }

    void limitsForEveryModelInBothUnits() {
        QFETCH(QString, option);
        QFETCH(int, unit);
        QFETCH(QString, name);
        QFETCH(QStringList, figures);
        LoadedWindow w;
        w.list("cboUnits")->setCurrentIndex(unit);
        w.chooseModel(qPrintable(option));
        const Message limits = Click(w, "cmdOperatingLimits");
        QCOMPARE(QString::fromStdString(limits.title), name + " Operating Limitations");
        QCOMPARE(limits.icon, MessageIcon::Information);
        const QString suffix = unit == 1 ? QStringLiteral(" Kgs.") : QStringLiteral(" Lbs.");
        const QStringList captions{"Basic Operating Weight: ", "Maximum Zero Fuel Weight: ",
                                   "Maximum Landing Weight: ", "Maximum Gross Takeoff Weight: ",
                                   "Maximum Taxi Weight: ",    "Fuel Capacity: "};
        QStringList expected{name + " Operating Limitations:", ""};
        for (int i = 0; i < captions.size(); ++i) {
            expected << captions[i] + figures[i] + suffix;
        }
        expected << "";  // the text ends with a line break
        QCOMPARE(MessageLines(limits), expected);
    }

    void limitsShowEvenWithoutAPlan() {
        LoadedWindow w;
        w.chooseModel("optModel900");
        w.list("cboCruisingAlt")->setCurrentIndex(3);
        w.list("cboTripDistance")->setCurrentIndex(40);
        w.takeMessages();
        const Message limits = Click(w, "cmdOperatingLimits");
        QCOMPARE(limits.title, std::string("Boeing 737-900 NG Operating Limitations"));
    }

    void realBoxShowsCleanLinesAndOneOkButton() {
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = static_cast<int>(box->buttons().size());
            modal = box->isModal();
            box->button(QMessageBox::Ok)->click();
        });
        ShowMessageBox(nullptr, tarnwell::window::AboutMessage());
        QCOMPARE(text, QStringLiteral("Tarnwell\n\nVersion 1.3.1\n\nBy Quillmere\n\n"
                                      "https://tarnwell.example.org"));
        QVERIFY(!text.contains(QLatin1Char('\r')));
        QCOMPARE(title, QStringLiteral("About"));
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(buttons, 1);
        QVERIFY(modal);
    }

    // The title bar holds the title beside the window's icon and buttons
    // (about 24 pixels each on common desktops); the box is at least that
    // wide, so no title is cut to an ellipsis, however short its text.
    void everyBoxIsWideEnoughForItsTitle_data() {
        QTest::addColumn<Message>("message");
        QTest::newRow("read failed") << Message{"Read failed!", "Error", MessageIcon::None};
        QTest::newRow("boarded") << Message{"The fuel was successfully boarded.", "Success!",
                                            MessageIcon::Information};
        QTest::newRow("limits") << tarnwell::window::OperatingLimitsMessage(
            3, tarnwell::plan::Unit::Kilograms);
        QTest::newRow("long title, short text")
            << Message{"x", "Boeing 737-900 NG Operating Limitations and then some more words",
                       MessageIcon::None};
    }

    void everyBoxIsWideEnoughForItsTitle() {
        QFETCH(Message, message);
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            width = box->width();
            box->accept();
        });
        ShowMessageBox(nullptr, message);
        QFont bold = QApplication::font();
        bold.setBold(true);
        const int title =
            QFontMetrics(bold).horizontalAdvance(QString::fromStdString(message.title));
        QVERIFY2(width >= title + 4 * 24,
                 qPrintable(QStringLiteral("%1 for a title of %2").arg(width).arg(title)));
    }

    void exclamationIsAWarningBox() {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            icon = box->icon();
            box->accept();
        });
        ShowMessageBox(nullptr, {"x", "Error", MessageIcon::Exclamation});
        QCOMPARE(icon, QMessageBox::Warning);
    }
};

TARNWELL_WINDOW_SUITE(InformationBoxes);

#include "information_boxes_test.moc"
