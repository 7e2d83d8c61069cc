// The plan as the window shows it: worked examples, limit colours, the
// unit and model selectors, and a plan that cannot be made.
#include <QLabel>
#include <QSignalBlocker>
#include <QTest>
#include <map>

#include "support.h"

namespace {

const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);

// The 737-800 at FL350 over 1000 n.m. with a 20 kt headwind, 30000 lb of
// payload and 2000 / 3000 / 500 lb of holding, minimum and taxi fuel.
void Enter737800Example(LoadedWindow& w) {
    w.chooseModel("optModel800");
    w.list("cboCruisingAlt")->setCurrentIndex(3);
    w.list("cboTripDistance")->setCurrentIndex(8);
    w.type("txtHeadwind", "20");
    w.type("txtPayload", "30000");
    w.type("txtHoldingFuel", "2000");
    w.type("txtMinimumFuel", "3000");
    w.type("txtTaxiFuel", "500");
}

QColor TextColour(LoadedWindow& w, const char* field) {
    return w.edit(field)->palette().color(QPalette::Text);
}

// Pastes a text over the field's contents, as the context menu would.
void PasteInto(LoadedWindow& w, const char* name, const QString& text) {
    QLineEdit* field = w.focus(name);
    field->selectAll();
    field->insert(text);
}

void CompareFields(LoadedWindow& w, const std::map<const char*, const char*>& expected) {
    for (const auto& [name, text] : expected) {
        QVERIFY2(
            w.edit(name)->text() == QLatin1String(text),
            qPrintable(QStringLiteral("%1 shows %2, expected %3")
                           .arg(QLatin1String(name), w.edit(name)->text(), QLatin1String(text))));
    }
}

}  // namespace

