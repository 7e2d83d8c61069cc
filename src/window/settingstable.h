#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/settingskeys.h"

class QComboBox;

namespace tarnwell::window {

class SettingsStore;

// The inputs kept between runs, each settings key with its place in the
// window: how start-up puts the stored value into the window and how
// closing takes it out. Start-up reads every key from the store before it
// puts any into the window, then restores them in the keys' order (the
// unit first, as the weights are shown in it); closing writes every key.
class SettingsTable {
public:
    // A key's place in the window. Start-up hands it the value read, of the
    // key's kind (a number for every kind but the wind text), and closing
    // asks it for the value to keep.
    struct Place {
        std::function<void(std::int32_t)> restoreNumber;
        std::function<std::int32_t()> saveNumber;
        std::function<void(const std::string&)> restoreText;
        std::function<std::string()> saveText;
        // A list position's list, whose size bounds the position read.
        const QComboBox* list = nullptr;
    };

    // The position of a list.
    static Place List(QComboBox* list);
    static Place Number(std::function<void(std::int32_t)> restore,
                        std::function<std::int32_t()> save);
    static Place Text(std::function<void(const std::string&)> restore,
                      std::function<std::string()> save);

    // A place for every key of SettingsKeys, by its name; a key without
    // one, or a name that is no key, throws std::invalid_argument.
    explicit SettingsTable(std::vector<std::pair<std::string_view, Place>> places);

    // Reads every key from the store's section "Settings", in the table's
    // order, then puts each into its place; a text not of its key's kind
    // gives the key's default.
    void Restore(const SettingsStore& store) const;
    // Saves every key's value into the store's section, in the table's
    // order; flushing the store is the caller's.
    void Save(SettingsStore& store) const;

private:
    // By SettingsKeys' order.
    std::vector<Place> places_;
};

}  // namespace tarnwell::window
