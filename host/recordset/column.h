// Column storage of a record set: one typed, compact vector per field, and
// the comparison keys that filters and searches use.
//
// Store rules: a value is converted to the field's type; decimals are rounded
// half away from zero to the field's scale; a text longer than the field's size
// is refused (kErrValueTooLong) and fixed character fields are padded; a value
// that does not convert is refused (kErrTypeMismatch / kErrOverflow). Null and
// Empty store Null (a variant field keeps Empty as Empty).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

#include "host/recordset/field_def.h"
#include "host/recordset/text_pool.h"
#include "host/value/variant.h"

namespace host {

// What equality in a filter compares: numbers by value whatever their scale,
// texts folded (case and trailing blanks ignored), dates to the second.
struct CellKey {
  enum Kind : uint8_t { kNumber, kText, kDate };
  Kind kind = kNumber;
  int8_t exponent = 0;  // numbers: value = coefficient * 10^exponent, normalised
  Int128 value = 0;
  friend bool operator==(const CellKey&, const CellKey&) = default;
};

struct CellKeyHash {
  size_t operator()(const CellKey& k) const noexcept {
    const auto lo = static_cast<uint64_t>(k.value);
    const auto hi = static_cast<uint64_t>(static_cast<unsigned __int128>(k.value) >> 64);
    uint64_t h = lo * 0x9E3779B97F4A7C15ULL ^ (hi + 0x632BE59BD9B4E019ULL + (lo << 6) + (lo >> 2));
    h ^= (static_cast<uint64_t>(k.kind) << 8 | static_cast<uint8_t>(k.exponent)) * 0xC2B2AE3D27D4EB4FULL;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// The key of a number, normalised so that 12, 12.0 and 12.00 are equal.
CellKey NumberKey(Int128 coefficient, int scale);

class Column {
 public:
  virtual ~Column() = default;
  virtual void AppendNull() = 0;
  // Appends row `row` (the next one) holding `value`, as AppendNull and
  // Set would: the row is appended even when the value cannot be stored
  // (Null there), and then the failure is thrown.
  virtual void AppendValue(size_t row, const Variant& value) {
    AppendNull();
    Set(row, value);
  }
  // Append the next row holding a whole number or a text, as AppendNull and
  // SetInteger or SetText would (the row appended even when the value is
  // refused, Null there, and then the failure thrown): one write where
  // those take two, for the rows of a statement.
  virtual void AppendInteger(size_t row, int64_t value) {
    AppendNull();
    SetInteger(row, value);
  }
  virtual void AppendText(size_t row, std::string_view text) {
    AppendNull();
    SetText(row, text);
  }
  virtual void PopBack() = 0;
  virtual void Reserve(size_t rows) = 0;
  // Frees the room reserved or grown for rows to come; values unchanged.
  virtual void ShrinkToFit() {}
  // Converts and stores; throws host::Error and leaves the cell unchanged.
  virtual void Set(size_t row, const Variant& value) = 0;
  // Fetches ahead what Set(…, value) will read (TextPool::Prefetch); by
  // default nothing.
  virtual void Prefetch(const Variant& /*value*/, int /*stage*/) const {}
  [[nodiscard]] virtual Variant Get(size_t row) const = 0;
  // Asks the processor to bring row `row`'s cell into its cache, for a
  // caller that reads rows out of order and knows which come next.
  virtual void PrefetchRow(size_t /*row*/) const {}
  // Set(row, Variant(value)) without making the Variant: how a statement's
  // whole numbers and texts are stored, row after row. Same results, same
  // errors.
  virtual void SetInteger(size_t row, int64_t value) { Set(row, Variant(value)); }
  virtual void SetText(size_t row, std::string_view text) { Set(row, Variant(std::string(text))); }
  // Get into `out`, which may keep its storage (a text's buffer): for readers
  // of every field of a million rows.
  virtual void GetInto(size_t row, Variant& out) const { out = Get(row); }
  // What a cell set to `value` would give back, without storing it (and
  // without adding a text to the pool); throws as Set would.
  [[nodiscard]] virtual Variant Stored(const Variant& value) const = 0;
  // Null, Empty, blank text or a number not greater than 0: what a group
  // filter's "= NULL" stands for.
  [[nodiscard]] virtual bool IsNullLike(size_t row) const = 0;
  // The equality key of a cell; nullopt for Null and Empty.
  [[nodiscard]] virtual std::optional<CellKey> Key(size_t row) const = 0;
  // The pool id of a text cell: two cells of one table hold the same bytes
  // exactly when their ids are equal (the key only says they are equal
  // folded). TextPool::kNullId for Null and in a column without texts.
  [[nodiscard]] virtual uint32_t TextIdAt(size_t /*row*/) const { return TextPool::kNullId; }
  // The key that a literal of a filter has in this column's domain; nullopt
  // when no cell can equal it (a number with more decimals than the field
  // keeps, a text that is not a date). Text literals are interned folded.
  [[nodiscard]] virtual std::optional<CellKey> KeyOf(const Variant& literal) const = 0;
  [[nodiscard]] virtual size_t MemoryBytes() const = 0;
};

std::unique_ptr<Column> MakeColumn(const FieldDef& field, TextPool& pool);

}  // namespace host
