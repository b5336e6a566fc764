#include "output/output_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "host/db/connection_string.h"
#include "output/placed_file.h"
#include "output/write_status.h"

namespace output {
namespace {

std::string Reason(int error) { return error != 0 ? std::string(": ") + std::strerror(error) : std::string(); }

}  // namespace

std::string DatabaseFile(const std::string& connection) {
  const host::db::ConnectionString parsed(connection);
  std::string path = parsed.Path();
  for (const auto* key : {"Data Source", "Database", "DBQ"}) {
    if (path.empty()) path = parsed.Get(key);
  }
  return path;
}

std::string RefuseOutput(const std::string& path, const std::string& connection) {
  return output::RefusePlace(path, DatabaseFile(connection));
}

namespace {

// The write's reason why not ("" when written); `given_up` when `write` gave up.
std::string WriteInto(const std::string& path, const std::function<bool(std::ostream&)>& write, bool& given_up) {
  if (path.empty()) {
    errno = 0;
    given_up = !write(std::cout);
    std::cout.flush();
    if (!std::cout) return "the output could not be written" + Reason(errno);
    return {};
  }
  if (const std::string refused = output::RefusePlace(path, {}); !refused.empty()) return refused;
  output::PlacedFile placed(path);
  if (!placed.Error().empty()) return placed.Error();
  errno = 0;
  std::ofstream file(placed.TemporaryPath(), std::ios::binary | std::ios::trunc);
  if (!file) return "cannot write " + path + Reason(errno);
  given_up = !write(file);  // an exception leaves through `placed`, which removes the file
  if (given_up) return {};
  file.flush();
  const int error = errno;
  file.close();
  if (!file) return "cannot write " + path + Reason(error != 0 ? error : errno);
  return placed.Commit();
}

}  // namespace

host::Status WriteOutputUnlessGivenUp(const std::string& path, const std::function<bool(std::ostream&)>& write) {
  bool given_up = false;
  host::Status status = WriteFailedUnless(WriteInto(path, write, given_up));
  if (given_up && status.ok()) return host::Status::Cancelled();
  return status;
}

host::Status WriteOutput(const std::string& path, const std::function<void(std::ostream&)>& write) {
  return WriteOutputUnlessGivenUp(path, [&](std::ostream& out) {
    write(out);
    return true;
  });
}

}  // namespace output
