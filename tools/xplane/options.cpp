#include "xplane/options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "command_line.h"

namespace tarnwell::tools::xplane {
namespace {

// The faults, listed after the options in --help.
constexpr const char* FaultHelp =
    "Faults (--fault NAME or NAME=N; several may be given):\n"
    "  html                    an HTML page on every path (another web server)\n"
    "  404                     404 Not Found on every path\n"
    "  redirect                302 to another path on every path (it redirects again)\n"
    "  never                   take the connections and never answer\n"
    "  bad-json                the JSON answers are malformed (their first ':' missing)\n"
    "  truncated               the JSON answers cut to half, Content-Length to match\n"
    "  huge-body               the JSON answers after 1.5 MiB of spaces\n"
    "  reset                   announce the whole answer, send half, reset the connection\n"
    "  traffic-disabled        403 with a plain-text body on every path, as X-Plane with\n"
    "                          Disable Incoming Traffic set\n"
    "  nan | negative | huge | wrong-type\n"
    "                          every number read is null (a NaN), -1250.5, 3e38, or\n"
    "                          the figure as a JSON string\n"
    "  missing-dataref         no dataref sim/flightmodel/weight/m_fuel\n"
    "  no-flight               no datarefs at all, as at X-Plane's main menu\n"
    "  read-only               m_fuel and m_fixed read-only; their writes refused\n"
    "  keep-value              writes to m_fuel and m_fixed answered, values kept\n"
    "  slow=MS                 every answer MS milliseconds late\n"
    "  quit-after-writes=N     quit after answering the Nth write\n"
    "  restart-after-writes=N  a new session after the Nth write: new ids, the\n"
    "                          aircraft loaded as at the start (also on SIGHUP)\n"
    "The first nine exclude each other; so do nan, negative, huge and wrong-type.";

bool Number(const std::string& text, double low, double high, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno == 0 &&
           std::isfinite(value) && value >= low && value <= high;
}

bool WholeNumber(const std::string& text, long low, long high, long& value) {
    double number = 0.0;
    if (!Number(text, low, high, number) || number != std::floor(number) ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = static_cast<long>(number);
    return true;
}

// The faults by name: each sets a transport, a reading, a flag or a count.
struct FaultName {
    const char* name;
    Transport transport = Transport::None;
    Reading reading = Reading::Normal;
    bool Options::*flag = nullptr;
    long Options::*count = nullptr;
};
const FaultName FaultNames[] = {
    {"html", Transport::Html},
    {"404", Transport::NotFound},
    {"redirect", Transport::Redirect},
    {"never", Transport::Never},
    {"bad-json", Transport::BadJson},
    {"truncated", Transport::Truncated},
    {"huge-body", Transport::HugeBody},
    {"reset", Transport::Reset},
    {"traffic-disabled", Transport::TrafficDisabled},
    {"nan", Transport::None, Reading::Nan},
    {"negative", Transport::None, Reading::Negative},
    {"huge", Transport::None, Reading::Huge},
    {"wrong-type", Transport::None, Reading::WrongType},
    {"missing-dataref", Transport::None, Reading::Normal, &Options::missingFuel},
    {"no-flight", Transport::None, Reading::Normal, &Options::noFlight},
    {"read-only", Transport::None, Reading::Normal, &Options::readOnly},
    {"keep-value", Transport::None, Reading::Normal, &Options::keepValue},
    {"slow", Transport::None, Reading::Normal, nullptr, &Options::slowMs},
    {"quit-after-writes", Transport::None, Reading::Normal, nullptr, &Options::quitAfterWrites},
    {"restart-after-writes", Transport::None, Reading::Normal, nullptr,
     &Options::restartAfterWrites},
};

// One --fault, NAME or NAME=N. False for an unknown fault, a missing or bad
// number, or a second of a kind that excludes it.
bool Fault(const std::string& text, Options& options) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const std::string number = equals == std::string::npos ? "" : text.substr(equals + 1);
    for (const FaultName& fault : FaultNames) {
        if (name != fault.name) {
            continue;
        }
        if (fault.count != nullptr) {
            return WholeNumber(number, 1, 100000000, options.*(fault.count));
        }
        if (equals != std::string::npos) {
            return false;
        }
        if (fault.flag != nullptr) {
            options.*(fault.flag) = true;
            return true;
        }
        if (fault.transport != Transport::None) {
            const bool free = options.transport == Transport::None;
            options.transport = fault.transport;
            return free;
        }
        const bool free = options.reading == Reading::Normal;
        options.reading = fault.reading;
        return free;
    }
    return false;
}

// What the simulator holds: the aircraft, its tanks and its payload.
void AddAircraftOptions(CLI::App& app, Options& options) {
    const auto figure = [](double low, double high) {
        return CLI::Validator(
            [low, high](std::string& text) {
                double value = 0.0;
                return Number(text, low, high, value) ? std::string()
                                                      : "not a figure from " + std::to_string(low) +
                                                            " to " + std::to_string(high);
            },
            "KG");
    };
    app.add_option("--aircraft", options.aircraft,
                   "acf_ICAO, the aircraft's type code (default B738)")
        ->check([](const std::string& code) {
            return code.empty() || code.size() >= IcaoBytes ? "1 to 39 characters" : "";
        });
    app.add_option("--payload", options.payload, "m_fixed, the payload in kg (default 9000)")
        ->check(figure(-1e6, 1e6));
    app.add_option("--fuel", options.fuel,
                   "m_fuel, the tanks' loads in kg from tank 0 (default 2000,0,2000: left, "
                   "centre, right)")
        ->delimiter(',')
        ->check(figure(0, 1e6));
    app.add_option("--capacity", options.capacity,
                   "the tanks' capacities in kg (default Laminar's 737-800: 3907.15,13079.53,"
                   "3907.15); they give acf_m_fuel_tot and acf_tank_rat; a write above one (or "
                   "below 0) is clamped")
        ->delimiter(',')
        ->check(figure(0.001, 1e6));
    app.add_option("--tanks", options.tanks,
                   "acf_num_tanks, the number of tanks the aircraft has (default: as many as "
                   "--capacity names)")
        ->check(CLI::Range(0L, static_cast<long>(TankSlots)));
    app.add_flag("!--no-is-writable", options.listsWritable,
                 "lists without is_writable, as X-Plane's before 12.4.3");
}

// The tanks loaded fit the tanks there are; the exit status when not.
int CheckTanks(const Options& options) {
    if (options.fuel.size() > TankSlots || options.capacity.size() > TankSlots) {
        std::fprintf(stderr, "tarnwell-xplane: --fuel and --capacity name %zu tanks at most\n",
                     TankSlots);
        return 2;
    }
    for (std::size_t i = 0; i < options.fuel.size(); ++i) {
        const double capacity = i < options.capacity.size() ? options.capacity[i] : 0.0;
        if (options.fuel[i] > capacity) {
            std::fprintf(stderr, "tarnwell-xplane: --fuel: tank %zu holds at most %.2f kg\n", i,
                         capacity);
            return 2;
        }
    }
    return 0;
}

}  // namespace

int ParseOptions(int argc, char** argv, Options& options) {
    CLI::App app{
        "A stand-in for X-Plane 12's local web API (REST), for trying and testing the "
        "planner's X-Plane link. Prints \"listening on HOST:PORT\" first, then every "
        "write.",
        "tarnwell-xplane"};
    app.footer(FaultHelp);
    app.add_option("--host", options.host, "address to listen on (default 127.0.0.1)")
        ->check([](const std::string& host) { return host.empty() ? "empty" : ""; });
    app.add_option("--port", options.port, "port (default 8086; 0: a free port, printed)")
        ->check(CLI::Range(0, 65535));
    app.add_option("--api", options.api,
                   "highest API version served: 1 (X-Plane 12.1.1, no /api/capabilities), 2 "
                   "(12.1.4, default) or 3 (12.4.0)")
        ->check(CLI::Range(1, 3));
    AddAircraftOptions(app, options);
    std::vector<std::string> faults;
    app.add_option("--fault", faults, "a fault (below); may be given several times")
        ->each([&options](const std::string& fault) {
            if (!Fault(fault, options)) {
                throw CLI::ValidationError("--fault",
                                           "unknown, badly counted or clashing: " + fault);
            }
            options.faults += (options.faults.empty() ? "" : ", ") + fault;
        });
    app.add_option("--normal-answers", options.normalAnswers,
                   "answer the first N requests without the faults")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--verbose", options.verbose, "print every request and its answer's status");
    if (const std::optional<int> status = tarnwell::tools::ParseCommandLine(app, argc, argv)) {
        return *status == 0 ? -1 : *status;
    }
    return CheckTanks(options);
}

}  // namespace tarnwell::tools::xplane
