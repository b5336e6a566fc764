// Numbers as SQLite holds them (a 64-bit integer or a double) and the
// arithmetic our SQLite functions and SQLite itself do on them: a decimal
// cast (QV_DECIMAL), a decimal division (QV_DIV), + and *.
//
// One rule for both: a run that works out a query's figures in memory gets
// the very values the database would have answered.
//
// Errors: DecimalCast throws host::Error (kErrOverflow) when the value does
// not fit decimal(precision, scale); DecimalDivide throws (kErrDivisionByZero)
// on a zero divisor; the messages are the server's. Decimal arithmetic
// beyond its range throws as Decimal does.
#pragma once

#include <cstdint>

#include "host/value/decimal.h"

namespace host::db {

struct SqliteNumber {
  bool integer = true;
  int64_t whole = 0;  // when integer
  double real = 0;    // otherwise

  [[nodiscard]] Decimal AsDecimal() const { return integer ? Decimal::FromInt(whole) : Decimal::FromDouble(real); }
  static SqliteNumber Whole(int64_t value) { return {true, value, 0}; }
};

// A decimal result as our functions hand it to SQLite: a whole value that
// fits 64 bits as an integer, anything else as a double.
SqliteNumber SqliteNumberOf(const Decimal& value);
// CAST(value AS DECIMAL(precision, scale)).
SqliteNumber DecimalCast(const Decimal& value, int precision, int scale);
// value / divisor, exact as the server divides decimals.
SqliteNumber DecimalDivide(const Decimal& value, const Decimal& divisor);
// SQLite's + and *: integers stay integers unless they overflow, then both
// sides are doubles.
SqliteNumber SqliteAdd(const SqliteNumber& a, const SqliteNumber& b);
SqliteNumber SqliteMultiply(const SqliteNumber& a, const SqliteNumber& b);

}  // namespace host::db
