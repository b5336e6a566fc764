#include "host/db/database_file.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/value/error.h"

namespace host::db {

void CheckDatabaseFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (path.empty()) throw Error(kErrDatabase, "no database file is named in the connection string", "Database");
  if (!fs::exists(path, ec)) throw Error(kErrDatabase, "database not found: " + path, "Database");
  if (fs::is_directory(path, ec)) {
    throw Error(kErrDatabase, path + " is a folder, not an ERP database", "Database");
  }
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  if (!in || std::memcmp(header, "SQLite format 3", 16) != 0) {
    throw Error(kErrDatabase, path + " is not an ERP database (not an SQLite database file)", "Database");
  }
}

}  // namespace host::db
