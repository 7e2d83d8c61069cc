// The settings store on Windows: the registry key earlier versions kept the
// inputs in (HKEY_CURRENT_USER, under "Software\VB and VBA Program Settings",
// then the application and the section), read and written with the
// registry calls themselves. Every value is REG_SZ text, as those versions wrote it; a
// value of any other type reads as absent, so the input falls back as it
// does for text that is no number.
#include <windows.h>

#include <QSettings>
#include <QString>

#include "window/settingsstore.h"

namespace tarnwell::window {

namespace {

std::wstring KeyPath(const QString& application, const QString& section) {
    return (QStringLiteral("Software\\VB and VBA Program Settings\\") + application +
            QLatin1Char('\\') + section)
        .toStdWString();
}

// True unless the application's key exists and cannot be opened for
// reading (its permissions deny the user).
bool KeyReadable(const QString& application) {
    const std::wstring path =
        (QStringLiteral("Software\\VB and VBA Program Settings\\") + application).toStdWString();
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return true;
    }
    return status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

SettingsStore::SettingsStore(const QString& application)
    : application_(application), readable_(KeyReadable(application)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const std::wstring path = KeyPath(application_, section);
    const std::wstring name = key.toStdWString();
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                       &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return defaultValue;
    }
    // Room for a terminating null the stored text may lack.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                       text.data(), &read) != ERROR_SUCCESS) {
        return defaultValue;
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return QString::fromStdWString(text);
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
    saved_.emplace_back(section + QLatin1Char('/') + key, value);
}

bool SettingsStore::Flush() {
    bool written = true;
    for (const auto& [path, value] : saved_) {
        const qsizetype slash = path.indexOf(QLatin1Char('/'));
        const std::wstring keyPath = KeyPath(application_, path.left(slash));
        const std::wstring name = path.mid(slash + 1).toStdWString();
        const std::wstring text = value.toStdWString();
        written = ::RegSetKeyValueW(
                      HKEY_CURRENT_USER, keyPath.c_str(), name.c_str(), REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
                  written;
    }
    saved_.clear();
    return written;
}

}  // namespace tarnwell::window
