// "Board Fuel" and "Read Payload Weight" through the real window, against
// the stand-in simulator over the Linux simulator link.
#include <unistd.h>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "support.h"
#include "support/standin_simulator.h"

using tarnwell::plan::Message;
using tarnwell::plan::MessageIcon;
using tarnwell::sim::test::MappingExists;
using tarnwell::sim::test::Simulator;

namespace {

// The tank levels the simulator reports it was given, in order.
std::vector<std::string> LevelsSet(const Simulator& sim) {
    std::vector<std::string> levels;
    const std::string out = sim.Output();
    const std::string marker = " level set to ";
    for (std::size_t at = out.find(marker); at != std::string::npos;
         at = out.find(marker, at + 1)) {
        const std::size_t lineStart = out.rfind('\n', at) + 1;
        const std::size_t valueEnd = out.find(' ', at + marker.size());
        const std::string tank = out.substr(lineStart, at - lineStart);
        const std::string value = out.substr(at + marker.size(), valueEnd - at - marker.size());
        levels.push_back(tank.substr(tank.find_first_not_of(' ')) + "=" + value);
    }
    return levels;
}

const Message Boarded{"The fuel was successfully boarded.", "Success!", MessageIcon::Information};
const Message WriteFailed{"Variable write failed!", "Error", MessageIcon::None};
const Message ReadFailed{"Read failed!", "Error", MessageIcon::None};
const Message NoSimulator{
    "FSUIPC connection failure: Cannot link to FSUIPC or WideClient\r\n\r\nEnsure that Flight "
    "Simulator is running.",
    "Error!", MessageIcon::Critical};

// The 737-600 over 200 n.m. with a 600 kt tailwind leaves 310 lb of fuel;
// the holding fuel tops it up to the total wanted.
void PlanTotalFuel(LoadedWindow& w, int pounds) {
    w.list("cboWindType")->setCurrentIndex(1);
    w.type("txtHeadwind", QStringLiteral("600"));
    w.type("txtHoldingFuel", QString::number(pounds - 310));
    QCOMPARE(w.edit("txtTotalFuel")->text(), QString::number(pounds));
}

}  // namespace

