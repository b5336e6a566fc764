#include "app/password_source.h"

#include <sys/stat.h>

#include <fstream>

#include "app/cli_language.h"
#include "host/db/connection_string.h"

namespace app {
namespace {

PasswordOutcome Refused(std::string why) { return {std::string(), std::move(why)}; }

std::string Octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

PasswordOutcome WithPassword(const std::string& db, const std::string& password_file, const char* environment) {
  const host::db::ConnectionString parsed(db);
  const bool is_file = db.find('=') == std::string::npos;
  const bool has_password = !is_file && (parsed.Has("PWD") || parsed.Has("Password"));
  if (!password_file.empty()) {
    if (is_file) {
      return Refused(CliText("--password-file vale per una stringa di connessione ODBC, non per un file di database",
                             "--password-file is for an ODBC connection string, not for a database file"));
    }
    if (has_password) {
      return Refused(CliText("la stringa di connessione ha già PWD: togliere PWD o --password-file",
                             "the connection string has a PWD already: leave out PWD or --password-file"));
    }
  }
  if (is_file || has_password) return {db, {}};

  std::string password;
  if (!password_file.empty()) {
    struct stat info {};
    if (::stat(password_file.c_str(), &info) != 0) {
      return Refused(CliText("impossibile leggere il file della password ", "cannot read the password file ") +
                     password_file);
    }
    if (!S_ISREG(info.st_mode)) {
      return Refused(CliText("il file della password ", "the password file ") + password_file +
                     CliText(" non è un file normale", " is not a regular file"));
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
      return Refused(CliText("il file della password ", "the password file ") + password_file +
                     CliText(" è accessibile ad altri (permessi ", " can be read by others (mode ") +
                     Octal(info.st_mode) + CliText("); renderlo privato con: chmod 600 ", "); make it private with: chmod 600 ") +
                     password_file);
    }
    std::ifstream in(password_file, std::ios::binary);
    if (!in || !std::getline(in, password)) password.clear();
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) {
      return Refused(CliText("il file della password ", "the password file ") + password_file +
                     CliText(" è vuoto", " is empty"));
    }
  } else if (environment != nullptr) {
    password = environment;
  } else {
    return {db, {}};
  }
  std::string connection = db;
  while (!connection.empty() && (connection.back() == ' ' || connection.back() == ';')) connection.pop_back();
  connection += ";PWD=" + QuotedOdbcValue(password);
  return {std::move(connection), {}};
}

}  // namespace app
