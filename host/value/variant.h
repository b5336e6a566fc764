// The value that travels between the module, the host and the database: one
// of Empty (never assigned), Null (no value), Boolean, 16/32/64-bit integers,
// Decimal, Double, Text (UTF-8) and Date.
//
// Conversions follow the desktop runtime the module was written for: numeric
// text converts to numbers, True is -1, Empty reads as 0 or "", Null does not
// convert (kErrInvalidUseOfNull) except where joined to a text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <string_view>
#include <variant>

#include "host/value/date_time.h"
#include "host/value/decimal.h"

namespace host {

enum class VarType : uint8_t { Empty, Null, Boolean, Int16, Int32, Int64, Decimal, Double, Text, Date };

struct NullValue {
  friend bool operator==(NullValue, NullValue) { return true; }
};

class Variant {
 public:
  Variant() = default;
  Variant(bool v) : value_(v) {}                           // NOLINT(google-explicit-constructor)
  Variant(int16_t v) : value_(v) {}                        // NOLINT(google-explicit-constructor)
  Variant(int32_t v) : value_(v) {}                        // NOLINT(google-explicit-constructor)
  Variant(int64_t v) : value_(v) {}                        // NOLINT(google-explicit-constructor)
  Variant(Decimal v) : value_(v) {}                        // NOLINT(google-explicit-constructor)
  Variant(double v) : value_(v) {}                         // NOLINT(google-explicit-constructor)
  Variant(std::string v) : value_(std::move(v)) {}         // NOLINT(google-explicit-constructor)
  Variant(const char* v) : value_(std::string(v)) {}       // NOLINT(google-explicit-constructor)
  Variant(std::string_view v) : value_(std::string(v)) {}  // NOLINT(google-explicit-constructor)
  Variant(DateTime v) : value_(v) {}                       // NOLINT(google-explicit-constructor)
  static Variant Null() {
    Variant v;
    v.value_ = NullValue{};
    return v;
  }

  [[nodiscard]] VarType Type() const { return static_cast<VarType>(value_.index()); }
  [[nodiscard]] bool IsEmpty() const { return Type() == VarType::Empty; }
  [[nodiscard]] bool IsNull() const { return Type() == VarType::Null; }
  [[nodiscard]] bool IsText() const { return Type() == VarType::Text; }
  [[nodiscard]] bool IsDate() const { return Type() == VarType::Date; }
  // A number type (not a numeric text).
  [[nodiscard]] bool IsNumber() const;
  // The runtime's numeric test: a number, Empty, Boolean, or a text that
  // reads as a number. Null and dates are not numeric.
  [[nodiscard]] bool IsNumeric() const;

  // Typed access without conversion; throws kErrTypeMismatch on another type.
  [[nodiscard]] const std::string& Text() const;
  [[nodiscard]] DateTime Date() const;

  // Conversions. Null throws kErrInvalidUseOfNull; a text that is not a
  // number, or a date, throws kErrTypeMismatch; out of range kErrOverflow.
  [[nodiscard]] Decimal ToDecimal() const;
  [[nodiscard]] double ToDouble() const;
  [[nodiscard]] int64_t ToInt64() const;  // rounds half to even, as CLng does
  [[nodiscard]] int32_t ToInt32() const;
  [[nodiscard]] int16_t ToInt16() const;
  [[nodiscard]] bool ToBool() const;
  [[nodiscard]] DateTime ToDate() const;  // a date, or a text that reads as one

  // The value as text: Empty gives "", numbers plain with '.', dates as ISO
  // text, True/False. Null throws kErrInvalidUseOfNull.
  [[nodiscard]] std::string ToText() const;
  // The value joined to the empty text: as ToText, but Null gives "".
  [[nodiscard]] std::string JoinedText() const;

  // Exact equality of type and value (for tests and caches).
  friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

 private:
  std::variant<std::monostate, NullValue, bool, int16_t, int32_t, int64_t, Decimal, double, std::string, DateTime>
      value_;
};

// Text helpers of the runtime: blanks are the space character only.
std::string RTrim(std::string_view text);
std::string LTrim(std::string_view text);
std::string Trim(std::string_view text);
// A value as a message quotes it: at most `characters` characters (whole
// UTF-8 letters), then "…" when it was longer.
std::string ShortenedForMessage(std::string_view text, size_t characters = 60);
// Every occurrence of `what` replaced by `with`.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);
// A message's places %1, %2... (up to %99) filled with `values` in one pass
// (a value that holds "%1" stays as it is); a place without a value is left
// as written.
std::string FillPlaces(std::string_view text, const std::vector<std::string>& values);

// Joining with "&": Null counts as "", and Null & Null stays Null.
Variant JoinTexts(const Variant& a, const Variant& b);

// Variant arithmetic with the runtime's promotions: Null in, Null out; Empty
// counts as 0; a Decimal operand makes the result Decimal, else a Double
// operand (or a numeric text) makes it Double, else integers stay integers
// (widened on overflow). Division is never an integer division.
Variant Add(const Variant& a, const Variant& b);
Variant Subtract(const Variant& a, const Variant& b);
Variant Multiply(const Variant& a, const Variant& b);
Variant Divide(const Variant& a, const Variant& b);
// -1, 0, 1 comparing two numeric values; throws on non-numeric operands.
int CompareNumbers(const Variant& a, const Variant& b);

}  // namespace host
