// "Board Fuel" and "Read Payload Weight" through the real window, against
// the X-Plane stand-in (tools/tarnwell-xplane) and, where FlightGear is
// installed, a real FlightGear with the project's test aircraft.
#include <unistd.h>

#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "support.h"

using tarnwell::sim::SimulatorChoice;
using tarnwell::sim::SimulatorOptions;
using tarnwell::window::Message;
using tarnwell::window::MessageIcon;

namespace {

const Message Boarded{"The fuel was successfully boarded.", "Success!", MessageIcon::Information};

// Short enough that a server that never answers costs a case well under
// a second, long enough for a loaded machine's loopback.
SimulatorOptions WebAt(SimulatorChoice choice, std::uint16_t xplane, std::uint16_t flightgear) {
    SimulatorOptions options = SuiteSimulators(choice);
    if (xplane != 0) {
        options.xplane.port = xplane;
    }
    if (flightgear != 0) {
        options.flightgear.port = flightgear;
    }
    options.webTiming.connectTimeout = std::chrono::milliseconds(500);
    options.webTiming.requestTimeout = std::chrono::milliseconds(700);
    return options;
}

// A child process whose standard output the test reads.
class Child {
public:
    Child(const QString& program, const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(program, arguments);
    }
    ~Child() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    QString Output() {
        output_ += QString::fromLocal8Bit(process_.readAll());
        return output_;
    }
    // The first line that starts with `start`, waited for at most `ms`.
    QString LineStarting(const QString& start, int ms) {
        for (int waited = 0; !Output().contains(start) && waited < ms; waited += 10) {
            process_.waitForReadyRead(10);
        }
        for (const QString& line : Output().split(QLatin1Char('\n'))) {
            if (line.startsWith(start)) {
                return line;
            }
        }
        return {};
    }

private:
    QProcess process_;
    QString output_;
};

// The X-Plane stand-in on a free port of its own.
class XPlaneStandIn : public Child {
public:
    explicit XPlaneStandIn(const QStringList& arguments = {})
        : Child(QStringLiteral(TARNWELL_XPLANE_EXE),
                QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments) {
        const QString line = LineStarting(QStringLiteral("listening on "), 5000);
        port_ = static_cast<std::uint16_t>(line.section(QLatin1Char(':'), -1).toUInt());
    }
    std::uint16_t port() const { return port_; }
    // The writes it took, "m_fuel[0] set to 3914.55 kg", in order.
    QStringList Writes() {
        QStringList writes;
        for (const QString& line : Output().split(QLatin1Char('\n'))) {
            if (line.contains(QStringLiteral(" set to "))) {
                writes << line.trimmed();
            }
        }
        return writes;
    }

private:
    std::uint16_t port_ = 0;
};

// The 737-800, with 12,000 lb in all: 1,000 lb in the centre and 5,500 lb
// in each wing.
void PlanBoeing800(LoadedWindow& w) {
    w.chooseModel("optModel800");
    w.list("cboWindType")->setCurrentIndex(1);
    w.type("txtHeadwind", QStringLiteral("600"));
    const int alreadyPlanned = w.edit("txtTotalFuel")->text().toInt();
    w.type("txtHoldingFuel", QString::number(12000 - alreadyPlanned));
    QCOMPARE(w.edit("txtTotalFuel")->text(), QStringLiteral("12000"));
}

// What the load sheet shows of the aircraft after Refresh: left main,
// centre, right main, and the payload, all read.
void ExpectAircraftNow(LoadedWindow& w, const std::array<double, 3>& tanks, int payload) {
    const auto& now = w.window().LoadSheetNow().aircraft;
    QVERIFY(now.has_value());
    for (std::size_t i = 0; i < tanks.size(); ++i) {
        QVERIFY(now->tankPounds[i].has_value());
        QVERIFY2(qAbs(*now->tankPounds[i] - tanks[i]) < 0.01,
                 qPrintable(QString::number(*now->tankPounds[i])));
    }
    QCOMPARE(now->payloadPounds, std::optional<std::int32_t>(payload));
}

bool Has(const Message& message, const QString& words) {
    return QString::fromStdString(message.text).contains(words);
}

}  // namespace

