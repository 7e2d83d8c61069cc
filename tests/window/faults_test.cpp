// The window when things around it fail: a settings store that cannot be
// read, is damaged or cannot be written, and a simulator that dies in the
// middle of an exchange, hangs, or answers with nonsense. In every case the
// window keeps working, says what happened, and loses nothing it had.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "sim/module/platform/linux_link_platform.h"
#include "support.h"
#include "support/standin_simulator.h"
#include "window/simulatorlinks.h"

using tarnwell::sim::FsuipcTiming;
using tarnwell::sim::LinuxLinkPlatform;
using tarnwell::sim::SimulatorSession;
using tarnwell::sim::test::MappingExists;
using tarnwell::sim::test::Simulator;
using tarnwell::window::Message;
using tarnwell::window::MessageIcon;

namespace {

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

// A window whose simulator link gives up after 11 attempts of 60 ms
// instead of 2 s, so that a simulator that never answers costs the test
// well under a second.
constexpr FsuipcTiming Short{60, 5};

void UseShortTiming(LoadedWindow& w) {
    w.window().SetSimulatorSession(tarnwell::window::MakeSimulatorSession(
        SuiteSimulators(), std::make_unique<LinuxLinkPlatform>(), Short));
}

Message ConnectionFailure(const char* reason) {
    return {std::string("FSUIPC connection failure: ") + reason +
                "\r\n\r\nEnsure that Flight Simulator is running.",
            "Error!", MessageIcon::Critical};
}

const Message Boarded{"The fuel was successfully boarded.", "Success!", MessageIcon::Information};
const Message WriteFailed{"Variable write failed!", "Error", MessageIcon::None};
const Message ReadFailed{"Read failed!", "Error", MessageIcon::None};

// The tank levels the simulator reports it was given, in order.
int LevelsSet(const Simulator& sim) {
    return sim.Count(" level set to ");
}

// The plan still follows the inputs: one more typed figure moves the total.
void CheckStillCalculates(LoadedWindow& w) {
    const int before = w.edit("txtTotalFuel")->text().toInt();
    w.type("txtTaxiFuel", QString::number(w.window().Figures().taxiFuel + 100));
    QCOMPARE(w.edit("txtTotalFuel")->text().toInt(), before + 100);
}

// A payload typed by the user before the simulator fails; it must survive.
void EnterPayload(LoadedWindow& w) {
    w.type("txtPayload", QStringLiteral("1234"));
    QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("81434"));
}

void CheckPayloadKept(LoadedWindow& w) {
    QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("1234"));
    QCOMPARE(w.window().Figures().payloadWeight, 1234);
    QCOMPARE(w.edit("txtZFW")->text(), QStringLiteral("81434"));
}

// The inputs of a user who flies the 737-800 in kilograms.
void StoreUsualInputs() {
    ClearStore();
    StoreValues({"1", "3", "8", "2", "20", "22046", "2000", "3000", "500", "2", "1"});
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The settings store of a process keeps what it read of a file and reads
// it again only once the file has changed; a program starting up has read
// nothing yet. A new modification time makes this process read it again.
void ForgetCachedStore(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                             QFileDevice::FileModificationTime));
}

void CheckDefaultsShown(LoadedWindow& w) {
    QCOMPARE(w.list("cboUnits")->currentIndex(), 0);
    QCOMPARE(w.list("cboCruisingAlt")->currentIndex(), 0);
    QCOMPARE(w.list("cboTripDistance")->currentIndex(), 0);
    QCOMPARE(w.list("cboAlternateDistance")->currentIndex(), 0);
    QCOMPARE(w.list("cboWindType")->currentIndex(), 0);
    QVERIFY(w.window().findChild<QRadioButton*>(QStringLiteral("optModel600"))->isChecked());
    QCOMPARE(w.edit("txtPayload")->text(), QString());
    QCOMPARE(w.edit("txtTotalFuel")->text(), QStringLiteral("6200"));
}

bool Mentions(const Message& message, const char* words) {
    return message.text.find(words) != std::string::npos &&
           message.icon == MessageIcon::Exclamation;
}

