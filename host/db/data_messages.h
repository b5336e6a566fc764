// The data layer's messages to the user. Each is a number of the message
// catalog with the texts of its places (%1, %2...): the windows and the
// command line show it in the user's language; the English text stays the
// error's description, for logs, traces and --verbose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/db/connection.h"
#include "host/value/error.h"

namespace host::db {

enum DataMessage : int32_t {
  kMsgNoDatabaseNamed = 990700,  // no database file is named in the connection string
  kMsgDatabaseNotFound,          // database not found: %1
  kMsgFolderNotDatabase,         // %1 is a folder, not an ERP database
  kMsgDeviceNotDatabase,         // %1 is not an ERP database (not a file but a device, a pipe or a socket)
  kMsgNotSqliteFile,             // %1 is not an ERP database (not an SQLite database file)
  kMsgNoBookingTable,            // %1 is not an ERP database (it has no booking table PD44_VERSORE)
  kMsgLocked,                    // database is locked by another program; try again when it is free
  kMsgDatabaseDeadline,          // the database did not answer within %1 s; ...
  kMsgServerDeadline,            // the server did not answer within %1 s; ...
  kMsgBadTimeout,                // %1 takes a whole number of seconds from 1 to 86400: '%2' is not one
  kMsgConnectionClosed,          // The connection is closed
  kMsgStopped,                   // Stopped by the user
};

// The English text of a data-layer message, its places filled; "" for a
// number that is not one of DataMessage.
std::string EnglishText(int32_t message, const std::vector<std::string>& arguments = {});

// An error (number `error`, kErrDatabase unless said) that the user reads
// as `message` with `arguments`; its description is the English text.
Error DataError(int32_t message, std::vector<std::string> arguments, std::string source,
                int32_t error = kErrDatabase);
// The same, for a connection's error collection.
DbError DataDbError(int32_t message, std::vector<std::string> arguments, std::string source,
                    int32_t error = kErrDatabase);
// An error caught from below, kept for the collection with its message.
DbError DbErrorOf(const Error& caught, std::string source);

}  // namespace host::db
