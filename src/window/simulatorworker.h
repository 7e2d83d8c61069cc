#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <thread>

#include "sim/cancel_flag.h"

class QProgressDialog;
class QWidget;

namespace tarnwell::window {

// What the wait dialog is called; the planner's own name, as its other
// boxes of its own are.
inline constexpr const char* WaitDialogTitle = "Tarnwell";
// How long a command waits for the simulator before it says what it waits for.
inline constexpr int WaitDialogDelayMs = 500;

// Runs a simulator command's exchanges on a thread of its own, one command
// at a time, so that the window goes on repainting while the simulator is
// waited for: a simulator that never answers holds a command for 11 tries
// of 2 seconds, and a window that stops repainting for that long looks hung
// (Windows offers to end it). The job itself is plain code of the simulator
// link; it never touches a widget.
class SimulatorWorker : public QObject {
    Q_OBJECT

public:
    explicit SimulatorWorker(QWidget& window);
    ~SimulatorWorker() override;

    SimulatorWorker(const SimulatorWorker&) = delete;
    SimulatorWorker& operator=(const SimulatorWorker&) = delete;

    // Runs job on the worker thread and returns once it has ended. Meanwhile
    // the window's events go on being handled, except the user's input to
    // it, and after WaitDialogDelayMs a modal dialog says what is being
    // waited for, with a Cancel button. True when the job ran to its end;
    // false when the command was cancelled (the job has ended all the same).
    bool Run(const std::function<void()>& job);

    // Called by the job, on the worker thread: what it waits for now.
    void Tell(const QString& text);

    bool Running() const { return running_; }

    // Cancels the running job and returns once it has ended; nothing when
    // none runs.
    void CancelAndWait();

    // The flag the simulator link looks at between its tries.
    const tarnwell::sim::CancelFlag& Flag() const { return cancel_; }

signals:
    void Ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowWaitDialog();
    void JobEnded(std::uint64_t serial);
    void WaitForEnd();

    QWidget& window_;
    tarnwell::sim::CancelFlag cancel_;
    std::thread thread_;
    bool running_ = false;
    std::uint64_t serial_ = 0;
    QString waitText_;
    QProgressDialog* dialog_ = nullptr;
};

}  // namespace tarnwell::window
