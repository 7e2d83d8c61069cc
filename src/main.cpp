#include <QApplication>

#include "window/frmmain.h"
#include "window/programstart.h"

// The data tables are constants built into the program, so start-up is
// the window: it restores the last inputs, computes the first plan and
// shows itself; the program ends when it closes.
int main(int argc, char* argv[]) {
    using namespace tarnwell::window;
    const CommandLine line = ReadCommandLine(argc, argv);
    if (line.exitStatus) {
        return *line.exitStatus;
    }
    QApplication app(argc, argv);
    if (const std::optional<int> status = RefuseLeftOverArguments(QApplication::arguments())) {
        return *status;
    }
    if (!line.loadSheet.isEmpty()) {
        return WriteLoadSheetAndEnd(line);
    }
    // Ties the window to the installed desktop entry (and so its name and
    // icon) on desktops that match windows by application id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.Tarnwell"));
    FrmMain window(line.simulators, line.dispatch);
    CloseOnSignals closeOnSignals(window);
    window.Form_Load();
    return closeOnSignals.ExitStatus(window.isVisible() ? app.exec() : 0);
}
