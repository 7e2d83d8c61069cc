#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "loadsheet/load_sheet.h"
#include "plan/fuel_plan.h"
#include "sim/simulator_session.h"
#include "window/dispatchcontroller.h"
#include "window/fieldtext.h"
#include "window/message.h"
#include "window/plannerwidgets.h"
#include "window/simulatorcontroller.h"

class QLineEdit;
class QRadioButton;

namespace tarnwell::window {

class LoadSheetWindow;
class SettingsTable;

// The planner's one window. It shows the inputs and the plan: every change
// reads the inputs, lets the plan be computed as a value and shows it; the
// two simulator commands run their exchanges off the window's thread and
// the window shows what they return (SimulatorController); the inputs are
// kept in the settings store between runs (SettingsTable).
class FrmMain : public QWidget,
                private SimulatorController::Host,
                private DispatchController::Host {
    Q_OBJECT

public:
    using MessagePresenter = std::function<void(const Message&)>;
    // Asks a question and returns true when the user chose to go on.
    using QuestionPresenter = std::function<bool(const Question&)>;

    // `simulators` says which simulators the commands reach, and where;
    // `dispatch` where dispatch plans are fetched, and a file to import
    // once the saved inputs are restored.
    explicit FrmMain(sim::SimulatorOptions simulators = {}, DispatchOptions dispatch = {},
                     QWidget* parent = nullptr);
    ~FrmMain() override;

    // Fills the lists, restores the saved inputs, computes the first plan
    // and shows the window. Runs once; showing the window runs it too.
    void Form_Load();

    // Every message box goes through the presenter; by default it is a
    // modal box over this window.
    void SetMessagePresenter(MessagePresenter presenter);
    // Every question (a box with two buttons) goes through this one; by
    // default it is a modal box over this window.
    void SetQuestionPresenter(QuestionPresenter presenter);
    // The simulators the two commands reach; by default the system's
    // interface module, then the web simulators, as the options say.
    void SetSimulatorSession(std::unique_ptr<sim::SimulatorSession> session);
    sim::SimulatorSession& Session() { return commands_->Session(); }

    // True from a simulator command's click until its result has been
    // shown.
    bool CommandRunning() const { return commands_->Running(); }

    // The plan figures the last calculations left, in pounds, and the
    // model and recalculation guard they were computed under.
    const plan::PlanFigures& Figures() const override { return figures_; }
    data::ModelId SelectedModel() const override { return selectedModel_; }
    bool IsUpdating() const { return isUpdating_; }
    // The dispatch plan's panel and commands.
    DispatchController& Dispatch() { return *dispatch_; }

    // Restores the saved inputs and computes the plan as Form_Load does,
    // without showing the window: for a load sheet written from the
    // command line.
    void LoadWithoutShowing();
    // What the load sheet shows now, and its window (opened from the
    // planner, following every change).
    loadsheet::LoadSheet LoadSheetNow() const;
    LoadSheetWindow& LoadSheet() { return *loadSheet_; }
    void OpenLoadSheet();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A flight plan file dropped on the planner is imported.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    QLineEdit* FieldEdit(plan::Field field) const;
    std::string FieldText(plan::Field field) const;
    plan::Unit DisplayUnit() const override;

    // Recomputes the plan from the window's inputs and shows it, unless the
    // recalculation guard is up. True when a complete plan now stands.
    bool CalculateFuelPlan() override;
    plan::PlanInputs ReadInputs() const;
    // Shows a computed plan in the order it was computed, stopping where the
    // computation stopped. True when the plan shown is complete.
    bool ShowPlan(plan::FuelPlan plan, const plan::PlanInputs& inputs);
    // Writes an entry field as typing does, guard down: its change handler
    // runs a complete calculation of its own before this returns. The
    // window's behaviour depends on that run in two places: the wind field
    // tidied into normal form, and the payload taken from the simulator.
    // True when the text changed.
    bool WriteEntryAsTyped(plan::Field field, const std::string& text);
    void MarkOverLimit(plan::Field field, bool over);
    // The flight time on the en-route fuel and each limited figure's margin
    // to its limit, as tooltips.
    void ShowPlanTips(const plan::PlanInputs& inputs);
    void SetUnitLabels(const QString& unit);
    void ApplyModelWeights();
    std::string TakePayload(std::int32_t pounds) override;
    void TakeAircraft(const sim::AircraftResult& reading, sim::SimulatorKind kind) override;
    // A weight entry set from a figure in pounds, as typing it would, the
    // figure itself kept for saving; returns what the field then shows.
    std::string TakeWeight(plan::Field field, std::int32_t pounds);
    void TakeDispatchInputs(const dispatch::ImportedInputs& inputs) override;
    void BoardDispatchFuel(std::int32_t blockFuel) override;
    void ShowMessage(const Message& message) override;
    bool Ask(const Question& question) override;

    void Form_Unload();
    // Where each settings key lives in the window.
    SettingsTable Settings();
    void RestoreSettings();
    void SaveSettings();

    // The handlers that only recalculate.
    void cboCruisingAlt_Click() { CalculateFuelPlan(); }
    void cboTripDistance_Click() { CalculateFuelPlan(); }
    void cboAlternateDistance_Click() { CalculateFuelPlan(); }
    void cboWindType_Click() { CalculateFuelPlan(); }
    void txtHeadwind_Change() { CalculateFuelPlan(); }
    void txtPayload_Change() { CalculateFuelPlan(); }
    void txtHoldingFuel_Change() { CalculateFuelPlan(); }
    void txtMinimumFuel_Change() { CalculateFuelPlan(); }
    void txtTaxiFuel_Change() { CalculateFuelPlan(); }

    void cboUnits_Click();
    void optModel600_Click();
    void optModel700_Click();
    void optModel800_Click();
    void optModel900_Click();
    void SelectModel(QRadioButton* button, data::ModelId model);
    void cmdOperatingLimits_Click();
    void cmdAbout_Click();
    void cmdBoardFuel_Click() { commands_->BoardFuel(); }
    void cmdReadPayload_Click() { commands_->ReadPayload(); }
    void cmdExit_Click() { close(); }

    plan::PlanFigures figures_;
    plan::ShownEntries shownEntries_;
    data::ModelId selectedModel_ = data::ModelId::B737_600;
    bool isUpdating_ = false;
    MessagePresenter presenter_;
    QuestionPresenter questioner_;
    std::unique_ptr<DispatchController> dispatch_;
    LoadSheetWindow* loadSheet_ = nullptr;  // a window of this one's, which owns it
    plan::PlanEnd lastEnd_ = plan::PlanEnd::NoSelection;
    // What Refresh last read of the aircraft, and for which model.
    std::optional<loadsheet::AircraftNow> aircraftNow_;
    data::ModelId aircraftModel_ = data::ModelId::B737_600;
    bool showOnLoad_ = true;
    QString dispatchFile_;
    std::unique_ptr<SimulatorController> commands_;
    bool loaded_ = false;
    bool unloaded_ = false;

    tarnwell::window::PlannerWidgets ui_;
};

}  // namespace tarnwell::window
