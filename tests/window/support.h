#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/simulator_session.h"
#include "window/frmmain.h"
#include "window/message.h"

using tarnwell::window::FrmMain;

class QProgressDialog;

// Support for the window suites: each suite is a Qt Test class, run in a
// process of its own whose settings store lives in a temporary folder.

struct WindowSuite {
    const char* name;
    std::function<std::unique_ptr<QObject>()> make;
};
std::vector<WindowSuite>& WindowSuites();

#define TARNWELL_WINDOW_SUITE(Class)      \
    static const bool registered##Class = \
        (WindowSuites().push_back({#Class, [] { return std::make_unique<Class>(); }}), true)

// The settings file the window reads and writes.
QString SettingsFilePath();
// Empties the store, as on a first run.
void ClearStore();
void StoreValue(const QString& key, const QString& value);
// The stored text; a null string when the key is absent.
QString StoredValue(const QString& key);
// The same for every key of the settings table, in its order (the order
// start-up restores them: "Units" first, "WindType" last).
void StoreValues(const QStringList& values);
QStringList StoredValues();

// The simulators a window of the suites reaches: X-Plane and FlightGear at
// ports of the suite's own where nothing listens, so that trying them after
// the interface module finds nothing reaches no one else's server.
tarnwell::sim::SimulatorOptions SuiteSimulators(
    tarnwell::sim::SimulatorChoice choice = tarnwell::sim::SimulatorChoice::Auto);

// Dispatch plans fetched from the suite's dead port unless a test names a
// server of its own: no suite ever reaches SimBrief itself.
tarnwell::window::DispatchOptions SuiteDispatch();

// A loaded window whose message boxes are captured instead of shown.
class LoadedWindow {
public:
    explicit LoadedWindow(tarnwell::sim::SimulatorOptions simulators = SuiteSimulators(),
                          tarnwell::window::DispatchOptions dispatch = SuiteDispatch());
    ~LoadedWindow();

    FrmMain& window() { return *window_; }
    QLineEdit* edit(const char* name) const;
    QComboBox* list(const char* name) const;
    // Makes the window active and gives the named field the keyboard focus,
    // the caret at its end.
    QLineEdit* focus(const char* name);
    // Replaces the text of the named entry field by typing, key by key.
    void type(const char* name, const QString& text);
    // Chooses a model the way a click does.
    void chooseModel(const char* optionName);
    // Clicks the named button with the mouse; a simulator command's click
    // returns once the command has ended and shown its box.
    void click(const char* buttonName);
    // Clicks and returns at once, the command still running.
    void clickOnly(const char* buttonName);
    // Waits (at most 30 s) until no simulator command runs.
    void waitForCommand();
    // Captured boxes, oldest first; taking them empties the list.
    std::vector<tarnwell::window::Message> takeMessages();
    std::vector<tarnwell::window::Message>& messages() { return *messages_; }
    // Questions the window asked, captured the same way; each is answered
    // with its own button (Board) unless the test says Cancel.
    std::vector<tarnwell::window::Question> takeQuestions();
    void answerQuestions(bool proceed) { questions_->proceed = proceed; }
    // Closes by the window's close box.
    void closeByCloseBox();

private:
    struct Questions {
        std::vector<tarnwell::window::Question> asked;
        bool proceed = true;
    };

    std::unique_ptr<FrmMain> window_;
    std::shared_ptr<std::vector<tarnwell::window::Message>> messages_;
    std::shared_ptr<Questions> questions_;
};

// The private runtime folder of the suite's process, where the simulator
// link and the stand-in simulator meet.
std::string RuntimeFolder();

// A test row's command line for a stand-in simulator.
std::vector<std::string> Arguments(const QStringList& arguments);

// The text of every line of a message, split at the line breaks it was
// built with.
QStringList MessageLines(const tarnwell::window::Message& message);

// Watches for the wait dialog of a simulator command while the command
// waits: notes the text it came up with and runs the action, once, when it
// is up.
class WaitDialogWatch {
public:
    explicit WaitDialogWatch(std::function<void(QProgressDialog&)> action = {});
    bool seen() const { return seen_; }
    QString text() const { return text_; }

private:
    void Look();

    std::function<void(QProgressDialog&)> action_;
    QTimer timer_;
    bool seen_ = false;
    QString text_;
};

// Presses the wait dialog's Cancel button with the mouse.
void PressCancel(QProgressDialog& dialog);
// Whether a wait dialog is still shown.
bool WaitDialogShown();
