// Dispatch plans through the real window: the project's sample flight plans
// imported from a file and fetched from the SimBrief stand-in
// (tools/tarnwell-simbrief), over HTTP and HTTPS, every fault in one table,
// and the dispatch fuel boarded into the X-Plane stand-in.
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

#include "support.h"
#include "support/dead_port.h"
#include "window/dispatchpanel.h"

using tarnwell::window::DispatchOptions;
using tarnwell::window::Message;

namespace {

QString Sample(const char* name) {
    return QStringLiteral(TARNWELL_OFP_SAMPLES "/") + QLatin1String(name);
}

// The stand-in on a free port of its own.
class SimBriefStandIn {
public:
    explicit SimBriefStandIn(const QStringList& arguments) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(
            QStringLiteral(TARNWELL_SIMBRIEF_EXE),
            QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--user"),
                        QStringLiteral("pilot=") + Sample("b738_lbs.xml"), QStringLiteral("--user"),
                        QStringLiteral("912345=") + Sample("b737_kgs.json")} +
                arguments);
        for (int waited = 0; !output_.contains(QLatin1Char('\n')) && waited < 5000; waited += 10) {
            process_.waitForReadyRead(10);
            output_ += QString::fromLocal8Bit(process_.readAll());
        }
        port_ = output_.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(':'), -1).toInt();
    }
    ~SimBriefStandIn() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    QString Fetcher(const char* scheme = "http") const {
        return QStringLiteral("%1://127.0.0.1:%2/api/xml.fetcher.php")
            .arg(QLatin1String(scheme))
            .arg(port_);
    }
    // The requests it took.
    int Requests() {
        output_ += QString::fromLocal8Bit(process_.readAll());
        return int(output_.count(QStringLiteral("GET /api/xml.fetcher.php")));
    }

private:
    QProcess process_;
    QString output_;
    int port_ = 0;
};

DispatchOptions FetchFrom(const QString& fetcher, int limitMs = 2000) {
    DispatchOptions options = SuiteDispatch();
    options.fetcher = fetcher;
    options.fetchLimit = std::chrono::milliseconds(limitMs);
    return options;
}

QTableWidget* Table(LoadedWindow& w) {
    return w.window().findChild<QTableWidget*>(QStringLiteral("tblDispatchCheck"));
}

QString Cell(LoadedWindow& w, int row, int column) {
    const QTableWidgetItem* item = Table(w)->item(row, column);
    return item ? item->text() : QString();
}

QString Label(LoadedWindow& w, const char* name) {
    return w.window().findChild<QLabel*>(QLatin1String(name))->text();
}

// The inputs as the window shows them, in one line.
QString Inputs(LoadedWindow& w) {
    QString model;
    for (const char* name : {"optModel600", "optModel700", "optModel800", "optModel900"}) {
        if (w.window().findChild<QRadioButton*>(QLatin1String(name))->isChecked()) {
            model = QLatin1String(name);
        }
    }
    QStringList shown{model};
    for (const char* list :
         {"cboCruisingAlt", "cboTripDistance", "cboAlternateDistance", "cboWindType"}) {
        shown << w.list(list)->currentText();
    }
    for (const char* field :
         {"txtHeadwind", "txtPayload", "txtHoldingFuel", "txtMinimumFuel", "txtTaxiFuel"}) {
        shown << w.edit(field)->text();
    }
    return shown.join(QLatin1Char(' '));
}

void Fetch(LoadedWindow& w, const QString& user) {
    w.window().Dispatch().SetUser(user);
    w.window().Dispatch().Fetch();
    w.waitForCommand();
    QTRY_VERIFY_WITH_TIMEOUT(!w.window().Dispatch().Running(), 30000);
}

// A throwaway certificate for 127.0.0.1, made by openssl in `folder`.
bool MakeCertificate(const QTemporaryDir& folder) {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                   "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                   "-keyout", folder.filePath("key.pem"), "-out", folder.filePath("cert.pem")});
    return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

}  // namespace

