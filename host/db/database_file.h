// Checks a database file before a connection opens it, so that the user
// reads what is wrong with the file, not what the driver makes of it: a
// missing file is "database not found" (and no driver creates it), a folder
// or a file that is not an SQLite database says so.
#pragma once

#include <string>

namespace host::db {

// Throws host::Error (kErrDatabase) with a plain message when `path` cannot
// be an SQLite database; does nothing when it can.
void CheckDatabaseFile(const std::string& path);

// The message for a database that another program holds locked.
inline constexpr const char* kLockedMessage = "database is locked by another program; try again when it is free";

}  // namespace host::db
