#include "window/programstart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "window/endpointtext.h"
#include "window/frmmain.h"
#include "window/informationboxes.h"
#include "window/loadsheetfiles.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#endif

namespace tarnwell::window {

namespace {

// The options of the program's own; the toolkit's are not listed.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Displays help on commandline options.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Displays version information.")};
    QCommandLineOption simulator{
        QStringLiteral("simulator"),
        QStringLiteral("The simulator Board Fuel and Read Payload Weight reach: auto (the "
                       "default: the simulator's interface module; when it finds no simulator, "
                       "X-Plane, then FlightGear), module, xplane or flightgear."),
        QStringLiteral("auto|module|xplane|flightgear"), QStringLiteral("auto")};
    QCommandLineOption xplane{
        QStringLiteral("xplane"),
        QStringLiteral("Where X-Plane's web API listens (default 127.0.0.1:8086)."),
        QStringLiteral("[HOST:]PORT")};
    QCommandLineOption flightgear{
        QStringLiteral("flightgear"),
        QStringLiteral("Where FlightGear's HTTP server listens (default 127.0.0.1:8080)."),
        QStringLiteral("[HOST:]PORT")};
    QCommandLineOption dispatch{
        QStringLiteral("dispatch"),
        QStringLiteral("Imports a saved SimBrief flight plan (XML or JSON) at start-up, over "
                       "the saved inputs."),
        QStringLiteral("FILE")};
    QCommandLineOption loadSheet{
        QStringLiteral("loadsheet"),
        QStringLiteral("Writes the load sheet of the saved inputs (after --dispatch) to FILE, "
                       "as .pdf, .png or .txt by its ending, and ends without a window."),
        QStringLiteral("FILE")};
    QCommandLineOption simbriefUrl{
        QStringLiteral("simbrief-url"),
        QStringLiteral("The address of SimBrief's flight plan fetcher (default %1).")
            .arg(QLatin1String(SimBriefFetcher)),
        QStringLiteral("URL")};

    void AddTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(QStringLiteral(
            "Plans the fuel load of a Boeing 737 NG and boards it in the simulator."));
        // "-platform" and the like are single words, as the toolkit reads them.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions(
            {help, version, simulator, xplane, flightgear, dispatch, simbriefUrl, loadSheet});
    }
};

int Refuse(const QString& why) {
    std::fprintf(stderr, "tarnwell: %s\nTry 'tarnwell --help' for the options.\n", qPrintable(why));
    return 2;
}

// The simulators the options choose, and where. The exit status when a
// value cannot be taken.
std::optional<int> ReadSimulators(const QCommandLineParser& parser, const Options& options,
                                  sim::SimulatorOptions& simulators) {
    const QString choice = parser.value(options.simulator);
    const std::pair<const char*, sim::SimulatorChoice> choices[] = {
        {"auto", sim::SimulatorChoice::Auto},
        {"module", sim::SimulatorChoice::Module},
        {"xplane", sim::SimulatorChoice::XPlane},
        {"flightgear", sim::SimulatorChoice::FlightGear}};
    const auto chosen = std::find_if(std::begin(choices), std::end(choices),
                                     [&choice](const auto& c) { return choice == c.first; });
    if (chosen == std::end(choices)) {
        return Refuse(QStringLiteral("--simulator is auto, module, xplane or flightgear, not '%1'.")
                          .arg(choice));
    }
    simulators.choice = chosen->second;
    for (const auto& [option, endpoint] :
         {std::pair{&options.xplane, &simulators.xplane},
          std::pair{&options.flightgear, &simulators.flightgear}}) {
        if (!parser.isSet(*option)) {
            continue;
        }
        const std::optional<sim::Endpoint> read = ReadEndpoint(parser.value(*option).toStdString());
        if (!read) {
            return Refuse(QStringLiteral("--%1 is [HOST:]PORT with a port from 1 to 65535 (an IPv6 "
                                         "host in brackets: [::1]:8086), not "
                                         "'%2'.")
                              .arg(option->names().constFirst(), parser.value(*option)));
        }
        *endpoint = *read;
    }
    return std::nullopt;
}

