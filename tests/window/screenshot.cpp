// Saves a picture of the planner window, as it looks after a worked
// example has been entered, for the documentation:
//   window_screenshot <file.png>
// The inputs are kept in a temporary settings store, never the user's.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "window/frmmain.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshot <file.png>\n");
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
    return 0;
}
