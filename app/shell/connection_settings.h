// The shell's connection as the user chooses it, and how it is kept: the
// settings file holds the connection string without its password, the
// password goes to the keyring (PasswordStore) under PasswordKey.
#pragma once

#include <optional>
#include <string>

class QSettings;

namespace shell {

class PasswordStore;

struct ConnectionChoice {
  enum class Kind { kFile, kDataSource, kDriver };
  Kind kind = Kind::kFile;
  std::string file;        // kFile: the SQLite database
  std::string dsn;         // kDataSource: a name of the system's list
  std::string driver;      // kDriver: driver, server, port, database
  std::string server;
  std::string port;
  std::string database;
  std::string user;        // both ODBC kinds
};

// The connection string, without password: the file's path; "DSN=name;UID=user";
// "Driver={name};Server=s;Port=p;Database=d;UID=u". Empty parts are left out.
[[nodiscard]] std::string ConnectionText(const ConnectionChoice& choice);
// A saved connection string back into its parts (a path is a file; anything
// with '=' and no DSN is a driver's). Keys the dialog has no field for are lost.
[[nodiscard]] ConnectionChoice ParseChoice(const std::string& text);

// Under what a connection's password is kept: "user@server:port" (":port"
// only when given) or "user@DSN=name"; empty for a file or when there is no user.
[[nodiscard]] std::string PasswordKey(const std::string& connection_text);

// The text with its PWD (or Password) taken out, and that password if it had one.
struct SplitPassword {
  std::string connection;
  std::optional<std::string> password;
};
[[nodiscard]] SplitPassword TakePassword(const std::string& text);

// `connection` with `password` added as PWD (nothing added when the password is empty).
[[nodiscard]] std::string WithPassword(const std::string& connection, const std::string& password);

// Keeps a chosen connection: "connection" in `settings` without any password,
// the password (when not empty) in `store`. Answers false when the store
// could not keep the password: the caller keeps it in memory for this run.
bool SaveConnection(QSettings& settings, PasswordStore& store, const std::string& connection_text,
                    const std::string& password);

}  // namespace shell