// Where dispatch plans come from. The exit status when the fetcher's
// address is no http or https address.
std::optional<int> ReadDispatch(const QCommandLineParser& parser, const Options& options,
                                DispatchOptions& dispatch) {
    dispatch.file = parser.value(options.dispatch);
    if (parser.isSet(options.simbriefUrl)) {
        const QUrl url(parser.value(options.simbriefUrl), QUrl::StrictMode);
        const QString scheme = url.scheme();
        if (!url.isValid() || url.host().isEmpty() ||
            (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
            return Refuse(QStringLiteral("--simbrief-url is an http or https address, not '%1'.")
                              .arg(parser.value(options.simbriefUrl)));
        }
        dispatch.fetcher = url.toString();
    }
    return std::nullopt;
}

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

CommandLine ReadCommandLine(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("tarnwell"));
    QCoreApplication::setApplicationVersion(
        QString::fromStdString(VersionText(VersionMajor, VersionMinor, VersionRevision)));

    CommandLine line;
    const Options options;
    QCommandLineParser parser;
    options.AddTo(parser);
    // Unknown options are passed over here; RefuseLeftOverArguments judges
    // what the toolkit leaves.
    parser.parse(Arguments(argc, argv));
    if (parser.isSet(options.help)) {
        // Without an application object the usage line cannot name the
        // program by itself.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QCoreApplication::applicationName());
        std::fputs(qPrintable(text), stdout);
        line.exitStatus = 0;
        return line;
    }
    if (parser.isSet(options.version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        line.exitStatus = 0;
        return line;
    }

    if (const std::optional<int> status = ReadSimulators(parser, options, line.simulators)) {
        line.exitStatus = status;
        return line;
    }
    if (const std::optional<int> status = ReadDispatch(parser, options, line.dispatch)) {
        line.exitStatus = status;
        return line;
    }
    line.loadSheet = parser.value(options.loadSheet);
    if (!line.loadSheet.isEmpty()) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        // No window, so no display: the toolkit draws off screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
#endif
        return line;
    }

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // On a Unix desktop the window needs an X or Wayland display, unless a
    // platform is named outright (offscreen, for instance).
    const bool named = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
                       Arguments(argc, argv).contains(QStringLiteral("-platform"));
    if (!named && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(
            "tarnwell: no display to open the window on: neither DISPLAY nor WAYLAND_DISPLAY is "
            "set\n",
            stderr);
        line.exitStatus = 1;
    }
#endif
    return line;
}

std::optional<int> RefuseLeftOverArguments(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    options.AddTo(parser);
    if (!parser.parse(arguments)) {
        return Refuse(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Refuse(
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    }
    return std::nullopt;
}

int WriteLoadSheetAndEnd(const CommandLine& line) {
    FrmMain window(line.simulators, line.dispatch);
    // Nobody is there to answer a box: what it says goes to standard error,
    // and a dispatch plan that could not be imported ends the run.
    bool refused = false;
    window.SetMessagePresenter([&refused](const Message& message) {
        std::fprintf(stderr, "tarnwell: %s\n", message.text.c_str());
        refused = refused || message.title == "Dispatch Plan";
    });
    window.LoadWithoutShowing();
    if (refused) {
        return 1;
    }
    const std::string failure = WriteLoadSheet(line.loadSheet, window.LoadSheetNow(), PrintedNow());
    if (!failure.empty()) {
        std::fprintf(stderr, "tarnwell: %s\n", failure.c_str());
        return 1;
    }
    std::printf("%s\n",
                qPrintable(QDir::toNativeSeparators(QFileInfo(line.loadSheet).absoluteFilePath())));
    return 0;
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

CloseOnSignals::CloseOnSignals(FrmMain& window) : window_(window) {
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
    window_.SetMessagePresenter([this](const tarnwell::window::Message& message) {
        QString text = QString::fromStdString(message.text);
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        std::fprintf(stderr, "tarnwell: %s\n", qPrintable(text));
        failureTold_ = true;
    });
    window_.close();
    // A message box may be waiting in a loop of its own; that ends too. A
    // command still waiting for the simulator is stopped as the event loop
    // ends, before the inputs are saved.
    QCoreApplication::exit(0);
}

}  // namespace tarnwell::window
