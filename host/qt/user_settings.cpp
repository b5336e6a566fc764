#include "host/qt/user_settings.h"

namespace host::qt {
namespace {
QString& File() {
  static QString file;
  return file;
}
}  // namespace

std::unique_ptr<QSettings> UserSettings() {
  auto settings = File().isEmpty()
                      ? std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "quarvelindo", "quarvelindo")
                      : std::make_unique<QSettings>(File(), QSettings::IniFormat);
  // QSettings ignores what it cannot read; a file it cannot parse is
  // treated as empty rather than half-read.
  if (settings->status() == QSettings::FormatError) settings->clear();
  return settings;
}

void SetUserSettingsFile(const QString& path) { File() = path; }

}  // namespace host::qt
