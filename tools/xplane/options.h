#pragma once

// What tarnwell-xplane serves and the faults it shows, as its command line
// sets them.

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwell::tools::xplane {

constexpr std::size_t TankSlots = 9;   // m_fuel and acf_tank_rat hold nine tanks
constexpr std::size_t IcaoBytes = 40;  // acf_ICAO is byte[40]

// Laminar's 737-800: 46,063 lb of fuel (acf_m_fuel_tot, served in kilograms
// as X-Plane serves it), 0.187 of it in each wing tank and 0.626 in the
// centre (acf_tank_rat): 3,907.1 kg (8,613.8 lb) and 13,079.5 kg (28,835.4 lb).
constexpr double LaminarFuelKg = 46063.0 * 0.45359237;
constexpr double LaminarWingShare = 0.187;
constexpr double LaminarCentreShare = 0.626;

// What answers instead of the simulator's own answer: something else on
// the port, or the simulator's answer damaged on its way.
enum class Transport {
    None,
    Html,
    NotFound,
    Redirect,
    Never,
    BadJson,
    Truncated,
    HugeBody,
    Reset,
    TrafficDisabled
};

// What every number read becomes.
enum class Reading { Normal, Nan, Negative, Huge, WrongType };

struct Options {
    std::string host = "127.0.0.1";
    int port = 8086;
    int api = 2;  // the highest API version served
    std::string aircraft = "B738";
    double payload = 9000.0;
    // Left, centre and right, as the default 737-800 numbers its tanks.
    std::vector<double> fuel{2000.0, 0.0, 2000.0};
    std::vector<double> capacity{LaminarWingShare * LaminarFuelKg,
                                 LaminarCentreShare* LaminarFuelKg,
                                 LaminarWingShare* LaminarFuelKg};
    long tanks = -1;            // acf_num_tanks; -1: as many as capacities
    bool listsWritable = true;  // lists carry is_writable (X-Plane 12.4.3 and later)
    Transport transport = Transport::None;
    Reading reading = Reading::Normal;
    bool missingFuel = false;
    bool readOnly = false;
    bool noFlight = false;
    bool keepValue = false;
    long slowMs = 0;
    long quitAfterWrites = 0;
    long restartAfterWrites = 0;
    long normalAnswers = 0;
    bool verbose = false;
    std::string faults;  // as given, for the opening lines
};

// 0 to go on, -1 when --help was answered, else the exit status.
int ParseOptions(int argc, char** argv, Options& options);

}  // namespace tarnwell::tools::xplane
