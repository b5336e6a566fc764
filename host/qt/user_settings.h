// The user's settings of the module (remembered conditions, grid layouts,
// splitter positions): an INI file in the user's configuration folder, or
// the file that tests set. A broken file reads as empty.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace host::qt {

std::unique_ptr<QSettings> UserSettings();
// Redirects the settings (tests); an empty path goes back to the user's.
void SetUserSettingsFile(const QString& path);

}  // namespace host::qt
