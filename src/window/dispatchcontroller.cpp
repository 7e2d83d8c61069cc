#include "window/dispatchcontroller.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <string>

#include "dispatch/dispatch_check.h"
#include "dispatch/ofp.h"
#include "window/dispatchpanel.h"

namespace tarnwell::window {
namespace {

constexpr const char* DispatchTitle = "Dispatch Plan";
constexpr const char* NothingChanged = " Nothing was changed.";

std::string ToleranceText(const dispatch::DispatchFigures& figures, plan::Unit unit) {
    const std::optional<std::int32_t> pounds = dispatch::TolerancePounds(figures);
    if (!pounds) {
        return "! marks a difference of more than 5 % of the figure itself (the plan gives no "
               "trip fuel).";
    }
    return "! marks a difference of more than 5 % of the dispatch trip fuel (" +
           plan::FromPounds(*pounds, unit) + plan::UnitSuffix(unit) + ").";
}

}  // namespace

DispatchController::DispatchController(QWidget& planner, Host& host, DispatchOptions options)
    : planner_(planner),
      host_(host),
      options_(std::move(options)),
      panel_(new DispatchPanel(&planner)),
      runner_(*panel_) {
    connect(panel_, &DispatchPanel::FetchClicked, this, &DispatchController::Fetch);
    connect(panel_, &DispatchPanel::OpenFileClicked, this, &DispatchController::ChooseFile);
    connect(panel_, &DispatchPanel::FileDropped, this, &DispatchController::ImportFile);
    connect(panel_, &DispatchPanel::BoardClicked, this, [this] {
        if (dispatch_ && dispatch_->blockFuel) {
            host_.BoardDispatchFuel(*dispatch_->blockFuel);
        }
    });
}

DispatchController::~DispatchController() {
    runner_.Abandon();
}

void DispatchController::Open() {
    panel_->Open();
}

QString DispatchController::User() const {
    return panel_->User();
}

void DispatchController::SetUser(const QString& user) {
    panel_->SetUser(user);
}

void DispatchController::Abandon() {
    runner_.Abandon();
}

void DispatchController::SetCommandsEnabled(bool enabled) {
    panel_->SetCommandsEnabled(enabled && !Running());
}

void DispatchController::Refuse(const std::string& text, const std::string& details) {
    host_.ShowMessage({text, DispatchTitle, MessageIcon::Exclamation, details});
}

void DispatchController::ChooseFile() {
    QWidget* parent = panel_->isVisible() ? static_cast<QWidget*>(panel_) : &planner_;
    const QString path = QFileDialog::getOpenFileName(
        parent, QStringLiteral("Open a SimBrief flight plan"), QString(),
        QStringLiteral("SimBrief flight plans (*.xml *.json);;All files (*)"));
    if (!path.isEmpty()) {
        ImportFile(path);
    }
}

bool DispatchController::ImportFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const std::string shown = "The file " + name.toStdString();
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        Refuse(shown + " could not be read." + NothingChanged,
               path.toStdString() + ": " + file.errorString().toStdString());
        return false;
    }
    // One byte past the limit tells a file too large from one just at it.
    const QByteArray text = file.read(static_cast<qint64>(dispatch::MaxOfpBytes) + 1);
    if (file.error() != QFileDevice::NoError) {
        Refuse(shown + " could not be read." + NothingChanged,
               path.toStdString() + ": " + file.errorString().toStdString());
        return false;
    }
    return Import(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                  QString::fromStdString(shown));
}

void DispatchController::Fetch() {
    if (Running()) {
        return;
    }
    const QString user = panel_->User();
    if (user.isEmpty()) {
        Refuse("Type your SimBrief user name or Pilot ID first.");
        return;
    }
    const QUrl url = FetcherUrl(options_.fetcher, user);
    panel_->SetCommandsEnabled(false);
    runner_.Run<FetchOutcome>(
        [url, limit = options_.fetchLimit, module = options_.fetchModuleFolder](
            const sim::CancelFlag& cancel, const sim::WaitReport& report) {
            return FetchOfp(url, limit, cancel, report, module);
        },
        [this, user](const FetchOutcome& outcome) { FetchEnded(outcome, user); });
}

void DispatchController::FetchEnded(const FetchOutcome& outcome, const QString& user) {
    panel_->SetCommandsEnabled(true);
    const std::string details = outcome.detail;
    const std::string seconds = std::to_string(options_.fetchLimit.count() / 1000);
    switch (outcome.end) {
        case FetchEnd::Cancelled:
            return;
        case FetchEnd::TimedOut:
            return Refuse(
                "SimBrief did not answer within " + seconds + " seconds." + NothingChanged,
                details);
        case FetchEnd::TooLarge:
            return Refuse("SimBrief's answer is larger than a flight plan can be (over 4 MiB)." +
                              std::string(NothingChanged),
                          details);
        case FetchEnd::Unreachable:
            return Refuse("SimBrief could not be reached: check the network connection." +
                              std::string(NothingChanged),
                          details);
        case FetchEnd::Insecure:
            return Refuse(
                "The secure connection to SimBrief failed: its certificate could not "
                "be verified." +
                    std::string(NothingChanged),
                details);
        case FetchEnd::NotInstalled:
            return Refuse(
                "Fetching from SimBrief is missing from this installation "
                "(tarnwell-fetch): install Tarnwell again. Saved plan files still "
                "open." +
                    std::string(NothingChanged),
                details);
        case FetchEnd::Answered:
            break;
    }
    const dispatch::OfpRead read = dispatch::ReadOfp(outcome.body);
    if (!read.simbriefStatus.empty()) {
        const std::string status = read.simbriefStatus;
        if (status.find("Unknown") != std::string::npos) {
            return Refuse("SimBrief knows no user \"" + user.left(64).toStdString() +
                              "\": check the user name or Pilot ID in your SimBrief account." +
                              NothingChanged,
                          "SimBrief answered: " + status);
        }
        return Refuse("SimBrief refused the fetch: " + status + "." + NothingChanged);
    }
    if (outcome.status != 200) {
        return Refuse("SimBrief answered with an error (HTTP " + std::to_string(outcome.status) +
                          "): try again later." + NothingChanged,
                      details);
    }
    Import(outcome.body, QStringLiteral("SimBrief's answer"));
}

bool DispatchController::Import(std::string_view text, const QString& source) {
    const dispatch::OfpRead read = dispatch::ReadOfp(text);
    if (!read.plan) {
        Refuse(source.toStdString() + " holds no flight plan Tarnwell can read. " + read.error +
               NothingChanged);
        return false;
    }
    const dispatch::DispatchImport import = dispatch::ImportPlan(*read.plan);
    if (!import.refusal.empty()) {
        Refuse(import.refusal);
        return false;
    }
    dispatch_ = import.figures;
    planName_ = import.name;
    panel_->ShowImport(import.name, import.notes);
    panel_->SetBoardable(import.figures.blockFuel.has_value());
    host_.TakeDispatchInputs(import.inputs);
    ShowCheck();
    // A load sheet written from the command line shows no window.
    if (planner_.isVisible()) {
        panel_->Open();
    }
    return true;
}

void DispatchController::PlanShown(const plan::PlanFigures& figures, bool complete,
                                   plan::Unit unit) {
    planner_figures_ = figures;
    plannerComplete_ = complete;
    unit_ = unit;
    ShowCheck();
}

void DispatchController::ShowCheck() {
    if (dispatch_) {
        panel_->ShowRows(dispatch::CheckRows(*dispatch_, planner_figures_, plannerComplete_, unit_),
                         ToleranceText(*dispatch_, unit_));
    }
}

}  // namespace tarnwell::window
