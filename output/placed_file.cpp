#include "output/placed_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace output {
namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return error != 0 ? std::string(": ") + std::strerror(error) : std::string(); }

bool IsSqliteDatabase(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char header[16] = {};
  const ssize_t n = read(fd, header, sizeof header);
  close(fd);
  return n == 16 && std::memcmp(header, "SQLite format 3", 16) == 0;
}

std::string Folder(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

std::string RefusePlace(const std::string& path, const std::string& database) {
  if (path.empty()) return {};
  struct stat place {};
  if (stat(path.c_str(), &place) == 0) {
    if (S_ISDIR(place.st_mode)) return "the output file " + path + " is a folder";
    if (!S_ISREG(place.st_mode)) {
      return "the output file " + path + " is a device, a pipe or a socket, not a file; quarvelindo writes only files";
    }
    struct stat read_from {};
    if (!database.empty() && stat(database.c_str(), &read_from) == 0 && read_from.st_dev == place.st_dev &&
        read_from.st_ino == place.st_ino) {
      return "the output file " + path + " is the database being read; quarvelindo never writes over it";
    }
    if (IsSqliteDatabase(path)) {
      return "the output file " + path + " is a SQLite database; quarvelindo never writes over a database";
    }
  } else if (errno != ENOENT) {
    return "cannot write " + path + Reason(errno);
  }
  const std::string folder = Folder(path);
  struct stat dir {};
  if (stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) {
    return "cannot write " + path + ": the folder " + folder + " does not exist";
  }
  if (access(folder.c_str(), W_OK) != 0) return "cannot write " + path + Reason(errno);
  return {};
}

PlacedFile::PlacedFile(std::string path) : path_(std::move(path)) {
  const fs::path place(path_);
  std::string pattern = (place.parent_path() / ("." + place.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "cannot write " + path_ + Reason(errno);
    return;
  }
  temporary_ = name.data();
  struct stat earlier {};
  if (stat(path_.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
    mode_ = earlier.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode_ = 0666 & ~mask;
  }
}

PlacedFile::~PlacedFile() { Abandon(); }

void PlacedFile::Abandon() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

std::string PlacedFile::Commit() {
  if (!error_.empty()) return error_;
  if (fd_ < 0) return "cannot write " + path_;
  std::string failed;
  if (fchmod(fd_, mode_) != 0 || fsync(fd_) != 0) failed = "cannot write " + path_ + Reason(errno);
  const int closed = close(fd_);
  fd_ = -1;
  if (failed.empty() && closed != 0) failed = "cannot write " + path_ + Reason(errno);
  // What came to the place while this was written is checked again.
  if (failed.empty()) failed = RefusePlace(path_, {});
  if (failed.empty() && rename(temporary_.c_str(), path_.c_str()) != 0) {
    failed = "cannot write " + path_ + Reason(errno);
  }
  if (!failed.empty()) {
    Abandon();
    return failed;
  }
  temporary_.clear();
  // The rename itself lasts once the folder is on the disk too.
  const int dir = open(Folder(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return {};
}

}  // namespace output
