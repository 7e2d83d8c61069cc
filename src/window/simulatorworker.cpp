#include "window/simulatorworker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

namespace tarnwell::window {

namespace {

// The user's input, which must not change the plan being boarded or start
// a second command while one waits for the simulator.
bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

// The progress dialog as the wait needs it: Cancel (the button or Escape)
// only says "canceled", and the dialog stays up, its button disabled, until
// the command has ended, at most one send time-out later. Left to itself the
// dialog would hide at once, and Escape would only mark it cancelled (no
// signal) or reject it, hiding it while the command went on waiting.
class WaitDialog : public QProgressDialog {
public:
    explicit WaitDialog(QWidget* parent) : QProgressDialog(parent) {
        // Made by name inside the dialog, so undone by name.
        disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
        for (QShortcut* shortcut : findChildren<QShortcut*>()) {
            disconnect(shortcut, nullptr, this, nullptr);
            connect(shortcut, &QShortcut::activated, this, &QProgressDialog::canceled);
        }
    }

protected:
    void reject() override { emit canceled(); }
};

}  // namespace

SimulatorWorker::SimulatorWorker(QWidget& window) : window_(window) {}

SimulatorWorker::~SimulatorWorker() {
    // Only reached with a job running when the window goes away without
    // closing; the job must not outlive the link it works on.
    cancel_.Raise();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool SimulatorWorker::Run(const std::function<void()>& job) {
    if (running_) {
        return false;
    }
    cancel_.Lower();
    running_ = true;
    waitText_.clear();
    const std::uint64_t serial = ++serial_;

    QCoreApplication::instance()->installEventFilter(this);
    QTimer dialogTimer;
    dialogTimer.setSingleShot(true);
    connect(&dialogTimer, &QTimer::timeout, this, &SimulatorWorker::ShowWaitDialog);
    dialogTimer.start(WaitDialogDelayMs);

    thread_ = std::thread([this, job, serial] {
        job();
        QMetaObject::invokeMethod(
            this, [this, serial] { JobEnded(serial); }, Qt::QueuedConnection);
    });
    WaitForEnd();

    dialogTimer.stop();
    QCoreApplication::instance()->removeEventFilter(this);
    if (dialog_ != nullptr) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    return !cancel_.Raised();
}

void SimulatorWorker::Tell(const QString& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            waitText_ = text;
            if (dialog_ != nullptr) {
                dialog_->setLabelText(text);
            }
        },
        Qt::QueuedConnection);
}

void SimulatorWorker::CancelAndWait() {
    if (!running_) {
        return;
    }
    cancel_.Raise();
    WaitForEnd();
}

void SimulatorWorker::WaitForEnd() {
    if (running_) {
        QEventLoop loop;
        connect(this, &SimulatorWorker::Ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (running_) {
        // Every event loop was told to end (the program is ending): the job
        // is cancelled and waited for here, at most one send time-out.
        cancel_.Raise();
        thread_.join();
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
        running_ = false;
        emit Ended();
    }
}

void SimulatorWorker::JobEnded(std::uint64_t serial) {
    if (serial != serial_ || !running_) {
        return;
    }
    thread_.join();
    running_ = false;
    emit Ended();
}

void SimulatorWorker::ShowWaitDialog() {
    if (!running_ || dialog_ != nullptr) {
        return;
    }
    auto* dialog = new WaitDialog(&window_);
    dialog_ = dialog;
    dialog_->setWindowTitle(QString::fromLatin1(WaitDialogTitle));
    dialog_->setLabelText(waitText_);
    // No measure of progress: the bar only shows that the wait goes on.
    dialog_->setRange(0, 0);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setWindowModality(Qt::WindowModal);
    auto* cancel = dialog->findChild<QPushButton*>();
    connect(dialog_, &QProgressDialog::canceled, this, [this, cancel] {
        cancel_.Raise();
        if (cancel != nullptr) {
            cancel->setEnabled(false);
        }
    });
    dialog_->show();
}

bool SimulatorWorker::eventFilter(QObject* watched, QEvent* event) {
    if (IsUserInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tarnwell::window
