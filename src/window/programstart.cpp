#include "window/programstart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QWidget>
#include <cstdio>

#include "window/informationboxes.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#endif

std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tarnwell"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(tarnwell::window::VersionText(
        tarnwell::window::VersionMajor, tarnwell::window::VersionMinor,
        tarnwell::window::VersionRevision)));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plans the fuel load of a Boeing 737 NG and boards it in the simulator."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // The toolkit's own options (-platform, -style, ...) are taken when the
    // application starts; here they are only passed over.
    parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object the usage line cannot name the
        // program by itself.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QCoreApplication::applicationName());
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // On a Unix desktop the window needs an X or Wayland display, unless a
    // platform is named outright (offscreen, for instance).
    const bool named = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!named && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(
            "tarnwell: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is "
            "set\n",
            stderr);
        return 1;
    }
#endif
    return std::nullopt;
}

#ifdef Q_OS_UNIX
namespace {

// The self-pipe: the signal handler writes a byte, the event loop reads it.
std::array<int, 2> signalPipe{-1, -1};
constexpr std::array<int, 3> EndingSignals{SIGTERM, SIGINT, SIGHUP};

extern "C" void NoteEndingSignal(int signalNumber) {
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace
#endif

CloseOnSignals::CloseOnSignals(QWidget& window) : window_(window) {
#ifdef Q_OS_UNIX
    if (signalPipe[0] < 0 && ::pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        signalPipe = {-1, -1};
        return;
    }
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CloseOnSignals::Close);
    struct sigaction action {};
    action.sa_handler = NoteEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : EndingSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
#endif
}

CloseOnSignals::~CloseOnSignals() {
#ifdef Q_OS_UNIX
    if (notifier_ != nullptr) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        for (int signalNumber : EndingSignals) {
            ::sigaction(signalNumber, &action, nullptr);
        }
    }
#endif
}

void CloseOnSignals::Close() {
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    window_.close();
    // A message box may be waiting in a loop of its own; that ends too, and
    // so does any the closing would still bring up.
    QCoreApplication::exit(0);
}
