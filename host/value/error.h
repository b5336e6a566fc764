// The error that host objects raise: a number in the desktop runtime's and the
// data access layer's numbering (so a log shows familiar codes), a description
// and the object that raised it. Procedures with an error exit catch it and
// hand it to their form's error routine; suppressed members swallow it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace host {

// Error numbers used by the substitute host.
enum ErrorNumber : int32_t {
  kErrOverflow = 6,
  kErrDivisionByZero = 11,
  kErrTypeMismatch = 13,
  kErrInvalidUseOfNull = 94,
  kErrInvalidArgument = 5,
  kErrObjectNotSet = 91,
  kErrItemNotFound = 3265,
  kErrNoCurrentRecord = 3021,
  kErrOperationNotAllowed = 3219,
  kErrValueTooLong = 3367,
  kErrBadFilter = 3001,
  kErrDatabase = -2147217900,
  kErrCancelled = 18,  // the user stopped the operation
  // A value left out so that everything else can still be shown: reported
  // to the user, but the operation did not fail.
  kWarnValueLeftOut = 1106,
};

// What the user reads of an error, as the message catalog's number and the
// texts that take its places %1, %2...: the windows and the command line put
// it in the user's language. Number 0: no catalog message; the description
// (English, for logs and traces) is what there is to show.
struct MessageKey {
  int32_t number = 0;
  std::vector<std::string> arguments;
  [[nodiscard]] bool Empty() const { return number == 0; }
};

class Error : public std::runtime_error {
 public:
  Error(int32_t number, const std::string& description, std::string source = {})
      : std::runtime_error(description), number_(number), source_(std::move(source)) {}
  // An error the user reads through the catalog's message `key`.
  Error(int32_t number, MessageKey key, const std::string& description, std::string source = {})
      : std::runtime_error(description), number_(number), source_(std::move(source)), key_(std::move(key)) {}

  [[nodiscard]] int32_t Number() const { return number_; }
  [[nodiscard]] const std::string& Source() const { return source_; }
  [[nodiscard]] std::string Description() const { return what(); }
  [[nodiscard]] const MessageKey& Key() const { return key_; }

 private:
  int32_t number_;
  std::string source_;
  MessageKey key_;
};

}  // namespace host
