// tarnwell-xplane: a stand-in for X-Plane 12's local web API, so that
// Tarnwell's X-Plane link and its tests can board fuel and read the payload
// without the simulator, and meet on demand every fault a real one (or
// something else on its port) can show.
//
// It serves the REST side of the API as X-Plane documents it: the
// unversioned GET /api/capabilities (from v2), and under /api/v1 ... /api/vN
// the dataref list with its name filter, the dataref count, and reading
// (GET) and writing (PATCH) a dataref's value by its session id. The
// datarefs are the few a fuel planner needs: the aircraft's ICAO code, the
// tank loads and capacities, the payload and the weights around them.
// Every write it takes is printed on standard output, one line each.
// Run with --help for the options; docs/simulator.md describes its use.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#endif

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "command_line.h"

namespace {

using Json = nlohmann::json;

constexpr std::size_t TankSlots = 9;           // m_fuel and acf_tank_rat hold nine tanks
constexpr std::size_t IcaoBytes = 40;          // acf_ICAO is byte[40]
constexpr std::size_t HugePadding = 3u << 19;  // 1.5 MiB: past a client's 1 MiB limit
constexpr double NegativeReading = -1250.5;
constexpr double HugeReading = 3.0e38;                   // near a float's largest
constexpr std::uint64_t FirstIdBase = 0x12340000000ull;  // above 2^32, as X-Plane's ids are
constexpr std::uint64_t SessionIdStep = 0x100000ull;
constexpr std::uint64_t IdSpacing = 48;

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
// Laminar's 737-800: 46,063 lb of fuel (acf_m_fuel_tot, served in kilograms
// as X-Plane serves it), 0.187 of it in each wing tank and 0.626 in the
// centre (acf_tank_rat): 3,907.1 kg (8,613.8 lb) and 13,079.5 kg (28,835.4 lb).
constexpr double LaminarFuelKg = 46063.0 * 0.45359237;
constexpr double LaminarWingShare = 0.187;
constexpr double LaminarCentreShare = 0.626;

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

enum class ValueType { Float, Int, FloatArray, IntArray, Data };

struct Dataref {
    std::string name;
    ValueType type;
    bool writable;
    const char* unit;             // " kg" for the weights, for the printed lines
    std::vector<double> numbers;  // one for a scalar, the elements of an array
    std::string bytes;            // a data dataref's bytes, NUL-padded to its length
};

const char* TypeName(ValueType type) {
    static const char* const names[] = {"float", "int", "float_array", "int_array", "data"};
    return names[static_cast<int>(type)];
}

bool IsArray(ValueType type) {
    return type == ValueType::FloatArray || type == ValueType::IntArray;
}

std::string ShortName(const std::string& name) {
    return name.substr(name.rfind('/') + 1);
}

constexpr std::string_view Base64Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = (group << 8) | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= count ? Base64Digits[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return text;
}

bool Base64Decode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 4) {
        std::uint32_t group = 0;
        int padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            const auto digit = Base64Digits.find(c);
            if (c == '=' && k >= 2 && i + 4 == text.size()) {
                ++padding;
            } else if (digit == std::string_view::npos || padding > 0) {
                return false;
            }
            group = (group << 6) | (digit == std::string_view::npos ? 0u : digit);
        }
        for (int k = 0; k < 3 - padding; ++k) {
            bytes += static_cast<char>((group >> (16 - 8 * k)) & 0xFF);
        }
    }
    return true;
}

