#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/trip_tables.h"

// The inputs start-up restores from the settings store, each one taken from
// its stored text or, when that text cannot be taken, the key's default.
// The window reads the store through this and only sets its controls, so
// that what a damaged store does to start-up can be checked without Qt.
namespace tarnwell::window {

// How many items each of the window's lists holds.
struct ListSizes {
    int units = 2;
    int cruisingAlt = data::LevelCount;
    int tripDistance = data::DistanceCount;
    int alternateDistance = 5;
    int windType = 2;
};

struct StoredInputs {
    // List positions, within their lists.
    int units = 0;
    int cruisingAlt = 0;
    int tripDistance = 0;
    int alternateDistance = 0;
    int windType = 0;
    // The wind field's text exactly as stored.
    std::string headwind;
    // Whole pounds.
    std::int32_t payload = 0;
    std::int32_t holdingFuel = 0;
    std::int32_t minimumFuel = 0;
    std::int32_t taxiFuel = 0;
    // 0..3.
    int model = 0;

    bool operator==(const StoredInputs&) const = default;
};

// The stored text of a key ("Units", "CruisingAlt", ...), "0" when the key
// is absent.
using StoredText = std::function<std::string(std::string_view key)>;

// Reads the eleven keys in the order start-up restores them: "Units",
// "CruisingAlt", "TripDistance", "AlternateDistance", "Headwind", "Payload",
// "HoldingFuel", "MinimumFuel", "TaxiFuel", "Model", "WindType". A list
// position outside its list (-1, nothing selected, included), a model
// outside 0..3 and any text that is not a whole number of the key's width
// fall back to 0.
StoredInputs ReadStoredInputs(const StoredText& stored, const ListSizes& sizes = {});

}  // namespace tarnwell::window
