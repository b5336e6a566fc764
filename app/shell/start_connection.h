// The connection the shell opens at start when no --db is given:
// - nothing saved yet: the connection dialog (`interactive`), whose choice is
//   saved (password to the keyring); without `interactive` (pictures, tours)
//   the demo database in the user's data folder, made if missing;
// - a saved ODBC connection with a user: its password from the keyring;
//   when the keyring has none or does not answer, the user is asked and the
//   password kept in memory only (and in the keyring, when one answers);
// - a saved text that still holds a PWD (an older settings file): the
//   password leaves the file, for the keyring when one answers.
// Answers the text to open (with its password), or nothing when the user
// closed the first-start dialog.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QSettings;

namespace shell {

class PasswordStore;

[[nodiscard]] std::optional<std::string> StartConnection(QSettings& settings, PasswordStore& store,
                                                         const std::function<QString(const std::string&)>& tr,
                                                         bool interactive);

}  // namespace shell
