#pragma once

#include <QPalette>
#include <array>
#include <vector>

class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QObject;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tarnwell::window {

// The window's controls, as building made them; each member is named as
// the control's object name, which outside tools rely on.
struct PlannerWidgets {
    QComboBox* cboCruisingAlt = nullptr;
    QComboBox* cboTripDistance = nullptr;
    QComboBox* cboAlternateDistance = nullptr;
    QComboBox* cboWindType = nullptr;
    QComboBox* cboUnits = nullptr;

    QLineEdit* txtHeadwind = nullptr;
    QLineEdit* txtWindAdj = nullptr;
    QLineEdit* txtTotalNAM = nullptr;
    QLineEdit* txtBOW = nullptr;
    QLineEdit* txtPayload = nullptr;
    QLineEdit* txtZFW = nullptr;
    QLineEdit* txtPLW = nullptr;
    QLineEdit* txtGTOW = nullptr;
    QLineEdit* txtTaxiWeight = nullptr;
    QLineEdit* txtAlternateFuel = nullptr;
    QLineEdit* txtHoldingFuel = nullptr;
    QLineEdit* txtMinimumFuel = nullptr;
    QLineEdit* txtEnrouteFuel = nullptr;
    QLineEdit* txtTaxiFuel = nullptr;
    QLineEdit* txtTotalFuel = nullptr;
    QLineEdit* txtRightTank = nullptr;
    QLineEdit* txtCenterTank = nullptr;
    QLineEdit* txtLeftTank = nullptr;

    std::array<QLabel*, 12> lblUnits{};       // lblUnits_0 .. lblUnits_11
    std::array<QRadioButton*, 4> optModel{};  // optModel600 .. optModel900
    QPushButton* cmdOperatingLimits = nullptr;
    QPushButton* cmdReadPayload = nullptr;
    QPushButton* cmdBoardFuel = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdExit = nullptr;
    // Not of the design's form: it opens the dispatch plan's panel, from a
    // corner of the banner the tank displays leave free.
    QPushButton* cmdDispatchPlan = nullptr;
    // The load sheet's window, from the banner's other corner.
    QPushButton* cmdLoadSheet = nullptr;

    // Every label with a caption, as built: the design font is fitted to
    // them.
    std::vector<QLabel*> labels;
};

// The window's text fields in the order of the plan's Field enumeration.
inline constexpr QLineEdit* PlannerWidgets::*FieldMembers[] = {
    &PlannerWidgets::txtHeadwind,    &PlannerWidgets::txtWindAdj,
    &PlannerWidgets::txtTotalNAM,    &PlannerWidgets::txtBOW,
    &PlannerWidgets::txtPayload,     &PlannerWidgets::txtZFW,
    &PlannerWidgets::txtPLW,         &PlannerWidgets::txtGTOW,
    &PlannerWidgets::txtTaxiWeight,  &PlannerWidgets::txtAlternateFuel,
    &PlannerWidgets::txtHoldingFuel, &PlannerWidgets::txtMinimumFuel,
    &PlannerWidgets::txtEnrouteFuel, &PlannerWidgets::txtTaxiFuel,
    &PlannerWidgets::txtTotalFuel,   &PlannerWidgets::txtRightTank,
    &PlannerWidgets::txtCenterTank,  &PlannerWidgets::txtLeftTank,
};

// The controls through which the user changes the plan or starts a
// command: the lists, the entry fields, the model buttons and the buttons
// but Exit (which closes the window, whatever goes on).
std::vector<QWidget*> InputControls(const PlannerWidgets& widgets);

// Builds the planner window's controls into an empty window, as drawn:
// the banner and tank displays, the three frames with their captions,
// fields, lists and unit labels, the aircraft frame and the command area,
// each control named as the window's automation names it, in the design's
// fixed size, font and tab order. The key filter goes on the five entry
// fields; no handler is connected, no list selected and no field filled.
PlannerWidgets BuildPlannerWidgets(QWidget* window, QObject* entryKeyFilter);

// The same controls, named and placed alike, in the platform's default font
// and without the banner: what the window is made of before it is dressed
// in its artwork and design font.
PlannerWidgets BuildPlannerControls(QWidget* window, QObject* entryKeyFilter);

// Gives a control one colour of its palette, the others as they were: the
// grey of the read-only fields, the tanks' blue, a figure's red over its
// limit.
void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color);

}  // namespace tarnwell::window
