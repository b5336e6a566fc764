#include "engine/exact_sum.h"

namespace engine {

using host::VarType;

host::Decimal ExactSum::DecimalSum() const { return host::Decimal::FromParts(coefficient_, scale_); }

void ExactSum::SetDecimal(const host::Decimal& sum) {
  coefficient_ = sum.Coefficient();
  scale_ = sum.Scale();
  kind_ = Kind::Decimal;
}

void ExactSum::AddInteger(int64_t value) {
  switch (kind_) {
    case Kind::Zero:
      // Int16 0 + a whole number: the number (as Int32 or Int64).
      integer_ = value;
      kind_ = Kind::Integer;
      return;
    case Kind::Integer: {
      int64_t sum = 0;
      if (__builtin_add_overflow(integer_, value, &sum)) {
        // Past 64 bits host::Add keeps the value as a decimal.
        SetDecimal(host::Decimal::FromInt(integer_) + host::Decimal::FromInt(value));
        return;
      }
      integer_ = sum;
      return;
    }
    case Kind::Decimal: SetDecimal(DecimalSum() + host::Decimal::FromInt(value)); return;
    case Kind::Variant: return;  // Add hands these to host::Add
  }
}

void ExactSum::AddDecimal(const host::Decimal& value) {
  switch (kind_) {
    case Kind::Zero: SetDecimal(host::Decimal::FromInt(0) + value); return;
    case Kind::Integer: SetDecimal(host::Decimal::FromInt(integer_) + value); return;
    case Kind::Decimal: {
      // Both coefficients are below 2^96: their sum cannot overflow 128 bits.
      const host::Int128 sum = coefficient_ + value.Coefficient();
      if (value.Scale() == scale_ && sum <= host::Decimal::kMaxCoefficient && sum >= -host::Decimal::kMaxCoefficient) {
        coefficient_ = sum;
        return;
      }
      SetDecimal(DecimalSum() + value);
      return;
    }
    case Kind::Variant: return;  // Add hands these to host::Add
  }
}

void ExactSum::Add(const host::Variant& value) {
  if (kind_ == Kind::Variant) {
    variant_ = host::Add(variant_, value);
    return;
  }
  switch (value.Type()) {
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Int64: AddInteger(value.ToInt64()); return;
    case VarType::Decimal: AddDecimal(value.ToDecimal()); return;
    default: break;
  }
  // Anything else: the Variant arithmetic from here on, from the same sum.
  variant_ = host::Add(Value(), value);
  kind_ = Kind::Variant;
}

host::Variant ExactSum::Value() const {
  switch (kind_) {
    case Kind::Zero: return int16_t{0};
    case Kind::Integer:
      if (integer_ >= INT32_MIN && integer_ <= INT32_MAX) return static_cast<int32_t>(integer_);
      return integer_;
    case Kind::Decimal: return DecimalSum();
    case Kind::Variant: return variant_;
  }
  return int16_t{0};
}

}  // namespace engine
