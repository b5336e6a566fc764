#include "engine/value_helpers.h"

namespace engine {

using host::Decimal;
using host::Variant;

host::Valued<Variant> NVL(const Variant& value, const Variant& fallback) {
  try {
    if (value.IsEmpty() || value.IsNull() || host::Trim(value.JoinedText()).empty()) return {fallback, {}};
    return {value, {}};
  } catch (const std::exception&) {
    return {{}, host::Status::FailedHere("NVL")};
  }
}

host::Decimal RoundHalfUp(const Decimal& number, int16_t decimals) {
  // A whole number is already rounded to any number of decimals.
  if (number.Scale() == 0 && decimals >= 0) return number;
  // The scale factor is built in base 10 too, so 1.005 × 100 is exactly 100.5.
  const Decimal factor =
      decimals >= 0 ? Decimal::FromParts(host::Pow10(decimals), 0) : Decimal::FromParts(1, -decimals);
  const Decimal half = Decimal::FromParts(5, 1);
  const Decimal scaled = (number * factor + half).Floor();
  // Dividing by 10^n is setting the scale: no long division needed.
  if (decimals >= 0 && decimals <= Decimal::kMaxScale) return Decimal::FromParts(scaled.Coefficient(), decimals);
  return scaled / factor;
}

host::Valued<double> Arrotonda(const Variant& value, int16_t decimals) {
  try {
    return {RoundHalfUp(value.ToDecimal(), decimals).ToDouble(), {}};
  } catch (const std::exception&) {
    return {0, host::Status::FailedHere("Arrotonda")};
  }
}

int64_t WholeSecondsOf(const Variant& value) {
  return RoundHalfUp(value.ToDecimal(), 0).TruncToInt64();
}

host::Valued<Variant> Massimo(const Variant& a, const Variant& b) {
  try {
    if (!a.IsNumeric() || !b.IsNumeric()) return {};
    return {host::CompareNumbers(a, b) >= 0 ? a : b, {}};
  } catch (const std::exception&) {
    return {{}, host::Status::FailedHere("Massimo")};
  }
}

Variant ValoreNumerico(const Variant& value) {
  try {
    // A number's text is never blank: numbers skip making it.
    switch (value.Type()) {
      case host::VarType::Int16:
      case host::VarType::Int32:
      case host::VarType::Int64:
      case host::VarType::Decimal:
      case host::VarType::Double: return value.ToDecimal();
      default: break;
    }
    if (host::Trim(value.JoinedText()).empty()) return int16_t{0};
    return value.ToDecimal();
  } catch (const std::exception&) {
    return int16_t{0};
  }
}

int CompareValueWith(const Variant& value, int16_t n) {
  const auto sign = [](auto x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); };
  switch (value.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: {
      const int64_t x = value.ToInt64();
      return x < n ? -1 : (x > n ? 1 : 0);
    }
    case host::VarType::Decimal:
      if (n == 0) return sign(value.ToDecimal().Coefficient());
      break;
    default: break;
  }
  const int c = host::CompareNumbers(ValoreNumerico(value), n);
  return sign(c);
}

bool RecordsetVuoto(const host::RecordSet* records) {
  if (records == nullptr || !records->IsOpen()) return true;
  return records->Bof() && records->Eof();
}

}  // namespace engine
