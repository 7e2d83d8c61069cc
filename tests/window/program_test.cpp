// The tarnwell program itself, run as a child process: its command line,
// its start without a display, and its end on a signal.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <thread>

#include "support.h"

#ifndef TARNWELL_EXE
#error "TARNWELL_EXE must name the tarnwell executable"
#endif

namespace {

// A child's environment without any display, and with a settings store and
// runtime folder of the test's own.
QProcessEnvironment ChildEnvironment(const QTemporaryDir& home, bool offscreen) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    if (offscreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    return environment;
}

// Whether the process has a handler of its own for the signal.
bool Catches(qint64 pid, int signalNumber) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask >> (signalNumber - 1) & 1u) != 0;
        }
    }
    return false;
}

}  // namespace

class Program : public QObject {
    Q_OBJECT

private slots:
    // Help and version need no display; what the program does not know is
    // refused with status 2, its own options' bad values before any display
    // is needed, the rest once the toolkit has taken its own options.
    void theCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("offscreen");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed");  // on standard output when status is 0
        QTest::newRow("--help") << QStringList{"--help"} << false << 0
                                << "Usage: tarnwell [options]";
        QTest::newRow("-h") << QStringList{"-h"} << false << 0 << "--simulator <auto|module|";
        QTest::newRow("--version") << QStringList{"--version"} << false << 0 << "tarnwell 1.3.1\n";
        QTest::newRow("-v") << QStringList{"-v"} << false << 0 << "tarnwell 1.3.1\n";
        QTest::newRow("an unknown option")
            << QStringList{"--bogus"} << true << 2 << "Unknown option 'bogus'";
        QTest::newRow("a stray argument")
            << QStringList{"stray"} << true << 2 << "Unexpected argument 'stray'";
        QTest::newRow("--help-all is not offered")
            << QStringList{"--help-all"} << true << 2 << "Unknown option 'help-all'";
        QTest::newRow("an unknown simulator") << QStringList{"--simulator=warp"} << false << 2
                                              << "--simulator is auto, module, xplane or";
        QTest::newRow("a port out of range") << QStringList{"--xplane", "localhost:70000"} << false
                                             << 2 << "--xplane is [HOST:]PORT";
        QTest::newRow("no host before the colon")
            << QStringList{"--flightgear=:8080"} << false << 2 << "--flightgear is [HOST:]PORT";
        QTest::newRow("IPv6 without brackets")
            << QStringList{"--xplane=::1"} << false << 2 << "--xplane is [HOST:]PORT";
        QTest::newRow("a sign before the port")
            << QStringList{"--xplane=+8086"} << false << 2 << "--xplane is [HOST:]PORT";
        QTest::newRow("--help names the dispatch options")
            << QStringList{"--help"} << false << 0 << "--dispatch <FILE>";
        QTest::newRow("a fetcher that is no web address")
            << QStringList{"--simbrief-url=ftp://example.org/x"} << false << 2
            << "--simbrief-url is an http or https address, not 'ftp://example.org/x'";
        QTest::newRow("a fetcher without a host")
            << QStringList{"--simbrief-url", "https://"} << false << 2 << "--simbrief-url is an";
    }

    void theCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, offscreen);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QTemporaryDir home;
        QProcess program;
        program.setProcessEnvironment(ChildEnvironment(home, offscreen));
        program.start(QStringLiteral(TARNWELL_EXE), arguments);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString said = QString::fromLocal8Bit(status == 0 ? program.readAllStandardOutput()
                                                                : program.readAllStandardError());
        QVERIFY2(said.contains(printed), qPrintable(said));
        QVERIFY(!QFile::exists(home.filePath(QStringLiteral("Tarnwell"))));
    }

    // A load sheet without a window or a display: the file by its ending,
    // its path printed; a failure says why on standard error and leaves no
    // file.
    void theLoadSheetFromTheCommandLine_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("plan");  // a sample for --dispatch, or none
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("holds");  // in the file's text; on standard error when 1
        QTest::newRow("text") << "sheet.txt"
                              << "" << 0 << "TARNWELL LOAD SHEET";
        QTest::newRow("text with a dispatch plan")
            << "sheet.txt"
            << "b738_lbs.xml" << 0 << "Dispatch plan: EGLL to LPPT";
        QTest::newRow("PDF") << "sheet.pdf"
                             << "b738_lbs.xml" << 0 << "Zero fuel weight";
        QTest::newRow("PNG") << "sheet.png"
                             << "" << 0 << "";
        QTest::newRow("an unknown ending") << "sheet.doc"
                                           << "" << 1 << ".pdf, .png or .txt";
        QTest::newRow("a folder that is not there") << "none/sheet.pdf"
                                                    << "" << 1 << "could not be written";
        QTest::newRow("a dispatch plan refused") << "sheet.txt"
                                                 << "a320_lbs.xml" << 1 << "aircraft type A320";
    }
    void theLoadSheetFromTheCommandLine() {
        QFETCH(QString, file);
        QFETCH(QString, plan);
        QFETCH(int, status);
        QFETCH(QString, holds);
        QTemporaryDir home;
        const QString path = home.filePath(file);
        QStringList arguments{QStringLiteral("--loadsheet=") + path};
        if (!plan.isEmpty()) {
            arguments << QStringLiteral("--dispatch=" TARNWELL_OFP_SAMPLES "/") + plan;
        }
        QProcess program;
        program.setProcessEnvironment(ChildEnvironment(home, false));  // no display
        program.start(QStringLiteral(TARNWELL_EXE), arguments);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), status);
        if (status != 0) {
            QVERIFY(QString::fromLocal8Bit(program.readAllStandardError()).contains(holds));
            QVERIFY(QDir(home.path()).entryList(QDir::Files).isEmpty());
            return;
        }
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()).trimmed(), path);
        QString text;
        if (file.endsWith(QLatin1String(".pdf"))) {
            QProcess pdftotext;
            pdftotext.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
            QVERIFY(pdftotext.waitForFinished(20000));
            text = QString::fromUtf8(pdftotext.readAllStandardOutput());
            QVERIFY2(text.contains(QStringLiteral("121300")), qPrintable(text));
        } else if (file.endsWith(QLatin1String(".png"))) {
            QVERIFY(QImage(path).width() >= 1000);
        } else {
            QFile written(path);
            QVERIFY(written.open(QIODevice::ReadOnly));
            text = QString::fromUtf8(written.readAll());
        }
        QVERIFY2(text.contains(holds), qPrintable(text));
        QVERIFY(!QFile::exists(home.filePath(QStringLiteral("Tarnwell"))));
    }

    void withoutADisplayOneLineAndStatus1() {
        QTemporaryDir home;
        QProcess program;
        program.setProcessEnvironment(ChildEnvironment(home, false));
        program.start(QStringLiteral(TARNWELL_EXE), QStringList{});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QByteArray said = program.readAllStandardError();
        QCOMPARE(said.count('\n'), 1);
        QVERIFY2(said.startsWith("tarnwell: no display"), said.constData());
    }

    // An ending signal closes the window as its close box does: the inputs
    // are saved and the program exits normally, also while a box of the
    // start-up is waiting for the user (737-800, FL290, 5000 nm: no data).
    // Inputs that cannot be saved are told on standard error, nobody being
    // there to answer a box, and the status is 1: with the store's folder
    // taken by a file, or with no folder for it at all (neither HOME nor
    // XDG_CONFIG_HOME set), when nothing is written anywhere else.
    void aSignalClosesTheWindowAndSaves_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("noDataBox");
        QTest::addColumn<QString>("store");  // usable, blocked or nowhere
        QTest::newRow("SIGTERM") << int{SIGTERM} << false << "usable";
        QTest::newRow("SIGINT") << int{SIGINT} << false << "usable";
        QTest::newRow("SIGHUP") << int{SIGHUP} << false << "usable";
        QTest::newRow("SIGTERM under the no-data box") << int{SIGTERM} << true << "usable";
        QTest::newRow("SIGTERM, store not writable") << int{SIGTERM} << false << "blocked";
        QTest::newRow("SIGHUP, no home folder") << int{SIGHUP} << false << "nowhere";
    }

    void aSignalClosesTheWindowAndSaves() {
        QFETCH(int, signalNumber);
        QFETCH(bool, noDataBox);
        QFETCH(QString, store);
        QTemporaryDir home;
        const QString file = home.filePath(QStringLiteral("Tarnwell/Tarnwell.conf"));
        if (noDataBox) {
            QSettings settings(file, QSettings::IniFormat);
            settings.setValue(QStringLiteral("Settings/Model"), QStringLiteral("2"));
            settings.setValue(QStringLiteral("Settings/TripDistance"), QStringLiteral("48"));
            settings.setValue(QStringLiteral("Settings/Payload"), QStringLiteral("20001"));
        }
        if (store == "blocked") {
            QFile blocker(home.filePath(QStringLiteral("Tarnwell")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        QProcessEnvironment environment = ChildEnvironment(home, true);
        const bool rootConfigBefore = QFile::exists(QStringLiteral("/.config"));
        if (store == "nowhere") {
            environment.remove(QStringLiteral("HOME"));
            environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TARNWELL_EXE), QStringList{});
        QVERIFY(program.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(Catches(program.processId(), signalNumber), 10000);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(static_cast<pid_t>(program.processId()), signalNumber);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        const QByteArray said = program.readAllStandardError();
        if (store != "usable") {
            QCOMPARE(program.exitCode(), 1);
            QVERIFY2(said.contains("tarnwell: Your inputs could not be saved"), said.constData());
            QCOMPARE(QFile::exists(QStringLiteral("/.config")), rootConfigBefore);
            return;
        }
        QCOMPARE(program.exitCode(), 0);
        QSettings saved(file, QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("Settings/Units")).toString(), QStringLiteral("0"));
        QCOMPARE(saved.value(QStringLiteral("Settings/Payload")).toString(),
                 noDataBox ? QStringLiteral("20001") : QStringLiteral("0"));
        QCOMPARE(saved.value(QStringLiteral("Settings/Model")).toString(),
                 noDataBox ? QStringLiteral("2") : QStringLiteral("0"));
    }
};

TARNWELL_WINDOW_SUITE(Program);
#include "program_test.moc"
