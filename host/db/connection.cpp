#include "host/db/connection.h"

#include "host/db/connection_string.h"
#include "host/db/odbc_connection.h"
#include "host/db/sqlite_connection.h"

namespace host::db {

void Connection::Fail(DbError error) {
  errors_.push_back(error);
  throw Error(error.number, error.key, error.description, error.source);
}

void Connection::FailAll(std::vector<DbError> errors) {
  if (errors.empty()) errors.push_back({kErrDatabase, "Database error", "Database"});
  std::string message = errors.front().description;
  for (size_t i = 1; i < errors.size(); ++i) {
    if (message.find(errors[i].description) == std::string::npos) message += "; " + errors[i].description;
  }
  for (auto& e : errors) {
    e.number = kErrDatabase;
    errors_.push_back(e);
  }
  // One error keeps its message for the user; several are said together.
  throw Error(kErrDatabase, errors.size() == 1 ? errors.front().key : MessageKey{}, message, errors.front().source);
}

std::unique_ptr<Connection> OpenConnection(const std::string& connection_string) {
  const ConnectionString parsed(connection_string);
  std::unique_ptr<Connection> connection;
  if (parsed.Has("DRIVER") || parsed.Has("DSN")) {
    connection = std::make_unique<OdbcConnection>();
  } else {
    connection = std::make_unique<SqliteConnection>();
  }
  connection->Open(connection_string);
  return connection;
}

}  // namespace host::db
