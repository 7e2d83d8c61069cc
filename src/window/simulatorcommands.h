#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "data/aircraft.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"
#include "sim/simulator.h"
#include "sim/simulator_session.h"
#include "window/message.h"

// What the window's two simulator commands hand the simulator session, and
// the boxes they end with, worded from what the session returned. The
// interface module's boxes keep the texts the planner has always shown;
// the web simulators' say in a pilot's words what went wrong, and keep the
// technical account for the box's details.
//
// One icon and title for each kind of box:
//   success                      information, "Success!"
//   no simulator reached         critical, "Error!"
//   an exchange that failed      no icon, "Error" (as "Variable write failed!")
//   refused, or other figures    exclamation, "Error"
//   cancelled after a write      exclamation, "Cancelled"
//   a question before boarding   exclamation, "Board Fuel"
namespace tarnwell::window {

inline constexpr const char* WriteFailedText = "Variable write failed!";
inline constexpr const char* BoardedText = "The fuel was successfully boarded.";
inline constexpr const char* ReadFailedText = "Read failed!";
inline constexpr const char* PayloadReadText = "Payload weight read as ";
inline constexpr const char* NegativeFuelText =
    "The planned fuel cannot be boarded: the total fuel at taxi is below zero. Choose a "
    "smaller tailwind or add fuel, then try again.";
inline constexpr const char* ConnectionFailureTitle = "Error!";
// The longest a box quotes what a simulator or the command line gave (a
// host, an aircraft's name), in characters.
inline constexpr std::size_t QuoteLimit = 60;

// What a boarding was asked to load, for its box.
struct BoardingPlan {
    plan::Unit unit = plan::Unit::Pounds;
    std::array<double, sim::TankCount> pounds{};  // per tank, by sim::TankIndex
    // The planned model's capacity of each tank, by sim::TankIndex.
    std::array<double, sim::TankCount> capacityPounds{};
    std::int32_t unboardedPounds = 0;  // the planned fuel the model's tanks cannot hold
    std::string modelName;
};

// The simulator as every box names it: "X-Plane", "the simulator".
std::string SimulatorName(sim::SimulatorKind kind);

// The model's capacity of each tank, pounds, by sim::TankIndex.
std::array<double, sim::TankCount> TankCapacities(data::ModelId model);

// The aircraft the simulator must have loaded for a plan of the model.
sim::ExpectedAircraft ExpectedAircraftFor(data::ModelId model);

// Board Fuel's order for a complete plan, and what its box will need; or
// the box that refuses the plan, when it rests on a figure below zero (a
// payload or allowance pasted or stored, fuel below zero after a large
// tailwind), so that nothing outside the tanks' range reaches a simulator.
// A plan with more fuel than the tanks hold comes with the question to ask
// before any simulator is reached.
struct Boarding {
    std::optional<Message> refusal;
    std::optional<Question> question;
    sim::FuelOrder order;
    BoardingPlan planned;
};
Boarding PrepareBoarding(const plan::PlanFigures& figures, data::ModelId model, plan::Unit unit);

// The text cut to `limit` characters (UTF-8), "..." marking the cut.
std::string CutForBox(const std::string& text, std::size_t limit = QuoteLimit);

// What went wrong with a web simulator's request, as a pilot reads it:
// "X-Plane did not answer in time, or the connection to it broke."; empty
// for Trouble::None.
std::string TroubleSentence(sim::Trouble trouble, const std::string& simulator);

// Which tanks hold the new fuel after a boarding that stopped once
// `written` tanks (in boarding order) were written.
std::string TanksWrittenSentence(std::size_t written);

// The box when no simulator could be reached.
Message ConnectFailureMessage(const sim::ConnectFailure& failure);

// The box a boarding ends with; none for one cancelled before any tank
// was written.
std::optional<Message> BoardingMessage(const sim::BoardingOutcome& outcome,
                                       const BoardingPlan& planned);

// The box a payload read that took nothing ends with; none when it was
// cancelled. `modelName` is the model the plan is for.
std::optional<Message> PayloadFailureMessage(const sim::PayloadOutcome& outcome,
                                             const std::string& modelName);

// The box the load sheet's Refresh ends with when it read nothing; none when
// it was cancelled.
std::optional<Message> AircraftFailureMessage(const sim::AircraftOutcome& outcome,
                                              const std::string& modelName);

// "Payload weight read as 452 pounds."
Message PayloadReadMessage(const std::string& fieldText, plan::Unit unit);

}  // namespace tarnwell::window
