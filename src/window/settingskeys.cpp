#include "settingskeys.h"

#include "plan/units.h"
#include "window/storedvalues.h"

namespace tarnwell::window {

StoredInputs ReadStoredInputs(const StoredText& stored, const ListSizes& sizes) {
    StoredInputs inputs;
    for (const SettingsKey& key : SettingsKeys) {
        const std::string text = stored(key);
        switch (key.kind) {
            case StoredKind::ListPosition:
                inputs.*key.number = StoredListIndex(text, sizes.*key.listSize).value_or(0);
                break;
            case StoredKind::WholePounds:
                inputs.*key.number = StoredInt32(text).value_or(0);
                break;
            case StoredKind::WindText:
                inputs.*key.text = text;
                break;
            case StoredKind::Model:
                inputs.*key.number = StoredModel(text).value_or(0);
                break;
        }
    }
    return inputs;
}

std::array<std::string, SettingsKeys.size()> StoredTexts(const StoredInputs& inputs) {
    std::array<std::string, SettingsKeys.size()> texts;
    for (std::size_t i = 0; i < SettingsKeys.size(); ++i) {
        const SettingsKey& key = SettingsKeys[i];
        texts[i] = key.kind == StoredKind::WindText ? inputs.*key.text
                                                    : plan::DecimalText(inputs.*key.number);
    }
    return texts;
}

}  // namespace tarnwell::window
