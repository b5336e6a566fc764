#include "host/db/database_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/db/connection_string.h"
#include "host/value/error.h"
#include "host/value/variant.h"

namespace host::db {

void CheckDatabaseFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty()) throw Error(kErrDatabase, "no database file is named in the connection string", "Database");
  if (!fs::exists(path, ec)) throw Error(kErrDatabase, "database not found: " + path, "Database");
  if (fs::is_directory(path, ec)) {
    throw Error(kErrDatabase, path + " is a folder, not an ERP database", "Database");
  }
  // A pipe would hold the open for ever, a device would be read as one.
  if (!fs::is_regular_file(path, ec)) {
    throw Error(kErrDatabase, path + " is not an ERP database (not a file but a device, a pipe or a socket)",
                "Database");
  }
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  if (!in || std::memcmp(header, "SQLite format 3", 16) != 0) {
    throw Error(kErrDatabase, path + " is not an ERP database (not an SQLite database file)", "Database");
  }
}

long TimeoutSeconds(const std::string& connection_string, const std::string& key, long fallback) {
  const ConnectionString parsed(connection_string);
  if (!parsed.Has(key)) return fallback;
  const std::string text = Trim(parsed.Get(key));
  const bool digits = !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
  const long seconds = digits ? std::stol(text) : 0;
  if (seconds < 1 || seconds > 86400) {
    throw Error(
        kErrDatabase,
        key + " takes a whole number of seconds from 1 to 86400: '" + ShortenedForMessage(text, 20) + "' is not one",
        "Database");
  }
  return seconds;
}

std::string DeadlineMessage(long seconds) {
  return "the database did not answer within " + std::to_string(seconds) +
         " s; try again later, or set a longer QueryTimeout=SECONDS in the connection string";
}

}  // namespace host::db
