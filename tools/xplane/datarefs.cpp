#include "xplane/datarefs.h"

#include <httplib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <regex>

#include "xplane/base64.h"
#include "xplane/print.h"
#include "xplane/stopping.h"

namespace tarnwell::tools::xplane {
namespace {

using Json = nlohmann::json;

constexpr double NegativeReading = -1250.5;
constexpr double HugeReading = 3.0e38;                   // near a float's largest
constexpr std::uint64_t FirstIdBase = 0x12340000000ull;  // above 2^32, as X-Plane's ids are
constexpr std::uint64_t SessionIdStep = 0x100000ull;
constexpr std::uint64_t IdSpacing = 48;

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

Answer Error(int status, const char* code, const std::string& message) {
    return {status, Json{{"error_code", code}, {"error_message", message}}.dump()};
}

// Float datarefs keep a float's precision, as X-Plane's do.
double Stored(const Dataref& dataref, double value) {
    const bool single = dataref.type == ValueType::Float || dataref.type == ValueType::FloatArray;
    return single ? static_cast<double>(static_cast<float>(value)) : value;
}

bool Count(const std::string& text, std::size_t& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = static_cast<std::size_t>(std::stoul(text));
    return true;
}

// The index parameter: none (-1), an element, or bad (false).
bool IndexOf(const httplib::Request& request, const Dataref& dataref, long& index, Answer& error) {
    index = -1;
    if (!request.has_param("index")) {
        return true;
    }
    if (!IsArray(dataref.type)) {
        error = Error(400, "not_an_array", dataref.name + " is not an array");
        return false;
    }
    std::size_t element = 0;
    if (!Count(request.get_param_value("index"), element) || element >= dataref.numbers.size()) {
        error = Error(
            400, "index_out_of_range",
            "Index " + request.get_param_value("index") + " is not an element of " + dataref.name);
        return false;
    }
    index = static_cast<long>(element);
    return true;
}

bool Fits(const Dataref& dataref, const Json& value) {
    if (!value.is_number()) {
        return false;
    }
    const double number = value.get<double>();
    const bool whole = dataref.type == ValueType::Int || dataref.type == ValueType::IntArray;
    return std::isfinite(number) && (!whole || number == std::floor(number));
}

// The values a write sets (one, or every element of an array), checked
// against the dataref's type.
bool Values(const Dataref& dataref, const Json& data, long index, std::vector<double>& values) {
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

std::string Figure(const Dataref& dataref, double value) {
    char text[64];
    if (dataref.type == ValueType::Int || dataref.type == ValueType::IntArray) {
        std::snprintf(text, sizeof text, "%lld%s", std::llround(value), dataref.unit);
    } else {
        std::snprintf(text, sizeof text, "%.2f%s", value, dataref.unit);
    }
    return text;
}

// One label for each value written, as the tank or figure it sets.
std::vector<std::string> Labels(const Dataref& dataref, std::size_t first, std::size_t count) {
    const std::string name = ShortName(dataref.name);
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < count; ++i) {
        labels.push_back(IsArray(dataref.type) ? name + "[" + std::to_string(first + i) + "]"
                                               : name);
    }
    return labels;
}

void PrintRefused(const Dataref& dataref, const std::string& bytes,
                  const std::vector<double>& values, const std::vector<std::string>& labels) {
    if (dataref.type == ValueType::Data) {
        Print("%s write of \"%s\" refused: read-only\n", ShortName(dataref.name).c_str(),
              bytes.c_str());
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        Print("%s write of %s refused: read-only\n", labels[i].c_str(),
              Figure(dataref, values[i]).c_str());
    }
}

}  // namespace

Simulator::Simulator(const Options& options) : options_(options) {
    Load();
}

void Simulator::NewSession() {
    const std::lock_guard<std::mutex> lock(mutex_);
    StartNewSession();
}

Answer Simulator::Handle(const httplib::Request& request, bool faulty) {
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

std::string Simulator::Describe() const {
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
                  options_.aircraft.c_str(), options_.payload, tanks.c_str(), capacities.c_str(),
                  std::llround(datarefs_[TankCount].numbers[0]));
    return text;
}

void Simulator::Load() {
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
    const double tanks = static_cast<double>(
        options_.tanks >= 0 ? static_cast<std::size_t>(options_.tanks) : options_.capacity.size());
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

void Simulator::StartNewSession() {
    ++session_;
    Load();
    Print("new session %d: dataref ids changed, the aircraft loaded as at the start\n", session_);
}

void Simulator::Recompute() {
    double fuel = 0.0;
    for (double tank : datarefs_[Fuel].numbers) {
        fuel += tank;
    }
    datarefs_[FuelTotal].numbers[0] = Stored(datarefs_[FuelTotal], fuel);
    datarefs_[TotalWeight].numbers[0] = Stored(
        datarefs_[TotalWeight], datarefs_[Empty].numbers[0] + datarefs_[Payload].numbers[0] + fuel);
}

std::uint64_t Simulator::IdOf(std::size_t slot) const {
    return FirstIdBase + SessionIdStep * static_cast<std::uint64_t>(session_) + IdSpacing * slot;
}

// Whether the dataref exists for the request: with no flight loaded
// none does.
bool Simulator::Shown(std::size_t slot) const {
    return !faulty_ || (!options_.noFlight && !(options_.missingFuel && slot == Fuel));
}

std::vector<std::size_t> Simulator::Visible() const {
    std::vector<std::size_t> slots;
    for (std::size_t slot = 0; slot < datarefs_.size(); ++slot) {
        if (Shown(slot)) {
            slots.push_back(slot);
        }
    }
    return slots;
}

Simulator::Json Simulator::Entry(std::size_t slot, const std::string& fields) const {
    const Dataref& dataref = datarefs_[slot];
    Json entry{{"id", IdOf(slot)}, {"name", dataref.name}, {"value_type", TypeName(dataref.type)}};
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

Answer Simulator::List(const httplib::Request& request) const {
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
const Dataref* Simulator::Find(const std::string& idText, std::size_t& slot) const {
    const std::uint64_t id = std::strtoull(idText.c_str(), nullptr, 10);
    for (slot = 0; slot < datarefs_.size(); ++slot) {
        if (IdOf(slot) == id && Shown(slot)) {
            return &datarefs_[slot];
        }
    }
    return nullptr;
}

// A number as it is read, after the reading fault if there is one.
Simulator::Json Simulator::NumberRead(const Dataref& dataref, double value) const {
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

Answer Simulator::Read(const std::string& idText, const httplib::Request& request) const {
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

Answer Simulator::Write(const std::string& idText, const httplib::Request& request) {
    std::size_t slot = 0;
    if (Find(idText, slot) == nullptr) {
        return Error(404, "invalid_dataref_id", "No dataref with id " + idText);
    }
    const Dataref& dataref = datarefs_[slot];
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
    std::string bytes;
    std::vector<double> values;
    if (dataref.type == ValueType::Data
            ? !data.is_string() || !Base64Decode(data.get<std::string>(), bytes) ||
                  bytes.size() > dataref.bytes.size()
            : !Values(dataref, data, index, values)) {
        return Error(400, "incompatible_data",
                     std::string("Not a value for ") + TypeName(dataref.type) + " " + dataref.name);
    }
    const std::size_t first = index >= 0 ? static_cast<std::size_t>(index) : 0;
    const std::vector<std::string> labels = Labels(dataref, first, values.size());
    if (!Writable(slot)) {
        PrintRefused(dataref, bytes, values, labels);
        return Error(403, "dataref_is_readonly", dataref.name + " is read-only");
    }
    Take(slot, first, std::move(bytes), values, labels);
    return {200, ""};
}

// Sets what a write asked, one printed line each, then counts the write
// for the quit and restart faults.
void Simulator::Take(std::size_t slot, std::size_t first, std::string bytes,
                     const std::vector<double>& values, const std::vector<std::string>& labels) {
    Dataref& dataref = datarefs_[slot];
    if (dataref.type == ValueType::Data) {
        bytes.resize(dataref.bytes.size(), '\0');
        dataref.bytes = bytes;
        Print("%s set to \"%s\"\n", ShortName(dataref.name).c_str(), bytes.c_str());
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
}

bool Simulator::Writable(std::size_t slot) const {
    return datarefs_[slot].writable &&
           !(faulty_ && options_.readOnly && (slot == Fuel || slot == Payload));
}

void Simulator::Set(Dataref& dataref, std::size_t slot, std::size_t element, double asked,
                    const std::string& label) {
    double& held = dataref.numbers[element];
    if (faulty_ && options_.keepValue && (slot == Fuel || slot == Payload)) {
        Print("%s kept at %s (write of %s ignored)\n", label.c_str(), Figure(dataref, held).c_str(),
              Figure(dataref, asked).c_str());
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

}  // namespace tarnwell::tools::xplane
