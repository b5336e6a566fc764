// Checks a database file before a connection opens it, so that the user
// reads what is wrong with the file, not what the driver makes of it: a
// missing file is "database not found" (and no driver creates it), a folder,
// a device, a pipe or a file that is not an SQLite database says so (and
// a pipe is never opened, which would wait for a writer for ever).
#pragma once

#include <string>

#include "host/db/connection.h"

namespace host::db {

// Throws host::Error (kErrDatabase) with a plain message when `path` cannot
// be an SQLite database; does nothing when it can.
void CheckDatabaseFile(const std::string& path);

// The seconds a "KEY=N" timeout of a connection string gives: `fallback`
// when the key is absent; throws host::Error (kErrDatabase) when the value
// is not a whole number of seconds from 1 to 86400.
long TimeoutSeconds(const std::string& connection_string, const std::string& key, long fallback);

// The error of a statement that ran past its timeout of `seconds`.
DbError DeadlineError(long seconds, const std::string& source);

}  // namespace host::db
