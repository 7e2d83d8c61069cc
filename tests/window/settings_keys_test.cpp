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
    ReadStoredInputs([&read](const SettingsKey& key) {
        read.emplace_back(key.name);
        return std::string(key.absentText);
    });
    EXPECT_EQ(read, (std::vector<std::string>{
                        "Units", "CruisingAlt", "TripDistance", "AlternateDistance", "Headwind",
                        "Payload", "HoldingFuel", "MinimumFuel", "TaxiFuel", "Model", "WindType"}));
}

TEST(SettingsKeys, EachKindTakesItsOwnTextsAndFallsBackToZero) {
    StoredInputs usual;
    usual.units = 1;
    usual.cruisingAlt = 3;
    usual.tripDistance = 48;
    usual.alternateDistance = 4;
    usual.headwind = " 1.5e1 kt";  // the wind text passes as it is
    usual.payload = -22046;        // pounds of any sign
    usual.holdingFuel = 2147483647;
    usual.minimumFuel = 3000;
    usual.taxiFuel = 500;
    usual.model = 3;
    usual.windType = 1;

    StoredInputs absent;
    absent.headwind = "0";

    const struct {
        const char* what;
        Store store;
        ListSizes sizes;
        StoredInputs expected;
    } cases[] = {
        {"an empty store", {}, {}, absent},
        {"every key at its far end",
         {{"Units", "1"},
          {"CruisingAlt", "+3"},
          {"TripDistance", " 48\t"},
          {"AlternateDistance", "4"},
          {"Headwind", " 1.5e1 kt"},
          {"Payload", "-22046"},
          {"HoldingFuel", "2147483647"},
          {"MinimumFuel", "3000"},
          {"TaxiFuel", "500"},
          {"Model", "3"},
          {"WindType", "1"}},
         {},
         usual},
        {"beyond the lists, the models and 32 bits",
         {{"Units", "2"},
          {"CruisingAlt", "-1"},
          {"TripDistance", "49"},
          {"AlternateDistance", "65540"},
          {"Headwind", ""},
          {"Payload", "2147483648"},
          {"HoldingFuel", "12x"},
          {"MinimumFuel", "2.5"},
          {"TaxiFuel", ""},
          {"Model", "4"},
          {"WindType", "-1"}},
         {},
         {}},
        {"list positions within the window's own list sizes",
         {{"Units", "1"}, {"CruisingAlt", "3"}, {"TripDistance", "3"}, {"WindType", "1"}},
         {1, 4, 3, 5, 2},
         [] {
             StoredInputs inputs;
             inputs.cruisingAlt = 3;
             inputs.windType = 1;
             inputs.headwind = "0";
             return inputs;
         }()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.store, c.sizes), c.expected) << c.what;
    }
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
