// A running sum that ends exactly where chaining host::Add from Int16 0
// over the same values would end (same value, same type, same scale), without
// a Variant made and dispatched for every value: the group totals add some
// fourteen numbers per booking of a million-booking run.
//
// Whole numbers add as 64-bit integers (the chain's Int32 or Int64; past 64
// bits a decimal, as host::Add goes on), a decimal turns the sum into a
// decimal added with host::Decimal's own addition; any other value (Double,
// Text, Null...) hands the sum over to host::Add from then on, so that every
// rule of the Variant arithmetic still holds, including its errors.
#pragma once

#include <cstdint>

#include "host/value/decimal.h"
#include "host/value/variant.h"

namespace engine {

class ExactSum {
 public:
  // Adds `value` as host::Add(sum, value) would; throws as it would.
  void Add(const host::Variant& value);
  // The sum as a Variant: Int16 0 before anything was added.
  [[nodiscard]] host::Variant Value() const;

 private:
  enum class Kind : uint8_t { Zero, Integer, Decimal, Variant };
  void AddInteger(int64_t value);
  void AddDecimal(const host::Decimal& value);
  // The decimal sum, made from its parts.
  [[nodiscard]] host::Decimal DecimalSum() const;
  void SetDecimal(const host::Decimal& sum);
  Kind kind_ = Kind::Zero;
  int64_t integer_ = 0;
  // A decimal sum as its coefficient and scale: a value of the same scale
  // adds to the coefficient, exactly what host::Decimal's addition gives
  // while no rounding is needed, without aligning and fitting each time.
  host::Int128 coefficient_ = 0;
  int scale_ = 0;
  host::Variant variant_;
};

}  // namespace engine