class WebSimulators : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    // The tanks in kilograms, in X-Plane's element order (left, centre,
    // right), then the payload, in whole pounds.
    void xplaneBoardsAndReadsThePayload_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("chosen") << int(SimulatorChoice::XPlane) << QStringList{};
        QTest::newRow("found when the module is not there")
            << int(SimulatorChoice::Auto) << QStringList{};
        QTest::newRow("lists without is_writable (before 12.4.3)")
            << int(SimulatorChoice::XPlane) << QStringList{QStringLiteral("--no-is-writable")};
    }

    void xplaneBoardsAndReadsThePayload() {
        QFETCH(int, choice);
        QFETCH(QStringList, arguments);
        XPlaneStandIn xplane(arguments);
        QVERIFY(xplane.port() != 0);
        LoadedWindow w(WebAt(SimulatorChoice(choice), xplane.port(), 0));
        PlanBoeing800(w);
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QCOMPARE(xplane.Writes(),
                 (QStringList{"m_fuel[0] set to 2494.76 kg", "m_fuel[2] set to 2494.76 kg",
                              "m_fuel[1] set to 453.59 kg"}));
        w.click("cmdReadPayload");
        // 9000 kg is 19841.6 lb.
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("19842"));
        QCOMPARE(w.takeMessages(), (std::vector<Message>{{"Payload weight read as 19842 pounds.",
                                                          "Success!", MessageIcon::Information}}));
        QVERIFY(w.window().Session().Connected());
        // The load sheet's Refresh reads the same figures back into "in the
        // aircraft now": what was boarded, and the payload just read.
        w.click("cmdRefreshAircraft");
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        ExpectAircraftNow(w, {5500, 1000, 5500}, 19842);
    }

    // Laminar's 737-800 holds 8,613.8 lb in each wing, 16.2 lb less than the
    // model: a plan with full wings fills them, and the boarding succeeds.
    void xplaneFullWingsFillTheTanksX_PlaneHas() {
        XPlaneStandIn xplane;
        LoadedWindow w(WebAt(SimulatorChoice::XPlane, xplane.port(), 0));
        PlanBoeing800(w);
        w.type("txtHoldingFuel", QString::number(w.edit("txtHoldingFuel")->text().toInt() + 8000));
        QCOMPARE(w.edit("txtCenterTank")->text(), QStringLiteral("2740 Lbs."));
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, std::string("Success!"));
        QCOMPARE(xplane.Writes(),
                 (QStringList{"m_fuel[0] set to 3907.15 kg", "m_fuel[2] set to 3907.15 kg",
                              "m_fuel[1] set to 1242.84 kg"}));
    }

    // Every fault ends in a clear box, writes nothing after it, and leaves
    // the plan as it was; the link is closed, and the next click connects
    // afresh.
    void xplaneFaultsEndInABox_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("writes");
        const char* board = "cmdBoardFuel";
        const char* read = "cmdReadPayload";
        const char* notXPlane = "X-Plane connection failure at 127.0.0.1:";
        // Failures before any tank is written are no write failures.
        const char* notChecked = "Nothing was boarded: X-Plane could not be asked";
        const char* readFailed = "Read failed!";
        // The stand-in's arguments, then the command, its box (its title,
        // where given, and a part of its text) and the writes taken.
        const struct {
            const char* name;
            const char* arguments;
            const char* command;
            const char* title;
            const char* said;
            int writes;
        } rows[] = {
            {"a web page", "--fault html", board, "Error!", notXPlane, 0},
            {"404 everywhere", "--fault 404", board, "Error!", notXPlane, 0},
            {"a redirect", "--fault redirect", read, "Error!", notXPlane, 0},
            {"malformed JSON", "--fault bad-json", board, "Error!", notXPlane, 0},
            {"JSON cut short", "--fault truncated", board, "Error!", notXPlane, 0},
            {"an answer over 1 MiB", "--fault huge-body", read, "Error!", notXPlane, 0},
            {"never answers", "--fault never", board, "Error!", notXPlane, 0},
            {"answers too slowly", "--fault slow=3000", read, "Error!", notXPlane, 0},
            {"resets mid-body", "--fault reset", board, "Error!", notXPlane, 0},
            {"incoming traffic disabled", "--fault traffic-disabled", board, "",
             "untick Disable Incoming Traffic", 0},
            {"no flight loaded", "--fault no-flight", board, "Error", notChecked, 0},
            {"no fuel dataref", "--fault missing-dataref", board, "Error", notChecked, 0},
            {"fuel read-only", "--fault read-only", board, "Error", notChecked, 0},
            {"two tanks", "--capacity 4000,4000 --fuel 100,100", board, "", "", 0},
            {"a write taken, the value kept", "--fault keep-value", board, "Error",
             "X-Plane does not hold the planned fuel:", 0},
            {"quits after the first tank", "--fault quit-after-writes=1", board, "Error",
             "The left main tank holds the planned fuel now; the right main and centre tanks "
             "do not.",
             1},
            {"a payload that is no number", "--fault nan", read, "Error", readFailed, 0},
            {"a negative payload", "--fault negative", read, "Error", readFailed, 0},
            {"a huge payload", "--fault huge", read, "Error", readFailed, 0},
            {"a payload of the wrong type", "--fault wrong-type", read, "Error", readFailed, 0},
            {"another aircraft", "--aircraft C172", board, "Error",
             "The aircraft loaded in X-Plane is \"C172\", not a Boeing 737-800 NG. Nothing "
             "was boarded.",
             0},
            {"another aircraft's payload", "--aircraft C172", read, "Error",
             "The aircraft loaded in X-Plane is \"C172\", not a Boeing 737-800 NG. The payload "
             "was not read.",
             0},
        };
        for (const auto& row : rows) {
            QTest::newRow(row.name) << QString::fromLatin1(row.arguments).split(QLatin1Char(' '))
                                    << row.command << row.title << row.said << row.writes;
        }
    }

    void xplaneFaultsEndInABox() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, said);
        QFETCH(int, writes);
        XPlaneStandIn xplane(arguments);
        QVERIFY(xplane.port() != 0);
        LoadedWindow w(WebAt(SimulatorChoice::XPlane, xplane.port(), 0));
        PlanBoeing800(w);
        w.type("txtPayload", QStringLiteral("1234"));
        const QString zfw = w.edit("txtZFW")->text();
        w.click(command.toLatin1().constData());
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        if (!title.isEmpty()) {
            QCOMPARE(QString::fromStdString(messages[0].title), title);
        }
        QVERIFY2(Has(messages[0], said), messages[0].text.c_str());
        // The technical account is for the details: no dataref path, status
        // line or JSON in the text.
        for (const char* technical : {"sim/", "/api/", "HTTP", "{\"", " 40", " 50"}) {
            QVERIFY2(!Has(messages[0], QString::fromLatin1(technical)), messages[0].text.c_str());
        }
        QCOMPARE(xplane.Writes().size(), writes);
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("1234"));
        QCOMPARE(w.edit("txtZFW")->text(), zfw);
    }

    // The wait names X-Plane and says how long it may last, on a bar wide
    // enough to show it moving whatever the style (under Wine's Windows
    // style the text once took all but a sliver of it). Cancel while X-Plane
    // is silent ends the wait without a box.
    void theWaitNamesXPlaneOnABarThatShows() {
        XPlaneStandIn xplane({"--fault", "never"});
        SimulatorOptions options = WebAt(SimulatorChoice::XPlane, xplane.port(), 0);
        options.webTiming.requestTimeout = std::chrono::milliseconds(5000);
        LoadedWindow w(options);
        QString label;
        QString barText;
        int grooveWidth = 0;
        int barWidth = 0;
        const WaitDialogWatch watch([&](QProgressDialog& dialog) {
            auto* bar = dialog.findChild<QProgressBar*>();
            QVERIFY(bar != nullptr);
            // On a loaded machine the dialog's time may come before the
            // job's first step has reached the window.
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.labelText().isEmpty(), 5000);
            label = dialog.labelText();
            barText = bar->text();
            barWidth = bar->width();
            QStyleOptionProgressBar option;
            option.initFrom(bar);
            option.state |= QStyle::State_Horizontal;
            option.minimum = bar->minimum();
            option.maximum = bar->maximum();
            option.progress = bar->value();
            option.text = barText;
            option.textVisible = bar->isTextVisible();
            option.textAlignment = bar->alignment();
            grooveWidth =
                bar->style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, bar).width();
            PressCancel(dialog);
        });
        w.click("cmdBoardFuel");
        QVERIFY(watch.seen());
        QVERIFY2(label.contains(QStringLiteral("X-Plane")), qPrintable(label));
        QVERIFY2(barText.contains(QStringLiteral(" s more")), qPrintable(barText));
        QVERIFY2(grooveWidth * 4 >= barWidth * 3,
                 qPrintable(QStringLiteral("%1 of %2").arg(grooveWidth).arg(barWidth)));
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
    }

    // Something that is not X-Plane on X-Plane's port is no simulator: with
    // the module and FlightGear not there either, the box is the one for no
    // simulator at all.
    void anotherServiceOnThePortIsNoSimulator() {
        XPlaneStandIn notXPlane({"--fault", "html"});
        LoadedWindow w(WebAt(SimulatorChoice::Auto, notXPlane.port(), 0));
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, std::string("Error!"));
        QVERIFY(Has(messages[0], "FSUIPC connection failure: Cannot link to FSUIPC or WideClient"));
        // What was found there, and where else to look.
        QVERIFY2(Has(messages[0], QStringLiteral("Something other than X-Plane answers at "
                                                 "127.0.0.1:%1.")
                                      .arg(notXPlane.port())),
                 messages[0].text.c_str());
        QVERIFY(Has(messages[0], "--xplane=HOST:PORT"));
    }
};

