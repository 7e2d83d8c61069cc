#pragma once

// The simulator behind the stand-in's web API: the few datarefs a fuel
// planner needs (the aircraft's ICAO code, the tank loads and capacities,
// the payload and the weights around them), their session ids, and the
// API's answers to reading, writing and listing them, error codes and all.
// Every write it takes is printed, one line each.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "xplane/options.h"

namespace httplib {
struct Request;
}

namespace tarnwell::tools::xplane {

enum class ValueType { Float, Int, FloatArray, IntArray, Data };

struct Dataref {
    std::string name;
    ValueType type;
    bool writable;
    const char* unit;             // " kg" for the weights, for the printed lines
    std::vector<double> numbers;  // one for a scalar, the elements of an array
    std::string bytes;            // a data dataref's bytes, NUL-padded to its length
};

struct Answer {
    int status = 200;
    std::string body;  // JSON, or empty
};

// The simulator: its datarefs, its session and the writes it has taken.
class Simulator {
public:
    explicit Simulator(const Options& options);

    // Ends the session and starts another, as a restarted X-Plane does: the
    // datarefs get new ids and the aircraft is loaded as at the start.
    void NewSession();

    // The API's answer to a request; `faulty` when the options' faults
    // apply to it.
    Answer Handle(const httplib::Request& request, bool faulty);

    // The aircraft, its payload and its tanks, for the opening lines.
    std::string Describe() const;

private:
    using Json = nlohmann::json;

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

    void Load();
    void StartNewSession();
    void Recompute();
    std::uint64_t IdOf(std::size_t slot) const;
    bool Shown(std::size_t slot) const;
    std::vector<std::size_t> Visible() const;
    Json Entry(std::size_t slot, const std::string& fields) const;
    Answer List(const httplib::Request& request) const;
    const Dataref* Find(const std::string& idText, std::size_t& slot) const;
    Json NumberRead(const Dataref& dataref, double value) const;
    Answer Read(const std::string& idText, const httplib::Request& request) const;
    Answer Write(const std::string& idText, const httplib::Request& request);
    void Take(std::size_t slot, std::size_t first, std::string bytes,
              const std::vector<double>& values, const std::vector<std::string>& labels);
    bool Writable(std::size_t slot) const;
    void Set(Dataref& dataref, std::size_t slot, std::size_t element, double asked,
             const std::string& label);

    const Options& options_;
    std::mutex mutex_;
    std::vector<Dataref> datarefs_;
    std::vector<double> capacities_;  // kg, each tank's share of the total
    int session_ = 1;
    long writes_ = 0;
    bool faulty_ = false;  // the faults apply to the request being answered
};

}  // namespace tarnwell::tools::xplane
