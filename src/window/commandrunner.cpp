#include "window/commandrunner.h"

#include <QEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace tarnwell::window {

namespace {

// How often the bar moves while a step goes on.
constexpr int BarStepMs = 200;

// What the bar says of the wait: the try under way and how long the wait
// may still last, counted down; past every bound a step gave (a later step
// whose own bound reaches beyond an earlier one's), no figure at all rather
// than one that grows.
QString BarText(int attempt, int attempts, int secondsLeft) {
    const QString left = secondsLeft >= 0 ? QStringLiteral("at most %1 s more").arg(secondsLeft)
                                          : QStringLiteral("longer than expected");
    if (attempts <= 1) {
        return left.left(1).toUpper() + left.mid(1);
    }
    return QStringLiteral("Try %1 of %2, %3").arg(attempt).arg(attempts).arg(left);
}

}  // namespace

CommandRunner::CommandRunner(QWidget& window) : window_(window) {
    // Queued: the job's thread tells, the window's thread shows.
    connect(this, &CommandRunner::StepStarted, this, &CommandRunner::ShowStep,
            Qt::QueuedConnection);
    barTimer_.setInterval(BarStepMs);
    connect(&barTimer_, &QTimer::timeout, this, &CommandRunner::MoveBar);
}

CommandRunner::~CommandRunner() {
    Abandon();
}

bool CommandRunner::Start(Job<Ended> job) {
    if (Running()) {
        return false;
    }
    cancel_.Lower();
    cancelling_ = false;
    deadlineMs_ = -1;
    commandClock_.start();
    ended_ = {};
    thread_ = QThread::create([this, job = std::move(job)] {
        ended_ = job(cancel_, [this](const sim::WaitStep& step) {
            emit StepStarted(QString::fromStdString(step.what), step.attempt, step.attempts,
                             static_cast<int>(step.limit.count()));
        });
    });
    connect(thread_, &QThread::finished, this, [this, thread = thread_] {
        if (thread == thread_) {
            JobEnded();
        }
    });

    // Shown by the dialog itself once the wait has lasted its minimum duration.
    dialog_ = new QProgressDialog(&window_);
    bar_ = new QProgressBar(dialog_);
    bar_->setTextVisible(true);
    // The text on the bar, as every style draws it: a style that puts it
    // beside the bar (Windows) would leave the bar a sliver in a dialog only
    // as wide as its label. The dialog is widened to give the text room.
    bar_->setAlignment(Qt::AlignCenter);
    dialog_->setMinimumWidth(bar_->fontMetrics().horizontalAdvance(BarText(11, 11, 99)) * 3 / 2);
    dialog_->setBar(bar_);
    dialog_->setWindowTitle(QString::fromLatin1(WaitDialogTitle));
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setRange(0, 1);
    dialog_->setValue(0);
    dialog_->setMinimumDuration(WaitDialogDelayMs);
    // The dialog would hide itself on Cancel, leaving a greyed window
    // without a word until the job ends; it stays and says so instead.
    disconnect(dialog_, SIGNAL(canceled()), dialog_, SLOT(cancel()));
    connect(dialog_, &QProgressDialog::canceled, this, &CommandRunner::Cancel);
    // Escape and the dialog's close box would hide it the same way.
    dialog_->installEventFilter(this);

    thread_->start();
    return true;
}

void CommandRunner::Cancel() {
    cancel_.Raise();
    if (dialog_ == nullptr || cancelling_) {
        return;
    }
    cancelling_ = true;
    dialog_->setLabelText(QString::fromLatin1(CancellingText));
    if (auto* button = dialog_->findChild<QPushButton*>()) {
        button->setEnabled(false);
    }
}

bool CommandRunner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_) {
        const bool escape = event->type() == QEvent::KeyPress &&
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (escape || event->type() == QEvent::Close) {
            event->ignore();
            Cancel();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CommandRunner::Abandon() {
    if (!Running()) {
        return;
    }
    cancel_.Raise();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    ended_ = {};
    DropDialog();
}

void CommandRunner::ShowStep(const QString& what, int attempt, int attempts, int limitMs) {
    if (dialog_ == nullptr) {
        return;
    }
    const qint64 end = commandClock_.elapsed() + std::max(limitMs, 0);
    deadlineMs_ = deadlineMs_ < 0 ? end : std::min(deadlineMs_, end);
    attempt_ = attempt;
    attempts_ = attempts;
    if (!cancelling_) {
        dialog_->setLabelText(what);
    }
    bar_->setRange(0, static_cast<int>(std::max<qint64>(deadlineMs_, 1)));
    MoveBar();
    barTimer_.start();
}

void CommandRunner::MoveBar() {
    if (dialog_ == nullptr || deadlineMs_ < 0) {
        return;
    }
    const qint64 elapsed = commandClock_.elapsed();
    const int secondsLeft =
        elapsed > deadlineMs_ ? -1 : static_cast<int>((deadlineMs_ - elapsed + 999) / 1000);
    bar_->setFormat(BarText(attempt_, attempts_, secondsLeft));
    // The bar's own value: the dialog's would show the dialog early, by
    // its estimate of the time left, instead of after WaitDialogDelayMs.
    bar_->setValue(static_cast<int>(std::min(elapsed, deadlineMs_)));
}

void CommandRunner::JobEnded() {
    thread_->deleteLater();
    thread_ = nullptr;
    DropDialog();
    if (Ended ended = std::exchange(ended_, {})) {
        ended();
    }
}

void CommandRunner::DropDialog() {
    barTimer_.stop();
    deadlineMs_ = -1;
    attempt_ = 1;
    // Deleted now, not later: a dialog left for the event loop to delete
    // lives on through the result box's own loop, where its timer may
    // still show it as a blank window behind the box.
    delete std::exchange(dialog_, nullptr);
    bar_ = nullptr;
}

}  // namespace tarnwell::window