class SimulatorCommands : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void boardingWritesLeftRightCentreInTurn_data() {
        QTest::addColumn<int>("totalFuel");
        QTest::addColumn<QString>("mainLevel");
        QTest::addColumn<QString>("centreLevel");
        QTest::newRow("4,315 lb a wing") << 9630 << "4194304"
                                         << "291241";
        QTest::newRow("1,000 lb a wing") << 3000 << "972029"
                                         << "291241";
        QTest::newRow("2,157.5 lb a wing") << 5315 << "2097152"
                                           << "291241";
        QTest::newRow("5,000 lb centre") << 22260 << "8388608"
                                         << "1456204";
        QTest::newRow("full tanks") << 60000 << "8388608"
                                    << "8388608";
        QTest::newRow("no wing fuel") << 1000 << "0"
                                      << "291241";
    }

    void boardingWritesLeftRightCentreInTurn() {
        QFETCH(int, totalFuel);
        QFETCH(QString, mainLevel);
        QFETCH(QString, centreLevel);
        Simulator sim(RuntimeFolder(), {});
        QVERIFY(sim.ready());
        LoadedWindow w;
        PlanTotalFuel(w, totalFuel);
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        const std::vector<std::string> expected = {"left main tank=" + mainLevel.toStdString(),
                                                   "right main tank=" + mainLevel.toStdString(),
                                                   "centre tank=" + centreLevel.toStdString()};
        QCOMPARE(LevelsSet(sim), expected);
    }

    void aPlanWithoutFuelWritesZeroLevels() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        // A 632 kt tailwind takes exactly the alternate fuel off the trip.
        w.list("cboWindType")->setCurrentIndex(1);
        w.type("txtHeadwind", QStringLiteral("632"));
        QCOMPARE(w.edit("txtTotalFuel")->text(), QStringLiteral("0"));
        w.click("cmdBoardFuel");
        QCOMPARE(LevelsSet(sim), (std::vector<std::string>{"left main tank=0", "right main tank=0",
                                                           "centre tank=0"}));
    }

    void kilogramsShownChangeNothingInTheLevels() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        w.type("txtHoldingFuel", QStringLiteral("9319"));
        w.click("cmdBoardFuel");
        w.list("cboUnits")->setCurrentIndex(1);
        w.type("txtHoldingFuel", QStringLiteral("4227"));  // 9319 lb
        QCOMPARE(w.window().Figures().holdingFuel, 9319);
        w.click("cmdBoardFuel");
        const std::vector<std::string> levels = LevelsSet(sim);
        QCOMPARE(levels.size(), std::size_t{6});
        QCOMPARE(std::vector<std::string>(levels.begin() + 3, levels.end()),
                 std::vector<std::string>(levels.begin(), levels.begin() + 3));
        QCOMPARE(w.takeMessages(), (std::vector<Message>{Boarded, Boarded}));
    }

    void noPlanBoardsNothing() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        w.chooseModel("optModel900");
        w.list("cboCruisingAlt")->setCurrentIndex(3);
        w.list("cboTripDistance")->setCurrentIndex(29);  // 3100 n.m.: no data
        w.takeMessages();
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].text.find("unavailable for the Boeing 737-900 NG") !=
                std::string::npos);
        QCOMPARE(sim.Count("\nexchange "), 0);
    }

    void negativeFuelIsNeverBoarded() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        w.list("cboWindType")->setCurrentIndex(1);
        w.type("txtHeadwind", QStringLiteral("900"));
        QVERIFY(w.edit("txtTotalFuel")->text().startsWith(QLatin1Char('-')));
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, std::string("Error"));
        QVERIFY(messages[0].text.find("below zero") != std::string::npos);
        QCOMPARE(sim.Count("\nexchange "), 0);
    }

    void noSimulatorShowsOnlyTheConnectionFailureAndTriesAgain() {
        LoadedWindow w;
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{NoSimulator});
        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages(), std::vector<Message>{NoSimulator});

        Simulator sim(RuntimeFolder(), {});
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
    }

    void aFailedWriteStopsTheSequenceAndKeepsTheLink() {
        // The open and the left tank go through; then the simulator answers 0.
        Simulator sim(RuntimeFolder(), {"--normal-answers", "2", "--answer", "zero"});
        LoadedWindow w;
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{WriteFailed});
        QCOMPARE(LevelsSet(sim).size(), std::size_t{1});
        QVERIFY(w.window().Link().SimConnected());

        w.click("cmdBoardFuel");  // no new connection, the write fails again
        QCOMPARE(w.takeMessages(), std::vector<Message>{WriteFailed});
        QCOMPARE(sim.Count("FSUIPC version read"), 1);
        QCOMPARE(sim.Count("\nexchange "), 4);
    }

    void payloadReadAddsTheFirstFourStations() {
        Simulator sim(RuntimeFolder(), {"--station", "1=150.4", "--station", "2=150.5", "--station",
                                        "3=151.5", "--station", "4=0", "--station", "5=1000"});
        LoadedWindow w;
        w.click("cmdReadPayload");
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("452"));
        QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("80652"));
        QCOMPARE(w.window().Figures().payloadWeight, 452);
        QCOMPARE(w.takeMessages(), (std::vector<Message>{{"Payload weight read as 452 pounds.",
                                                          "Success!", MessageIcon::Information}}));
    }

    void payloadReadInKilograms() {
        Simulator sim(RuntimeFolder(), {"--station", "1=10000"});
        LoadedWindow w;
        w.list("cboUnits")->setCurrentIndex(1);
        w.click("cmdReadPayload");
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("4536"));
        QCOMPARE(w.takeMessages(), (std::vector<Message>{{"Payload weight read as 4536 kilograms.",
                                                          "Success!", MessageIcon::Information}}));
    }

    void aZeroPayloadEmptiesTheField() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        w.type("txtPayload", QStringLiteral("1234"));
        w.click("cmdReadPayload");
        QCOMPARE(w.edit("txtPayload")->text(), QString());
        QCOMPARE(w.takeMessages(), (std::vector<Message>{{"Payload weight read as  pounds.",
                                                          "Success!", MessageIcon::Information}}));
    }

    void aFailedStationReadChangesNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("third station unanswered")
            << QStringList{"--station", "1=5000", "--normal-answers", "3", "--answer", "zero"};
        QTest::newRow("a weight too large") << QStringList{"--station", "2=1e300"};
        QTest::newRow("an infinite weight") << QStringList{"--station", "3=inf"};
        QTest::newRow("a weight that is no number") << QStringList{"--station", "1=nan"};
        QTest::newRow("a negative weight")
            << QStringList{"--station", "1=100", "--station", "2=-5000"};
        QTest::newRow("a total beyond 32 bits")
            << QStringList{"--station", "1=2000000000", "--station", "2=2000000000"};
    }

    void aFailedStationReadChangesNothing() {
        QFETCH(QStringList, arguments);
        std::vector<std::string> args;
        for (const QString& argument : arguments) {
            args.push_back(argument.toStdString());
        }
        Simulator sim(RuntimeFolder(), args);
        QVERIFY(sim.ready());
        LoadedWindow w;
        w.type("txtPayload", QStringLiteral("1234"));
        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages(), std::vector<Message>{ReadFailed});
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("1234"));
        QCOMPARE(w.window().Figures().payloadWeight, 1234);
        QVERIFY(w.window().Link().SimConnected());
    }

    void closingTheWindowReleasesTheLink() {
        Simulator sim(RuntimeFolder(), {});
        {
            LoadedWindow w;
            w.click("cmdReadPayload");
            QVERIFY(MappingExists(static_cast<std::uint32_t>(::getpid())));
            w.closeByCloseBox();
        }
        QVERIFY(!MappingExists(static_cast<std::uint32_t>(::getpid())));
    }
};

TARNWELL_WINDOW_SUITE(SimulatorCommands);
#include "simulator_commands_test.moc"
