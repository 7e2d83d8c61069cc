#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "sim/cancel_flag.h"
#include "sim/simulator.h"

class QEvent;
class QProgressBar;
class QProgressDialog;
class QThread;
class QWidget;

namespace tarnwell::window {

// What the wait dialog is called; the planner's own name, as its other
// boxes of its own are.
inline constexpr const char* WaitDialogTitle = "Tarnwell";
// How long a command waits for the simulator before it says what it waits for.
inline constexpr int WaitDialogDelayMs = 500;
// What the wait dialog says from Cancel until the command has ended.
inline constexpr const char* CancellingText = "Cancelling...";

// Runs a simulator command's exchanges on a thread of its own, one command
// at a time, so that the window goes on repainting while the simulator is
// waited for: a simulator that never answers holds an exchange for 11 tries
// of 2 seconds, and a window that stops repainting for that long looks hung
// (Windows offers to end it). The job is plain code of the simulator link;
// it never touches a widget. After WaitDialogDelayMs a progress dialog over
// the window says what is waited for and how long the command may still
// take, a figure that only ever counts down; its Cancel (or Escape, or its
// close box) raises the job's cancel flag, which ends the job within one
// try, and the dialog says so until the job has ended.
class CommandRunner : public QObject {
    Q_OBJECT

public:
    using Job = std::function<void(const sim::CancelFlag& cancel, const sim::WaitReport& report)>;

    explicit CommandRunner(QWidget& window);
    // Abandons a job still running (see Abandon).
    ~CommandRunner() override;

    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts the job unless one runs. `ended` runs on the window's thread
    // once the job has ended, unless it was abandoned.
    bool Start(Job job, std::function<void()> ended);
    bool Running() const { return thread_ != nullptr; }
    // Asks the running job to stop; `ended` still follows.
    void Cancel();
    // Stops the running job and waits for its thread here, at most one try;
    // `ended` is not run. For the program's end, when no event loop is left
    // to deliver it.
    void Abandon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // From the job's thread: a step of the wait has started.
    void StepStarted(const QString& what, int attempt, int attempts, int limitMs);

private:
    void ShowStep(const QString& what, int attempt, int attempts, int limitMs);
    void MoveBar();
    void JobEnded();
    void DropDialog();

    QWidget& window_;
    sim::CancelFlag cancel_;
    QThread* thread_ = nullptr;
    std::function<void()> ended_;

    QProgressDialog* dialog_ = nullptr;
    QProgressBar* bar_ = nullptr;  // the dialog's, which owns it
    QTimer barTimer_;
    // From the command's start; `deadlineMs_` is the earliest end any step
    // has promised, so the time left never grows (-1: no step told yet).
    QElapsedTimer commandClock_;
    qint64 deadlineMs_ = -1;
    int attempt_ = 1;
    int attempts_ = 1;
    bool cancelling_ = false;
};

}  // namespace tarnwell::window
