#include "app/shell/start_connection.h"

#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>

#include "app/shell/connection_dialog.h"
#include "app/shell/connection_settings.h"
#include "app/shell/password_store.h"
#include "demo/erp_database.h"

namespace shell {

std::optional<std::string> StartConnection(QSettings& settings, PasswordStore& store,
                                           const std::function<QString(const std::string&)>& tr, bool interactive) {
  const std::string saved = settings.value("connection").toString().toStdString();
  if (saved.empty()) {
    if (!interactive) {
      const QString demo = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/demo.db";
      QDir().mkpath(QFileInfo(demo).path());
      if (!QFileInfo::exists(demo)) demo::GenerateDemoDatabase(demo.toStdString(), {20000, 1});
      return demo.toStdString();
    }
    ConnectionDialog dialog("", tr);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const std::string text = ConnectionText(dialog.Choice());
    SaveConnection(settings, store, text, dialog.Password());
    return WithPassword(text, dialog.Password());
  }
  const SplitPassword split = TakePassword(saved);
  if (split.password) {
    // Without a keyring the password is asked at the next start instead.
    SaveConnection(settings, store, split.connection, *split.password);
    return saved;
  }
  const std::string key = PasswordKey(split.connection);
  if (key.empty()) return saved;
  bool available = false;
  if (auto password = store.Read(key, &available)) return WithPassword(saved, *password);
  if (!interactive) return saved;
  bool ok = false;
  const QString password = QInputDialog::getText(nullptr, tr("Connessione al database"),
                                                 tr("Password del database per") + " " + QString::fromStdString(key),
                                                 QLineEdit::Password, QString(), &ok);
  if (!ok || password.isEmpty()) return saved;  // the module says what the server answers
  if (available) store.Write(key, password.toStdString());
  return WithPassword(saved, password.toStdString());
}

}  // namespace shell
