#include "app/shell/connection_settings.h"

#include <QSettings>

#include "app/odbc_value.h"
#include "app/shell/password_store.h"
#include "host/db/connection_string.h"

namespace shell {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void Add(std::string& text, const char* key, const std::string& value) {
  if (value.empty()) return;
  if (!text.empty()) text += ';';
  text += std::string(key) + "=" + app::QuotedOdbcValue(value);
}

}  // namespace

std::string ConnectionText(const ConnectionChoice& choice) {
  std::string text;
  switch (choice.kind) {
    case ConnectionChoice::Kind::kFile:
      return choice.file;
    case ConnectionChoice::Kind::kDataSource:
      Add(text, "DSN", choice.dsn);
      break;
    case ConnectionChoice::Kind::kDriver:
      // Driver names often hold spaces ("ODBC Driver 18 for SQL Server"): always in braces.
      if (!choice.driver.empty()) text = "Driver={" + choice.driver + "}";
      Add(text, "Server", choice.server);
      Add(text, "Port", choice.port);
      Add(text, "Database", choice.database);
      break;
  }
  Add(text, "UID", choice.user);
  return text;
}

ConnectionChoice ParseChoice(const std::string& text) {
  ConnectionChoice choice;
  const host::db::ConnectionString parsed(text);
  if (text.find('=') == std::string::npos) {
    choice.file = parsed.Path();
    return choice;
  }
  choice.user = parsed.Has("UID") ? parsed.Get("UID") : parsed.Get("User");
  if (parsed.Has("DSN")) {
    choice.kind = ConnectionChoice::Kind::kDataSource;
    choice.dsn = parsed.Get("DSN");
    return choice;
  }
  choice.kind = ConnectionChoice::Kind::kDriver;
  choice.driver = parsed.Get("Driver");
  choice.server = parsed.Get("Server");
  choice.port = parsed.Get("Port");
  choice.database = parsed.Get("Database");
  return choice;
}

std::string PasswordKey(const std::string& connection_text) {
  if (connection_text.find('=') == std::string::npos) return {};
  const host::db::ConnectionString parsed(connection_text);
  const std::string user = parsed.Has("UID") ? parsed.Get("UID") : parsed.Get("User");
  if (user.empty()) return {};
  if (parsed.Has("DSN")) return user + "@DSN=" + parsed.Get("DSN");
  const std::string port = parsed.Get("Port");
  return user + "@" + parsed.Get("Server") + (port.empty() ? "" : ":" + port);
}

SplitPassword TakePassword(const std::string& text) {
  SplitPassword split;
  if (text.find('=') == std::string::npos) {
    split.connection = text;
    return split;
  }
  // Pairs split at ';' outside braces, as ODBC reads them.
  size_t i = 0;
  while (i < text.size()) {
    size_t j = i;
    bool braced = false;
    while (j < text.size() && (braced || text[j] != ';')) {
      if (text[j] == '{' && !braced) {
        braced = true;
      } else if (text[j] == '}' && braced) {
        if (j + 1 < text.size() && text[j + 1] == '}') {
          ++j;  // a doubled brace inside the value
        } else {
          braced = false;
        }
      }
      ++j;
    }
    const std::string pair = text.substr(i, j - i);
    const size_t eq = pair.find('=');
    std::string key = eq == std::string::npos ? pair : pair.substr(0, eq);
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    if (Upper(key) == "PWD" || Upper(key) == "PASSWORD") {
      std::string value = pair.substr(eq + 1);
      if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
        std::string inner;
        for (size_t k = 1; k + 1 < value.size(); ++k) {
          inner += value[k];
          if (value[k] == '}' && value[k + 1] == '}') ++k;
        }
        value = inner;
      }
      split.password = value;
    } else if (!pair.empty()) {
      if (!split.connection.empty()) split.connection += ';';
      split.connection += pair;
    }
    i = j + 1;
  }
  return split;
}

std::string WithPassword(const std::string& connection, const std::string& password) {
  if (password.empty()) return connection;
  return connection + ";PWD=" + app::QuotedOdbcValue(password);
}

bool SaveConnection(QSettings& settings, PasswordStore& store, const std::string& connection_text,
                    const std::string& password) {
  // Whatever the text carried, the file gets it without a password.
  const SplitPassword split = TakePassword(connection_text);
  settings.setValue("connection", QString::fromStdString(split.connection));
  settings.sync();
  const std::string secret = password.empty() ? split.password.value_or("") : password;
  if (secret.empty()) return true;
  const std::string key = PasswordKey(split.connection);
  return !key.empty() && store.Write(key, secret);
}

}  // namespace shell
