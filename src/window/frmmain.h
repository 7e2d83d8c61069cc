#pragma once

#include <QWidget>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "plan/fuel_plan.h"
#include "sim/connection.h"
#include "sim/simulator_commands.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The planner's one window. It shows the inputs and the plan, hands every
// change to the planner, which does all the arithmetic and writes the
// results back through the PlanView interface, and keeps the inputs in the
// settings store between runs.
class FrmMain : public QWidget, public tarnwell::plan::PlanView {
    Q_OBJECT

public:
    using MessagePresenter = std::function<void(const tarnwell::plan::Message&)>;

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

    tarnwell::plan::FuelPlanner& Planner() { return planner_; }

    // Starts a recalculation from the window's inputs. Counted, so that the
    // events that start one can be checked from outside.
    bool CalculateFuelPlan();
    int CalculationCount() const { return calculationCount_; }

    void SetUnitLabels(const QString& unit);
    void ApplyModelWeights();

    // The planner's view of the window.
    int Selection(tarnwell::plan::Choice choice) const override;
    std::string Text(tarnwell::plan::Field field) const override;
    void SetText(tarnwell::plan::Field field, const std::string& text) override;
    void SetOverLimit(tarnwell::plan::Field field, bool over) override;
    void ShowMessage(const tarnwell::plan::Message& message) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    QLineEdit* FieldEdit(tarnwell::plan::Field field) const;
    QComboBox* List(tarnwell::plan::Choice choice) const;

    // The flight time on the en-route fuel and each limited figure's margin
    // to its limit, as tooltips.
    void ShowPlanTips();
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
    void SelectModel(QRadioButton* button, int modelIndex);
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

    static constexpr std::size_t FieldCount =
        static_cast<std::size_t>(tarnwell::plan::Field::LeftTank) + 1;
    static constexpr std::size_t ChoiceCount =
        static_cast<std::size_t>(tarnwell::plan::Choice::Units) + 1;
    static constexpr std::size_t UnitLabelCount = 12;

    tarnwell::plan::FuelPlanner planner_;
    MessagePresenter presenter_;
    std::unique_ptr<tarnwell::sim::SimConnection> link_;
    std::unique_ptr<tarnwell::sim::SimulatorCommands> commands_;
    int calculationCount_ = 0;
    bool loaded_ = false;
    bool unloaded_ = false;

    std::array<QLineEdit*, FieldCount> fields_{};
    std::array<QComboBox*, ChoiceCount> lists_{};
    std::array<QLabel*, UnitLabelCount> lblUnits_{};
    std::array<QRadioButton*, 4> optModel_{};
    QPushButton* cmdOperatingLimits_ = nullptr;
    QPushButton* cmdReadPayload_ = nullptr;
    QPushButton* cmdBoardFuel_ = nullptr;
    QPushButton* cmdAbout_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
};