// Every line goes out whole and at once, so that a test reading the pipe
// sees each as it happens.
std::mutex printMutex;
#ifdef __GNUC__
__attribute__((format(printf, 1, 2)))
#endif
void Print(const char* format, ...) {
    const std::lock_guard<std::mutex> lock(printMutex);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

// Stopping: by a signal, the console closing, or the simulator quitting as
// told. Waits (the slow and never faults) end early when it comes.
httplib::Server* server = nullptr;
std::atomic<bool> stopRequested{false};
std::atomic<bool> serverStopped{false};
std::mutex stopMutex;
std::condition_variable stopSignal;

void RequestStop() {
    {
        const std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
    }
    stopSignal.notify_all();
    // Once only: the server may not be stopped twice.
    if (server != nullptr && server->is_running() && !serverStopped.exchange(true)) {
        server->stop();
    }
}

// Waits for the given time, or without end when it is negative; false when
// the stand-in is stopping.
bool Wait(long ms) {
    std::unique_lock<std::mutex> lock(stopMutex);
    const auto stopping = [] { return stopRequested.load(); };
    if (ms < 0) {
        stopSignal.wait(lock, stopping);
    } else {
        stopSignal.wait_for(lock, std::chrono::milliseconds(ms), stopping);
    }
    return !stopRequested;
}

struct Answer {
    int status = 200;
    std::string body;  // JSON, or empty
};

Answer Error(int status, const char* code, const std::string& message) {
    return {status, Json{{"error_code", code}, {"error_message", message}}.dump()};
}

// The simulator: its datarefs, its session and the writes it has taken.
class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options) { Load(); }

    // Ends the session and starts another, as a restarted X-Plane does: the
    // datarefs get new ids and the aircraft is loaded as at the start.
    void NewSession() {
        const std::lock_guard<std::mutex> lock(mutex_);
        StartNewSession();
    }

    Answer Handle(const httplib::Request& request, bool faulty) {
        const std::lock_guard<std::mutex> lock(mutex_);
        faulty_ = faulty;
        static const std::regex versioned(R"(/api/v([0-9]+)(/.*))");
        static const std::regex value(R"(/datarefs/([0-9]{1,20})/value)");
        std::smatch match;
        if (request.path == "/api/capabilities" && request.method == "GET" && options_.api >= 2) {
            Json versions = Json::array();
            for (int v = 1; v <= options_.api; ++v) {
                versions.push_back("v" + std::to_string(v));
            }
            static const char* const releases[] = {"", "12.1.1", "12.1.4", "12.4.0"};
            return {200, Json{{"api", {{"versions", versions}}},
                              {"x-plane", {{"version", releases[options_.api]}}}}
                             .dump()};
        }
        if (!std::regex_match(request.path, match, versioned) || match[1].length() > 1 ||
            std::stoi(match[1].str()) < 1 || std::stoi(match[1].str()) > options_.api) {
            return {404, ""};
        }
        const std::string rest = match[2].str();
        if (rest == "/datarefs" && request.method == "GET") {
            return List(request);
        }
        if (rest == "/datarefs/count" && request.method == "GET") {
            return {200, Json{{"data", Visible().size()}}.dump()};
        }
        if (std::regex_match(rest, match, value)) {
            if (request.method == "GET") {
                return Read(match[1].str(), request);
            }
            if (request.method == "PATCH") {
                return Write(match[1].str(), request);
            }
        }
        return {404, ""};
    }

    std::string Describe() const {
        char text[512];
        std::string tanks;
        std::string capacities;
        for (std::size_t i = 0; i < options_.capacity.size(); ++i) {
            std::snprintf(text, sizeof text, "%s%.2f", i == 0 ? "" : ", ",
                          i < options_.fuel.size() ? options_.fuel[i] : 0.0);
            tanks += text;
            std::snprintf(text, sizeof text, "%s%.2f", i == 0 ? "" : ", ", capacities_[i]);
            capacities += text;
        }
        std::snprintf(text, sizeof text,
                      "  aircraft %s, payload %.2f kg\n  m_fuel %s kg (capacity %s kg, %lld "
                      "tanks)\n",
                      options_.aircraft.c_str(), options_.payload, tanks.c_str(),
                      capacities.c_str(), std::llround(datarefs_[TankCount].numbers[0]));
        return text;
    }

