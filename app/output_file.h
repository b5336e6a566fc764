// Where the command line writes a report: the standard output, or a file
// that is neither the database being read nor any other SQLite database.
// A file is written beside its place and renamed into it only when the
// whole report was written, so a failed write leaves no partial file and
// never spoils what was there.
#pragma once

#include <fstream>
#include <functional>
#include <ostream>
#include <string>

namespace app {

// Why `path` cannot take a report while `connection` is read ("" when it
// can): it is the same file as the database (compared as files, not
// names), or a SQLite database.
std::string RefuseOutput(const std::string& path, const std::string& connection);

// Writes through `write` to `path` (the standard output when empty).
// Answers "" or what went wrong (a full disk, a closed pipe, no rights).
std::string WriteOutput(const std::string& path, const std::function<void(std::ostream&)>& write);

// Whether `path` names a file that WriteOutput writes beside its place and
// renames (not the standard output, a device or a pipe): a report given up
// half way leaves nothing there.
bool WrittenAside(const std::string& path);

// WriteOutput for a `write` that may give up (answer false): the file is then
// not put in place, and `*given_up` is set. Only for a path WrittenAside
// answers true of, so that nothing half written is ever seen.
std::string WriteOutputUnlessGivenUp(const std::string& path, const std::function<bool(std::ostream&)>& write,
                                     bool* given_up);

}  // namespace app
