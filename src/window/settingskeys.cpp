#include "settingskeys.h"

#include "window/storedvalues.h"

namespace tarnwell::window {

StoredInputs ReadStoredInputs(const StoredText& stored, const ListSizes& sizes) {
    const auto index = [&stored](std::string_view key, int count) {
        return StoredListIndex(stored(key), count).value_or(0);
    };
    const auto pounds = [&stored](std::string_view key) {
        return StoredInt32(stored(key)).value_or(0);
    };

    StoredInputs inputs;
    inputs.units = index("Units", sizes.units);
    inputs.cruisingAlt = index("CruisingAlt", sizes.cruisingAlt);
    inputs.tripDistance = index("TripDistance", sizes.tripDistance);
    inputs.alternateDistance = index("AlternateDistance", sizes.alternateDistance);
    inputs.headwind = stored("Headwind");
    inputs.payload = pounds("Payload");
    inputs.holdingFuel = pounds("HoldingFuel");
    inputs.minimumFuel = pounds("MinimumFuel");
    inputs.taxiFuel = pounds("TaxiFuel");
    inputs.model = StoredModel(stored("Model")).value_or(0);
    inputs.windType = index("WindType", sizes.windType);
    return inputs;
}

}  // namespace tarnwell::window