TARNWELL_WINDOW_SUITE(WebSimulators);

#ifdef TARNWELL_FGFS_SCRIPT
namespace {

// A real FlightGear with its HTTP server, started for one case and always
// stopped (tests/flightgear/fgfs.sh).
class FlightGearRun {
public:
    explicit FlightGearRun(const QString& aircraft) {
        QProcess start;
        start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARNWELL_FGFS_OWNER"), QString::number(::getpid()));
        start.setProcessEnvironment(environment);
        start.start(QStringLiteral("bash"), {QStringLiteral(TARNWELL_FGFS_SCRIPT),
                                             QStringLiteral("start"), folder_.path(), aircraft});
        start.waitForFinished(400000);
        port_ = static_cast<std::uint16_t>(start.readAllStandardOutput().trimmed().toUInt());
    }
    ~FlightGearRun() {
        QProcess::execute(QStringLiteral("bash"), {QStringLiteral(TARNWELL_FGFS_SCRIPT),
                                                   QStringLiteral("stop"), folder_.path()});
    }
    std::uint16_t port() const { return port_; }

    // A property's value as FlightGear itself holds it.
    QString Value(const QString& path) const {
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("-sg"), QStringLiteral("--max-time"), QStringLiteral("10"),
                    QStringLiteral("http://127.0.0.1:%1/json%2").arg(port_).arg(path)});
        curl.waitForFinished(15000);
        const QByteArray answer = curl.readAllStandardOutput();
        const qsizetype at = answer.indexOf("\"value\":");
        if (at < 0) {
            return {};
        }
        return QString::fromLatin1(answer.mid(at + 8).split(',').first()).remove('"');
    }
    double Tank(int index) const {
        return Value(QStringLiteral("/consumables/fuel/tank[%1]/level-lbs").arg(index)).toDouble();
    }

