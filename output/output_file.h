// Where the command line writes a report: the standard output, or a file
// that is neither the database being read nor any other SQLite database,
// nor a device, a pipe or a folder. A file is written beside its place
// under a unique temporary name, flushed to the disk and renamed into it
// only when the whole report was written, so a failed write leaves no
// partial file and never spoils what was there.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "host/value/status.h"

namespace output {

// The database file a connection string names ("" for a server).
std::string DatabaseFile(const std::string& connection);

// Why `path` cannot take a report while `connection` is read ("" when it
// can, and for the standard output, ""): see output::RefusePlace.
std::string RefuseOutput(const std::string& path, const std::string& connection);

// Writes through `write` to `path` (the standard output when empty).
// Answers ok, or failed with what went wrong (a full disk, a closed pipe, no
// rights; see output::WriteFailedUnless).
host::Status WriteOutput(const std::string& path, const std::function<void(std::ostream&)>& write);

// WriteOutput for a `write` that may give up (answer false): the file is then
// not put in place, and the answer is cancelled. Into a file nothing half
// written is ever seen; on the standard output what was written stays written.
host::Status WriteOutputUnlessGivenUp(const std::string& path, const std::function<bool(std::ostream&)>& write);

}  // namespace output
