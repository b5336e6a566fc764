// Every output file (report, workbook, CSV, PDF) reaches its place the same
// way: its place is checked before anything is written, the content goes to
// a temporary file of a unique name beside it, is flushed to the disk, and
// only then is renamed over the place. A write that fails (a full disk, no
// rights) leaves the earlier file as it was and nothing beside it.
#pragma once

#include <sys/types.h>

#include <string>

namespace output {

// Why `path` cannot take an output ("" when it can). Refused: a folder; a
// device, a pipe or a socket (a copy of /dev/null would be replaced by a
// regular file); an SQLite database; the file `database` names (compared as
// files: device and inode, so any other name of it too); a place whose
// folder is missing. `database` may be empty (no file is being read).
std::string RefusePlace(const std::string& path, const std::string& database);

class PlacedFile {
 public:
  // Makes the temporary file beside `path`; Error() says why it could not.
  explicit PlacedFile(std::string path);
  ~PlacedFile();  // a file never committed is removed
  PlacedFile(const PlacedFile&) = delete;
  PlacedFile& operator=(const PlacedFile&) = delete;

  // "" once the temporary file exists, or why it does not.
  [[nodiscard]] const std::string& Error() const { return error_; }
  // The temporary file, to be written by name or through Descriptor().
  [[nodiscard]] const std::string& TemporaryPath() const { return temporary_; }
  [[nodiscard]] int Descriptor() const { return fd_; }

  // Flushes the temporary file to the disk, closes it and renames it over
  // the place. Answers "" or why not ("cannot write PATH: reason"); on a
  // failure the temporary file is removed and the place keeps what it had.
  std::string Commit();
  // Removes the temporary file; the place keeps what it had.
  void Abandon();

 private:
  std::string path_;
  std::string temporary_;
  std::string error_;
  int fd_ = -1;
  mode_t mode_ = 0644;  // the earlier file's, or what the umask allows a new one
};

}  // namespace output
