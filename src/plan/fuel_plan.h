#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/aircraft.h"
#include "plan/units.h"

namespace tarnwell::plan {

enum class WindType { Headwind, Tailwind };

// The wind type list's meaning: index 0 is a headwind, any other index a
// tailwind.
constexpr WindType WindTypeAt(int listIndex) {
    return listIndex == 0 ? WindType::Headwind : WindType::Tailwind;
}

// The text fields of the plan, as the window shows them.
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
inline constexpr std::size_t FieldCount = static_cast<std::size_t>(Field::LeftTank) + 1;

// What one calculation takes from the window, read once before it starts.
struct PlanInputs {
    data::ModelId model = data::ModelId::B737_600;
    // List positions; the lists hold exactly the table axes.
    int cruisingAlt = 0;
    int tripDistance = 0;
    int alternateDistance = 0;
    WindType windType = WindType::Headwind;
    Unit unit = Unit::Pounds;
    // The entry fields' texts as they stand.
    std::string headwind;
    std::string payload;
    std::string holdingFuel;
    std::string minimumFuel;
    std::string taxiFuel;
};

// The plan figures, whole pounds, kept from one calculation to the next.
struct PlanFigures {
    std::int32_t operatingWeight = 0;
    std::int32_t payloadWeight = 0;
    std::int32_t holdingFuel = 0;
    std::int32_t minimumFuel = 0;
    std::int32_t taxiFuel = 0;
    std::int32_t alternateFuel = 0;
    std::int32_t enrouteFuel = 0;
    std::int32_t zeroFuelWeight = 0;
    std::int32_t landingWeight = 0;
    std::int32_t takeoffWeight = 0;
    std::int32_t taxiWeight = 0;
    std::int32_t totalFuel = 0;
    std::int32_t centerTankFuel = 0;
    double mainTankFuel = 0.0;  // each wing tank; a whole number or one half over

    friend bool operator==(const PlanFigures&, const PlanFigures&) = default;
};

struct FieldText {
    Field field;
    std::string text;

    friend bool operator==(const FieldText&, const FieldText&) = default;
};

struct LimitMark {
    Field field;
    bool overLimit;

    friend bool operator==(const LimitMark&, const LimitMark&) = default;
};

// How a calculation ended; the window tells the user of a run that
// stopped once its fields are written.
enum class PlanEnd {
    Complete,
    NoSelection,  // a list without a selection: nothing to show
    NoTripData,   // the trip tables have no figure for the selection
    Overflow,     // a figure left the 32-bit range
};

// One calculation's result: the figures and every text it shows, in the
// order the window shows them. A run that stopped early holds only what it
// reached, so the window keeps the rest of the previous plan; its figures
// are the kept ones with the steps it reached done.
struct FuelPlan {
    PlanEnd end = PlanEnd::NoSelection;
    PlanFigures figures;

    // Written with the recalculation guard down: a changed wind text starts
    // the wind field's own calculation.
    std::optional<std::string> windAdjustment;
    std::optional<std::string> headwind;  // the wind speed tidied into normal form
    std::optional<std::string> airDistance;
    std::vector<LimitMark> limitMarks;
    // The weights and fuels from the basic operating weight to the total,
    // the four entries among them in normal form; written with the guard up.
    std::vector<FieldText> results;
    // The three tank displays: the split, or "--" when there is no trip data.
    std::vector<FieldText> tanks;

    bool Complete() const { return end == PlanEnd::Complete; }
};

// The whole plan for the inputs, starting from the figures the previous
// calculations left (the basic operating weight among them). Pure: it reads
// only its arguments and the model and trip tables.
FuelPlan ComputeFuelPlan(const PlanInputs& inputs, const PlanFigures& kept);

// The pounds behind what the four weight entry fields (payload and the
// three fuel allowances) show. While a field still shows, in the same unit,
// the text its pounds were last known for (written back by a complete
// calculation, restored at start-up, or read from the simulator), those
// pounds count: a kilogram text does not drift by the round trip. Any other
// text (typed while the selection has no trip data, or shown in a unit no
// complete calculation used) counts as its own value.
class ShownEntries {
public:
    // Records that the entry field shows `text`, in `unit`, for `pounds`.
    void Note(Field field, std::string text, Unit unit, std::int32_t pounds);
    // As Note, for the figure a calculation read from the field: a field
    // that still shows the text it was known by keeps its pounds, so that a
    // value nobody changed is saved as it was restored or read.
    void NoteCalculated(Field field, std::string text, Unit unit, std::int32_t pounds);
    std::int32_t Pounds(Field field, const std::string& text, Unit unit) const;

private:
    struct Known {
        bool known = false;
        std::string text;
        Unit unit = Unit::Pounds;
        std::int32_t pounds = 0;
    };
    static std::size_t Slot(Field field);

    std::array<Known, 4> entries_{};
};

// Plain text of a number as the wind field and the wing tank figures show
// it: digits for a whole number, otherwise the shortest text that reads back
// as the same number (2700.5 for a half pound), always with a point.
std::string NumberText(double value);

}  // namespace tarnwell::plan
