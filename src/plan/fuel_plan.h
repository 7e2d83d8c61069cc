#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "plan/message.h"

namespace tarnwell::plan {

// The lists the plan reads its selections from.
enum class Choice { CruisingAlt, TripDistance, AlternateDistance, WindType, Units };

// The text fields the plan reads and writes.
enum class Field {
    Headwind,
    WindAdj,
    TotalNAM,
    BOW,
    Payload,
    ZFW,
    PLW,
    GTOW,
    TaxiWeight,
    AlternateFuel,
    HoldingFuel,
    MinimumFuel,
    EnrouteFuel,
    TaxiFuel,
    TotalFuel,
    RightTank,
    CenterTank,
    LeftTank,
};

// What the planner sees of the window. The window implements it with its
// controls; tests implement it with a recording fake. Writing a field
// behaves like writing the control: the field's change handler runs when
// its text changes, which may start a nested CalculateFuelPlan.
class PlanView {
public:
    virtual ~PlanView() = default;

    virtual int Selection(Choice choice) const = 0;
    virtual std::string Text(Field field) const = 0;
    virtual void SetText(Field field, const std::string& text) = 0;
    // True shows the field's figure in red as over its limit.
    virtual void SetOverLimit(Field field, bool over) = 0;
    virtual void ShowMessage(const Message& message) = 0;
};

// The plan figures, whole pounds, kept from one calculation to the next.
struct PlanFigures {
    std::int32_t OperatingWeight = 0;
    std::int32_t PayloadWeight = 0;
    std::int32_t HoldingFuel = 0;
    std::int32_t MinimumFuel = 0;
    std::int32_t TaxiFuel = 0;
    std::int32_t AlternateFuel = 0;
    std::int32_t EnrouteFuel = 0;
    std::int32_t ZeroFuelWeight = 0;
    std::int32_t LandingWeight = 0;
    std::int32_t TakeoffWeight = 0;
    std::int32_t TaxiWeight = 0;
    std::int32_t TotalFuel = 0;
    std::int32_t CenterTankFuel = 0;
    double MainTankFuel = 0.0;  // each wing tank; a whole number or one half over

    friend bool operator==(const PlanFigures&, const PlanFigures&) = default;
};

inline constexpr const char* NoDataTextStart =
    "Fuel consumption data for the selected cruise altitude and distance is unavailable for the ";
inline constexpr const char* NoDataTextEnd =
    ". This may suggest that the required fuel burn would be greater than the maximum fuel "
    "capacity of the aircraft. Please change either the cruise altitude or trip distance to try "
    "again.";
inline constexpr const char* OverflowText = "Invalid value entered, please enter a lower value.";

// Turns the window's inputs into the fuel plan and writes it back. Every
// figure and field is stored as soon as it is computed, so a calculation
// that stops early leaves what it had written in place and the rest as the
// previous calculation left it.
class FuelPlanner {
public:
    explicit FuelPlanner(PlanView& view) : view_(view) {}

    // Recomputes the whole plan from the view. True when a complete plan
    // now stands; false when the guard was up, the trip tables have no data
    // for the selection, or a figure left the 32-bit range (both of the
    // latter are told to the user).
    bool CalculateFuelPlan();

    // Takes the selected model's basic operating weight into the plan and
    // shows it.
    void ApplyModelWeights();

    // The recalculation guard: while it is up, CalculateFuelPlan does
    // nothing. Start-up holds it up while it fills the window.
    bool IsUpdating() const { return isUpdating_; }
    void SetUpdating(bool updating) { isUpdating_ = updating; }

    // Model index 0..3 in use.
    int SelectedModel() const { return selectedModel_; }
    void SetSelectedModel(int modelIndex);

    const PlanFigures& Figures() const { return figures_; }
    // The payload read sets the payload figure directly; the payload field
    // is then given the figure's text in the current unit.
    void SetPayloadWeight(std::int32_t pounds);

    // The pounds behind what a weight entry field (the payload and the
    // three fuel allowances) shows now. While the field still shows, in the
    // same unit, the text its pounds were last known for (written back by a
    // complete calculation, restored at start-up, or read from the
    // simulator), those pounds: a kilogram text does not drift by the round
    // trip. Any other text (typed while the selection has no trip data, or
    // read in a unit no complete calculation used) counts as its own value.
    std::int32_t EntryPounds(Field field) const;
    // Records that the field was just given the text of `pounds` in the
    // current unit.
    void NoteEntryShown(Field field, std::int32_t pounds);

private:
    struct KnownEntry {
        bool known = false;
        std::string text;
        int unit = 0;
        std::int32_t pounds = 0;
    };
    static constexpr std::size_t WeightEntryCount = 4;
    static std::size_t WeightEntry(Field field);
    void NoteEntry(Field field, std::string text, std::int32_t pounds);

    void ComputeTrappedSteps(int modelIndex, float tripFuel, int tripIndex);
    void WriteResults();
    std::int32_t Pounds(Field field) const;
    std::string Shown(std::int32_t pounds) const;
    std::string ShownOrEmpty(std::int32_t pounds) const;

    PlanView& view_;
    PlanFigures figures_;
    std::array<KnownEntry, WeightEntryCount> entries_{};
    bool isUpdating_ = false;
    int selectedModel_ = 0;
};

// Plain text of a number as the wind field and the wing tank figures show
// it: digits for a whole number, otherwise the shortest text that reads back
// as the same number (2700.5 for a half pound), always with a point.
std::string NumberText(double value);

}  // namespace tarnwell::plan