class DispatchPlans : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }

    // Each sample, in the unit the window shows: the inputs it fills, the
    // check's dispatch column, and the planner's column as its fields show.
    void aSampleFillsEveryInputAndTheCheck_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QStringList>("dispatch");  // trip, alternate, block, zfw, tow, ldw
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("noted");
        const QString b738 =
            QStringLiteral("optModel800 FL350 1300 200 Headwind: 23 30000 2500 1050 500");
        const QStringList b738Figures{"21000", "3500", "28550", "121300", "149350", "128350"};
        const QString heathrow =
            QStringLiteral("EGLL to LPPT (alternate LPFR), OFP of 2025-12-10 13:00 UTC");
        QTest::newRow("XML, pounds") << Sample("b738_lbs.xml") << 0 << b738 << b738Figures
                                     << heathrow << "1234 nm planned, 1300 taken";
        QTest::newRow("JSON, pounds") << Sample("b738_lbs.json") << 0 << b738 << b738Figures
                                      << heathrow << "149 nm planned, 200 taken";
        QTest::newRow("JSON, kilograms, in pounds")
            << Sample("b737_kgs.json") << 0
            << "optModel700 FL350 700 400 Tailwind: 15 26455 2425 1113 441"
            << QStringList{"9039", "3086", "16105", "110231", "125895", "116856"}
            << "EDDF to LEMD (alternate LEBL)"
            << "FL360 planned, FL350 taken";
        QTest::newRow("JSON, kilograms, in kilograms")
            << Sample("b737_kgs.json") << 1
            << "optModel700 FL350 700 400 Tailwind: 15 12000 1100 505 200"
            << QStringList{"4100", "1400", "7305", "50000", "57105", "53005"} << "EDDF to LEMD"
            << "converted from the plan's kilograms";
        QTest::newRow("gaps") << Sample("b736_partial.xml") << 0
                              << "optModel600 FL370 200 600 Tailwind: 12    400"
                              << QStringList{"6000", "2800", "14000", "--", "--", "--"}
                              << "KBOS to KJFK (alternate KEWR)"
                              << "Not in the plan, left as it was: weights/payload, fuel/reserve";
    }
    void aSampleFillsEveryInputAndTheCheck() {
        QFETCH(QString, file);
        QFETCH(int, unit);
        QFETCH(QString, inputs);
        QFETCH(QStringList, dispatch);
        QFETCH(QString, named);
        QFETCH(QString, noted);
        LoadedWindow w;
        w.list("cboUnits")->setCurrentIndex(unit);
        QVERIFY(w.window().Dispatch().ImportFile(file));
        QCOMPARE(w.takeMessages().size(), std::size_t{0});
        QCOMPARE(Inputs(w), inputs);
        QVERIFY2(Label(w, "lblDispatchPlan").contains(named),
                 qPrintable(Label(w, "lblDispatchPlan")));
        QVERIFY2(Label(w, "lblDispatchNotes").contains(noted),
                 qPrintable(Label(w, "lblDispatchNotes")));
        QVERIFY(w.window().Dispatch().Panel().isVisible());
        const char* planner[] = {"txtEnrouteFuel", "txtAlternateFuel", "txtTotalFuel",
                                 "txtZFW",         "txtGTOW",          "txtPLW"};
        for (int row = 0; row < 6; ++row) {
            QCOMPARE(Cell(w, row, 0), dispatch[row]);
            QCOMPARE(Cell(w, row, 1), w.edit(planner[row])->text());
        }
        // A change afterwards keeps the dispatch column and moves the planner's.
        w.type("txtPayload", QStringLiteral("1000"));
        QCOMPARE(Cell(w, 3, 0), dispatch[3]);
        QCOMPARE(Cell(w, 3, 1), w.edit("txtZFW")->text());
    }

    // A difference beyond the tolerance is marked by more than its colour.
    void aDifferenceBeyondTheToleranceIsMarked() {
        LoadedWindow w;
        QVERIFY(w.window().Dispatch().ImportFile(Sample("b738_lbs.xml")));
        w.type("txtHoldingFuel", QStringLiteral("9000"));  // 6500 more than dispatched
        QVERIFY2(Cell(w, 2, 2).startsWith(QStringLiteral("! +")), qPrintable(Cell(w, 2, 2)));
        QVERIFY(Label(w, "lblDispatchTolerance").contains(QStringLiteral("(1050 Lbs.)")));
        QVERIFY(!Cell(w, 3, 2).startsWith(QLatin1Char('!')));
    }

    // A file that cannot be taken changes nothing and says why.
    void aFileThatCannotBeTakenChangesNothing_data() {
        QTest::addColumn<QByteArray>("content");  // empty: the sample named instead
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("says");
        QTest::newRow("an A320") << QByteArray() << "a320_lbs.xml"
                                 << "aircraft type A320";
        QTest::newRow("no such file") << QByteArray() << "none.xml"
                                      << "could not be read";
        QTest::newRow("a web page") << QByteArray("<html><body>Sorry</body></html>") << ""
                                    << "a web page";
        QTest::newRow("cut short")
            << QByteArray("<?xml version=\"1.0\"?><OFP><params><units>lbs") << ""
            << "not readable XML";
        QTest::newRow("empty") << QByteArray("") << ""
                               << "It is empty";
        QTest::newRow("a route beyond the tables")
            << QByteArray(
                   "<OFP><params><units>lbs</units></params><aircraft><icaocode>B738"
                   "</icaocode></aircraft><general><route_distance>5120</route_distance>"
                   "</general></OFP>")
            << ""
            << "route is 5120 nm";
        QTest::newRow("too large") << QByteArray(5 * 1024 * 1024, ' ') << ""
                                   << "over 4 MiB";
    }
    void aFileThatCannotBeTakenChangesNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, sample);
        QFETCH(QString, says);
        LoadedWindow w;
        const QString before = Inputs(w);
        QTemporaryDir folder;
        QString path = Sample(qPrintable(sample));
        if (sample.isEmpty()) {
            path = folder.filePath(QStringLiteral("plan.xml"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(!w.window().Dispatch().ImportFile(path));
        const std::vector<Message> boxes = w.takeMessages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(boxes.front().text).contains(says),
                 boxes.front().text.c_str());
        QCOMPARE(boxes.front().title, std::string("Dispatch Plan"));
        QCOMPARE(Inputs(w), before);
    }

    // One request per click, by user name or by Pilot ID, and remembered.
    void aFetchByUserNameOrPilotIdImports() {
        SimBriefStandIn simbrief({});
        {
            LoadedWindow w(SuiteSimulators(), FetchFrom(simbrief.Fetcher()));
            Fetch(w, QStringLiteral("pilot"));
            QCOMPARE(w.takeMessages().size(), std::size_t{0});
            QVERIFY(Inputs(w).startsWith(QStringLiteral("optModel800 FL350 1300")));
            Fetch(w, QStringLiteral("912345"));
            QVERIFY(Inputs(w).startsWith(QStringLiteral("optModel700 FL350 700")));
            QCOMPARE(simbrief.Requests(), 2);
            w.closeByCloseBox();
        }
        LoadedWindow again;
        QCOMPARE(again.window().Dispatch().User(), QStringLiteral("912345"));
        QCOMPARE(StoredValues().size(), 11);  // the Settings section keeps its own keys
    }

    void aFetchThatFailsChangesNothingAndSaysWhy_data() {
        QTest::addColumn<QStringList>("arguments");  // the stand-in's; "dead": no server
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown user") << QStringList{} << "nobody"
                                      << "SimBrief knows no user \"nobody\"";
        QTest::newRow("no user typed") << QStringList{} << ""
                                       << "Type your SimBrief user name";
        QTest::newRow("a web page") << QStringList{"--fault", "html"} << "pilot"
                                    << "a web page";
        QTest::newRow("cut short") << QStringList{"--fault", "truncated"} << "pilot"
                                   << "not readable XML";
        QTest::newRow("too large") << QStringList{"--fault", "huge"} << "pilot"
                                   << "over 4 MiB";
        QTest::newRow("a server error") << QStringList{"--fault", "server-error"} << "pilot"
                                        << "error (HTTP 500)";
        QTest::newRow("silent") << QStringList{"--fault", "silent"} << "pilot"
                                << "did not answer within 2 seconds";
        QTest::newRow("trickling") << QStringList{"--fault", "trickle"} << "pilot"
                                   << "did not answer within 2 seconds";
        QTest::newRow("no server") << QStringList{"dead"} << "pilot"
                                   << "could not be reached";
    }
    void aFetchThatFailsChangesNothingAndSaysWhy() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, user);
        QFETCH(QString, says);
        const bool dead = arguments == QStringList{QStringLiteral("dead")};
        SimBriefStandIn simbrief(dead ? QStringList{} : arguments);
        LoadedWindow w(SuiteSimulators(), dead ? SuiteDispatch() : FetchFrom(simbrief.Fetcher()));
        const QString before = Inputs(w);
        Fetch(w, user);
        const std::vector<Message> boxes = w.takeMessages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(boxes.front().text).contains(says),
                 boxes.front().text.c_str());
        QVERIFY(
            QString::fromStdString(boxes.front().text).contains(QStringLiteral("Nothing was")) ||
            user.isEmpty());
        QCOMPARE(Inputs(w), before);
        QVERIFY(
            w.window().findChild<QPushButton*>(QStringLiteral("cmdFetchDispatch"))->isEnabled());
    }

    void cancellingAFetchChangesNothingAndSaysNothing() {
        SimBriefStandIn simbrief({QStringLiteral("--fault"), QStringLiteral("silent")});
        LoadedWindow w(SuiteSimulators(), FetchFrom(simbrief.Fetcher(), 60000));
        const QString before = Inputs(w);
        WaitDialogWatch watch([](QProgressDialog& dialog) { PressCancel(dialog); });
        w.window().Dispatch().SetUser(QStringLiteral("pilot"));
        w.window().Dispatch().Fetch();
        QTRY_VERIFY_WITH_TIMEOUT(!w.window().Dispatch().Running(), 30000);
        QVERIFY(watch.seen());
        QVERIFY(watch.text().contains(QStringLiteral("SimBrief")));
        QCOMPARE(w.takeMessages().size(), std::size_t{0});
        QCOMPARE(Inputs(w), before);
    }

    // HTTPS: a certificate nobody vouches for is refused; once the test
    // trusts it, the same server's plan is taken.
    void httpsVerifiesTheCertificate() {
        QTemporaryDir folder;
        QVERIFY(MakeCertificate(folder));
        SimBriefStandIn simbrief({QStringLiteral("--tls-cert"), folder.filePath("cert.pem"),
                                  QStringLiteral("--tls-key"), folder.filePath("key.pem")});
        LoadedWindow w(SuiteSimulators(), FetchFrom(simbrief.Fetcher("https"), 10000));
        Fetch(w, QStringLiteral("pilot"));
        std::vector<Message> boxes = w.takeMessages();
        QCOMPARE(boxes.size(), std::size_t{1});
        QVERIFY2(
            boxes.front().text.find("secure connection to SimBrief failed") != std::string::npos,
            boxes.front().text.c_str());

        const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = system;
        trusting.addCaCertificates(folder.filePath("cert.pem"));
        QSslConfiguration::setDefaultConfiguration(trusting);
        Fetch(w, QStringLiteral("pilot"));
        QSslConfiguration::setDefaultConfiguration(system);
        QCOMPARE(w.takeMessages().size(), std::size_t{0});
        QVERIFY(Inputs(w).startsWith(QStringLiteral("optModel800 FL350 1300")));
    }

    // A plan file dropped on the planner is imported; anything else is not
    // taken. Ctrl+D opens the panel, Escape closes it.
    void aDroppedFileIsImportedAndTheKeysOpenAndClose() {
        LoadedWindow w;
        const auto drop = [&w](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&w.window(), &enter);
            if (enter.isAccepted()) {
                QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(&w.window(), &dropped);
            }
            return enter.isAccepted();
        };
        QVERIFY(!drop({QUrl(QStringLiteral("https://example.org/plan.xml"))}));
        QVERIFY(!drop({QUrl::fromLocalFile(Sample("b738_lbs.xml")),
                       QUrl::fromLocalFile(Sample("b737_kgs.json"))}));
        QVERIFY(drop({QUrl::fromLocalFile(Sample("b738_lbs.xml"))}));
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("30000"));
        QWidget& panel = w.window().Dispatch().Panel();
        QTest::keyClick(&panel, Qt::Key_Escape);
        QVERIFY(!panel.isVisible());
        QTest::keyClick(w.focus("txtPayload"), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(panel.isVisible());
    }

    // The command line's plan, over the restored inputs.
    void theCommandLinesPlanIsImportedAtStartUp() {
        StoreValue(QStringLiteral("Payload"), QStringLiteral("1234"));
        DispatchOptions options = SuiteDispatch();
        options.file = Sample("b738_lbs.xml");
        LoadedWindow w(SuiteSimulators(), options);
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("30000"));
        QVERIFY(Label(w, "lblDispatchPlan").contains(QStringLiteral("EGLL to LPPT")));
    }

