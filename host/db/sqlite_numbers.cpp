#include "host/db/sqlite_numbers.h"

#include "host/value/error.h"

namespace host::db {

SqliteNumber SqliteNumberOf(const Decimal& value) {
  if (value.Scale() == 0 || value.Normalized().Scale() == 0) {
    const Decimal whole = value.Normalized();
    if (whole.Coefficient() >= INT64_MIN && whole.Coefficient() <= INT64_MAX) {
      return SqliteNumber::Whole(static_cast<int64_t>(whole.Coefficient()));
    }
  }
  return {false, 0, value.ToDouble()};
}

SqliteNumber DecimalCast(const Decimal& value, int precision, int scale) {
  const Decimal rounded = value.Round(scale);
  const Int128 limit = Pow10(precision - scale);
  if (rounded.Trunc().Coefficient() >= limit || -rounded.Trunc().Coefficient() >= limit) {
    throw Error(kErrOverflow, "Arithmetic overflow error converting numeric to data type numeric.", "SQLite");
  }
  return SqliteNumberOf(rounded);
}

SqliteNumber DecimalDivide(const Decimal& value, const Decimal& divisor) {
  if (divisor.IsZero()) throw Error(kErrDivisionByZero, "Divide by zero error encountered.", "SQLite");
  return SqliteNumberOf(value / divisor);
}

namespace {
double AsDouble(const SqliteNumber& n) { return n.integer ? static_cast<double>(n.whole) : n.real; }
}  // namespace

SqliteNumber SqliteAdd(const SqliteNumber& a, const SqliteNumber& b) {
  int64_t sum = 0;
  if (a.integer && b.integer && !__builtin_add_overflow(a.whole, b.whole, &sum)) return SqliteNumber::Whole(sum);
  return {false, 0, AsDouble(a) + AsDouble(b)};
}

SqliteNumber SqliteMultiply(const SqliteNumber& a, const SqliteNumber& b) {
  int64_t product = 0;
  if (a.integer && b.integer && !__builtin_mul_overflow(a.whole, b.whole, &product)) {
    return SqliteNumber::Whole(product);
  }
  return {false, 0, AsDouble(a) * AsDouble(b)};
}

}  // namespace host::db
