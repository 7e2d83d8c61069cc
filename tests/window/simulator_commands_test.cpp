// "Board Fuel" and "Read Payload Weight" through the real window, against
// the stand-in simulator over the Linux simulator link.
#include <unistd.h>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/fake_platform.h"
#include "sim/module/platform/linux_link_platform.h"
#include "support.h"
#include "support/dead_port.h"
#include "support/standin_simulator.h"
#include "window/commandrunner.h"
#include "window/loadsheetwindow.h"
#include "window/messagebox.h"
#include "window/simulatorlinks.h"

using tarnwell::sim::FsuipcTiming;
using tarnwell::sim::LinuxLinkPlatform;
using tarnwell::sim::SimulatorChoice;
using tarnwell::sim::SimulatorSession;
using tarnwell::sim::test::MappingExists;
using tarnwell::sim::test::Simulator;
using tarnwell::sim::testing::FakePlatform;
using tarnwell::window::Message;
using tarnwell::window::MessageIcon;
using tarnwell::window::Question;
using Clock = std::chrono::steady_clock;

namespace {

// The window's link on the test double, whose clock is scripted: only a
// send the test holds takes real time.
FakePlatform& UseFakePlatform(LoadedWindow& w) {
    auto platform = std::make_unique<FakePlatform>();
    FakePlatform& fake = *platform;
    w.window().SetSimulatorSession(tarnwell::window::MakeSimulatorSession(
        SuiteSimulators(SimulatorChoice::Module), std::move(platform)));
    return fake;
}

// Holds the send made after `before` others until the test lets it go (at
// most 10 s, so that a broken command fails the test rather than hangs it).
void HoldSend(FakePlatform& fake, std::size_t before, std::atomic<bool>& go) {
    fake.beforeSend = [before, &go](std::size_t sendsBefore) {
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (sendsBefore == before && !go.load() && Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
}

// Cancels from the wait dialog, then lets the held send go. The command
// goes on, under the wait cursor, until the send under way has ended.
std::function<void(QProgressDialog&)> CancelThenRelease(LoadedWindow& w, std::atomic<bool>& go) {
    return [&w, &go](QProgressDialog& dialog) {
        PressCancel(dialog);
        const bool stillRunning = w.window().CommandRunning();
        // Until the command has ended, the dialog stays and says so.
        const bool shown = dialog.isVisible();
        const QString label = dialog.labelText();
        go = true;
        QVERIFY(stillRunning);
        QVERIFY(shown);
        QCOMPARE(label, QStringLiteral("Cancelling..."));
    };
}

// Holds each box of the window in an event loop of its own, as a message
// box does, until the wait dialog's delay has passed, noting whether a
// wait dialog was up by then.
void WatchBehindTheBox(LoadedWindow& w, bool& dialogBehind) {
    w.window().SetMessagePresenter([&w, &dialogBehind](const Message& m) {
        QEventLoop box;
        QTimer::singleShot(tarnwell::window::WaitDialogDelayMs + 300, &box, &QEventLoop::quit);
        box.exec();
        dialogBehind = dialogBehind || WaitDialogShown();
        w.messages().push_back(m);
    });
}

// Opens the window's link with a payload read, as a first command does,
// and forgets the exchanges it made.
void Connect(LoadedWindow& w, FakePlatform& fake) {
    w.click("cmdReadPayload");
    w.takeMessages();
    QVERIFY(w.window().Session().Connected());
    fake.sent.clear();
    fake.carriedOut.clear();
}

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
// The described box, and the line that says where the web simulators were
// looked for (the suite's own port, where nothing listens).
Message NoSimulator() {
    const std::string where = "127.0.0.1:" + std::to_string(tarnwell::test::DeadPort());
    return {
        "FSUIPC connection failure: Cannot link to FSUIPC or WideClient\r\n\r\nEnsure that "
        "Flight Simulator is running.\r\n\r\nAlso looked for: X-Plane at " +
            where + ", FlightGear at " + where +
            ". Nothing answers there. To look elsewhere, start Tarnwell with "
            "--xplane=HOST:PORT or --flightgear=HOST:PORT.",
        "Error!", MessageIcon::Critical};
}

// The 737-600 over 200 n.m. with a 600 kt tailwind leaves 310 lb of fuel;
// the holding fuel tops it up to the total wanted.
void PlanTotalFuel(LoadedWindow& w, int pounds) {
    w.list("cboWindType")->setCurrentIndex(1);
    w.type("txtHeadwind", QStringLiteral("600"));
    w.type("txtHoldingFuel", QString::number(pounds - 310));
    QCOMPARE(w.edit("txtTotalFuel")->text(), QString::number(pounds));
}

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    PaintCounter(QWidget& widget, int& paints) : paints_(paints) {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints_;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int& paints_;
};

}  // namespace

class SimulatorCommands : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void boardingWritesLeftRightCentreInTurn_data() {
        QTest::addColumn<int>("totalFuel");
        QTest::addColumn<QString>("mainLevel");
        QTest::addColumn<QString>("centreLevel");
        // What the box adds when the plan holds more than the tanks.
        QTest::addColumn<QString>("notBoarded");
        QTest::newRow("4,315 lb a wing") << 9630 << "4194304"
                                         << "291241" << QString();
        QTest::newRow("1,000 lb a wing") << 3000 << "972029"
                                         << "291241" << QString();
        QTest::newRow("2,157.5 lb a wing") << 5315 << "2097152"
                                           << "291241" << QString();
        QTest::newRow("5,000 lb centre") << 22260 << "8388608"
                                         << "1456204" << QString();
        QTest::newRow("just full") << 46063 << "8388608"
                                   << "8388608" << QString();
        QTest::newRow("more than the tanks hold, Board chosen") << 60000 << "8388608"
                                                                << "8388608"
                                                                << "46063 Lbs. of fuel were "
                                                                   "boarded; 13937 Lbs.";
        QTest::newRow("no wing fuel") << 1000 << "0"
                                      << "291241" << QString();
    }

    void boardingWritesLeftRightCentreInTurn() {
        QFETCH(int, totalFuel);
        QFETCH(QString, mainLevel);
        QFETCH(QString, centreLevel);
        QFETCH(QString, notBoarded);
        Simulator sim(RuntimeFolder(), {});
        QVERIFY(sim.ready());
        LoadedWindow w;
        PlanTotalFuel(w, totalFuel);
        w.click("cmdBoardFuel");
        Message boarded = Boarded;
        if (!notBoarded.isEmpty()) {
            boarded.text += "\r\n\r\n" + notBoarded.toStdString() +
                            " of the planned fuel did not fit into the tanks.";
        }
        QCOMPARE(w.takeMessages(), std::vector<Message>{boarded});
        // Only a plan that does not fit is asked about.
        QCOMPARE(w.takeQuestions().size(), std::size_t{notBoarded.isEmpty() ? 0u : 1u});
        const std::vector<std::string> expected = {"left main tank=" + mainLevel.toStdString(),
                                                   "right main tank=" + mainLevel.toStdString(),
                                                   "centre tank=" + centreLevel.toStdString()};
        QCOMPARE(LevelsSet(sim), expected);
    }

    // Asked before the simulator is reached; Cancel writes nothing and
    // shows nothing more.
    void aPlanThatDoesNotFitIsAskedAboutFirst() {
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        PlanTotalFuel(w, 60000);
        w.answerQuestions(false);
        w.click("cmdBoardFuel");
        const std::vector<Question> asked = w.takeQuestions();
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(asked[0].proceed, std::string("Board"));
        QCOMPARE(asked[0].message.title, std::string("Board Fuel"));
        QVERIFY2(
            asked[0].message.text.find("the Boeing 737-600 NG holds 46063 Lbs., 13937 Lbs. "
                                       "less than the 60000 Lbs. planned.") != std::string::npos,
            asked[0].message.text.c_str());
        // The weights the window shows in red, named.
        QVERIFY2(asked[0].message.text.find("The landing weight and total fuel are shown in red") !=
                     std::string::npos,
                 asked[0].message.text.c_str());
        QCOMPARE(w.edit("txtPLW")->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QCOMPARE(sim.Count("\nexchange "), 0);
        QVERIFY(!w.window().Session().Connected());
        QVERIFY(!w.window().CommandRunning());
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

    // Figures below zero are shown as computed but never boarded: fuel
    // below zero (a large tailwind), or a payload or allowance below zero
    // (pasted or stored, never typed), named in the box.
    void negativeFiguresAreNeverBoarded_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("said");
        QTest::newRow("fuel below zero") << "txtHeadwind"
                                         << "900"
                                         << "the total fuel at taxi is below zero";
        QTest::newRow("holding fuel pasted") << "txtHoldingFuel"
                                             << "-3000"
                                             << "the holding fuel is below zero";
        QTest::newRow("payload") << "txtPayload"
                                 << "-80000"
                                 << "the payload is below zero";
        QTest::newRow("taxi fuel in kilograms") << "txtTaxiFuel"
                                                << "-1"
                                                << "the taxi fuel is below zero";
    }

    void negativeFiguresAreNeverBoarded() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, said);
        Simulator sim(RuntimeFolder(), {});
        LoadedWindow w;
        if (field == "txtHeadwind") {
            w.list("cboWindType")->setCurrentIndex(1);
        }
        if (field == "txtTaxiFuel") {
            w.list("cboUnits")->setCurrentIndex(1);
        }
        // As the context menu's paste puts it in.
        w.edit(field.toLatin1().constData())->setText(text);
        w.takeMessages();
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, std::string("Error"));
        QVERIFY2(messages[0].text.find(said.toStdString()) != std::string::npos,
                 messages[0].text.c_str());
        QCOMPARE(sim.Count("\nexchange "), 0);
    }

    void noSimulatorShowsOnlyTheConnectionFailureAndTriesAgain() {
        LoadedWindow w;
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{NoSimulator()});
        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages(), std::vector<Message>{NoSimulator()});

        Simulator sim(RuntimeFolder(), {});
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
    }

    // A failed write stops the sequence and closes the link, so that a
    // simulator started again meanwhile is reached by the next click.
    void aFailedWriteStopsTheSequenceAndTheNextClickConnectsAfresh() {
        LoadedWindow w;
        {
            // The open and the left tank go through; then the simulator answers 0.
            Simulator sim(RuntimeFolder(), {"--normal-answers", "2", "--answer", "zero"});
            w.click("cmdBoardFuel");
            QCOMPARE(w.takeMessages(), std::vector<Message>{WriteFailed});
            QCOMPARE(LevelsSet(sim).size(), std::size_t{1});
            QVERIFY(!w.window().Session().Connected());
        }
        Simulator restarted(RuntimeFolder(), {});
        QVERIFY(restarted.ready());
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QCOMPARE(restarted.Count("FSUIPC version read"), 1);
        QCOMPARE(LevelsSet(restarted).size(), std::size_t{3});
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
        Simulator sim(RuntimeFolder(), Arguments(arguments));
        QVERIFY(sim.ready());
        LoadedWindow w;
        w.type("txtPayload", QStringLiteral("1234"));
        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages(), std::vector<Message>{ReadFailed});
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("1234"));
        QCOMPARE(w.window().Figures().payloadWeight, 1234);
        QVERIFY(!w.window().Session().Connected());
    }

    // The load sheet's Refresh: the four stations, then the three tank
    // levels, each its own exchange; a figure no tank or station can hold
    // is "unknown", and a failed exchange reads nothing and says so.
    void refreshReadsTheTanksAndThePayloadBack_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read");  // left main, centre, right main, payload
        QTest::addColumn<bool>("failed");
        const QStringList boarded{"--station", "1=150.4",         "--station", "2=150.5",
                                  "--value32", "0x0B7C=0x800000", "--value32", "0x0B94=0x400000",
                                  "--value32", "0x0B74=1456204"};
        QTest::newRow("as boarded") << boarded << "8630 5000 4315 300" << false;
        QTest::newRow("a centre level above full")
            << (boarded + QStringList{"--value32", "0x0B74=0x800001"}) << "8630 unknown 4315 300"
            << false;
        QTest::newRow("a level below empty") << (boarded + QStringList{"--value32", "0x0B7C=-1"})
                                             << "unknown 5000 4315 300" << false;
        QTest::newRow("a station that is no weight")
            << (boarded + QStringList{"--station", "3=nan"}) << "8630 5000 4315 unknown" << false;
        // The open, four stations and two tanks answered; the centre not.
        QTest::newRow("the centre unanswered")
            << (boarded + QStringList{"--normal-answers", "7", "--answer", "zero"}) << "" << true;
    }

    void refreshReadsTheTanksAndThePayloadBack() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        QFETCH(bool, failed);
        Simulator sim(RuntimeFolder(), Arguments(arguments));
        QVERIFY(sim.ready());
        LoadedWindow w;
        w.window().OpenLoadSheet();
        w.click("cmdRefreshAircraft");
        const auto& aircraft = w.window().LoadSheet().View().Sheet().aircraft;
        QCOMPARE(w.takeMessages(),
                 failed ? std::vector<Message>{ReadFailed} : std::vector<Message>{});
        QCOMPARE(aircraft.has_value(), !failed);
        if (failed) {
            return;
        }
        QStringList shown;
        const auto figure = [](const auto& pounds) {
            return pounds ? QString::number(std::lround(*pounds)) : QStringLiteral("unknown");
        };
        for (const auto& tank : aircraft->tankPounds) {
            shown << figure(tank);
        }
        shown << figure(aircraft->payloadPounds);
        QCOMPARE(shown.join(QLatin1Char(' ')), read);
        const std::string out = sim.Output();
        QCOMPARE(sim.Count("weight read:"), 4 - read.endsWith(QLatin1String("unknown")));
        QCOMPARE(sim.Count(" tank level read:"), 3);
        QCOMPARE(sim.Count("\nexchange "), 1 + sim.Count("weight read:") + 3);
        QVERIFY(out.rfind("weight read:") < out.find("left main tank level read:"));
        QVERIFY(out.find("left main tank level read:") < out.find("right main tank level read:"));
        QVERIFY(out.find("right main tank level read:") < out.find("centre tank level read:"));
        // Read into the aircraft, not into the plan.
        QCOMPARE(w.edit("txtPayload")->text(), QString());
    }

    // ----- waiting for the simulator

    // Nor behind its result box, however long the box stays up.
    void aQuickAnswerBringsNoWaitDialog() {
        LoadedWindow w;
        UseFakePlatform(w);
        bool dialogBehind = false;
        WatchBehindTheBox(w, dialogBehind);
        const WaitDialogWatch watch;
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QVERIFY(!watch.seen());
        QVERIFY(!dialogBehind);
    }

    void aCommandThatEndsWhileTheDialogIsUpShowsItsBox() {
        LoadedWindow w;
        FakePlatform& fake = UseFakePlatform(w);
        fake.SetDouble(0x1400, 100.0);
        std::atomic<bool> go{false};
        HoldSend(fake, 0, go);
        bool dialogBehind = false;
        WatchBehindTheBox(w, dialogBehind);
        const WaitDialogWatch watch([&go](QProgressDialog&) { go = true; });
        w.click("cmdReadPayload");
        QVERIFY(!dialogBehind);
        QCOMPARE(watch.text(), QStringLiteral("Connecting to the simulator..."));
        QCOMPARE(w.takeMessages(), (std::vector<Message>{{"Payload weight read as 100 pounds.",
                                                          "Success!", MessageIcon::Information}}));
        QVERIFY(!WaitDialogShown());
        QVERIFY(w.window().Session().Connected());
    }

    void aCancelDuringTheVersionCheckShowsNothingAndTheNextClickConnects() {
        LoadedWindow w;
        FakePlatform& fake = UseFakePlatform(w);
        fake.SetVersions(0, 0);  // the open keeps trying
        std::atomic<bool> go{false};
        HoldSend(fake, 1, go);
        const WaitDialogWatch watch(CancelThenRelease(w, go));
        w.click("cmdBoardFuel");
        QVERIFY(watch.seen());
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QCOMPARE(fake.sent.size(), std::size_t{2});
        QVERIFY(fake.HoldsNothing());
        QVERIFY(!w.window().Session().Connected());

        fake.SetVersions(0x39990000, 0xFADE0007);
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
    }

    // The tanks written before a cancel keep their new level; the box says
    // which, since the wings may now differ.
    void aCancelBetweenTwoTankWritesKeepsTheFirstAndSaysSo() {
        LoadedWindow w;
        FakePlatform& fake = UseFakePlatform(w);
        Connect(w, fake);
        const QString totalFuel = w.edit("txtTotalFuel")->text();
        std::atomic<bool> go{false};
        HoldSend(fake, 0, go);
        const WaitDialogWatch watch(CancelThenRelease(w, go));
        w.click("cmdBoardFuel");
        QCOMPARE(watch.text(), QStringLiteral("Writing the left main tank level..."));
        QCOMPARE(w.takeMessages(),
                 (std::vector<Message>{{"Boarding was cancelled. The left main tank holds the "
                                        "planned fuel now; the right main and centre tanks do "
                                        "not.",
                                        "Cancelled", MessageIcon::Exclamation}}));
        QVERIFY(fake.Get32(0x0B7C) != 0);  // the left tank, delivered
        QCOMPARE(fake.Get32(0x0B94), 0u);  // the right tank, never sent
        QCOMPARE(fake.sent.size(), std::size_t{1});
        QVERIFY(fake.HoldsNothing());
        QVERIFY(!w.window().Session().Connected());
        QCOMPARE(w.edit("txtTotalFuel")->text(), totalFuel);
    }

    void aCancelDuringTheStationReadsLeavesThePayload() {
        LoadedWindow w;
        FakePlatform& fake = UseFakePlatform(w);
        Connect(w, fake);
        fake.SetDouble(0x1400, 5000.0);
        w.type("txtPayload", QStringLiteral("1234"));
        std::atomic<bool> go{false};
        HoldSend(fake, 2, go);
        const WaitDialogWatch watch(CancelThenRelease(w, go));
        w.click("cmdReadPayload");
        QCOMPARE(watch.text(), QStringLiteral("Reading payload station 3 of 4..."));
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("1234"));
        QCOMPARE(w.window().Figures().payloadWeight, 1234);
        QCOMPARE(fake.sent.size(), std::size_t{3});
        QVERIFY(!w.window().Session().Connected());
    }

    void theWindowRepaintsWhileASimulatorNeverAnswersAndCancelEndsTheWait() {
        Simulator sim(RuntimeFolder(), {"--answer", "never"});
        QVERIFY(sim.ready());
        LoadedWindow w;
        constexpr std::uint32_t timeoutMs = 1000;
        w.window().SetSimulatorSession(tarnwell::window::MakeSimulatorSession(
            SuiteSimulators(), std::make_unique<LinuxLinkPlatform>(), FsuipcTiming{timeoutMs, 5}));
        // A repaint asked for every 20 ms, counted when it is done.
        int paints = 0;
        PaintCounter counter(w.window(), paints);
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&w] { w.window().update(); });
        ticks.start(20);
        int paintsBeforeDialog = 0;
        bool modal = true;
        QString before;
        QString after;
        int moved = 0;
        bool runningAfterEscape = false;
        QString cancelling;
        Clock::time_point cancelled;
        const WaitDialogWatch watch([&](QProgressDialog& dialog) {
            paintsBeforeDialog = paints;
            // The window's close box must stay usable during the wait.
            modal = dialog.windowModality() != Qt::NonModal;
            // The bar says how long the wait may still last, and moves.
            auto* bar = dialog.findChild<QProgressBar*>();
            QVERIFY(bar != nullptr);
            before = bar->text();
            const int start = bar->value();
            QTest::qWait(600);
            after = bar->text();
            moved = bar->value() - start;
            cancelled = Clock::now();
            // Escape, as the keyboard cancels; the dialog stays and says so.
            QTest::keyClick(&dialog, Qt::Key_Escape);
            runningAfterEscape = w.window().CommandRunning();
            cancelling = dialog.isVisible() ? dialog.labelText() : QString();
        });
        w.click("cmdBoardFuel");
        const auto waited = Clock::now() - cancelled;
        QVERIFY(watch.seen());
        QVERIFY(paintsBeforeDialog > 0);
        QVERIFY(!modal);
        QVERIFY2(before.startsWith(QStringLiteral("Try 1 of 11, at most ")), qPrintable(before));
        QVERIFY2(after != before, qPrintable(after));
        QVERIFY(moved > 0);
        QVERIFY(runningAfterEscape);
        QCOMPARE(cancelling, QStringLiteral("Cancelling..."));
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QVERIFY(!w.window().Session().Connected());
        QVERIFY(!MappingExists(static_cast<std::uint32_t>(::getpid())));
        // At most the send under way, with room for a loaded machine.
        QVERIFY(waited < std::chrono::milliseconds(2 * timeoutMs));
        qInfo("Cancel to the end of the command: %lld ms",
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()));
    }

    // A later step whose own bound reaches past an earlier one's does not
    // move the end the dialog has promised.
    void theTimeLeftNeverGrowsFromStepToStep() {
        QWidget window;
        window.show();
        tarnwell::window::CommandRunner runner(window);
        std::atomic<bool> go{false};
        bool ended = false;
        runner.Run<bool>(
            [&go](const tarnwell::sim::CancelFlag&, const tarnwell::sim::WaitReport& report) {
                report({"Reading the first...", 1, 1, std::chrono::seconds(20)});
                const auto end = Clock::now() + std::chrono::seconds(10);
                while (!go.load() && Clock::now() < end) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                report({"Reading the second...", 1, 1, std::chrono::seconds(90)});
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return true;
            },
            [&ended](bool done) { ended = done; });
        QString first;
        QString second;
        const WaitDialogWatch watch([&](QProgressDialog& dialog) {
            auto* bar = dialog.findChild<QProgressBar*>();
            first = bar->text();
            go = true;
            QTRY_COMPARE(dialog.labelText(), QStringLiteral("Reading the second..."));
            second = bar->text();
        });
        QTRY_VERIFY_WITH_TIMEOUT(ended, 15000);
        QVERIFY(watch.seen());
        QVERIFY2(first.startsWith(QStringLiteral("At most 2")), qPrintable(first));
        QVERIFY2(second.startsWith(QStringLiteral("At most 1")) ||
                     second.startsWith(QStringLiteral("At most 2")),
                 qPrintable(second));
    }

    // What the job returned reaches its half on the window's thread, once
    // the job has ended; a second command is refused meanwhile.
    void aJobsResultReachesItsHalfOnTheWindowsThread() {
        QWidget window;
        tarnwell::window::CommandRunner runner(window);
        std::atomic<bool> go{false};
        std::vector<std::string> taken;
        QThread* takenOn = nullptr;
        QVERIFY(runner.Run<std::vector<std::string>>(
            [&go](const tarnwell::sim::CancelFlag&, const tarnwell::sim::WaitReport&) {
                while (!go.load()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                return std::vector<std::string>{"452", "pounds"};
            },
            [&](std::vector<std::string> result) {
                taken = std::move(result);
                takenOn = QThread::currentThread();
            }));
        QVERIFY(!runner.Run<int>([](const auto&, const auto&) { return 1; },
                                 [&taken](int) { taken = {"second"}; }));
        go = true;
        QTRY_VERIFY(!runner.Running());
        QCOMPARE(taken, (std::vector<std::string>{"452", "pounds"}));
        QCOMPARE(takenOn, window.thread());
    }

    void closingTheWindowDuringACommandCancelsItAndSaves() {
        Simulator sim(RuntimeFolder(), {"--answer", "never"});
        QVERIFY(sim.ready());
        LoadedWindow w;
        w.type("txtPayload", QStringLiteral("1234"));
        const WaitDialogWatch watch([&w](QProgressDialog&) { w.closeByCloseBox(); });
        w.click("cmdReadPayload");
        QVERIFY(watch.seen());
        QTRY_VERIFY(!w.window().isVisible());
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QCOMPARE(StoredValue(QStringLiteral("Payload")), QStringLiteral("1234"));
        QVERIFY(!MappingExists(static_cast<std::uint32_t>(::getpid())));
    }

    // ----- the boxes themselves

    // The technical account behind the details button; the text cut where
    // it quotes something too long to wrap, so that the box stays on the
    // screen.
    void aBoxKeepsDetailsApartAndStaysOnTheScreen() {
        const std::string host(3000, 'h');
        const Message message{"X-Plane connection failure at " + host + ":8086.\r\n\r\nNothing",
                              "Error!", MessageIcon::Critical, "GET /api/capabilities " + host};
        QString text;
        QString details;
        int width = 0;
        int screenWidth = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            details = box->detailedText();
            width = box->width();
            screenWidth = box->screen()->availableGeometry().width();
            box->accept();
        });
        tarnwell::window::ShowMessageBox(nullptr, message);
        QVERIFY2(width <= screenWidth,
                 qPrintable(QStringLiteral("%1 of %2").arg(width).arg(screenWidth)));
        QVERIFY2(text.startsWith(QStringLiteral("X-Plane connection failure at hhhh")),
                 qPrintable(text));
        QVERIFY(text.size() < 200);
        QVERIFY(text.contains(QStringLiteral("...")));
        QVERIFY(!text.contains(QLatin1Char('\r')));
        QCOMPARE(details, QString::fromStdString(message.details));
    }

    // Board is the default; Escape (as the close box) is Cancel.
    void theQuestionBoxHasBoardAndCancel_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Enter") << false;
        QTest::newRow("Escape") << true;
    }

    void theQuestionBoxHasBoardAndCancel() {
        QFETCH(bool, escape);
        QStringList buttons;
        QString defaultButton;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons()) {
                buttons << button->text().remove(QLatin1Char('&'));
            }
            defaultButton = box->defaultButton()->text();
            QTest::keyClick(box, escape ? Qt::Key_Escape : Qt::Key_Return);
        });
        const bool proceed = tarnwell::window::AskQuestionBox(
            nullptr,
            Question{{"Fill the tanks?", "Board Fuel", MessageIcon::Exclamation}, "Board"});
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Board", "Cancel"}));
        QCOMPARE(defaultButton, QStringLiteral("Board"));
        QCOMPARE(proceed, !escape);
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
