#include "window/settingskeys.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace tarnwell::window;

namespace {

using Store = std::map<std::string, std::string, std::less<>>;

StoredInputs Read(const Store& store, const ListSizes& sizes = {}) {
    return ReadStoredInputs(
        [&store](const SettingsKey& key) {
            const auto found = store.find(key.name);
            return std::string(found == store.end() ? key.absentText : found->second);
        },
        sizes);
}

}  // namespace

// The names and the order are those of the stores earlier versions wrote.
TEST(SettingsKeys, AreReadOnceEachInTheOrderStartUpRestoresThem) {
    std::vector<std::string> read;
    const StoredInputs inputs = ReadStoredInputs([&read](const SettingsKey& key) {
        read.emplace_back(key.name);
        return std::string(key.absentText);
    });
    EXPECT_EQ(read, (std::vector<std::string>{
                        "Units", "CruisingAlt", "TripDistance", "AlternateDistance", "Headwind",
                        "Payload", "HoldingFuel", "MinimumFuel", "TaxiFuel", "Model", "WindType"}));
    StoredInputs absent;
    absent.headwind = "0";
    EXPECT_EQ(inputs, absent);
}

TEST(SettingsKeys, EachKindTakesItsOwnTextsAndFallsBackToZero) {
    const ListSizes sizes{2, 5, 49, 5, 2};
    const struct {
        const char* key;
        const char* text;
        std::int32_t StoredInputs::*input;
        std::int32_t value;
    } cases[] = {
        {"Units", "1", &StoredInputs::units, 1},
        {"Units", "2", &StoredInputs::units, 0},               // beyond the window's list
        {"CruisingAlt", "-1", &StoredInputs::cruisingAlt, 0},  // nothing selected
        {"TripDistance", " +48\t", &StoredInputs::tripDistance, 48},
        {"AlternateDistance", "65540", &StoredInputs::alternateDistance, 0},
        {"WindType", "1.0", &StoredInputs::windType, 0},
        {"Payload", "-22046", &StoredInputs::payload, -22046},
        {"HoldingFuel", "2147483647", &StoredInputs::holdingFuel, INT32_MAX},
        {"MinimumFuel", "2147483648", &StoredInputs::minimumFuel, 0},
        {"TaxiFuel", "12x", &StoredInputs::taxiFuel, 0},
        {"Model", "3", &StoredInputs::model, 3},
        {"Model", "4", &StoredInputs::model, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read({{c.key, c.text}}, sizes).*c.input, c.value) << c.key << " " << c.text;
    }
    EXPECT_EQ(Read({{"Headwind", " 1.5e1 kt"}}).headwind, " 1.5e1 kt");  // kept as it stands
    EXPECT_EQ(Read({{"Units", "1"}}, ListSizes{1, 5, 49, 5, 2}).units, 0);
}

TEST(SettingsKeys, WhatClosingSavesReadsBackAlike) {
    StoredInputs inputs;
    inputs.units = 1;
    inputs.cruisingAlt = -1;  // a list without a selection is saved as it is
    inputs.headwind = "020";
    inputs.payload = 22046;
    inputs.taxiFuel = -500;
    inputs.model = 2;

    const auto texts = StoredTexts(inputs);
    EXPECT_EQ(texts, (std::array<std::string, SettingsKeys.size()>{
                         "1", "-1", "0", "0", "020", "22046", "0", "0", "-500", "2", "0"}));
    Store store;
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        store.emplace(SettingsKeys[i].name, texts[i]);
    }
    inputs.cruisingAlt = 0;  // which start-up takes as the first position
    EXPECT_EQ(Read(store), inputs);
}
