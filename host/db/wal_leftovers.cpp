#include "host/db/wal_leftovers.h"

#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace host::db {
namespace {

struct Users {
  int open = 0;
  bool files_were_there = false;
};

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, Users>& Registry() {
  static std::map<std::string, Users> users;
  return users;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

void RemoveThroughSqlite(const std::string& path) {
  std::error_code ec;
  const auto wal_size = std::filesystem::file_size(path + "-wal", ec);
  if (!ec && wal_size != 0) return;  // pages of another program's work
  sqlite3* db = nullptr;
  // No SQLITE_OPEN_CREATE: the file is there, or nothing is done.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
    sqlite3_exec(db, "PRAGMA query_only = 1; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
  }
  sqlite3_close_v2(db);
}

}  // namespace

WalLeftovers::WalLeftovers(std::string path) {
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(path, ec);
  key_ = ec ? path : canonical.string();
  std::lock_guard guard(Lock());
  Users& users = Registry()[key_];
  if (users.open++ == 0) users.files_were_there = Exists(key_ + "-wal") || Exists(key_ + "-shm");
}

WalLeftovers::~WalLeftovers() {
  std::lock_guard guard(Lock());
  auto it = Registry().find(key_);
  if (it == Registry().end() || --it->second.open > 0) return;
  const bool ours = !it->second.files_were_there;
  Registry().erase(it);
  if (ours && (Exists(key_ + "-wal") || Exists(key_ + "-shm"))) RemoveThroughSqlite(key_);
}

}  // namespace host::db
