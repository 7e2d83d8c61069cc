#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plan/fuel_plan.h"
#include "sim/connection.h"
#include "window/message.h"
#include "window/plannerwidgets.h"

class QLineEdit;
class QRadioButton;

namespace tarnwell::window {
class SimulatorCommands;
}

// Gives a field a text; the same text again changes nothing. The field being
// typed in keeps its caret and selection, counted from the end of the text.
// True when the text changed (and the field's change handler ran).
bool WriteFieldText(QLineEdit* edit, const std::string& text);

// The planner's one window. It shows the inputs and the plan: every change
// reads the inputs, lets the plan be computed as a value and shows it, and
// the inputs are kept in the settings store between runs.
class FrmMain : public QWidget {
    Q_OBJECT

public:
    using MessagePresenter = std::function<void(const tarnwell::window::Message&)>;

    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    // Fills the lists, restores the saved inputs, computes the first plan
    // and shows the window. Runs once; showing the window runs it too.
    void Form_Load();

    // Every message box goes through the presenter; by default it is a
    // modal box over this window.
    void SetMessagePresenter(MessagePresenter presenter);
    // The simulator link the two simulator commands use; by default the
    // one of the system the program runs on.
    void SetSimConnection(std::unique_ptr<tarnwell::sim::SimConnection> link);
    tarnwell::sim::SimConnection& Link() { return *link_; }

    // Recomputes the plan from the window's inputs and shows it, unless the
    // recalculation guard is up. True when a complete plan now stands.
    bool CalculateFuelPlan();

    // The plan figures the last calculations left, in pounds.
    const tarnwell::plan::PlanFigures& Figures() const { return figures_; }
    tarnwell::data::ModelId SelectedModel() const { return selectedModel_; }
    tarnwell::plan::Unit DisplayUnit() const;
    // The recalculation guard, up while the window fills its own fields.
    bool IsUpdating() const { return isUpdating_; }

    // Takes a payload read from the simulator: the figure, then the field's
    // text in the display unit, which recalculates like a typed entry.
    void TakePayload(std::int32_t pounds);
    std::string PayloadText() const;

    void ShowMessage(const tarnwell::window::Message& message);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    QLineEdit* FieldEdit(tarnwell::plan::Field field) const;
    std::string FieldText(tarnwell::plan::Field field) const;

    tarnwell::plan::PlanInputs ReadInputs() const;
    // Shows a computed plan in the order it was computed, stopping where the
    // computation stopped. True when the plan shown is complete.
    bool ShowPlan(tarnwell::plan::FuelPlan plan, const tarnwell::plan::PlanInputs& inputs);
    void MarkOverLimit(tarnwell::plan::Field field, bool over);
    // The flight time on the en-route fuel and each limited figure's margin
    // to its limit, as tooltips.
    void ShowPlanTips(const tarnwell::plan::PlanInputs& inputs);
    void SetUnitLabels(const QString& unit);
    void ApplyModelWeights();
    void Form_Unload();
    void RestoreSettings();
    void SaveSettings();

    void cboCruisingAlt_Click();
    void cboTripDistance_Click();
    void cboAlternateDistance_Click();
    void cboWindType_Click();
    void cboUnits_Click();
    void optModel600_Click();
    void optModel700_Click();
    void optModel800_Click();
    void optModel900_Click();
    void SelectModel(QRadioButton* button, tarnwell::data::ModelId model);
    void txtHeadwind_Change();
    void txtPayload_Change();
    void txtHoldingFuel_Change();
    void txtMinimumFuel_Change();
    void txtTaxiFuel_Change();
    void cmdOperatingLimits_Click();
    void cmdAbout_Click();
    void cmdBoardFuel_Click();
    void cmdReadPayload_Click();
    void cmdExit_Click();

    tarnwell::plan::PlanFigures figures_;
    tarnwell::plan::ShownEntries shownEntries_;
    tarnwell::data::ModelId selectedModel_ = tarnwell::data::ModelId::B737_600;
    bool isUpdating_ = false;
    MessagePresenter presenter_;
    std::unique_ptr<tarnwell::sim::SimConnection> link_;
    std::unique_ptr<tarnwell::window::SimulatorCommands> commands_;
    bool loaded_ = false;
    bool unloaded_ = false;

    tarnwell::window::PlannerWidgets ui_;
};
