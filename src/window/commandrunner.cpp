#include "window/commandrunner.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace tarnwell::window {

namespace {

// How often the bar moves while a step goes on.
constexpr int BarStepMs = 200;

// What the bar says of the wait: the try under way and how long the wait
// may still last, counted down.
QString BarText(int attempt, int attempts, int secondsLeft) {
    const QString left = QStringLiteral("at most %1 s more").arg(secondsLeft);
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

bool CommandRunner::Start(Job job, std::function<void()> ended) {
    if (Running()) {
        return false;
    }
    cancel_.Lower();
    ended_ = std::move(ended);
    thread_ = QThread::create([this, job = std::move(job)] {
        job(cancel_, [this](const sim::WaitStep& step) {
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
    connect(dialog_, &QProgressDialog::canceled, this, &CommandRunner::Cancel);

    thread_->start();
    return true;
}

void CommandRunner::Cancel() {
    cancel_.Raise();
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
    // A new try of the same step goes on along the same bar, whose end moves
    // to where the tries left may take it.
    if (!stepClock_.isValid() || what != dialog_->labelText() || attempt <= attempt_) {
        stepClock_.start();
    }
    attempt_ = attempt;
    attempts_ = attempts;
    totalMs_ = std::max<int>(static_cast<int>(stepClock_.elapsed()) + limitMs, 1);
    dialog_->setLabelText(what);
    bar_->setRange(0, totalMs_);
    MoveBar();
    barTimer_.start();
}

void CommandRunner::MoveBar() {
    if (dialog_ == nullptr || !stepClock_.isValid()) {
        return;
    }
    const int elapsed = static_cast<int>(std::min<qint64>(stepClock_.elapsed(), totalMs_));
    const int secondsLeft = (totalMs_ - elapsed + 999) / 1000;
    bar_->setFormat(BarText(attempt_, attempts_, secondsLeft));
    // The bar's own value: the dialog's would show the dialog early, by
    // its estimate of the time left, instead of after WaitDialogDelayMs.
    bar_->setValue(elapsed);
}

void CommandRunner::JobEnded() {
    thread_->deleteLater();
    thread_ = nullptr;
    DropDialog();
    if (std::function<void()> ended = std::exchange(ended_, {})) {
        ended();
    }
}

void CommandRunner::DropDialog() {
    barTimer_.stop();
    stepClock_.invalidate();
    attempt_ = 1;
    if (dialog_ != nullptr) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
        bar_ = nullptr;
    }
}

}  // namespace tarnwell::window
