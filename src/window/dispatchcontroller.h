#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "dispatch/dispatch_import.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"
#include "window/commandrunner.h"
#include "window/message.h"
#include "window/simbrieffetch.h"

class QWidget;

namespace tarnwell::window {

class DispatchPanel;

// Where dispatch plans come from: SimBrief's fetcher (the command line may
// name a mirror), how long a fetch may take, and a saved plan to import at
// start-up.
struct DispatchOptions {
    QString fetcher = QString::fromLatin1(SimBriefFetcher);
    std::chrono::milliseconds fetchLimit{20000};
    QString file;
    // Where the fetch module is looked for first; the installation's
    // places after it.
    QString fetchModuleFolder;
};

// The dispatch plan's commands: fetch from SimBrief, open or drop a saved
// file, take the plan into the planner's inputs, keep its figures beside
// the planner's as they change, and board its block fuel. An import takes
// the plan whole or not at all: a plan refused, unreadable or not fetched
// changes nothing and says why in a box.
class DispatchController : public QObject {
public:
    // What the dispatch plan needs of the planner.
    class Host {
    public:
        // Sets the inputs an import gives, through the planner's own
        // controls, each change recalculating as a pilot's would.
        virtual void TakeDispatchInputs(const dispatch::ImportedInputs& inputs) = 0;
        // Boards the block fuel split as the planner splits its own.
        virtual void BoardDispatchFuel(std::int32_t blockFuel) = 0;
        virtual void ShowMessage(const Message& message) = 0;

    protected:
        ~Host() = default;
    };

    DispatchController(QWidget& planner, Host& host, DispatchOptions options);
    ~DispatchController() override;

    DispatchPanel& Panel() { return *panel_; }
    // Shows the panel.
    void Open();
    // Asks for a saved flight plan and imports it.
    void ChooseFile();
    // Imports a saved flight plan; false when nothing was taken.
    bool ImportFile(const QString& path);
    // Fetches the user's latest plan from SimBrief, once.
    void Fetch();
    bool Running() const { return runner_.Running(); }
    // Stops a fetch here without taking what it brings: for the program's end.
    void Abandon();

    QString User() const;
    // The imported plan's figures and name; none before an import.
    const std::optional<dispatch::DispatchFigures>& Figures() const { return dispatch_; }
    const std::string& PlanName() const { return planName_; }
    void SetUser(const QString& user);

    // The planner has shown a plan: its column of the check follows.
    void PlanShown(const plan::PlanFigures& figures, bool complete, plan::Unit unit);
    // The commands are unavailable while a simulator command runs.
    void SetCommandsEnabled(bool enabled);

private:
    // Takes a plan's text from `source` ("The file x.xml", "SimBrief's
    // answer"); false when nothing was taken.
    bool Import(std::string_view text, const QString& source);
    void FetchEnded(const FetchOutcome& outcome, const QString& user);
    void ShowCheck();
    void Refuse(const std::string& text, const std::string& details = {});

    QWidget& planner_;
    Host& host_;
    DispatchOptions options_;
    DispatchPanel* panel_;  // a window of the planner's, which owns it
    CommandRunner runner_;
    std::optional<dispatch::DispatchFigures> dispatch_;
    std::string planName_;
    plan::PlanFigures planner_figures_;
    bool plannerComplete_ = false;
    plan::Unit unit_ = plan::Unit::Pounds;
};

}  // namespace tarnwell::window
