// The settings store as a file, everywhere but Windows (settingsstore_win.cpp).
#include "window/settingsstore.h"

#include <QSettings>
#include <QStringList>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace tarnwell::window {

namespace {

// How long saving waits for another process (another Tarnwell closing at
// the same moment) to finish its own save, before the inputs are reported
// as not saved. The settings object itself would wait for ever.
constexpr int LockWaitMs = 2000;

std::unique_ptr<QSettings> OpenStore(const QString& application) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application,
                                       application);
}

// With neither variable set the configuration folder would be one at the
// top of the file system, which is no user's.
bool HasConfigFolder() {
    return !qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") || !qEnvironmentVariableIsEmpty("HOME");
}

QString StoreFilePath(const QString& application) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + application + QLatin1Char('/') + application +
           QStringLiteral(".conf");
}

// The file the settings object creates beside the store while it saves.
QString LockFilePath(const QString& application) {
    return StoreFilePath(application) + QStringLiteral(".lock");
}

// What a path of the store holds, links followed.
enum class StoreFile { Usable, ReadOnly, NotAFile };

StoreFile ProbeStoreFile(const QString& path) {
    const QFileInfo file(path);
    // Absent, or a link to nothing yet: the first save creates it.
    if (!file.exists()) {
        return StoreFile::Usable;
    }
    // A folder, a named pipe, a device or a socket. Reading a pipe would
    // wait for a writer before the window ever appears, and saving would
    // put an ordinary file in place of whatever is there. The same holds
    // for the lock file: the settings object would wait on a pipe, retry a
    // folder for ever or read a device without end.
    if (!file.isFile()) {
        return StoreFile::NotAFile;
    }
    // A file nobody may write was made read-only on purpose; saving goes
    // by a new file put in its place, which would get round that (always
    // for root).
    // (The bits themselves, not what this user may do: root may do all.)
    constexpr QFile::Permissions AnyWrite =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if ((file.permissions() & AnyWrite) == QFile::Permissions()) {
        return StoreFile::ReadOnly;
    }
    return StoreFile::Usable;
}

// True when the lock beside the store can be taken within LockWaitMs: a
// lock left by a process that has ended is cleared, one held by a live
// process is waited for that long.
bool LockFree(const QString& application) {
    const QString path = LockFilePath(application);
    // No folder yet, so no lock either: the first save makes the folder.
    if (!QFileInfo(path).dir().exists()) {
        return true;
    }
    QLockFile lock(path);
    if (!lock.tryLock(LockWaitMs)) {
        return false;
    }
    lock.unlock();
    return true;
}

}  // namespace

SettingsStore::SettingsStore(const QString& application) : application_(application) {
    if (!HasConfigFolder()) {
        // Nothing to read, and nowhere to save: closing says so.
        writable_ = false;
        return;
    }
    // Only a regular file (or none) is read or written; anything else is
    // left as it is, and the window says the inputs were not read or saved.
    const StoreFile file = ProbeStoreFile(StoreFilePath(application));
    if (file == StoreFile::NotAFile) {
        readable_ = false;
        writable_ = false;
        return;
    }
    writable_ = file == StoreFile::Usable &&
                ProbeStoreFile(LockFilePath(application)) != StoreFile::NotAFile;
    settings_ = OpenStore(application);
    readable_ = settings_->status() != QSettings::AccessError;
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    if (!settings_) {
        return defaultValue;
    }
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
    // A store that must not be written never holds the value: the settings
    // object would write it on its own when it goes.
    if (writable_ && settings_) {
        settings_->setValue(path, value);
    }
    saved_.emplace_back(path, value);
}

bool SettingsStore::Flush() {
    if (!writable_ || !settings_ || !LockFree(application_)) {
        return false;
    }
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

}  // namespace tarnwell::window