private:
    enum Slot {
        Icao,
        Empty,
        MaxWeight,
        FuelCapacity,
        TankCount,
        TankRatio,
        Payload,
        Fuel,
        FuelTotal,
        TotalWeight
    };

    void Load() {
        double capacityTotal = 0.0;
        for (double tank : options_.capacity) {
            capacityTotal += tank;
        }
        std::vector<double> ratios(TankSlots, 0.0);
        for (std::size_t i = 0; i < options_.capacity.size(); ++i) {
            ratios[i] = options_.capacity[i] / capacityTotal;
        }
        std::vector<double> fuel(TankSlots, 0.0);
        std::copy(options_.fuel.begin(), options_.fuel.end(), fuel.begin());
        std::string icao = options_.aircraft;
        icao.resize(IcaoBytes, '\0');
        const auto weight = [](const char* name, bool writable, double kg) {
            return Dataref{name, ValueType::Float, writable, " kg", {kg}, ""};
        };
        const double tanks =
            static_cast<double>(options_.tanks >= 0 ? static_cast<std::size_t>(options_.tanks)
                                                    : options_.capacity.size());
        // As X-Plane lists them writable; only the tank count and the
        // totals it works out are not.
        datarefs_ = {
            {"sim/aircraft/view/acf_ICAO", ValueType::Data, true, "", {}, icao},
            weight("sim/aircraft/weight/acf_m_empty", true, 41413.0),
            weight("sim/aircraft/weight/acf_m_max", true, 79016.0),
            weight("sim/aircraft/weight/acf_m_fuel_tot", true, capacityTotal),
            {"sim/aircraft/overflow/acf_num_tanks", ValueType::Int, false, "", {tanks}, ""},
            {"sim/aircraft/overflow/acf_tank_rat", ValueType::FloatArray, true, "", ratios, ""},
            weight("sim/flightmodel/weight/m_fixed", true, options_.payload),
            {"sim/flightmodel/weight/m_fuel", ValueType::FloatArray, true, " kg", fuel, ""},
            weight("sim/flightmodel/weight/m_fuel_total", false, 0.0),
            weight("sim/flightmodel/weight/m_total", false, 0.0),
        };
        for (Dataref& dataref : datarefs_) {
            for (double& number : dataref.numbers) {
                number = Stored(dataref, number);
            }
        }
        // A tank holds its share of the total as they are served.
        capacities_.assign(TankSlots, 0.0);
        for (std::size_t i = 0; i < TankSlots; ++i) {
            capacities_[i] = datarefs_[TankRatio].numbers[i] * datarefs_[FuelCapacity].numbers[0];
        }
        Recompute();
    }

    // Float datarefs keep a float's precision, as X-Plane's do.
    static double Stored(const Dataref& dataref, double value) {
        const bool single =
            dataref.type == ValueType::Float || dataref.type == ValueType::FloatArray;
        return single ? static_cast<double>(static_cast<float>(value)) : value;
    }

    void StartNewSession() {
        ++session_;
        Load();
        Print("new session %d: dataref ids changed, the aircraft loaded as at the start\n",
              session_);
    }

    void Recompute() {
        double fuel = 0.0;
        for (double tank : datarefs_[Fuel].numbers) {
            fuel += tank;
        }
        datarefs_[FuelTotal].numbers[0] = Stored(datarefs_[FuelTotal], fuel);
        datarefs_[TotalWeight].numbers[0] =
            Stored(datarefs_[TotalWeight],
                   datarefs_[Empty].numbers[0] + datarefs_[Payload].numbers[0] + fuel);
    }

    std::uint64_t IdOf(std::size_t slot) const {
        return FirstIdBase + SessionIdStep * static_cast<std::uint64_t>(session_) +
               IdSpacing * slot;
    }

    // Whether the dataref exists for the request: with no flight loaded
    // none does.
    bool Shown(std::size_t slot) const {
        return !faulty_ || (!options_.noFlight && !(options_.missingFuel && slot == Fuel));
    }

    std::vector<std::size_t> Visible() const {
        std::vector<std::size_t> slots;
        for (std::size_t slot = 0; slot < datarefs_.size(); ++slot) {
            if (Shown(slot)) {
                slots.push_back(slot);
            }
        }
        return slots;
    }

    Json Entry(std::size_t slot, const std::string& fields) const {
        const Dataref& dataref = datarefs_[slot];
        Json entry{
            {"id", IdOf(slot)}, {"name", dataref.name}, {"value_type", TypeName(dataref.type)}};
        if (options_.listsWritable) {
            entry["is_writable"] = Writable(slot);
        }
        if (fields.empty() || fields == "all") {
            return entry;
        }
        Json chosen = Json::object();
        std::size_t start = 0;
        while (start <= fields.size()) {
            const std::size_t end = std::min(fields.find(',', start), fields.size());
            const std::string field = fields.substr(start, end - start);
            if (entry.contains(field)) {
                chosen[field] = entry[field];
            }
            start = end + 1;
        }
        return chosen;
    }

    static bool Count(const std::string& text, std::size_t& value) {
        if (text.empty() || text.size() > 9 ||
            text.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        value = static_cast<std::size_t>(std::stoul(text));
        return true;
    }

    Answer List(const httplib::Request& request) const {
        std::vector<std::size_t> slots;
        const std::size_t names = request.get_param_value_count("filter[name]");
        if (names == 0) {
            slots = Visible();
        }
        for (std::size_t i = 0; i < names; ++i) {
            const std::string name = request.get_param_value("filter[name]", i);
            const auto found = std::find_if(datarefs_.begin(), datarefs_.end(),
                                            [&](const Dataref& d) { return d.name == name; });
            const auto slot = static_cast<std::size_t>(found - datarefs_.begin());
            if (found == datarefs_.end() || !Shown(slot)) {
                return Error(404, "invalid_dataref_name", "No dataref named " + name);
            }
            slots.push_back(slot);
        }
        std::size_t start = 0;
        std::size_t limit = slots.size();
        if ((request.has_param("start") && !Count(request.get_param_value("start"), start)) ||
            (request.has_param("limit") && !Count(request.get_param_value("limit"), limit))) {
            return Error(400, "invalid_request", "start and limit are whole numbers");
        }
        Json data = Json::array();
        for (std::size_t i = start; i < slots.size() && i - start < limit; ++i) {
            data.push_back(Entry(slots[i], request.get_param_value("fields")));
        }
        return {200, Json{{"data", data}}.dump()};
    }

    // The dataref of an id of this session, or none.
    const Dataref* Find(const std::string& idText, std::size_t& slot) const {
        const std::uint64_t id = std::strtoull(idText.c_str(), nullptr, 10);
        for (slot = 0; slot < datarefs_.size(); ++slot) {
            if (IdOf(slot) == id && Shown(slot)) {
                return &datarefs_[slot];
            }
        }
        return nullptr;
    }

    // The index parameter: none (-1), an element, or bad (false).
    static bool IndexOf(const httplib::Request& request, const Dataref& dataref, long& index,
                        Answer& error) {
        index = -1;
        if (!request.has_param("index")) {
            return true;
        }
        if (!IsArray(dataref.type)) {
            error = Error(400, "not_an_array", dataref.name + " is not an array");
            return false;
        }
        std::size_t element = 0;
        if (!Count(request.get_param_value("index"), element) ||
            element >= dataref.numbers.size()) {
            error = Error(400, "index_out_of_range",
                          "Index " + request.get_param_value("index") + " is not an element of " +
                              dataref.name);
            return false;
        }
        index = static_cast<long>(element);
        return true;
    }

    // A number as it is read, after the reading fault if there is one.
    Json NumberRead(const Dataref& dataref, double value) const {
        switch (faulty_ ? options_.reading : Reading::Normal) {
            case Reading::Nan:
                value = std::numeric_limits<double>::quiet_NaN();
                break;
            case Reading::Negative:
                value = NegativeReading;
                break;
            case Reading::Huge:
                value = HugeReading;
                break;
            case Reading::WrongType: {
                char text[64];
                std::snprintf(text, sizeof text, "%.2f", value);
                return text;
            }
            case Reading::Normal:
                break;
        }
        if (dataref.type == ValueType::Int || dataref.type == ValueType::IntArray) {
            return std::isfinite(value) && std::abs(value) < 9e15 ? Json(std::llround(value))
                                                                  : Json(value);
        }
        return value;  // the JSON writer puts a NaN as null
    }

    Answer Read(const std::string& idText, const httplib::Request& request) const {
        std::size_t slot = 0;
        const Dataref* dataref = Find(idText, slot);
        if (dataref == nullptr) {
            return Error(404, "invalid_dataref_id", "No dataref with id " + idText);
        }
        long index = -1;
        Answer error;
        if (!IndexOf(request, *dataref, index, error)) {
            return error;
        }
        Json data;
        if (dataref->type == ValueType::Data) {
            data = Base64Encode(dataref->bytes);
        } else if (index >= 0) {
            data = NumberRead(*dataref, dataref->numbers[static_cast<std::size_t>(index)]);
        } else if (IsArray(dataref->type)) {
            data = Json::array();
            for (double element : dataref->numbers) {
                data.push_back(NumberRead(*dataref, element));
            }
        } else {
            data = NumberRead(*dataref, dataref->numbers[0]);
        }
        return {200, Json{{"data", data}}.dump()};
    }

    static bool Fits(const Dataref& dataref, const Json& value) {
        if (!value.is_number()) {
            return false;
        }
        const double number = value.get<double>();
        const bool whole = dataref.type == ValueType::Int || dataref.type == ValueType::IntArray;
        return std::isfinite(number) && (!whole || number == std::floor(number));
    }

    // The values a write sets (one, or every element of an array), checked
    // against the dataref's type.
    static bool Values(const Dataref& dataref, const Json& data, long index,
                       std::vector<double>& values) {
        if (index >= 0 || !IsArray(dataref.type)) {
            if (!Fits(dataref, data)) {
                return false;
            }
            values.push_back(data.get<double>());
            return true;
        }
        if (!data.is_array() || data.size() != dataref.numbers.size()) {
            return false;
        }
        for (const Json& element : data) {
            if (!Fits(dataref, element)) {
                return false;
            }
            values.push_back(element.get<double>());
        }
        return true;
    }

    Answer Write(const std::string& idText, const httplib::Request& request) {
        std::size_t slot = 0;
        if (Find(idText, slot) == nullptr) {
            return Error(404, "invalid_dataref_id", "No dataref with id " + idText);
        }
        Dataref& dataref = datarefs_[slot];
        long index = -1;
        Answer error;
        if (!IndexOf(request, dataref, index, error)) {
            return error;
        }
        const Json body = Json::parse(request.body, nullptr, false);
        if (body.is_discarded() || !body.is_object() || !body.contains("data")) {
            return Error(400, "invalid_body", "The body is not a JSON object with data");
        }
        const Json& data = body["data"];
        const std::string name = ShortName(dataref.name);
        std::string bytes;
        std::vector<double> values;
        if (dataref.type == ValueType::Data
                ? !data.is_string() || !Base64Decode(data.get<std::string>(), bytes) ||
                      bytes.size() > dataref.bytes.size()
                : !Values(dataref, data, index, values)) {
            return Error(
                400, "incompatible_data",
                std::string("Not a value for ") + TypeName(dataref.type) + " " + dataref.name);
        }
        // One line for each value written, as the tank or figure it sets.
        std::vector<std::string> labels;
        const std::size_t first = index >= 0 ? static_cast<std::size_t>(index) : 0;
        for (std::size_t i = 0; i < values.size(); ++i) {
            labels.push_back(IsArray(dataref.type) ? name + "[" + std::to_string(first + i) + "]"
                                                   : name);
        }
        if (!Writable(slot)) {
            if (dataref.type == ValueType::Data) {
                Print("%s write of \"%s\" refused: read-only\n", name.c_str(), bytes.c_str());
            }
            for (std::size_t i = 0; i < values.size(); ++i) {
                Print("%s write of %s refused: read-only\n", labels[i].c_str(),
                      Figure(dataref, values[i]).c_str());
            }
            return Error(403, "dataref_is_readonly", dataref.name + " is read-only");
        }
        if (dataref.type == ValueType::Data) {
            bytes.resize(dataref.bytes.size(), '\0');
            dataref.bytes = bytes;
            Print("%s set to \"%s\"\n", name.c_str(), bytes.c_str());
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            Set(dataref, slot, first + i, values[i], labels[i]);
        }
        Recompute();
        ++writes_;
        if (options_.quitAfterWrites > 0 && writes_ == options_.quitAfterWrites) {
            Print("quitting after %ld writes (as told)\n", writes_);
            RequestStop();
        } else if (options_.restartAfterWrites > 0 && writes_ == options_.restartAfterWrites) {
            StartNewSession();
        }
        return {200, ""};
    }

    bool Writable(std::size_t slot) const {
        return datarefs_[slot].writable &&
               !(faulty_ && options_.readOnly && (slot == Fuel || slot == Payload));
    }

    static std::string Figure(const Dataref& dataref, double value) {
        char text[64];
        if (dataref.type == ValueType::Int || dataref.type == ValueType::IntArray) {
            std::snprintf(text, sizeof text, "%lld%s", std::llround(value), dataref.unit);
        } else {
            std::snprintf(text, sizeof text, "%.2f%s", value, dataref.unit);
        }
        return text;
    }

    void Set(Dataref& dataref, std::size_t slot, std::size_t element, double asked,
             const std::string& label) {
        double& held = dataref.numbers[element];
        if (faulty_ && options_.keepValue && (slot == Fuel || slot == Payload)) {
            Print("%s kept at %s (write of %s ignored)\n", label.c_str(),
                  Figure(dataref, held).c_str(), Figure(dataref, asked).c_str());
            return;
        }
        double value = asked;
        std::string note;
        if (slot == Fuel) {
            // A tank takes no more than it holds, and no less than nothing;
            // a figure off its capacity by less than the printed precision
            // is the tank filled.
            const double capacity = capacities_[element];
            value = std::clamp(asked, 0.0, capacity);
            if (std::abs(value - asked) >= 0.005) {
                note = " (asked " + Figure(dataref, asked) +
                       (asked > capacity ? ", more than the tank holds)" : ", less than empty)");
            }
        }
        held = Stored(dataref, value);
        Print("%s set to %s%s\n", label.c_str(), Figure(dataref, held).c_str(), note.c_str());
    }

    const Options& options_;
    std::mutex mutex_;
    std::vector<Dataref> datarefs_;
    std::vector<double> capacities_;  // kg, each tank's share of the total
    int session_ = 1;
    long writes_ = 0;
    bool faulty_ = false;  // the faults apply to the request being answered
};

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