#ifdef TARNWELL_XPLANE_EXE
    // The dispatch block fuel, split as the planner splits its own, into the
    // X-Plane stand-in: the centre takes what the full wings leave.
    void theDispatchFuelIsBoarded() {
        QProcess xplane;
        xplane.setProcessChannelMode(QProcess::MergedChannels);
        xplane.start(QStringLiteral(TARNWELL_XPLANE_EXE), {"--port", "0"});
        QString output;
        while (!output.contains(QLatin1Char('\n')) && xplane.waitForReadyRead(5000)) {
            output += QString::fromLocal8Bit(xplane.readAll());
        }
        tarnwell::sim::SimulatorOptions simulators =
            SuiteSimulators(tarnwell::sim::SimulatorChoice::XPlane);
        simulators.xplane.port = static_cast<std::uint16_t>(
            output.section(QLatin1Char('\n'), 0, 0).section(':', -1).toUInt());
        LoadedWindow w(simulators);
        QVERIFY(w.window().Dispatch().ImportFile(Sample("b738_lbs.xml")));
        w.click("cmdBoardDispatchFuel");
        const std::vector<Message> boxes = w.takeMessages();
        QCOMPARE(boxes.size(), std::size_t{1});
        // The stand-in's wings hold 3907 kg (8614 lb) each, Laminar's figure.
        QVERIFY2(
            boxes.front().text.starts_with("The fuel was successfully boarded.") &&
                boxes.front().text.find("28518 Lbs. of fuel were boarded") != std::string::npos,
            boxes.front().text.c_str());
        xplane.waitForReadyRead(500);
        output += QString::fromLocal8Bit(xplane.readAll());
        // 28550 lb: 8630 planned in each wing, 11290 in the centre (5121.1 kg).
        QVERIFY2(output.contains(QStringLiteral("5121.")), qPrintable(output));
        xplane.terminate();
        xplane.waitForFinished(3000);
    }
#endif
};

TARNWELL_WINDOW_SUITE(DispatchPlans);

#include "dispatch_plans_test.moc"
