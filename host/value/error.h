// The error that host objects raise: a number in the desktop runtime's and the
// data access layer's numbering (so a log shows familiar codes), a description
// and the object that raised it. Procedures with an error exit catch it and
// hand it to their form's error routine; suppressed members swallow it.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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

class Error : public std::runtime_error {
 public:
  Error(int32_t number, const std::string& description, std::string source = {})
      : std::runtime_error(description), number_(number), source_(std::move(source)) {}

  [[nodiscard]] int32_t Number() const { return number_; }
  [[nodiscard]] const std::string& Source() const { return source_; }
  [[nodiscard]] std::string Description() const { return what(); }

 private:
  int32_t number_;
  std::string source_;
};

}  // namespace host