// 0 to go on, -1 when --help was answered, else the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
    CLI::App app{
        "A stand-in for X-Plane 12's local web API (REST), for trying and testing the "
        "planner's X-Plane link. Prints \"listening on HOST:PORT\" first, then every "
        "write.",
        "tarnwell-xplane"};
    app.footer(FaultHelp);
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
    app.add_option("--host", options.host, "address to listen on (default 127.0.0.1)")
        ->check([](const std::string& host) { return host.empty() ? "empty" : ""; });
    app.add_option("--port", options.port, "port (default 8086; 0: a free port, printed)")
        ->check(CLI::Range(0, 65535));
    app.add_option("--api", options.api,
                   "highest API version served: 1 (X-Plane 12.1.1, no /api/capabilities), 2 "
                   "(12.1.4, default) or 3 (12.4.0)")
        ->check(CLI::Range(1, 3));
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

#ifdef __linux__
int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}
#endif

// Resets the connection between the two ports at once, before the server's
// own orderly close: disconnecting a TCP socket (connect to AF_UNSPEC) sends
// a reset. Linux only; elsewhere the server closes the connection.
void ResetConnection([[maybe_unused]] int localPort, [[maybe_unused]] int remotePort) {
#ifdef __linux__
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            PortOf(local) == localPort && PortOf(peer) == remotePort) {
            sockaddr unspecified{};
            unspecified.sa_family = AF_UNSPEC;
            connect(fd, &unspecified, sizeof unspecified);
            return;
        }
    }
