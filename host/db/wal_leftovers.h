// A read-only SQLite connection to a database in WAL mode makes the
// database's "-wal" and "-shm" files and, being read-only, cannot remove
// them when it closes: a run would leave two files beside the ERP database.
//
// Every connection of ours to a file holds a WalLeftovers while it is open.
// When the last one of ours closes and the two files were not there before
// our first one opened, they are removed the way SQLite itself removes them:
// a short connection that may write (but is told to write nothing) reads
// the schema and closes; SQLite then deletes the files only if no other
// program has the database open, after checking it with its own locks.
// Nothing is done when the "-wal" file holds pages (someone else's work),
// when the files were there before (another program uses them), or when
// the database cannot be opened for writing (then the files stay, as they
// would without us). Never throws.
#pragma once

#include <string>

namespace host::db {

class WalLeftovers {
 public:
  explicit WalLeftovers(std::string path);
  ~WalLeftovers();
  WalLeftovers(const WalLeftovers&) = delete;
  WalLeftovers& operator=(const WalLeftovers&) = delete;

 private:
  std::string key_;
};

}  // namespace host::db
