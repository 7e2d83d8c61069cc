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
    // A command's exchanges: they return what the window's half takes.
    template <typename Result>
    using Job = std::function<Result(const sim::CancelFlag& cancel, const sim::WaitReport& report)>;

    explicit CommandRunner(QWidget& window);
    // Abandons a job still running (see Abandon).
    ~CommandRunner() override;

    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts the job unless one runs. `then` receives what it returned, on
    // the window's thread, once it has ended, unless it was abandoned.
    template <typename Result>
    bool Run(Job<Result> job, std::function<void(Result)> then) {
        // The result is bound into the window's half on the job's thread, so
        // that half is all that crosses back.
        return Start([job = std::move(job), then = std::move(then)](
                         const sim::CancelFlag& cancel, const sim::WaitReport& report) mutable {
            return Ended([then = std::move(then), result = job(cancel, report)]() mutable {
                then(std::move(result));
            });
        });
    }
    bool Running() const { return thread_ != nullptr; }
    // Asks the running job to stop; `then` still follows.
    void Cancel();
    // Stops the running job and waits for its thread here, at most one try;
    // `then` is not run. For the program's end, when no event loop is left
    // to deliver it.
    void Abandon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // From the job's thread: a step of the wait has started.
    void StepStarted(const QString& what, int attempt, int attempts, int limitMs);

private:
    using Ended = std::function<void()>;

    // Runs the job on a thread of its own; what it hands back runs on the
    // window's thread once the thread has finished.
    bool Start(Job<Ended> job);
    void ShowStep(const QString& what, int attempt, int attempts, int limitMs);
    void MoveBar();
    void JobEnded();
    void DropDialog();

    QWidget& window_;
    sim::CancelFlag cancel_;
    QThread* thread_ = nullptr;
    // Written by the job's thread before it finishes, taken by the window's
    // thread once it has (or once it has been waited for).
    Ended ended_;

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