// What lies at a path, links not followed.
mode_t KindAt(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// Opens a named pipe for writing, and closes it, now and then: a program
// that reads the pipe then gets an end instead of waiting for ever, so a
// test fails rather than hangs.
class PipeUnblocker {
public:
    explicit PipeUnblocker(const QString& path)
        : thread_([this, name = QFile::encodeName(path)] {
              for (int tick = 0; !stop_; ++tick) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
                  if (tick >= 20) {
                      const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                      if (fd >= 0) {
                          ::close(fd);
                      }
                  }
              }
          }) {}
    ~PipeUnblocker() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

class Faults : public QObject {
    Q_OBJECT

private slots:
    void init() { ClearStore(); }
    void cleanup() {
        // Whatever a test did to the store's file and folder, undo it.
        const QString path = SettingsFilePath();
        const QString folder = QFileInfo(path).absolutePath();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (QFileInfo(path).isDir()) {
            QDir(path).removeRecursively();
        }
    }

    // ----- the settings store

    void anUnreadableStoreStartsFromDefaultsAndIsLeftAlone_data() {
        QTest::addColumn<bool>("folderInPlace");
        QTest::newRow("a folder where the file should be") << true;
        QTest::newRow("no read permission") << false;
    }

    void anUnreadableStoreStartsFromDefaultsAndIsLeftAlone() {
        QFETCH(bool, folderInPlace);
        const QString path = SettingsFilePath();
        QByteArray kept;
        if (folderInPlace) {
            QFile::remove(path);
            QVERIFY(QDir().mkpath(path));
        } else {
            if (RunningAsRoot()) {
                QSKIP("running as root: permission bits do not stop a read");
            }
            StoreUsualInputs();
            kept = FileBytes(path);
            ForgetCachedStore(path);
            QVERIFY(QFile::setPermissions(path, {}));
        }

        LoadedWindow w;
        QVERIFY(w.window().isVisible());
        CheckDefaultsShown(w);
        std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(Mentions(messages[0], "could not be read"));

        CheckStillCalculates(w);
        w.closeByCloseBox();
        QVERIFY(!w.window().isVisible());
        // Saving over a store it could not read would lose the user's inputs;
        // the window says they were not saved instead.
        messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(Mentions(messages[0], "could not be saved"));
        if (folderInPlace) {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(FileBytes(path), kept);
        }
    }

    // Only a regular file is read or written. Anything else at the store's
    // path, or at the end of a link there, is left as it is. The same holds
    // for the lock file saving makes beside the store: a pipe, a folder or a
    // device there would keep closing waiting for ever.
    void aStorePathThatIsNoRegularFileIsLeftAlone_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<bool>("lockFile");
        QTest::newRow("a named pipe") << "pipe" << false << false;
        QTest::newRow("a link to a named pipe") << "pipe" << true << false;
        QTest::newRow("a device node") << "device" << false << false;
        QTest::newRow("a link to a device node") << "device" << true << false;
        QTest::newRow("a read-only file") << "read-only" << false << false;
        QTest::newRow("a link to a read-only file") << "read-only" << true << false;
        QTest::newRow("a named pipe as the lock") << "pipe" << false << true;
        QTest::newRow("a link from the lock to a named pipe") << "pipe" << true << true;
        QTest::newRow("a folder as the lock") << "folder" << false << true;
        QTest::newRow("a link from the lock to a zero device") << "zero" << true << true;
    }

    void aStorePathThatIsNoRegularFileIsLeftAlone() {
        QFETCH(QString, what);
        QFETCH(bool, linked);
        QFETCH(bool, lockFile);
        const QString path = SettingsFilePath() + (lockFile ? ".lock" : "");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        const QString target = linked ? elsewhere.filePath(QStringLiteral("target")) : path;
        if (lockFile) {
            StoreUsualInputs();
        }
        QFile::remove(path);
        const QByteArray name = QFile::encodeName(target);
        mode_t kind = S_IFREG;
        if (what == "pipe") {
            QVERIFY(::mkfifo(name.constData(), 0600) == 0);
            kind = S_IFIFO;
        } else if (what == "device" || what == "zero") {
            if (!RunningAsRoot()) {
                QSKIP("making a device node takes root");
            }
            // A null or zero device of the test's own, never the system's.
            const dev_t device = what == "zero" ? makedev(1, 5) : makedev(1, 3);
            QVERIFY(::mknod(name.constData(), S_IFCHR | 0600, device) == 0);
            kind = S_IFCHR;
        } else if (what == "folder") {
            QVERIFY(QDir().mkpath(target));
            kind = S_IFDIR;
        } else {
            StoreUsualInputs();
            if (linked) {
                QVERIFY(QFile::rename(path, target));
            }
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
        }
        const QByteArray kept = what == "read-only" ? FileBytes(target) : QByteArray();
        const QByteArray store = lockFile ? FileBytes(SettingsFilePath()) : QByteArray();
        if (linked) {
            QVERIFY(QFile::link(target, path));
        }
        const PipeUnblocker unblocker(target);

        {
            LoadedWindow w;
            std::vector<Message> messages = w.takeMessages();
            if (what == "read-only" || lockFile) {
                // Read as usual: the 737-800 in kilograms.
                QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("10000"));
                QCOMPARE(messages, std::vector<Message>{});
            } else {
                CheckDefaultsShown(w);
                QCOMPARE(messages.size(), std::size_t{1});
                QVERIFY(Mentions(messages[0], "could not be read"));
            }
            w.type("txtPayload", QStringLiteral("4321"));
            const auto start = std::chrono::steady_clock::now();
            w.closeByCloseBox();
            QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
            QVERIFY(!w.window().isVisible());
            messages = w.takeMessages();
            QCOMPARE(messages.size(), std::size_t{1});
            QVERIFY(Mentions(messages[0], "could not be saved"));
        }
        QCOMPARE(KindAt(path), linked ? S_IFLNK : kind);
        QCOMPARE(KindAt(target), kind);
        if (what == "read-only") {
            QCOMPARE(FileBytes(target), kept);
        }
        if (lockFile) {
            QCOMPARE(FileBytes(SettingsFilePath()), store);
        }
        QFile::remove(path);
        QDir(target).removeRecursively();
        QFile::remove(target);
    }

    void aLinkToARegularFileIsReadAndWrittenThrough() {
        StoreUsualInputs();
        const QString path = SettingsFilePath();
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("Tarnwell.conf"));
        QVERIFY(QFile::rename(path, target));
        QVERIFY(QFile::link(target, path));
        {
            LoadedWindow w;
            QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("10000"));
            w.type("txtPayload", QStringLiteral("9000"));
            w.closeByCloseBox();
            QCOMPARE(w.takeMessages(), std::vector<Message>{});
        }
        QCOMPARE(KindAt(path), S_IFLNK);
        QVERIFY(FileBytes(target).contains("Payload=19842"));
        QFile::remove(path);
    }

    void aDamagedStoreStartsWithWhatCanBeTaken_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("units");
        QTest::addColumn<int>("trip");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<bool>("overflowReported");

        std::mt19937 random(7);
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i) {
            garbage.append(static_cast<char>(random() & 0xFF));
        }
        QTest::newRow("garbage bytes") << garbage << 0 << 0 << "" << false;
        QTest::newRow("garbage around good lines")
            << QByteArray("\x01\xff[Settings\n=\n[Settings]\nTripDistance=8\n\xfe\x80=") +
                   QByteArray(1, '\0') + QByteArray("\nPayload=4321\n[[\n")
            << 0 << 8 << "4321" << false;
        QTest::newRow("huge values")
            << QByteArray(
                   "[Settings]\nUnits=99999999999999999999\nTripDistance=1e400\n"
                   "Payload=99999999999999999999999999\nHoldingFuel=-1e309\nModel=1e9\n"
                   "Headwind=" +
                   QByteArray(100000, '9') + "\n")
            << 0 << 0 << "0" << true;
        QTest::newRow("no [Settings] section")
            << QByteArray("Units=1\nTripDistance=8\nPayload=4321\n[Other]\nModel=2\n") << 0 << 0
            << "" << false;
        QTest::newRow("an empty file") << QByteArray() << 0 << 0 << "" << false;
    }

    void aDamagedStoreStartsWithWhatCanBeTaken() {
        QFETCH(QByteArray, contents);
        QFETCH(int, units);
        QFETCH(int, trip);
        QFETCH(QString, payload);
        QFETCH(bool, overflowReported);
        WriteFileBytes(SettingsFilePath(), contents);

        LoadedWindow w;
        QVERIFY(w.window().isVisible());
        QCOMPARE(w.list("cboUnits")->currentIndex(), units);
        QCOMPARE(w.list("cboTripDistance")->currentIndex(), trip);
        QCOMPARE(w.edit("txtPayload")->text(), payload);
        QVERIFY(tarnwell::data::ModelIndex(w.window().SelectedModel()) >= 0 &&
                tarnwell::data::ModelIndex(w.window().SelectedModel()) <= 3);
        const std::vector<Message> messages = w.takeMessages();
        if (overflowReported) {
            // An oversized wind is the calculation's own business.
            QCOMPARE(messages, (std::vector<Message>{{"Invalid value entered, please enter a "
                                                      "lower value.",
                                                      "Error", MessageIcon::Exclamation}}));
            w.type("txtHeadwind", QStringLiteral("20"));
            QCOMPARE(w.edit("txtWindAdj")->text(), QStringLiteral("13"));
        } else {
            QCOMPARE(messages, std::vector<Message>{});
        }
        CheckStillCalculates(w);
        w.type("txtPayload", QStringLiteral("777"));

        // Closing replaces the damage with the inputs shown, and says nothing.
        w.closeByCloseBox();
        QCOMPARE(w.takeMessages(), std::vector<Message>{});
        QCOMPARE(StoredValue("Payload"), QStringLiteral("777"));
        LoadedWindow again;
        QCOMPARE(again.edit("txtPayload")->text(), QStringLiteral("777"));
        QCOMPARE(again.list("cboTripDistance")->currentIndex(), trip);
        QCOMPARE(again.takeMessages(), std::vector<Message>{});
    }

    void anUnwritableStoreAtCloseStillClosesAndKeepsTheOldFile_data() {
        QTest::addColumn<bool>("folderInPlace");
        QTest::newRow("a folder where the file should be") << true;
        QTest::newRow("read-only file and folder") << false;
    }

    void anUnwritableStoreAtCloseStillClosesAndKeepsTheOldFile() {
        QFETCH(bool, folderInPlace);
        const QString path = SettingsFilePath();
        StoreUsualInputs();
        const QByteArray kept = FileBytes(path);
        LoadedWindow w;
        QCOMPARE(w.edit("txtPayload")->text(), QStringLiteral("10000"));
        w.type("txtPayload", QStringLiteral("9000"));
        if (folderInPlace) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkpath(path));
        } else {
            if (RunningAsRoot()) {
                QSKIP("running as root: permission bits do not stop a write");
            }
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(),
                                          QFile::ReadOwner | QFile::ExeOwner));
        }

        w.closeByCloseBox();
        QVERIFY(!w.window().isVisible());
        const std::vector<Message> messages = w.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(Mentions(messages[0], "could not be saved"));
        if (folderInPlace) {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QCOMPARE(FileBytes(path), kept);
        }
    }

    // ----- the simulator

    void aFailedOpenNamesItsCauseAndTheNextCommandTriesAgain_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no answer")
            << QStringList{"--answer", "never"} << "IPC timed out all retries";
        QTest::newRow("answers 0")
            << QStringList{"--answer", "zero"} << "IPC request contains bad data";
        QTest::newRow("garbage records")
            << QStringList{"--answer", "garbage"} << "IPC request contains bad data";
        QTest::newRow("FSUIPC too old") << QStringList{"--fsuipc-version", "0x19980004"}
                                        << "Incorrect version of FSUIPC, or not FSUIPC";
        QTest::newRow("no simulator mark") << QStringList{"--sim-version-word", "0x12340007"}
                                           << "Incorrect version of FSUIPC, or not FSUIPC";
    }

    void aFailedOpenNamesItsCauseAndTheNextCommandTriesAgain() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        LoadedWindow w;
        UseShortTiming(w);
        EnterPayload(w);
        {
            Simulator sim(RuntimeFolder(), Arguments(arguments));
            QVERIFY(sim.ready());
            const auto start = std::chrono::steady_clock::now();
            w.click("cmdReadPayload");
            // Bounded by the link's own time-outs, not by the test's patience.
            QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
            QCOMPARE(w.takeMessages(),
                     std::vector<Message>{ConnectionFailure(reason.toLatin1().constData())});
            QVERIFY(!w.window().Session().Connected());
            QVERIFY(!MappingExists(static_cast<std::uint32_t>(::getpid())));
            CheckPayloadKept(w);

            w.click("cmdBoardFuel");
            QCOMPARE(w.takeMessages(),
                     std::vector<Message>{ConnectionFailure(reason.toLatin1().constData())});
            QCOMPARE(LevelsSet(sim), 0);
        }
        CheckStillCalculates(w);

        Simulator working(RuntimeFolder(), {"--station", "1=2500"});
        QVERIFY(working.ready());
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QCOMPARE(LevelsSet(working), 3);
    }

    // A failed exchange closes the link: the next command opens it afresh,
    // and says why that fails.
    void aSimulatorFailingAfterTheOpenKeepsThePayloadAndClosesTheLink_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no answer") << QStringList{"--normal-answers", "1", "--answer", "never"}
                                   << "IPC timed out all retries";
        QTest::newRow("answers 0") << QStringList{"--normal-answers", "1", "--answer", "zero"}
                                   << "IPC request contains bad data";
        QTest::newRow("garbage records")
            << QStringList{"--normal-answers", "1", "--answer", "garbage"}
            << "IPC request contains bad data";
    }

    void aSimulatorFailingAfterTheOpenKeepsThePayloadAndClosesTheLink() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        Simulator sim(RuntimeFolder(), Arguments(arguments << "--station"
                                                           << "1=5000"));
        QVERIFY(sim.ready());
        LoadedWindow w;
        UseShortTiming(w);
        EnterPayload(w);

        w.click("cmdReadPayload");
        QCOMPARE(w.takeMessages(), std::vector<Message>{ReadFailed});
        CheckPayloadKept(w);
        QVERIFY(!w.window().Session().Connected());

        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(),
                 std::vector<Message>{ConnectionFailure(reason.toLatin1().constData())});
        QCOMPARE(LevelsSet(sim), 0);
        CheckStillCalculates(w);
        QCOMPARE(sim.Count("FSUIPC version read"), 1);
    }

    void aSimulatorKilledInTheMiddleOfBoardingKeepsTheEarlierWrite() {
        // The open and the left tank are answered; the right tank never is,
        // and the simulator is killed while the window waits for it.
        auto sim = std::make_unique<Simulator>(
            RuntimeFolder(),
            std::vector<std::string>{"--normal-answers", "2", "--answer", "never"});
        QVERIFY(sim->ready());
        LoadedWindow w;
        w.window().SetSimulatorSession(tarnwell::window::MakeSimulatorSession(
            SuiteSimulators(), std::make_unique<LinuxLinkPlatform>(), FsuipcTiming{1000, 5}));
        EnterPayload(w);

        std::thread killer([&sim] {
            sim->WaitForOutput("exchange 3 ");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            sim->Stop(SIGKILL);
        });
        w.click("cmdBoardFuel");
        killer.join();
        QCOMPARE(w.takeMessages(), std::vector<Message>{WriteFailed});
        const std::string delivered = sim->Output();
        QVERIFY(delivered.find("left main tank level set to") != std::string::npos);
        QCOMPARE(LevelsSet(*sim), 1);
        QVERIFY(!w.window().Session().Connected());
        CheckPayloadKept(w);
        CheckStillCalculates(w);

        // The simulator comes back: the next command connects to it afresh
        // and goes through.
        sim = std::make_unique<Simulator>(RuntimeFolder(), std::vector<std::string>{});
        QVERIFY(sim->ready());
        w.click("cmdBoardFuel");
        QCOMPARE(w.takeMessages(), std::vector<Message>{Boarded});
        QCOMPARE(LevelsSet(*sim), 3);
        QCOMPARE(sim->Count("FSUIPC version read"), 1);
    }
};

TARNWELL_WINDOW_SUITE(Faults);
#include "faults_test.moc"
