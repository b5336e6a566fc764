// The ODBC password of the command line, never on the command line itself:
// from a file only its owner can read (--password-file) or from the
// environment (QUARVELINDO_PWD).
//
// WithPassword(db, password_file, environment) answers the connection string
// to open:
// - an SQLite file path, or a connection string that has its own PWD (or
//   Password), is returned unchanged; QUARVELINDO_PWD is then not used;
// - else the password of `password_file` (its first line, without the line
//   end) when one is given, else `environment` when it is not null, is added
//   as PWD, in braces when it holds ';', '{', '}' or outer spaces;
// - else `db` unchanged (a server that wants a password says so).
// Refused, with a message in the command line's language: a password file
// that cannot be read, is not a regular file, is empty, or that group or
// others may read or write (anything but 0600 or 0400: "chmod 600 FILE"); a
// password file given with an SQLite file or with a PWD in the string.
// The password is never part of a message.
#pragma once

#include <cstdlib>
#include <string>

#include "app/odbc_value.h"

namespace app {

// QUARVELINDO_PWD, or null when it is not set.
[[nodiscard]] inline const char* PasswordFromEnvironment() { return std::getenv("QUARVELINDO_PWD"); }

struct PasswordOutcome {
  std::string connection;  // what to open
  std::string refused;     // the reason, when not empty; `connection` is then empty
};

[[nodiscard]] PasswordOutcome WithPassword(const std::string& db, const std::string& password_file,
                                           const char* environment);

}  // namespace app
