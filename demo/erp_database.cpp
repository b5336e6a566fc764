#include "demo/erp_database.h"

#include <sqlite3.h>

#include <filesystem>

#include "host/value/error.h"

namespace demo {
namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  const std::string message = what + (db != nullptr ? std::string(": ") + sqlite3_errmsg(db) : std::string());
  if (db != nullptr) sqlite3_close(db);
  throw host::Error(host::kErrDatabase, message, "demo");
}

}  // namespace

void CreateErpDatabase(const std::string& path) {
  if (std::filesystem::exists(path)) {
    throw host::Error(host::kErrDatabase, "The file '" + path + "' exists already: choose a new file", "demo");
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    Fail(db, "Cannot create '" + path + "'");
  }
  // One transaction: the schema's fifty statements synced once, not each on its own.
  if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, ErpSchemaSql(), nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    Fail(db, "Cannot create the schema");
  }
  sqlite3_close(db);
}

}  // namespace demo
