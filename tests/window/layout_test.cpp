// The window as a user and an automation tool find it: names, texts,
// positions, the read-only fields, the focus order and the access keys.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support.h"

namespace {

QRect Twips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

// Position of a control in window coordinates.
QRect InWindow(const QWidget* widget) {
    return {widget->mapTo(widget->window(), QPoint(0, 0)), widget->size()};
}

}  // namespace

class WindowLayout : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void windowHasTheDesignSizeAndCaption() {
        LoadedWindow w;
        QCOMPARE(w.window().objectName(), QStringLiteral("frmMain"));
        QCOMPARE(w.window().size(), QSize(510, 469));
        QCOMPARE(w.window().minimumSize(), w.window().maximumSize());
        QCOMPARE(w.window().windowTitle(), QStringLiteral("Boeing Tarnwell"));
    }

    void everyControlCarriesItsName() {
        LoadedWindow w;
        const QWidget& f = w.window();
        QList<int> labels;
        for (int i = 1; i <= 21; ++i) {
            labels << i;
        }
        labels << 34 << 35 << 36;
        for (int i : labels) {
            QVERIFY2(f.findChild<QLabel*>(QStringLiteral("Label%1").arg(i)),
                     qPrintable(QStringLiteral("Label%1").arg(i)));
        }
        for (int i = 0; i < 12; ++i) {
            auto* unit = f.findChild<QLabel*>(QStringLiteral("lblUnits_%1").arg(i));
            QVERIFY(unit);
            QCOMPARE(unit->text(), QStringLiteral("Lbs."));
        }
        for (const char* name : {"cboCruisingAlt", "cboTripDistance", "cboAlternateDistance",
                                 "cboWindType", "cboUnits"}) {
            QVERIFY2(w.list(name), name);
        }
        for (const char* name :
             {"txtHeadwind", "txtWindAdj", "txtTotalNAM", "txtBOW", "txtPayload", "txtZFW",
              "txtPLW", "txtGTOW", "txtTaxiWeight", "txtAlternateFuel", "txtHoldingFuel",
              "txtMinimumFuel", "txtEnrouteFuel", "txtTaxiFuel", "txtTotalFuel", "txtRightTank",
              "txtCenterTank", "txtLeftTank"}) {
            QVERIFY2(w.edit(name), name);
        }
        for (const char* name : {"frmAircraft", "fraTripInformation", "fraFuel", "fraWeights"}) {
            QVERIFY2(f.findChild<QGroupBox*>(QLatin1String(name)), name);
        }
        QVERIFY(f.findChild<QWidget*>(QStringLiteral("Image1")));
    }

    void framesButtonsAndBannerSitWhereDesigned() {
        LoadedWindow w;
        const QWidget& f = w.window();
        const auto at = [&f](const char* name) {
            return InWindow(f.findChild<QWidget*>(QLatin1String(name)));
        };
        QCOMPARE(at("Image1"), Twips(45, 75, 7560, 1785));
        QCOMPARE(at("fraTripInformation"), Twips(60, 1920, 3975, 2475));
        QCOMPARE(at("fraFuel"), Twips(4215, 1920, 3375, 2475));
        QCOMPARE(at("fraWeights"), Twips(60, 4485, 3975, 2475));
        QCOMPARE(at("frmAircraft"), Twips(4215, 4485, 3375, 1005));
        QCOMPARE(at("cmdOperatingLimits"), Twips(4200, 5625, 1815, 375));
        QCOMPARE(at("cmdReadPayload"), Twips(4200, 6090, 1815, 375));
        QCOMPARE(at("cmdBoardFuel"), Twips(4200, 6570, 1815, 375));
        QCOMPARE(at("Label36"), Twips(6090, 5715, 465, 240));
        QCOMPARE(at("cboUnits"), Twips(6600, 5655, 975, 315));
        QCOMPARE(at("cmdAbout"), Twips(6120, 6090, 1455, 375));
        QCOMPARE(at("cmdExit"), Twips(6120, 6570, 1455, 375));
        QCOMPARE(at("txtRightTank"), Twips(1200, 960, 1095, 180));
        QCOMPARE(at("txtCenterTank"), Twips(3240, 1200, 1215, 180));
        QCOMPARE(at("txtLeftTank"), Twips(5280, 960, 1095, 180));
        // Rows: first field at 240, 360 apart; the field right of its caption.
        QCOMPARE(InWindow(w.edit("txtPayload")), Twips(60 + 2475, 4485 + 600, 975, 285));
        QCOMPARE(InWindow(w.edit("txtTotalFuel")), Twips(4215 + 1875, 1920 + 2040, 975, 285));
        QCOMPARE(InWindow(w.list("cboWindType")), Twips(60 + 1350, 1920 + 1320, 1125, 315));
        // The tank displays are drawn over the banner.
        QWidget* banner = f.findChild<QWidget*>(QStringLiteral("Image1"));
        for (const char* tank : {"txtRightTank", "txtCenterTank", "txtLeftTank"}) {
            QVERIFY(at("Image1").contains(at(tank)));
            QCOMPARE(f.childAt(at(tank).center()), w.edit(tank));
            QVERIFY(w.edit(tank)->isVisible());
        }
        QVERIFY(banner->isVisible());
    }

    void captionsFitTheirLabels() {
        LoadedWindow w;
        // Every caption is shown whole in the font the window chose.
        for (const QLabel* label : w.window().findChildren<QLabel*>()) {
            if (label->window() != &w.window()) {
                continue;  // the dispatch panel's, laid out when it opens
            }
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->objectName()));
        }
    }

    void listsHoldTheirItems() {
        LoadedWindow w;
        QComboBox* cruise = w.list("cboCruisingAlt");
        QComboBox* trip = w.list("cboTripDistance");
        QComboBox* alternate = w.list("cboAlternateDistance");
        QCOMPARE(cruise->count(), 5);
        QCOMPARE(cruise->itemText(0), QStringLiteral("FL290"));
        QCOMPARE(cruise->itemText(4), QStringLiteral("FL370"));
        QCOMPARE(trip->count(), 49);
        for (int i = 0; i < 49; ++i) {
            QCOMPARE(trip->itemText(i), QString::number((i + 2) * 100));
        }
        QCOMPARE(alternate->count(), 5);
        QCOMPARE(alternate->itemText(0), QStringLiteral("200"));
        QCOMPARE(alternate->itemText(4), QStringLiteral("600"));
        QCOMPARE(w.list("cboWindType")->itemText(1), QStringLiteral("Tailwind:"));
        QCOMPARE(w.list("cboUnits")->itemText(1), QStringLiteral("Kgs."));
        for (QComboBox* list : w.window().findChildren<QComboBox*>()) {
            QVERIFY2(!list->isEditable(), qPrintable(list->objectName()));
        }
    }

    void readOnlyFieldsAreGreyAndSkippedByTab() {
        LoadedWindow w;
        for (const char* name :
             {"txtWindAdj", "txtTotalNAM", "txtBOW", "txtZFW", "txtPLW", "txtGTOW", "txtTaxiWeight",
              "txtAlternateFuel", "txtEnrouteFuel", "txtTotalFuel"}) {
            QLineEdit* field = w.edit(name);
            QVERIFY2(field->isReadOnly(), name);
            QCOMPARE(field->palette().color(QPalette::Base), QColor(192, 192, 192));
            QVERIFY2(!(field->focusPolicy() & Qt::TabFocus), name);
        }
        for (const char* name :
             {"txtHeadwind", "txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
            QVERIFY2(!w.edit(name)->isReadOnly(), name);
            QVERIFY2(w.edit(name)->focusPolicy() & Qt::TabFocus, name);
        }
    }

    void tankDisplaysAreBlueOnLightGrey() {
        LoadedWindow w;
        for (const char* name : {"txtRightTank", "txtCenterTank", "txtLeftTank"}) {
            QLineEdit* tank = w.edit(name);
            QVERIFY(tank->isReadOnly());
            QVERIFY(!(tank->focusPolicy() & Qt::TabFocus));
            QCOMPARE(tank->palette().color(QPalette::Text), QColor(0, 0, 255));
            QCOMPARE(tank->palette().color(QPalette::Base), QColor(224, 224, 224));
            QCOMPARE(tank->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QVERIFY(tank->font().bold());
            QVERIFY(tank->fontMetrics().height() <= tank->height() + 2);
        }
    }

    void tabVisitsTheInputsInDesignOrder() {
        LoadedWindow w;
        const QStringList expected{
            "cboCruisingAlt",     "cboTripDistance", "cboAlternateDistance", "txtHeadwind",
            "txtPayload",         "txtHoldingFuel",  "txtMinimumFuel",       "txtTaxiFuel",
            "optModel600",        "optModel700",     "optModel800",          "optModel900",
            "cmdOperatingLimits", "cboUnits",        "cmdReadPayload",       "cmdAbout",
            "cmdBoardFuel",       "cmdExit",         "cboWindType"};
        QStringList order;
        QWidget* widget = w.list("cboCruisingAlt");
        for (int i = 0; i < expected.size(); ++i) {
            order << widget->objectName();
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible());
        }
        QCOMPARE(order, expected);
    }

    void accessKeysPressTheirButtons() {
        LoadedWindow w;
        QWidget* focused = w.focus("txtPayload");
        QTest::keyClick(focused, Qt::Key_B, Qt::AltModifier);
        // An access key presses its button as a click would, a moment later:
        // with no simulator running, boarding ends in the connection failure.
        QTRY_COMPARE(w.messages().size(), std::size_t{1});
        QCOMPARE(w.takeMessages().front().title, std::string("Error!"));
        QCOMPARE(w.edit("txtPayload")->text(), QString());
        QTest::keyClick(focused, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!w.window().isVisible());
    }

    void fieldsAreNamedForAssistiveTools() {
        LoadedWindow w;
        for (QLineEdit* field : w.window().findChildren<QLineEdit*>()) {
            QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
        }
        for (QComboBox* list : w.window().findChildren<QComboBox*>()) {
            QVERIFY2(!list->accessibleName().isEmpty(), qPrintable(list->objectName()));
        }
        QCOMPARE(w.edit("txtPayload")->accessibleName(),
                 QStringLiteral("Payload (PAX + Cargo) Weight"));
        // The wind field does not suggest that a sign can be typed.
        QVERIFY(!w.edit("txtHeadwind")->toolTip().contains(QStringLiteral("negative")));
        QVERIFY(w.edit("txtHeadwind")->toolTip().contains(QStringLiteral("knots")));
    }

    void rendersAtTheScreenScale() {
        LoadedWindow w;
        const QPixmap picture = w.window().grab();
        const qreal scale = w.window().devicePixelRatioF();
        QCOMPARE(picture.size(), (QSizeF(510, 469) * scale).toSize());
        QVERIFY(!picture.toImage().isNull());
    }
};

TARNWELL_WINDOW_SUITE(WindowLayout);

#include "layout_test.moc"
