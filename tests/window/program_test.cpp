// The tarnwell program itself, run as a child process: its command line,
// its start without a display, and its end on a signal.
#include <signal.h>

#include <QFile>
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
    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("printed");
        QTest::newRow("--help") << "--help"
                                << "Usage: tarnwell [options]";
        QTest::newRow("-h") << "-h"
                            << "--version";
        QTest::newRow("--version") << "--version"
                                   << "tarnwell 1.3.1\n";
        QTest::newRow("-v") << "-v"
                            << "tarnwell 1.3.1\n";
    }

    void helpAndVersionNeedNoDisplay() {
        QFETCH(QString, option);
        QFETCH(QString, printed);
        QTemporaryDir home;
        QProcess program;
        program.setProcessEnvironment(ChildEnvironment(home, false));
        program.start(QStringLiteral(TARNWELL_EXE), {option});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(QString::fromLocal8Bit(program.readAllStandardOutput()).contains(printed),
                 qPrintable(printed));
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
    void aSignalClosesTheWindowAndSaves_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("noDataBox");
        QTest::newRow("SIGTERM") << int{SIGTERM} << false;
        QTest::newRow("SIGINT") << int{SIGINT} << false;
        QTest::newRow("SIGHUP") << int{SIGHUP} << false;
        QTest::newRow("SIGTERM under the no-data box") << int{SIGTERM} << true;
    }

    void aSignalClosesTheWindowAndSaves() {
        QFETCH(int, signalNumber);
        QFETCH(bool, noDataBox);
        QTemporaryDir home;
        const QString store = home.filePath(QStringLiteral("Tarnwell/Tarnwell.conf"));
        if (noDataBox) {
            QSettings settings(store, QSettings::IniFormat);
            settings.setValue(QStringLiteral("Settings/Model"), QStringLiteral("2"));
            settings.setValue(QStringLiteral("Settings/TripDistance"), QStringLiteral("48"));
            settings.setValue(QStringLiteral("Settings/Payload"), QStringLiteral("20001"));
        }
        QProcess program;
        program.setProcessEnvironment(ChildEnvironment(home, true));
        program.start(QStringLiteral(TARNWELL_EXE), QStringList{});
        QVERIFY(program.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(Catches(program.processId(), signalNumber), 10000);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(static_cast<pid_t>(program.processId()), signalNumber);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QSettings saved(store, QSettings::IniFormat);
        QCOMPARE(saved.value(QStringLiteral("Settings/Units")).toString(), QStringLiteral("0"));
        QCOMPARE(saved.value(QStringLiteral("Settings/Payload")).toString(),
                 noDataBox ? QStringLiteral("20001") : QStringLiteral("0"));
        QCOMPARE(saved.value(QStringLiteral("Settings/Model")).toString(),
                 noDataBox ? QStringLiteral("2") : QStringLiteral("0"));
    }
};

TARNWELL_WINDOW_SUITE(Program);
#include "program_test.moc"
