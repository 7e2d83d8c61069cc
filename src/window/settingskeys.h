#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/trip_tables.h"

// The inputs kept in the settings store between runs, under the section
// "Settings", as text: one table of the keys, which start-up reads and
// closing writes. The window reads the store through this and only sets
// its controls, so that what a damaged store does to start-up can be
// checked without Qt.
namespace tarnwell::window {

// The SimBrief user the dispatch plan is fetched for, in a section of its
// own beside "Settings", which keeps its eleven keys.
inline constexpr const char* DispatchSection = "Dispatch";
inline constexpr const char* SimBriefUserKey = "SimBriefUser";

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
    std::int32_t units = 0;
    std::int32_t cruisingAlt = 0;
    std::int32_t tripDistance = 0;
    std::int32_t alternateDistance = 0;
    std::int32_t windType = 0;
    // The wind field's text exactly as stored.
    std::string headwind;
    // Whole pounds.
    std::int32_t payload = 0;
    std::int32_t holdingFuel = 0;
    std::int32_t minimumFuel = 0;
    std::int32_t taxiFuel = 0;
    // 0..3.
    std::int32_t model = 0;

    bool operator==(const StoredInputs&) const = default;
};

// What the text of a key stands for. Each is written as plain decimal
// digits but the wind, and a text that is not a whole number of its kind
// falls back to 0.
enum class StoredKind {
    ListPosition,  // a position in one of the window's lists; -1 (none) and beyond fall back
    WholePounds,   // a weight in whole pounds, 32 bits
    WindText,      // the wind field's text, kept as it stands
    Model,         // the model, 0..3
};

// One key of the store: its name, the text it reads as when the store has
// none, what it holds, and where that goes in StoredInputs.
struct SettingsKey {
    std::string_view name;
    std::string_view absentText;
    StoredKind kind;
    int ListSizes::*listSize;            // a list position's list; else none
    std::int32_t StoredInputs::*number;  // every kind but the wind text
    std::string StoredInputs::*text;     // the wind text
};

// In the order start-up restores them: the unit first, as the weights are
// shown in it.
inline constexpr std::array<SettingsKey, 11> SettingsKeys{{
    {"Units", "0", StoredKind::ListPosition, &ListSizes::units, &StoredInputs::units, nullptr},
    {"CruisingAlt", "0", StoredKind::ListPosition, &ListSizes::cruisingAlt,
     &StoredInputs::cruisingAlt, nullptr},
    {"TripDistance", "0", StoredKind::ListPosition, &ListSizes::tripDistance,
     &StoredInputs::tripDistance, nullptr},
    {"AlternateDistance", "0", StoredKind::ListPosition, &ListSizes::alternateDistance,
     &StoredInputs::alternateDistance, nullptr},
    {"Headwind", "0", StoredKind::WindText, nullptr, nullptr, &StoredInputs::headwind},
    {"Payload", "0", StoredKind::WholePounds, nullptr, &StoredInputs::payload, nullptr},
    {"HoldingFuel", "0", StoredKind::WholePounds, nullptr, &StoredInputs::holdingFuel, nullptr},
    {"MinimumFuel", "0", StoredKind::WholePounds, nullptr, &StoredInputs::minimumFuel, nullptr},
    {"TaxiFuel", "0", StoredKind::WholePounds, nullptr, &StoredInputs::taxiFuel, nullptr},
    {"Model", "0", StoredKind::Model, nullptr, &StoredInputs::model, nullptr},
    {"WindType", "0", StoredKind::ListPosition, &ListSizes::windType, &StoredInputs::windType,
     nullptr},
}};

// The stored text of a key, or the key's absentText when the store has none.
using StoredText = std::function<std::string(const SettingsKey& key)>;

// Reads every key once, in the table's order, each into its input.
StoredInputs ReadStoredInputs(const StoredText& stored, const ListSizes& sizes = {});

// The texts closing saves, one for each key of the table, in its order.
std::array<std::string, SettingsKeys.size()> StoredTexts(const StoredInputs& inputs);

}  // namespace tarnwell::window
