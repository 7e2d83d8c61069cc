#include "window/settingstable.h"

#include <QComboBox>
#include <QString>
#include <algorithm>
#include <stdexcept>

#include "window/settingsstore.h"

namespace tarnwell::window {

namespace {

const QString SettingsSection = QStringLiteral("Settings");

// A settings key's name or text, which are plain ASCII.
QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Whether the place takes and gives what the key holds.
bool Fits(const SettingsKey& key, const SettingsTable::Place& place) {
    if (key.kind == StoredKind::WindText) {
        return place.restoreText && place.saveText;
    }
    return place.restoreNumber && place.saveNumber &&
           (key.listSize == nullptr || place.list != nullptr);
}

}  // namespace

SettingsTable::Place SettingsTable::List(QComboBox* list) {
    Place place;
    place.restoreNumber = [list](std::int32_t index) { list->setCurrentIndex(index); };
    place.saveNumber = [list] { return static_cast<std::int32_t>(list->currentIndex()); };
    place.list = list;
    return place;
}

SettingsTable::Place SettingsTable::Number(std::function<void(std::int32_t)> restore,
                                           std::function<std::int32_t()> save) {
    Place place;
    place.restoreNumber = std::move(restore);
    place.saveNumber = std::move(save);
    return place;
}

SettingsTable::Place SettingsTable::Text(std::function<void(const std::string&)> restore,
                                         std::function<std::string()> save) {
    Place place;
    place.restoreText = std::move(restore);
    place.saveText = std::move(save);
    return place;
}

SettingsTable::SettingsTable(std::vector<std::pair<std::string_view, Place>> places) {
    if (places.size() != SettingsKeys.size()) {
        throw std::invalid_argument("not one place for each settings key");
    }
    for (const SettingsKey& key : SettingsKeys) {
        const auto found = std::find_if(places.begin(), places.end(), [&key](const auto& place) {
            return place.first == key.name;
        });
        if (found == places.end() || !Fits(key, found->second)) {
            throw std::invalid_argument("no place of its kind for the settings key " +
                                        std::string(key.name));
        }
        places_.push_back(std::move(found->second));
    }
}

void SettingsTable::Restore(const SettingsStore& store) const {
    ListSizes sizes;
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        if (const auto size = SettingsKeys[i].listSize) {
            sizes.*size = places_[i].list->count();
        }
    }
    const StoredInputs inputs = ReadStoredInputs(
        [&store](const SettingsKey& key) {
            return store.GetSetting(SettingsSection, Latin1(key.name), Latin1(key.absentText))
                .toStdString();
        },
        sizes);
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        const SettingsKey& key = SettingsKeys[i];
        if (key.kind == StoredKind::WindText) {
            places_[i].restoreText(inputs.*key.text);
        } else {
            places_[i].restoreNumber(inputs.*key.number);
        }
    }
}

void SettingsTable::Save(SettingsStore& store) const {
    StoredInputs inputs;
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        const SettingsKey& key = SettingsKeys[i];
        if (key.kind == StoredKind::WindText) {
            inputs.*key.text = places_[i].saveText();
        } else {
            inputs.*key.number = places_[i].saveNumber();
        }
    }
    const auto texts = StoredTexts(inputs);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        store.SaveSetting(SettingsSection, Latin1(SettingsKeys[i].name),
                          QString::fromStdString(texts[i]));
    }
}

}  // namespace tarnwell::window
