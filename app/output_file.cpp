#include "app/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "host/db/connection_string.h"

namespace app {
namespace fs = std::filesystem;

namespace {

// The database file a connection string names (empty for a server).
std::string DatabaseFile(const std::string& connection) {
  const host::db::ConnectionString parsed(connection);
  std::string path = parsed.Path();
  for (const auto* key : {"Data Source", "Database", "DBQ"}) {
    if (path.empty()) path = parsed.Get(key);
  }
  return path;
}

bool IsSqliteDatabase(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  return in.gcount() == 16 && std::memcmp(header, "SQLite format 3", 16) == 0;
}

std::string Reason(int error) { return error != 0 ? std::string(": ") + std::strerror(error) : std::string(); }

}  // namespace

std::string RefuseOutput(const std::string& path, const std::string& connection) {
  if (path.empty()) return {};
  std::error_code ec;
  const std::string database = DatabaseFile(connection);
  if (!database.empty() && fs::exists(path, ec) && fs::exists(database, ec) && fs::equivalent(path, database, ec)) {
    return "the output file " + path + " is the database being read; quarvelindo never writes over it";
  }
  if (fs::is_regular_file(path, ec) && IsSqliteDatabase(path)) {
    return "the output file " + path + " is a SQLite database; quarvelindo never writes over a database";
  }
  return {};
}

bool WrittenAside(const std::string& path) {
  std::error_code ec;
  // A device or a pipe (/dev/stdout, a fifo) is written in place.
  return !path.empty() && !(fs::exists(path, ec) && !fs::is_regular_file(path, ec));
}

std::string WriteOutputUnlessGivenUp(const std::string& path, const std::function<bool(std::ostream&)>& write,
                                     bool* given_up) {
  *given_up = false;
  if (path.empty()) {
    errno = 0;
    *given_up = !write(std::cout);
    std::cout.flush();
    if (!std::cout) return "the output could not be written" + Reason(errno);
    return {};
  }
  std::error_code ec;
  const bool aside = WrittenAside(path);
  const std::string target = aside ? path + ".partial" : path;
  errno = 0;
  {
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file) return "cannot write " + path + Reason(errno);
    try {
      *given_up = !write(file);
    } catch (...) {
      file.close();
      if (aside) fs::remove(target, ec);
      throw;
    }
    file.flush();
    file.close();
    if (*given_up) {
      if (aside) fs::remove(target, ec);
      return {};
    }
    if (!file) {
      const int error = errno;
      if (aside) fs::remove(target, ec);
      return "cannot write " + path + Reason(error);
    }
  }
  if (aside) {
    fs::rename(target, path, ec);
    if (ec) {
      fs::remove(target, ec);
      return "cannot write " + path + ": " + ec.message();
    }
  }
  return {};
}

std::string WriteOutput(const std::string& path, const std::function<void(std::ostream&)>& write) {
  bool given_up = false;
  return WriteOutputUnlessGivenUp(
      path,
      [&](std::ostream& out) {
        write(out);
        return true;
      },
      &given_up);
}

}  // namespace app
