#include "host/db/data_messages.h"

#include <array>
#include <utility>

#include "host/value/variant.h"

namespace host::db {

namespace {

// The English texts, as the catalog's English column has them (a test keeps
// the two the same).
constexpr std::array<const char*, 12> kEnglish{
    "no database file is named in the connection string",
    "database not found: %1",
    "%1 is a folder, not an ERP database",
    "%1 is not an ERP database (not a file but a device, a pipe or a socket)",
    "%1 is not an ERP database (not an SQLite database file)",
    "%1 is not an ERP database (it has no booking table PD44_VERSORE)",
    "database is locked by another program; try again when it is free",
    "the database did not answer within %1 s; try again later, or set a longer QueryTimeout=SECONDS in the "
    "connection string",
    "the server did not answer within %1 s; check its name and port, or set a longer LoginTimeout=SECONDS in the "
    "connection string",
    "%1 takes a whole number of seconds from 1 to 86400: '%2' is not one",
    "The connection is closed",
    "Stopped by the user",
};

}  // namespace

std::string EnglishText(int32_t message, const std::vector<std::string>& arguments) {
  if (message < kMsgNoDatabaseNamed || message >= kMsgNoDatabaseNamed + static_cast<int32_t>(kEnglish.size())) {
    return {};
  }
  return FillPlaces(kEnglish[static_cast<size_t>(message - kMsgNoDatabaseNamed)], arguments);
}

Error DataError(int32_t message, std::vector<std::string> arguments, std::string source, int32_t error) {
  const std::string english = EnglishText(message, arguments);
  return {error, MessageKey{message, std::move(arguments)}, english, std::move(source)};
}

DbError DataDbError(int32_t message, std::vector<std::string> arguments, std::string source, int32_t error) {
  DbError e;
  e.number = error;
  e.description = EnglishText(message, arguments);
  e.source = std::move(source);
  e.key = MessageKey{message, std::move(arguments)};
  return e;
}

DbError DbErrorOf(const Error& caught, std::string source) {
  DbError e;
  e.number = kErrDatabase;
  e.description = caught.what();
  e.source = std::move(source);
  e.key = caught.Key();
  return e;
}

}  // namespace host::db