class PlanDisplay : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void smallTripShowsTheHalfPoundWingTanks() {
        LoadedWindow w;
        w.type("txtHeadwind", "20");
        CompareFields(w, {{"txtWindAdj", "13"},
                          {"txtTotalNAM", "213"},
                          {"txtEnrouteFuel", "3301"},
                          {"txtAlternateFuel", "3100"},
                          {"txtTotalFuel", "6401"},
                          {"txtRightTank", "2700.5 Lbs."},
                          {"txtLeftTank", "2700.5 Lbs."},
                          {"txtCenterTank", "1000 Lbs."}});
        w.list("cboWindType")->setCurrentIndex(1);
        w.type("txtHeadwind", "0");
        CompareFields(w, {{"txtHeadwind", ""}, {"txtWindAdj", "-0"}, {"txtTotalNAM", "200"}});
    }

    void worked737800ExampleWithinLimits() {
        LoadedWindow w;
        Enter737800Example(w);
        CompareFields(w, {{"txtWindAdj", "50"},
                          {"txtTotalNAM", "1050"},
                          {"txtEnrouteFuel", "12180"},
                          {"txtAlternateFuel", "3300"},
                          {"txtBOW", "91300"},
                          {"txtZFW", "121300"},
                          {"txtPLW", "129600"},
                          {"txtGTOW", "141780"},
                          {"txtTaxiWeight", "142280"},
                          {"txtTotalFuel", "20980"},
                          {"txtRightTank", "8630 Lbs."},
                          {"txtLeftTank", "8630 Lbs."},
                          {"txtCenterTank", "3720 Lbs."}});
        for (const char* name : {"txtZFW", "txtPLW", "txtGTOW", "txtTaxiWeight", "txtTotalFuel"}) {
            QCOMPARE(TextColour(w, name), Black);
        }
        w.list("cboWindType")->setCurrentIndex(1);
        CompareFields(w, {{"txtWindAdj", "-50"},
                          {"txtTotalNAM", "950"},
                          {"txtEnrouteFuel", "11020"},
                          {"txtTotalFuel", "19820"},
                          {"txtCenterTank", "2560 Lbs."}});
        QVERIFY(w.messages().empty());
    }

    // The flight time and each limit's margin, as tooltips that follow the
    // unit and stay with the fields' figures when no plan can be made.
    void tipsTellTheFlightTimeAndTheMarginsToTheLimits() {
        LoadedWindow w;
        Enter737800Example(w);
        const auto tip = [&w](const char* name) { return w.edit(name)->toolTip(); };
        QCOMPARE(tip("txtEnrouteFuel"), QStringLiteral("Flight time: 2:29"));
        QCOMPARE(tip("txtZFW"), QStringLiteral("14700 Lbs. below the limit of 136000 Lbs."));
        QCOMPARE(tip("txtPLW"), QStringLiteral("14400 Lbs. below the limit of 144000 Lbs."));
        QCOMPARE(tip("txtGTOW"), QStringLiteral("31220 Lbs. below the limit of 173000 Lbs."));
        QCOMPARE(tip("txtTaxiWeight"), QStringLiteral("31220 Lbs. below the limit of 173500 Lbs."));
        QCOMPARE(tip("txtTotalFuel"), QStringLiteral("25083 Lbs. below the limit of 46063 Lbs."));
        w.type("txtPayload", "45000");
        QCOMPARE(tip("txtZFW"), QStringLiteral("300 Lbs. above the limit of 136000 Lbs."));

        w.list("cboUnits")->setCurrentIndex(1);
        QCOMPARE(tip("txtZFW"), QStringLiteral("24724 Kgs. above the limit of 61689 Kgs."));
        w.list("cboTripDistance")->setCurrentIndex(48);  // no data at FL350
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
        QCOMPARE(tip("txtEnrouteFuel"), QStringLiteral("Flight time: 2:29"));
        QCOMPARE(tip("txtZFW"), QStringLiteral("24724 Kgs. above the limit of 61689 Kgs."));
        // The layout is the same with the tips as without.
        QCOMPARE(w.edit("txtZFW")->size(), w.edit("txtBOW")->size());
    }

    void limitsExceededTurnRedAndBackToBlack() {
        LoadedWindow w;
        Enter737800Example(w);
        w.type("txtHoldingFuel", "40000");
        CompareFields(w, {{"txtPLW", "167600"},
                          {"txtGTOW", "179780"},
                          {"txtTaxiWeight", "180280"},
                          {"txtTotalFuel", "58980"},
                          {"txtCenterTank", "28803 Lbs."}});
        QCOMPARE(TextColour(w, "txtZFW"), Black);
        for (const char* name : {"txtPLW", "txtGTOW", "txtTaxiWeight", "txtTotalFuel"}) {
            QCOMPARE(TextColour(w, name), Red);
        }
        w.type("txtPayload", "0");
        w.type("txtHoldingFuel", "30000");
        CompareFields(w, {{"txtPayload", ""}, {"txtTotalFuel", "48980"}});
        for (const char* name : {"txtZFW", "txtPLW", "txtGTOW", "txtTaxiWeight"}) {
            QCOMPARE(TextColour(w, name), Black);
        }
        QCOMPARE(TextColour(w, "txtTotalFuel"), Red);
        w.type("txtHoldingFuel", "2000");
        QCOMPARE(TextColour(w, "txtTotalFuel"), Black);
    }

    void unitSwitchKeepsTheDigitsAndConvertsEveryOutput() {
        LoadedWindow w;
        Enter737800Example(w);
        w.list("cboUnits")->setCurrentIndex(1);
        for (QLabel* label : w.window().findChildren<QLabel*>()) {
            if (label->objectName().startsWith(QLatin1String("lblUnits_"))) {
                QCOMPARE(label->text(), QStringLiteral("Kgs."));
            }
        }
        // The entries now count as kilograms: 30000 kg is 66139 lb.
        CompareFields(w, {{"txtPayload", "30000"},
                          {"txtHoldingFuel", "2000"},
                          {"txtMinimumFuel", "3000"},
                          {"txtTaxiFuel", "500"},
                          {"txtHeadwind", "20"},
                          {"txtBOW", "41413"},
                          {"txtZFW", "71413"},
                          {"txtAlternateFuel", "1497"},
                          {"txtEnrouteFuel", "5525"},
                          {"txtTotalFuel", "12521"},
                          {"txtCenterTank", "4692 Kgs."},
                          {"txtRightTank", "3915 Kgs."},
                          {"txtLeftTank", "3915 Kgs."}});
        QCOMPARE(w.window().Figures().payloadWeight, 66139);
        QCOMPARE(TextColour(w, "txtZFW"), Red);  // 157439 lb is above 136000
        w.list("cboUnits")->setCurrentIndex(0);
        CompareFields(w, {{"txtPayload", "30000"}, {"txtBOW", "91300"}, {"txtZFW", "121300"}});
    }

    void modelChoiceShowsItsOperatingWeightInTheUnit() {
        LoadedWindow w;
        w.list("cboUnits")->setCurrentIndex(1);
        w.chooseModel("optModel800");
        QCOMPARE(w.edit("txtBOW")->text(), QStringLiteral("41413"));
        QCOMPARE(tarnwell::data::ModelIndex(w.window().SelectedModel()), 2);
        w.chooseModel("optModel700");
        QCOMPARE(w.edit("txtBOW")->text(), QStringLiteral("37648"));
        QCOMPARE(w.window().Figures().operatingWeight, 83000);
    }

    void missingTripDataLeavesThePreviousPlan() {
        LoadedWindow w;
        w.chooseModel("optModel900");
        w.list("cboCruisingAlt")->setCurrentIndex(3);
        w.list("cboTripDistance")->setCurrentIndex(28);  // 3000 n.m.
        const QString enroute = w.edit("txtEnrouteFuel")->text();
        QVERIFY(w.takeMessages().empty());
        w.list("cboTripDistance")->setCurrentIndex(29);  // 3100 n.m.
        for (const char* tank : {"txtRightTank", "txtCenterTank", "txtLeftTank"}) {
            QCOMPARE(w.edit(tank)->text(), QStringLiteral("--"));
        }
        QCOMPARE(w.edit("txtEnrouteFuel")->text(), enroute);
        const auto messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, std::string("Error"));
        QCOMPARE(messages[0].icon, tarnwell::window::MessageIcon::Exclamation);
        QVERIFY(messages[0].text.find("unavailable for the Boeing 737-900 NG. This may") !=
                std::string::npos);
        // A model with data for the same selection computes again.
        w.chooseModel("optModel600");
        QVERIFY(w.edit("txtRightTank")->text().endsWith(QLatin1String(" Lbs.")));
    }

    // A run that stops on an overflow shows what it computed before the
    // stop and leaves the rest of the previous plan.
    void anOverflowStopsPartWayThroughThePlan() {
        LoadedWindow w;
        w.type("txtHeadwind", "20");
        const QString zfw = w.edit("txtZFW")->text();
        const QString tank = w.edit("txtCenterTank")->text();
        QVERIFY(w.takeMessages().empty());
        {
            const QSignalBlocker quiet(w.edit("txtHeadwind"));
            w.edit("txtHeadwind")->setText(QStringLiteral("10"));
        }
        PasteInto(w, "txtPayload", QStringLiteral("2147483647"));
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
        CompareFields(w, {{"txtWindAdj", "6"}, {"txtTotalNAM", "206"}});
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("2147483647"));  // not rewritten
        QCOMPARE(w.edit("txtZFW")->text(), zfw);
        QCOMPARE(w.edit("txtCenterTank")->text(), tank);
        QCOMPARE(w.window().Figures().payloadWeight, 2147483647);
        QCOMPARE(w.window().Figures().enrouteFuel, 3193);
    }

    // Digits typed past the 32-bit pounds stay in their field, and every
    // keystroke says the value is too large (once they read as nothing and
    // the field was emptied without a word).
    void digitsPastTheLimitStayAndAreToldEveryTime() {
        LoadedWindow w;
        QLineEdit* payload = w.focus("txtPayload");
        QTest::keyClicks(payload, QStringLiteral("2147483647"));
        QCOMPARE(w.takeMessages().size(), std::size_t{1});  // the zero-fuel weight overflows
        for (const char digit : {'1', '2', '3'}) {
            QTest::keyClick(payload, digit);
            const std::vector<tarnwell::window::Message> messages = w.takeMessages();
            QCOMPARE(messages.size(), std::size_t{1});
            QCOMPARE(messages[0].text,
                     std::string("Invalid value entered, please enter a lower value."));
        }
        QCOMPARE(payload->text(), QStringLiteral("2147483647123"));
    }

    // Tidying the wind field starts the field's own calculation before the
    // first one goes on: both stop on the same overflow, and both say so.
    void aTidiedWindThatOverflowsIsToldByBothRuns() {
        LoadedWindow w;
        QLineEdit* wind = w.focus("txtHeadwind");
        {
            const QSignalBlocker quiet(wind);
            wind->setText(QStringLiteral("1000000000"));
        }
        QTest::keyClick(wind, Qt::Key_Home);
        QTest::keyClick(wind, '0');
        QCOMPARE(wind->text(), QStringLiteral("1000000000"));
        QCOMPARE(w.edit("txtTotalNAM")->text(), QStringLiteral("633333525"));
        const tarnwell::window::Message overflow{
            "Invalid value entered, please enter a lower value.", "Error",
            tarnwell::window::MessageIcon::Exclamation};
        QCOMPARE(w.takeMessages(), (std::vector<tarnwell::window::Message>{overflow, overflow}));
    }

    // The wind field's own run writes the entries back in normal form
    // before the first run reads them, so the first run takes a pasted
    // kilogram fraction as its normal form: 12.7 kg is 28 lb, but the "13"
    // it is shown as is 29 lb, and 29 it stays.
    void aTidiedWindHandsTheFirstRunTheEntriesInNormalForm() {
        LoadedWindow w;
        w.list("cboUnits")->setCurrentIndex(1);
        {
            const QSignalBlocker quietPayload(w.edit("txtPayload"));
            const QSignalBlocker quietWind(w.edit("txtHeadwind"));
            w.edit("txtPayload")->setText(QStringLiteral("12.7"));
            w.edit("txtHeadwind")->setText(QStringLiteral("020"));
        }
        w.list("cboTripDistance")->setCurrentIndex(1);
        QCOMPARE(w.edit("txtHeadwind")->text(), QStringLiteral("20"));
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("13"));
        QCOMPARE(w.window().Figures().payloadWeight, 29);
        QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("36391"));  // 80229 lb
        QVERIFY(w.takeMessages().empty());
    }
};

TARNWELL_WINDOW_SUITE(PlanDisplay);

#include "plan_display_test.moc"
