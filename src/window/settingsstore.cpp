#include "window/settingsstore.h"

#include <QSettings>
#include <QStringList>

namespace {

std::unique_ptr<QSettings> OpenStore(const QString& application) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application,
                                       application);
}

}  // namespace

SettingsStore::SettingsStore(const QString& application)
    : application_(application),
      settings_(OpenStore(application)),
      readable_(settings_->status() != QSettings::AccessError) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const QVariant value = settings_->value(section + QLatin1Char('/') + key, defaultValue);
    // A hand-edited file may hold an unquoted text with commas, which the
    // file format reads as a list; it is still one text to the program.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
    const QString path = section + QLatin1Char('/') + key;
    settings_->setValue(path, value);
    saved_.emplace_back(path, value);
}

bool SettingsStore::Flush() {
    settings_->sync();
    switch (settings_->status()) {
        case QSettings::NoError:
            return true;
        case QSettings::AccessError:
            return false;
        case QSettings::FormatError:
            break;
    }
    // The old file held text the format cannot parse. That is reported
    // even when the new inputs replaced it, and it hides a write that
    // failed. Writing again tells the two apart: over the well-formed file
    // the first write left, the second goes through without a complaint.
    const std::unique_ptr<QSettings> again = OpenStore(application_);
    for (const auto& [path, value] : saved_) {
        again->setValue(path, value);
    }
    again->sync();
    return again->status() == QSettings::NoError;
}
