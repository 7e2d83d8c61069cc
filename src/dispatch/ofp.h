#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A dispatch plan as SimBrief's operational flight plan (OFP) gives it, in
// its XML or its JSON (v2) form, read without trusting it: every figure is
// a number, absent, or unreadable, and nothing of the file is used before
// it has been read whole.
namespace tarnwell::dispatch {

// The largest plan file or answer taken in: a full OFP with its route and
// texts is a few hundred kilobytes.
inline constexpr std::size_t MaxOfpBytes = 4 * 1024 * 1024;

enum class OfpUnit { Pounds, Kilograms };

// The figures of the plan the planner takes, each from one element.
enum class Figure {
    InitialAltitude,  // feet
    AverageWind,      // knots, positive a tailwind
    RouteDistance,    // nautical miles, ground
    AirDistance,
    AlternateDistance,
    TaxiFuel,  // the weights in the plan's unit
    EnrouteBurn,
    Contingency,
    AlternateBurn,
    Reserve,
    Extra,
    TakeoffFuel,
    RampFuel,
    LandingFuel,
    Payload,
    ZeroFuelWeight,
    TakeoffWeight,
    LandingWeight,
};
inline constexpr std::size_t FigureCount = 18;

// Where a figure lives, "fuel/plan_ramp", as a pilot or a file names it.
std::string_view FigurePath(Figure figure);

struct OfpPlan {
    std::optional<OfpUnit> unit;
    std::string aircraftType;  // ICAO type designator, "B738"
    std::string origin;
    std::string destination;
    std::string alternate;
    std::optional<std::int64_t> timeGenerated;  // seconds since 1970, UTC
    std::array<std::optional<double>, FigureCount> figures{};
    // The elements present but holding no number (text, "12 kg"), by path.
    std::vector<std::string> unreadable;

    const std::optional<double>& Get(Figure figure) const {
        return figures[static_cast<std::size_t>(figure)];
    }
};

struct OfpRead {
    std::optional<OfpPlan> plan;
    // Why there is none, in a pilot's words: "The file is not a SimBrief
    // flight plan (no OFP element)."; SimBrief's own error is quoted.
    std::string error;
    // SimBrief's answer to a fetch it refused: "Error: Unknown UserID".
    std::string simbriefStatus;
};

// The plan in `text`: XML when it starts with '<', JSON when with '{'.
OfpRead ReadOfp(std::string_view text);

// A number as an OFP writes it: blanks around it, an optional sign, digits
// with at most one point. None for anything else.
std::optional<double> OfpNumber(std::string_view text);

}  // namespace tarnwell::dispatch
