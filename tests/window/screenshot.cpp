// Saves a picture of the planner window, as it looks after a worked
// example has been entered, for the documentation; with a dispatch plan,
// the planner and its dispatch panel side by side once the plan is in:
//   window_screenshot <file.png> [<plan.xml|plan.json> <with-plan.png>]
// The inputs are kept in a temporary settings store, never the user's.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "window/dispatchpanel.h"
#include "window/frmmain.h"

int main(int argc, char* argv[]) {
    if (argc != 2 && argc != 4) {
        std::fprintf(
            stderr, "usage: window_screenshot <file.png> [<plan.xml|plan.json> <with-plan.png>]\n");
        return 2;
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);

    tarnwell::window::FrmMain window;
    window.SetMessagePresenter([](const tarnwell::window::Message&) {});
    window.Form_Load();
    window.findChild<QRadioButton*>("optModel800")->setChecked(true);
    window.findChild<QComboBox*>("cboCruisingAlt")->setCurrentIndex(3);
    window.findChild<QComboBox*>("cboTripDistance")->setCurrentIndex(8);
    const std::pair<const char*, const char*> entries[] = {{"txtHeadwind", "20"},
                                                           {"txtPayload", "30000"},
                                                           {"txtHoldingFuel", "2000"},
                                                           {"txtMinimumFuel", "3000"},
                                                           {"txtTaxiFuel", "500"}};
    for (const auto& [name, text] : entries) {
        window.findChild<QLineEdit*>(name)->setText(QString::fromLatin1(text));
    }
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    if (argc == 2) {
        return 0;
    }
    // The pilot's change after the import shows in the check: 1500 lb more
    // holding fuel than dispatched.
    if (!window.Dispatch().ImportFile(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "could not import %s\n", argv[2]);
        return 1;
    }
    window.findChild<QLineEdit*>("txtHoldingFuel")->setText(QStringLiteral("4000"));
    QWidget& panel = window.Dispatch().Panel();
    if (!QTest::qWaitForWindowExposed(&panel)) {
        std::fprintf(stderr, "the dispatch panel was not shown\n");
        return 1;
    }
    const QPixmap planner = window.grab();
    const QPixmap dispatch = panel.grab();
    const int gap = 12;
    QImage both(planner.width() + gap + dispatch.width(),
                std::max(planner.height(), dispatch.height()), QImage::Format_RGB32);
    both.setDevicePixelRatio(planner.devicePixelRatio());
    both.fill(window.palette().color(QPalette::Window).darker(115));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, planner);
    painter.drawPixmap(planner.width() + gap, 0, dispatch);
    painter.end();
    if (!both.save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "could not write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
