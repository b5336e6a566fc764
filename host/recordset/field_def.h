// The definition of one record set field: name, type, defined size, numeric
// precision and scale, nullability. In-memory record sets are built by
// appending these before opening; database results carry them per column.
#pragma once

#include <cstdint>
#include <string>

namespace host {

enum class FieldType : uint8_t {
  Text,      // variable-length Unicode text of at most `size` characters
  Char,      // fixed-length character field, padded with blanks to `size`
  Decimal,   // exact decimal(precision, scale)
  SmallInt,  // 16-bit integer
  Integer,   // 32-bit integer
  BigInt,    // 64-bit integer
  Double,    // binary floating point
  Date,      // date and time to the second
  Boolean,
  Variant,  // any value: number, text, date, Null or Empty
};

// The data access layer's type numbers, which the module tests (for example 7
// and 135 are dates, 129/130/200/202 texts).
enum AdoType : int32_t {
  kAdSmallInt = 2,
  kAdInteger = 3,
  kAdDouble = 5,
  kAdDate = 7,
  kAdBoolean = 11,
  kAdVariant = 12,
  kAdBigInt = 20,
  kAdChar = 129,
  kAdWChar = 130,
  kAdNumeric = 131,
  kAdDBTimeStamp = 135,
  kAdVarChar = 200,
  kAdVarWChar = 202,
};

struct FieldDef {
  std::string name;
  FieldType type = FieldType::Variant;
  int32_t size = 0;       // characters for Text/Char; 0 means unlimited
  uint8_t precision = 0;  // Decimal only; advisory (values are not refused)
  uint8_t scale = 0;      // Decimal only: values are stored rounded to it
  bool nullable = true;
  int32_t ado_type = 0;  // 0: derived from `type`
  // Database results keep a text longer than `size` (the database enforces
  // its own sizes, and SQLite does not); in-memory layouts refuse it.
  bool lenient_size = false;

  [[nodiscard]] int32_t AdoTypeCode() const {
    if (ado_type != 0) return ado_type;
    switch (type) {
      case FieldType::Text: return kAdVarWChar;
      case FieldType::Char: return kAdChar;
      case FieldType::Decimal: return kAdNumeric;
      case FieldType::SmallInt: return kAdSmallInt;
      case FieldType::Integer: return kAdInteger;
      case FieldType::BigInt: return kAdBigInt;
      case FieldType::Double: return kAdDouble;
      case FieldType::Date: return kAdDBTimeStamp;
      case FieldType::Boolean: return kAdBoolean;
      case FieldType::Variant: return kAdVariant;
    }
    return kAdVariant;
  }
};

// Shorthands for building layouts.
inline FieldDef TextField(std::string name, int32_t size) { return {std::move(name), FieldType::Text, size}; }
inline FieldDef CharField(std::string name, int32_t size) { return {std::move(name), FieldType::Char, size}; }
inline FieldDef DecimalField(std::string name, uint8_t precision, uint8_t scale) {
  return {std::move(name), FieldType::Decimal, 0, precision, scale};
}
inline FieldDef VariantField(std::string name) { return {std::move(name), FieldType::Variant}; }

}  // namespace host