#endif
}

// Puts the simulator's answer into the response, as the transport fault
// damages it.
void Deliver(std::string body, Transport transport, const httplib::Request& request,
             httplib::Response& response) {
    if (transport == Transport::BadJson) {
        const auto colon = body.find(':');
        if (colon != std::string::npos) {
            body.erase(colon, 1);
        }
    } else if (transport == Transport::Truncated) {
        body.resize(body.size() / 2);
    } else if (transport == Transport::HugeBody && !body.empty()) {
        body.insert(0, HugePadding, ' ');
    } else if (transport == Transport::Reset) {
        // The headers announce the whole answer (a write's as "null"); half
        // of it goes out, then the connection is reset.
        if (body.empty()) {
            body = "null";
        }
        const std::size_t length = body.size();
        response.set_content_provider(
            length, "application/json",
            [body, local = request.local_port, remote = request.remote_port](
                std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body.data(), body.size() / 2);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                ResetConnection(local, remote);
                return false;
            });
        return;
    }
    if (!body.empty()) {
        response.set_content(body, "application/json");
    }
}

// Answers one request: the simulator's answer, or what a fault makes of it.
void Serve(Simulator& simulator, const Options& options, std::atomic<long>& served,
           const httplib::Request& request, httplib::Response& response) {
    const bool faulty = ++served > options.normalAnswers;
    const Transport transport = faulty ? options.transport : Transport::None;
    if (faulty && options.slowMs > 0 && !Wait(options.slowMs)) {
        return;
    }
    if (transport == Transport::Never) {
        Wait(-1);
        return;
    }
    if (transport == Transport::Html) {
        response.status = 200;
        response.set_content(
            "<!DOCTYPE html>\n<html><head><title>Welcome</title></head>\n"
            "<body><h1>It works!</h1><p>This is not X-Plane.</p></body></html>\n",
            "text/html");
    } else if (transport == Transport::NotFound) {
        response.status = 404;
        response.set_content("<html><body><h1>404 Not Found</h1></body></html>\n", "text/html");
    } else if (transport == Transport::TrafficDisabled) {
        // X-Plane documents no body for it; plain text stands for one that
        // is not JSON.
        response.status = 403;
        response.set_content("Forbidden\n", "text/plain");
    } else if (transport == Transport::Redirect) {
        response.set_redirect("/elsewhere" + request.target);
    } else {
        const Answer answer = simulator.Handle(request, faulty);
        response.status = answer.status;
        Deliver(answer.body, transport, request, response);
    }
    if (options.verbose) {
        Print("  %s %s -> %d\n", request.method.c_str(), request.target.c_str(), response.status);
    }
}

