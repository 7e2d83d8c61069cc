#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QSettings;

namespace tarnwell::window {

// The per-user store of the inputs kept between runs: text values under an
// application name, a section and a key. On Windows it is the registry key
// that earlier versions used, HKEY_CURRENT_USER\Software\VB and VBA Program
// Settings\<application>\<section>, so their settings carry over; elsewhere
// it is the file <config folder>/<application>/<application>.conf with one
// [section] per section.
class SettingsStore {
public:
    explicit SettingsStore(const QString& application);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored text, or defaultValue when the key is absent.
    QString GetSetting(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Stores the text, creating the key if needed.
    void SaveSetting(const QString& section, const QString& key, const QString& value);

    // Writes what was saved through to the store. False when it could not
    // be written (a read-only file or folder, for instance), or, away from
    // Windows, when the store's path holds something other than a regular
    // file (links followed) or a file without any write permission: that
    // is left untouched.
    bool Flush();

    // False when the store exists but could not be read (no permission, a
    // folder, a named pipe or a device in its place); every key then reads
    // as its default.
    bool Readable() const { return readable_; }

private:
    QString application_;
    std::unique_ptr<QSettings> settings_;
    std::vector<std::pair<QString, QString>> saved_;
    bool readable_ = true;
    bool writable_ = true;
};

}  // namespace tarnwell::window
