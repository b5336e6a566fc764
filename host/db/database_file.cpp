#include "host/db/database_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/db/connection_string.h"
#include "host/db/data_messages.h"
#include "host/value/error.h"
#include "host/value/variant.h"

namespace host::db {

void CheckDatabaseFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty()) throw DataError(kMsgNoDatabaseNamed, {}, "Database");
  if (!fs::exists(path, ec)) throw DataError(kMsgDatabaseNotFound, {path}, "Database");
  if (fs::is_directory(path, ec)) throw DataError(kMsgFolderNotDatabase, {path}, "Database");
  // A pipe would hold the open for ever, a device would be read as one.
  if (!fs::is_regular_file(path, ec)) {
    throw DataError(kMsgDeviceNotDatabase, {path}, "Database");
  }
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  if (!in || std::memcmp(header, "SQLite format 3", 16) != 0) {
    throw DataError(kMsgNotSqliteFile, {path}, "Database");
  }
}

long TimeoutSeconds(const std::string& connection_string, const std::string& key, long fallback) {
  const ConnectionString parsed(connection_string);
  if (!parsed.Has(key)) return fallback;
  const std::string text = Trim(parsed.Get(key));
  const bool digits = !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
  const long seconds = digits ? std::stol(text) : 0;
  if (seconds < 1 || seconds > 86400) {
    throw DataError(kMsgBadTimeout, {key, ShortenedForMessage(text, 20)}, "Database");
  }
  return seconds;
}

DbError DeadlineError(long seconds, const std::string& source) {
  return DataDbError(kMsgDatabaseDeadline, {std::to_string(seconds)}, source);
}

}  // namespace host::db
