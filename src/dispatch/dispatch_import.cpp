#include "dispatch/dispatch_import.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "data/trip_tables.h"
#include "plan/arithmetic.h"
#include "plan/units.h"

namespace tarnwell::dispatch {
namespace {

constexpr int LowestLevelFeet = 29000;
constexpr int LevelStepFeet = 2000;
constexpr int ShortestDistanceNm = 200;
constexpr int LongestTripNm = 5000;
constexpr int FarthestAlternateNm = 600;
constexpr int DistanceStepNm = 100;

std::string Whole(double value) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(value);
    return whole ? plan::DecimalText(*whole) : std::string("(out of range)");
}

std::string LevelName(int position) {
    return "FL" + std::to_string((LowestLevelFeet + position * LevelStepFeet) / 100);
}

std::string Listed(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        text += (text.empty() ? "" : ", ") + path;
    }
    return text;
}

std::string UtcTime(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds time{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld UTC", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), long(clock.hours().count()),
                  long(clock.minutes().count()));
    return text;
}

std::string PlanName(const OfpPlan& plan) {
    auto place = [](const std::string& code) { return code.empty() ? std::string("?") : code; };
    std::string name = place(plan.origin) + " to " + place(plan.destination);
    if (!plan.alternate.empty()) {
        name += " (alternate " + plan.alternate + ")";
    }
    if (plan.timeGenerated) {
        name += ", OFP of " + UtcTime(*plan.timeGenerated);
    }
    return name;
}

// The list position of a distance rounded up to the list's next entry,
// within [ShortestDistanceNm, farthest].
int DistanceUp(double nm, int farthest) {
    const double up = std::ceil(std::max(nm, 0.0) / DistanceStepNm) * DistanceStepNm;
    const double within = std::clamp(up, double(ShortestDistanceNm), double(farthest));
    return static_cast<int>(within - ShortestDistanceNm) / DistanceStepNm;
}

int DistanceNm(int position) {
    return ShortestDistanceNm + position * DistanceStepNm;
}

// Reads the figures in order, noting what is missing or below zero.
class Reader {
public:
    Reader(const OfpPlan& plan, DispatchImport& import) : plan_(plan), import_(import) {}

    std::optional<double> Figure(Figure figure) {
        const std::optional<double>& value = plan_.Get(figure);
        if (!value && !Unreadable(figure)) {
            missing_.emplace_back(FigurePath(figure));
        }
        return value;
    }

    // A weight in pounds; none when missing, below zero or beyond range.
    std::optional<std::int32_t> Weight(dispatch::Figure figure) {
        const std::optional<double> value = Figure(figure);
        if (!value || !plan_.unit) {
            return std::nullopt;
        }
        return Pounds(*value, FigurePath(figure));
    }

    std::optional<std::int32_t> Pounds(double value, std::string_view what) {
        if (value < 0) {
            negative_.emplace_back(what);
            return std::nullopt;
        }
        const std::optional<std::int32_t> pounds = PlanPounds(value, *plan_.unit);
        if (!pounds) {
            tooLarge_.emplace_back(what);
        }
        return pounds;
    }

    void Note(std::string text) { import_.notes.push_back(std::move(text)); }

    void NoteWhatWasLeft() {
        if (!missing_.empty()) {
            Note("Not in the plan, left as it was: " + Listed(missing_) + ".");
        }
        if (!plan_.unreadable.empty()) {
            Note("Not a number, left as it was: " + Listed(plan_.unreadable) + ".");
        }
        if (!negative_.empty()) {
            Note("Below zero, left as it was: " + Listed(negative_) + ".");
        }
        if (!tooLarge_.empty()) {
            Note("Too large for the planner, left as it was: " + Listed(tooLarge_) + ".");
        }
    }

private:
    bool Unreadable(dispatch::Figure figure) const {
        return std::find(plan_.unreadable.begin(), plan_.unreadable.end(), FigurePath(figure)) !=
               plan_.unreadable.end();
    }

    const OfpPlan& plan_;
    DispatchImport& import_;
    std::vector<std::string> missing_;
    std::vector<std::string> negative_;
    std::vector<std::string> tooLarge_;
};

void TakeModel(const OfpPlan& plan, DispatchImport& import, Reader& reader) {
    if (plan.aircraftType.empty()) {
        reader.Note("No aircraft type in the plan: the model was left as it was.");
        return;
    }
    const auto& types = data::IcaoTypes;
    const auto found = std::find(types.begin(), types.end(), plan.aircraftType);
    if (found == types.end()) {
        import.refusal = "The dispatch plan is for aircraft type " + plan.aircraftType +
                         ", and Tarnwell plans only the Boeing 737-600, -700, -800 and -900 "
                         "(B736, B737, B738, B739). Nothing was changed.";
        return;
    }
    import.inputs.model = data::ModelAt(static_cast<int>(found - types.begin()));
}

void TakeLevel(DispatchImport& import, Reader& reader) {
    const std::optional<double> feet = reader.Figure(Figure::InitialAltitude);
    if (!feet) {
        return;
    }
    const int level = NearestLevel(*feet);
    import.inputs.cruisingAlt = level;
    const double planned = *feet / 100;
    const std::string said = "Cruise: FL" + Whole(planned) + " planned, " + LevelName(level);
    if (*feet < LowestLevelFeet) {
        reader.Note(said + " taken, the lowest level of the tables.");
    } else if (*feet > LowestLevelFeet + (data::LevelCount - 1) * LevelStepFeet) {
        reader.Note(said + " taken, the highest level of the tables.");
    } else if (*feet != LowestLevelFeet + level * LevelStepFeet) {
        reader.Note(said + " taken, the nearest level (of two, the lower, which burns more).");
    }
}

