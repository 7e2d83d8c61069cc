#include "window/settingsstore.h"

#include <QSettings>
#include <QStringList>

SettingsStore::SettingsStore(const QString& application) {
#ifdef Q_OS_WIN
    settings_ = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + application,
        QSettings::NativeFormat);
#else
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            application, application);
#endif
}

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
    settings_->setValue(section + QLatin1Char('/') + key, value);
}

bool SettingsStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}