#ifdef _WIN32
std::atomic<bool> finished{false};

// Ctrl+C, Ctrl+Break and the console closing stop the stand-in; Windows
// ends the process when this returns, so it waits for main to finish.
BOOL WINAPI OnConsoleEvent(DWORD) {
    RequestStop();
    for (int i = 0; i < 40 && !finished; ++i) {
        Sleep(100);
    }
    return TRUE;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = ParseOptions(argc, argv, options); status != 0) {
        return status < 0 ? 0 : status;
    }
#ifdef _WIN32
    // The same lines as on Linux, for the tests that read them.
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    // The signals go to one thread that waits for them: SIGHUP starts a new
    // session, SIGINT and SIGTERM stop the stand-in.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
#endif

    Simulator simulator(options);
    std::atomic<long> served{0};
    httplib::Server http;
    // A second stand-in on the same port fails instead of sharing it.
    http.set_socket_options([](socket_t sock) {
        int yes = 1;
#ifdef _WIN32
        setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
#else
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    });
    const auto handler = [&](const httplib::Request& request, httplib::Response& response) {
        Serve(simulator, options, served, request, response);
    };
    http.Get(".*", handler);
    http.Patch(".*", handler);
    http.Post(".*", handler);
    http.Put(".*", handler);
    http.Delete(".*", handler);
    http.Options(".*", handler);

    const int port = options.port == 0 ? http.bind_to_any_port(options.host)
                     : http.bind_to_port(options.host, options.port) ? options.port
                                                                     : -1;
    if (port <= 0) {
        std::fprintf(stderr, "tarnwell-xplane: cannot listen on %s:%d\n", options.host.c_str(),
                     options.port);
        return 1;
    }
    server = &http;
    Print("listening on %s:%d\n", options.host.c_str(), port);
    Print("tarnwell-xplane: X-Plane web API up to v%d at http://%s:%d/api/v%d\n%s  faults: %s\n",
          options.api, options.host.c_str(), port, options.api, simulator.Describe().c_str(),
          options.faults.empty() ? "none" : options.faults.c_str());
    if (options.normalAnswers > 0) {
        Print("  the first %ld requests answered without the faults\n", options.normalAnswers);
    }
    Print("Press Ctrl+C to stop.\n");

#ifndef _WIN32
    std::thread signalWaiter([&] {
        for (;;) {
            int received = 0;
            if (sigwait(&signals, &received) != 0) {
                continue;
            }
            if (received != SIGHUP) {
                RequestStop();
                return;
            }
            simulator.NewSession();
        }
    });
#endif
    if (!stopRequested) {
        http.listen_after_bind();
    }
    RequestStop();
    Print("tarnwell-xplane: stopped\n");
#ifdef _WIN32
    finished = true;
#else
    // The waiter ends on the signal it waits for, sent to it alone.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
#endif
    return 0;
}
