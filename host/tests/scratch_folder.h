// Test helpers for database files: a folder of the test's own, removed
// with everything in it, and an SQLite file made from SQL text.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace host::testing {

class ScratchFolder {
 public:
  // Named after `name` and the process, so that tests running at once
  // never share a folder.
  explicit ScratchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("quarvelindo-" + name + "-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  [[nodiscard]] std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Makes (or opens) the SQLite file and runs `sql` on it; throws
// std::runtime_error with SQLite's message when it fails.
inline void RunSqlOnFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string message = error != nullptr ? error : "cannot open " + path;
  sqlite3_free(error);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error(message + " in " + sql);
}

}  // namespace host::testing