private:
    QTemporaryDir folder_;
    std::uint16_t port_ = 0;
};

}  // namespace

// The same through a FlightGear that really runs: left main, right main
// and centre are its tanks 0, 1 and 2, in pounds.
class FlightGear : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    void boardsTheTestAircraftAndReadsItsPayload() {
        FlightGearRun flightgear(QStringLiteral("tarnwell-737-800"));
        QVERIFY(flightgear.port() != 0);
        LoadedWindow w(WebAt(SimulatorChoice::Auto, 0, flightgear.port()));
        PlanBoeing800(w);
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QCOMPARE(flightgear.Tank(0), 5500.0);
        QCOMPARE(flightgear.Tank(1), 5500.0);
        QCOMPARE(flightgear.Tank(2), 1000.0);
        w.click("cmdReadPayload");
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("19790"));
        QCOMPARE(w.takeMessages().size(), std::size_t{1});

        // The dispatch plan's 28,550 lb, split as the planner splits its own.
        QVERIFY(
            w.window().Dispatch().ImportFile(QStringLiteral(TARNWELL_OFP_SAMPLES "/b738_lbs.xml")));
        w.click("cmdBoardDispatchFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        // A full tank reads back as FlightGear's single-precision capacity.
        QVERIFY(qAbs(flightgear.Tank(0) - 8630.0) < 0.01);
        QVERIFY(qAbs(flightgear.Tank(1) - 8630.0) < 0.01);
        QVERIFY(qAbs(flightgear.Tank(2) - 11290.0) < 0.01);
        w.click("cmdRefreshAircraft");
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        ExpectAircraftNow(w, {8630, 11290, 8630}, 19790);
    }

    // A centre tank of 5,000 lb is another layout than the 737-800's: the
    // boarding is refused in a box before any tank is written.
    void aTankFarTooSmallIsNotBoarded() {
        FlightGearRun flightgear(QStringLiteral("tarnwell-737-800-small"));
        QVERIFY(flightgear.port() != 0);
        LoadedWindow w(WebAt(SimulatorChoice::FlightGear, 0, flightgear.port()));
        PlanBoeing800(w);
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY2(messages[0].title != Boarded.title, messages[0].text.c_str());
        QCOMPARE(flightgear.Tank(0), 4000.0);
        QCOMPARE(flightgear.Tank(2), 0.0);
    }

    // Passenger counts in the cabin stations: the payload is what the
    // aircraft carries, 150 passengers and 6,100 lb of cargo.
    void readsWhatThePassengersWeigh() {
        FlightGearRun flightgear(QStringLiteral("tarnwell-737-800-pax"));
        QVERIFY(flightgear.port() != 0);
        LoadedWindow w(WebAt(SimulatorChoice::FlightGear, 0, flightgear.port()));
        PlanBoeing800(w);
        w.click("cmdReadPayload");
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("31750"));
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
    }

    // The stock Cessna: named in the box, its tanks untouched, and its
    // payload not taken for the plan's. FlightGear's own time-out and retry
    // hold however busy the machine is: the short web time-out of these
    // suites is X-Plane's.
    void anotherAircraftIsNotBoarded() {
        FlightGearRun flightgear(QStringLiteral("c172p"));
        QVERIFY(flightgear.port() != 0);
        const double before = flightgear.Tank(0);
        LoadedWindow w(WebAt(SimulatorChoice::FlightGear, 0, flightgear.port()));
        PlanBoeing800(w);
        w.click("cmdBoardFuel");
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY2(Has(messages[0],
                     "The aircraft loaded in FlightGear is \"c172p\", not a Boeing "
                     "737-800 NG. Nothing was boarded."),
                 messages[0].text.c_str());
        QCOMPARE(flightgear.Tank(0), before);
        w.type("txtPayload", QStringLiteral("30000"));
        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages().size(), std::size_t{1});
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("30000"));
        w.click("cmdRefreshAircraft");
        const std::vector<Message> refreshed = w.takeMessages();
        QCOMPARE(refreshed.size(), std::size_t{1});
        QVERIFY2(Has(refreshed[0], "Nothing was read from it."), refreshed[0].text.c_str());
        QVERIFY(!w.window().LoadSheetNow().aircraft.has_value());
    }
};

TARNWELL_WINDOW_SUITE(FlightGear);
#endif

#include "web_simulators_test.moc"
