// What can be typed into the five entry fields, and what every change
// starts, through real key events.
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "support.h"

namespace {

// Pastes through the field's own context menu, as a user would.
void PasteFromContextMenu(QLineEdit* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QLatin1String("&Paste"))) {
            paste = action;
        }
    }
    QVERIFY(paste);
    QVERIFY(paste->isEnabled());
    paste->trigger();
}

}  // namespace

class EntryRules : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void discardedKeysChangeNothingAndStartNoCalculation_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("minus") << int(Qt::Key_Minus) << 0;
        QTest::newRow("full stop") << int(Qt::Key_Period) << 0;
        QTest::newRow("comma") << int(Qt::Key_Comma) << 0;
        QTest::newRow("blank") << int(Qt::Key_Space) << 0;
        QTest::newRow("letter") << int(Qt::Key_A) << 0;
        QTest::newRow("capital letter") << int(Qt::Key_E) << int(Qt::ShiftModifier);
        QTest::newRow("plus") << int(Qt::Key_Plus) << 0;
        QTest::newRow("enter") << int(Qt::Key_Return) << 0;
        QTest::newRow("escape") << int(Qt::Key_Escape) << 0;
        QTest::newRow("copy") << int(Qt::Key_C) << int(Qt::ControlModifier);
        QTest::newRow("paste") << int(Qt::Key_V) << int(Qt::ControlModifier);
        QTest::newRow("cut") << int(Qt::Key_X) << int(Qt::ControlModifier);
    }

    void discardedKeysChangeNothingAndStartNoCalculation() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        LoadedWindow w;
        QGuiApplication::clipboard()->setText(QStringLiteral("99"));
        for (const char* name :
             {"txtHeadwind", "txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
            QLineEdit* field = w.focus(name);
            QTest::keyClicks(field, QStringLiteral("12"));
            field->selectAll();
            // Every change of an entry runs one calculation: no change, none.
            const QSignalSpy changes(field, &QLineEdit::textChanged);
            QTest::keyClick(field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(field->text(), QStringLiteral("12"));
            QCOMPARE(changes.count(), 0);
        }
        QVERIFY(w.messages().empty());
    }

    void everyKeystrokeRecalculates() {
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        const QSignalSpy changes(payload, &QLineEdit::textChanged);
        QStringList zfw;
        QStringList tanks;
        for (QChar digit : QStringLiteral("1500")) {
            QTest::keyClick(payload, digit.toLatin1());
            zfw << w.edit("txtZFW")->text();
            tanks << w.edit("txtCenterTank")->text();
        }
        // One change each, and so one calculation: the normal form written
        // back is the same text.
        QCOMPARE(changes.count(), 4);
        QCOMPARE(zfw, (QStringList{"80201", "80215", "80350", "81700"}));
        QCOMPARE(tanks.size(), 4);
        QCOMPARE(payload->text(), QStringLiteral("1500"));
    }

    void backspaceDeleteAndArrowsStillEdit() {
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        QTest::keyClicks(payload, QStringLiteral("1234"));
        QSignalSpy changes(payload, &QLineEdit::textChanged);
        QTest::keyClick(payload, Qt::Key_Backspace);
        QCOMPARE(payload->text(), QStringLiteral("123"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("80323"));

        QTest::keyClick(payload, Qt::Key_Left);
        QTest::keyClick(payload, Qt::Key_Left);
        QCOMPARE(payload->cursorPosition(), 1);
        changes.clear();
        QTest::keyClick(payload, Qt::Key_Delete);
        QCOMPARE(payload->text(), QStringLiteral("13"));
        QCOMPARE(changes.count(), 1);
        QTest::keyClick(payload, Qt::Key_Home);
        QTest::keyClick(payload, Qt::Key_End);
        QCOMPARE(payload->cursorPosition(), 2);
    }

    void zerosAreShownAsAnEmptyField() {
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        QTest::keyClick(payload, '0');
        QCOMPARE(payload->text(), QString());
        QTest::keyClick(payload, '0');
        QCOMPARE(payload->text(), QString());
        QTest::keyClick(payload, '7');
        QCOMPARE(payload->text(), QStringLiteral("7"));
        QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("80207"));
    }

    void caretStaysWhereTheUserTyped() {
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        QTest::keyClicks(payload, QStringLiteral("15"));
        QTest::keyClick(payload, Qt::Key_Home);
        QTest::keyClick(payload, '0');  // "015" is rewritten as "15"
        QCOMPARE(payload->text(), QStringLiteral("15"));
        QCOMPARE(payload->cursorPosition(), 0);
        QTest::keyClick(payload, Qt::Key_Right);
        QTest::keyClick(payload, '2');
        QCOMPARE(payload->text(), QStringLiteral("125"));
        QCOMPARE(payload->cursorPosition(), 2);

        // A selection is kept too, counted from the end of the text.
        {
            const QSignalBlocker quiet(payload);  // no calculation in between
            payload->setText(QStringLiteral("00125"));
        }
        payload->setSelection(4, -2);  // "12", caret before the 1
        QVERIFY(tarnwell::window::WriteFieldText(payload, "125"));
        QCOMPARE(payload->selectedText(), QStringLiteral("12"));
        QCOMPARE(payload->cursorPosition(), 0);
    }

    void pastedTextIsReadForItsLeadingNumber_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("zfw");
        QTest::newRow("digits then letters") << "1200kg"
                                             << "1200"
                                             << "81400";
        QTest::newRow("blanks between digits") << "1 2 0"
                                               << "120"
                                               << "80320";
        QTest::newRow("letters first") << "abc12"
                                       << ""
                                       << "80200";
        QTest::newRow("fraction") << "12.7"
                                  << "13"
                                  << "80213";
        QTest::newRow("tab and line feed") << "\t4\n5"
                                           << "45"
                                           << "80245";
    }

    void pastedTextIsReadForItsLeadingNumber() {
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        QFETCH(QString, zfw);
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        const QSignalSpy changes(payload, &QLineEdit::textChanged);
        PasteFromContextMenu(payload, pasted);
        QVERIFY(changes.count() > 0);
        QCOMPARE(payload->text(), shown);
        QCOMPARE(w.edit("txtZFW")->text(), zfw);
        QCOMPARE(w.window().Figures().payloadWeight, zfw.toInt() - 80200);
    }

    void windTidyUpRunsOneNestedCalculation() {
        LoadedWindow w;
        QLineEdit* wind = w.focus("txtHeadwind");
        QTest::keyClicks(wind, QStringLiteral("20"));
        const QSignalSpy changes(wind, &QLineEdit::textChanged);
        // "020" is tidied to "20" inside the calculation; that change runs
        // one nested calculation, which writes the same text again.
        QTest::keyClick(wind, Qt::Key_Home);
        QTest::keyClick(wind, '0');
        QCOMPARE(wind->text(), QStringLiteral("20"));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(w.edit("txtWindAdj")->text(), QStringLiteral("13"));
        QCOMPARE(w.edit("txtEnrouteFuel")->text(), QStringLiteral("3301"));
    }

    void withoutTripDataTheTextStaysAsTyped() {
        LoadedWindow w;
        w.chooseModel("optModel900");
        w.list("cboCruisingAlt")->setCurrentIndex(3);    // FL350
        w.list("cboTripDistance")->setCurrentIndex(40);  // 4200 n.m.
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
        QLineEdit* payload = w.focus("txtPayload");
        QTest::keyClicks(payload, QStringLiteral("007"));
        QCOMPARE(payload->text(), QStringLiteral("007"));
        QCOMPARE(w.takeMessages().size(), std::size_t{3});
        QCOMPARE(w.edit("txtRightTank")->text(), QStringLiteral("--"));
    }
};

TARNWELL_WINDOW_SUITE(EntryRules);

#include "entry_rules_test.moc"