void TakeDistances(DispatchImport& import, Reader& reader) {
    if (const std::optional<double> route = reader.Figure(Figure::RouteDistance)) {
        if (*route > LongestTripNm) {
            import.refusal = "The dispatch plan's route is " + Whole(*route) +
                             " nm: Tarnwell's trip tables end at 5000 nm. Nothing was changed.";
            return;
        }
        const int position = DistanceUp(*route, LongestTripNm);
        import.inputs.tripDistance = position;
        if (*route != DistanceNm(position)) {
            reader.Note("Trip distance: " + Whole(*route) + " nm planned, " +
                        std::to_string(DistanceNm(position)) + " taken (the list's next " +
                        (*route < ShortestDistanceNm ? "and shortest)." : "up)."));
        }
    }
    if (const std::optional<double> alternate = reader.Figure(Figure::AlternateDistance)) {
        const int position = DistanceUp(*alternate, FarthestAlternateNm);
        import.inputs.alternateDistance = position;
        if (*alternate != DistanceNm(position)) {
            const char* why = *alternate > FarthestAlternateNm  ? "the list's farthest"
                              : *alternate < ShortestDistanceNm ? "the list's shortest"
                                                                : "the list's next up";
            reader.Note("Alternate: " + Whole(*alternate) + " nm planned, " +
                        std::to_string(DistanceNm(position)) + " taken (" + why + ").");
        }
    }
}

void TakeWind(DispatchImport& import, Reader& reader) {
    const std::optional<double> wind = reader.Figure(Figure::AverageWind);
    if (!wind) {
        return;
    }
    const std::optional<std::int32_t> knots = plan::RoundToInt32(std::fabs(*wind));
    if (!knots) {
        reader.Note("Wind: " + Whole(*wind) + " kts is out of range, left as it was.");
        return;
    }
    import.inputs.windKnots = knots;
    if (*knots != 0) {
        import.inputs.windType = *wind > 0 ? plan::WindType::Tailwind : plan::WindType::Headwind;
    }
}

void TakeWeights(const OfpPlan& plan, DispatchImport& import, Reader& reader) {
    if (!plan.unit) {
        reader.Note(
            "No weight unit in the plan (params/units): its weights and fuel were left as they "
            "were.");
        return;
    }
    ImportedInputs& inputs = import.inputs;
    inputs.payload = reader.Weight(Figure::Payload);
    inputs.taxiFuel = reader.Weight(Figure::TaxiFuel);
    const std::optional<double> reserve = reader.Figure(Figure::Reserve);
    if (reserve) {
        inputs.holdingFuel = reader.Pounds(*reserve, FigurePath(Figure::Reserve));
    }
    // What the plan lands with beyond the alternate and the final reserve:
    // its contingency and extra fuel, the planner's minimum landing fuel.
    const std::optional<double> landing = reader.Figure(Figure::LandingFuel);
    const std::optional<double> alternate = reader.Figure(Figure::AlternateBurn);
    if (landing && alternate && reserve) {
        inputs.minimumFuel =
            reader.Pounds(std::max(*landing - *alternate - *reserve, 0.0), "the minimum fuel");
    }

    DispatchFigures& figures = import.figures;
    auto figure = [&](Figure which) -> std::optional<std::int32_t> {
        const std::optional<double> value = plan.Get(which);
        return value && *value >= 0 ? PlanPounds(*value, *plan.unit) : std::nullopt;
    };
    figures.tripFuel = figure(Figure::EnrouteBurn);
    figures.alternateFuel = figure(Figure::AlternateBurn);
    figures.blockFuel = figure(Figure::RampFuel);
    figures.zeroFuelWeight = figure(Figure::ZeroFuelWeight);
    figures.takeoffWeight = figure(Figure::TakeoffWeight);
    figures.landingWeight = figure(Figure::LandingWeight);
    if (*plan.unit == OfpUnit::Kilograms) {
        reader.Note("Weights converted from the plan's kilograms to whole pounds.");
    }
}

}  // namespace

int NearestLevel(double feet) {
    const double steps = (feet - LowestLevelFeet) / LevelStepFeet;
    // Half a step up still goes down: the lower level of a tie.
    const double level = std::clamp(std::ceil(steps - 0.5), 0.0, double(data::LevelCount - 1));
    return static_cast<int>(level);
}

std::optional<std::int32_t> PlanPounds(double weight, OfpUnit unit) {
    return plan::RoundToInt32(unit == OfpUnit::Kilograms ? weight / plan::KilogramsPerPound
                                                         : weight);
}

DispatchImport ImportPlan(const OfpPlan& plan) {
    DispatchImport import;
    import.name = PlanName(plan);
    Reader reader(plan, import);
    TakeModel(plan, import, reader);
    if (import.refusal.empty()) {
        TakeDistances(import, reader);
    }
    if (!import.refusal.empty()) {
        import.inputs = {};
        import.notes.clear();
        return import;
    }
    TakeLevel(import, reader);
    TakeWind(import, reader);
    TakeWeights(plan, import, reader);
    reader.NoteWhatWasLeft();
    return import;
}

}  // namespace tarnwell::dispatch
