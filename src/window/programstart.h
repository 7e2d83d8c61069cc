#pragma once

#include <QObject>
#include <QStringList>
#include <optional>

#include "sim/simulator_session.h"
#include "window/dispatchcontroller.h"

class QSocketNotifier;

namespace tarnwell::window {

class FrmMain;

// The program's command line: which simulators the commands reach, and
// where. The exit status when the program ends here instead (help and
// version: 0; a bad option or value: 2, with a message).
struct CommandLine {
    std::optional<int> exitStatus;
    sim::SimulatorOptions simulators;
    DispatchOptions dispatch;
    // A load sheet to write instead of opening the window.
    QString loadSheet;
};

// Reads the command line before there is an application object: --help
// and --version are answered on standard output without a display, a bad
// value of the program's own options is refused, and a desktop session
// without any display gets one line saying so instead of the toolkit's
// abort. Options it does not know are passed over: they may be the
// toolkit's own (-platform, -style, ...), which the application takes.
CommandLine ReadCommandLine(int argc, char* argv[]);

// Once the application has taken the toolkit's options from the command
// line: whatever is left that the program does not know (an unknown option,
// a stray argument) is refused with a message. The exit status then.
std::optional<int> RefuseLeftOverArguments(const QStringList& arguments);

// Writes the load sheet of the saved inputs (and of the dispatch plan the
// command line names) to `line.loadSheet` without showing a window, says
// where on standard output, and returns 0; on failure one line on standard
// error and 1, with no file left behind.
int WriteLoadSheetAndEnd(const CommandLine& line);

// Ends the program on SIGTERM, SIGINT and SIGHUP as the window's close box
// does: the window closes (a command still waiting for the simulator is
// cancelled first, then the inputs are saved and the simulator link is
// released), every event loop ends, and the program exits. Nobody is there
// to answer a box: what the window would have said goes to standard error,
// and the program then exits with status 1. The signal only notes itself;
// the window is closed from the event loop. Nothing happens where the
// system has no such signals.
class CloseOnSignals : public QObject {
public:
    explicit CloseOnSignals(FrmMain& window);
    ~CloseOnSignals() override;
    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

    // The status the program ends with, given the event loop's.
    int ExitStatus(int loopStatus) const { return failureTold_ ? 1 : loopStatus; }

private:
    void Close();

    FrmMain& window_;
    QSocketNotifier* notifier_ = nullptr;
    bool failureTold_ = false;
};

}  // namespace tarnwell::window
