#pragma once

#include <QObject>
#include <optional>

class QSocketNotifier;
class QWidget;

// What the command line asks for before there is a window: --help and
// --version are answered on standard output without a display, and a
// desktop session without any display gets one line saying so instead of
// the toolkit's abort. The exit status when the program ends here; empty
// when it goes on to open the window.
std::optional<int> AnswerCommandLine(int argc, char* argv[]);

// Ends the program on SIGTERM, SIGINT and SIGHUP as the window's close box
// does: the window closes (a command still waiting for the simulator is
// cancelled first, then the inputs are saved and the simulator link is
// released), every event loop ends, and the program exits normally. The
// signal only notes itself; the window is closed from the event loop.
// Nothing happens where the system has no such signals.
class CloseOnSignals : public QObject {
public:
    explicit CloseOnSignals(QWidget& window);
    ~CloseOnSignals() override;
    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

private:
    void Close();

    QWidget& window_;
    QSocketNotifier* notifier_ = nullptr;
};
