#include "host/recordset/column.h"

#include <bit>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "host/recordset/int_storage.h"
#include "host/value/error.h"

namespace host {

CellKey NumberKey(Int128 coefficient, int scale) {
  int exponent = -scale;
  if (coefficient == 0) return {CellKey::kNumber, 0, 0};
  // Nearly every key fits 64 bits, whose division by ten is a multiplication
  // (a 128-bit one is a library call): the equality index of a million
  // bookings' column takes a key per row.
  if (coefficient >= -INT64_MAX && coefficient <= INT64_MAX) {
    auto narrow = static_cast<int64_t>(coefficient);
    while (narrow % 10 == 0) {
      narrow /= 10;
      ++exponent;
    }
    return {CellKey::kNumber, static_cast<int8_t>(exponent), narrow};
  }
  while (coefficient % 10 == 0) {
    coefficient /= 10;
    ++exponent;
  }
  return {CellKey::kNumber, static_cast<int8_t>(exponent), coefficient};
}

namespace {

std::optional<CellKey> NumberKeyOf(const Variant& v) {
  if (v.IsNull() || v.IsEmpty() || !v.IsNumeric()) return std::nullopt;
  const Decimal d = v.ToDecimal();
  return NumberKey(d.Coefficient(), d.Scale());
}

size_t Utf8Length(std::string_view text) {
  size_t n = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0U) != 0x80U) ++n;
  }
  return n;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// A cell holds the column's own number of its text (1 for the first text
// the column met, 2 for the second…; 0 for Null), not the pool's: a column of
// a few codes stays one byte a row however many texts the other columns
// bring to the shared pool (the order numbers of ten years run to millions).
class TextColumn final : public Column {
 public:
  void PrefetchRow(size_t row) const override { ids_.PrefetchAt(row); }
  TextColumn(const FieldDef& field, TextPool& pool) : field_(field), pool_(pool) {}
  void AppendNull() override { ids_.Push(TextPool::kNullId); }
  void PopBack() override { ids_.PopBack(); }
  void Reserve(size_t rows) override { ids_.Reserve(rows); }
  void ShrinkToFit() override {
    ids_.ShrinkToFit();
    pool_ids_.shrink_to_fit();
  }
  void Set(size_t row, const Variant& value) override {
    if (value.IsNull() || value.IsEmpty()) {
      ids_.Set(row, TextPool::kNullId);
      return;
    }
    // The common case, a text that needs no padding, is interned as it stands.
    if (value.IsText() && (field_.type != FieldType::Char || field_.size <= 0)) {
      const std::string& text = value.Text();
      if (field_.size > 0 && !field_.lenient_size) CheckLength(Utf8Length(text));
      ids_.Set(row, InternRepeated(text));
      return;
    }
    ids_.Set(row, InternRepeated(Fitted(value)));
  }
  void SetText(size_t row, std::string_view text) override {
    if (field_.type == FieldType::Char && field_.size > 0) {
      Set(row, Variant(std::string(text)));  // padded: through the common path
      return;
    }
    if (field_.size > 0 && !field_.lenient_size) CheckLength(Utf8Length(text));
    ids_.Set(row, InternRepeated(text));
  }
  void AppendText(size_t row, std::string_view text) override {
    if (field_.type == FieldType::Char && field_.size > 0) return Column::AppendText(row, text);  // padded
    uint32_t id = TextPool::kNullId;
    try {
      if (field_.size > 0 && !field_.lenient_size) CheckLength(Utf8Length(text));
      id = InternRepeated(text);
    } catch (...) {  // the row is appended all the same, Null there
      ids_.Push(TextPool::kNullId);
      throw;
    }
    ids_.PushWritten(id);
  }
  [[nodiscard]] Variant Get(size_t row) const override {
    const auto id = Id(row);
    return id == TextPool::kNullId ? Variant::Null() : Variant(pool_.At(id));
  }
  [[nodiscard]] Variant Stored(const Variant& value) const override {
    if (value.IsNull() || value.IsEmpty()) return Variant::Null();
    return Fitted(value);
  }
  [[nodiscard]] bool IsNullLike(size_t row) const override {
    return Id(row) == TextPool::kNullId || IsBlank(pool_.At(Id(row)));
  }
  [[nodiscard]] uint32_t TextIdAt(size_t row) const override { return Id(row); }
  [[nodiscard]] std::optional<CellKey> Key(size_t row) const override {
    if (Id(row) == TextPool::kNullId) return std::nullopt;
    return CellKey{CellKey::kText, 0, pool_.FoldedId(Id(row))};
  }
  [[nodiscard]] std::optional<CellKey> KeyOf(const Variant& literal) const override {
    if (literal.IsNull() || literal.IsEmpty()) return std::nullopt;
    // Interned, not just looked up: folded forms of the cells are interned
    // lazily, so a fold may not be in the pool yet.
    return CellKey{CellKey::kText, 0, pool_.Intern(TextPool::Fold(literal.ToText()))};
  }
  [[nodiscard]] size_t MemoryBytes() const override {
    return ids_.MemoryBytes() + pool_ids_.capacity() * sizeof(uint32_t) + local_of_.size() * 32;
  }

 private:
  // The pool's id of a row's text.
  [[nodiscard]] uint32_t Id(size_t row) const {
    const auto local = static_cast<uint32_t>(ids_.Get(row));
    return local == 0 ? TextPool::kNullId : pool_ids_[local - 1];
  }
  void CheckLength(size_t length) const {
    if (length > static_cast<size_t>(field_.size)) {
      throw Error(kErrValueTooLong,
                  "The text is longer than field " + field_.name + " allows (" + std::to_string(field_.size) + ")",
                  "Recordset");
    }
  }
  // The text of a value that is not Null or Empty as the field keeps it:
  // refused when too long, padded when a fixed character field.
  [[nodiscard]] std::string Fitted(const Variant& value) const {
    std::string text = value.ToText();
    const size_t length = Utf8Length(text);
    if (field_.size > 0 && !field_.lenient_size) CheckLength(length);
    if (field_.type == FieldType::Char && field_.size > 0 && length < static_cast<size_t>(field_.size)) {
      text.append(static_cast<size_t>(field_.size) - length, ' ');
    }
    return text;
  }
  // Rows come in order, and a column repeats its last text often (the same
  // department or article on row after row): that one is compared, not
  // hashed and looked up again.
  // Answers the column's number of the text.
  uint32_t InternRepeated(std::string_view text) {
    if (last_id_ != TextPool::kNullId && pool_.At(last_id_) == text) return last_local_;
    last_id_ = pool_.Intern(text);
    auto [it, added] = local_of_.emplace(last_id_, static_cast<uint32_t>(pool_ids_.size() + 1));
    if (added) pool_ids_.push_back(last_id_);
    last_local_ = it->second;
    return last_local_;
  }

  FieldDef field_;
  TextPool& pool_;
  IntStorage ids_;                                  // row -> the column's number of its text, 0 for Null
  std::vector<uint32_t> pool_ids_;                  // the column's number - 1 -> the pool's id
  std::unordered_map<uint32_t, uint32_t> local_of_;  // the pool's id -> the column's number
  uint32_t last_id_ = TextPool::kNullId;
  uint32_t last_local_ = 0;
};

// Decimals (as coefficients at the field's scale), integers, Booleans and
// dates (as seconds) share one adaptive integer store.
class ScaledColumn final : public Column {
 public:
  void PrefetchRow(size_t row) const override { values_.PrefetchAt(row); }
  explicit ScaledColumn(const FieldDef& field) : field_(field) {}
  void AppendNull() override {
    values_.Push(0);
    nulls_.Set(values_.Size() - 1, true);
  }
  void PopBack() override {
    nulls_.Set(values_.Size() - 1, false);
    values_.PopBack();
  }
  void Reserve(size_t rows) override { values_.Reserve(rows); }
  void ShrinkToFit() override {
    values_.ShrinkToFit();
    nulls_.ShrinkToFit();
  }
  void Set(size_t row, const Variant& value) override {
    if (value.IsNull() || value.IsEmpty()) {
      nulls_.Set(row, true);
      values_.Set(row, 0);
      return;
    }
    values_.Set(row, Encode(value));
    nulls_.Set(row, false);
  }
  void SetInteger(size_t row, int64_t value) override {
    const std::optional<Int128> stored = Scaled(value);
    if (!stored) return Set(row, Variant(value));  // converted, or its overflow error
    values_.Set(row, *stored);
    nulls_.Set(row, false);
  }
  void AppendInteger(size_t row, int64_t value) override {
    const std::optional<Int128> stored = Scaled(value);
    if (!stored) return Column::AppendInteger(row, value);
    values_.PushWritten(*stored);  // not Null: no row past the last Null has its bit
  }
  void AppendValue(size_t /*row*/, const Variant& value) override {
    if (value.IsNull() || value.IsEmpty()) return AppendNull();
    Int128 stored = 0;
    try {
      stored = Encode(value);
    } catch (...) {  // the row is appended all the same, Null there
      AppendNull();
      throw;
    }
    values_.PushWritten(stored);
  }
  [[nodiscard]] Variant Get(size_t row) const override {
    if (nulls_.Get(row)) return Variant::Null();
    return Decode(values_.Get(row));
  }
  [[nodiscard]] Variant Stored(const Variant& value) const override {
    if (value.IsNull() || value.IsEmpty()) return Variant::Null();
    return Decode(Encode(value));
  }
  [[nodiscard]] bool IsNullLike(size_t row) const override {
    if (nulls_.Get(row)) return true;
    return field_.type != FieldType::Date && values_.Get(row) <= 0;
  }
  [[nodiscard]] std::optional<CellKey> Key(size_t row) const override {
    if (nulls_.Get(row)) return std::nullopt;
    const Int128 v = values_.Get(row);
    if (field_.type == FieldType::Date) return CellKey{CellKey::kDate, 0, v};
    if (field_.type == FieldType::Boolean) return NumberKey(v != 0 ? -1 : 0, 0);
    return NumberKey(v, field_.type == FieldType::Decimal ? field_.scale : 0);
  }
  [[nodiscard]] std::optional<CellKey> KeyOf(const Variant& literal) const override {
    if (field_.type == FieldType::Date) {
      if (literal.IsDate()) return CellKey{CellKey::kDate, 0, literal.Date().Seconds()};
      if (!literal.IsText()) return std::nullopt;
      auto d = DateTime::Parse(literal.Text());
      if (!d) return std::nullopt;
      return CellKey{CellKey::kDate, 0, d->Seconds()};
    }
    return NumberKeyOf(literal);
  }
  [[nodiscard]] size_t MemoryBytes() const override { return values_.MemoryBytes() + nulls_.MemoryBytes(); }

 private:
  // A whole number as the column stores it, when it is stored as it
  // stands; none when it must be converted (Boolean, Date) or is out of the
  // field's range.
  [[nodiscard]] std::optional<Int128> Scaled(int64_t value) const {
    switch (field_.type) {
      case FieldType::SmallInt:
        if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
        return value;
      case FieldType::Integer:
        if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
        return value;
      case FieldType::BigInt: return value;
      case FieldType::Decimal:
        if (field_.scale > 18) return std::nullopt;
        return static_cast<Int128>(value) * Pow10(field_.scale);
      default: return std::nullopt;
    }
  }
  [[nodiscard]] Variant Decode(Int128 v) const {
    switch (field_.type) {
      case FieldType::SmallInt: return static_cast<int16_t>(v);
      case FieldType::Integer: return static_cast<int32_t>(v);
      case FieldType::BigInt: return static_cast<int64_t>(v);
      case FieldType::Boolean: return v != 0;
      case FieldType::Date: return DateTime::FromSeconds(static_cast<int64_t>(v));
      default: return Decimal::FromParts(v, field_.scale);
    }
  }
  [[nodiscard]] Int128 Encode(const Variant& value) const {
    switch (field_.type) {
      case FieldType::SmallInt: return value.ToInt16();
      case FieldType::Integer: return value.ToInt32();
      case FieldType::BigInt: return value.ToInt64();
      case FieldType::Boolean: return value.ToBool() ? 1 : 0;
      case FieldType::Date: return value.ToDate().Seconds();
      default: {
        // Whole numbers need no rounding: scale them up directly (64 bits
        // times 10^18 stays within 128).
        switch (field_.scale <= 18 ? value.Type() : VarType::Empty) {
          case VarType::Int16:
          case VarType::Int32:
          case VarType::Int64: {
            const Int128 scaled = static_cast<Int128>(value.ToInt64()) * Pow10(field_.scale);
            return scaled;
          }
          default: break;
        }
        const Decimal d = value.ToDecimal().Round(field_.scale);
        auto c = d.CoefficientAtScale(field_.scale);
        if (!c) throw Error(kErrOverflow, "Overflow storing field " + field_.name, "Recordset");
        return *c;
      }
    }
  }
  FieldDef field_;
  IntStorage values_;
  NullBits nulls_;
};

class DoubleColumn final : public Column {
 public:
  void AppendNull() override {
    values_.push_back(0);
    nulls_.Set(values_.size() - 1, true);
  }
  void PopBack() override {
    nulls_.Set(values_.size() - 1, false);
    values_.pop_back();
  }
  void Reserve(size_t rows) override { values_.reserve(rows); }
  void ShrinkToFit() override {
    values_.shrink_to_fit();
    nulls_.ShrinkToFit();
  }
  void Set(size_t row, const Variant& value) override {
    const bool is_null = value.IsNull() || value.IsEmpty();
    values_[row] = is_null ? 0 : value.ToDouble();
    nulls_.Set(row, is_null);
  }
  [[nodiscard]] Variant Get(size_t row) const override {
    return nulls_.Get(row) ? Variant::Null() : Variant(values_[row]);
  }
  [[nodiscard]] Variant Stored(const Variant& value) const override {
    return value.IsNull() || value.IsEmpty() ? Variant::Null() : Variant(value.ToDouble());
  }
  [[nodiscard]] bool IsNullLike(size_t row) const override { return nulls_.Get(row) || values_[row] <= 0; }
  [[nodiscard]] std::optional<CellKey> Key(size_t row) const override {
    if (nulls_.Get(row)) return std::nullopt;
    return NumberKeyOf(Variant(values_[row]));
  }
  [[nodiscard]] std::optional<CellKey> KeyOf(const Variant& literal) const override { return NumberKeyOf(literal); }
  [[nodiscard]] size_t MemoryBytes() const override { return values_.capacity() * 8 + nulls_.MemoryBytes(); }

 private:
  std::vector<double> values_;
  NullBits nulls_;
};

// Any value, in a tag (one byte, or none while all are of one type) plus an
// adaptive payload: texts by pool id,
// decimals by coefficient (the scale is in the tag), doubles by their bits;
// what does not fit 64 bits goes to a side list.
class VariantColumn final : public Column {
 public:
  void PrefetchRow(size_t row) const override {
    tags_.PrefetchAt(row);
    payload_.PrefetchAt(row);
  }
  explicit VariantColumn(TextPool& pool) : pool_(pool) {}
  void AppendNull() override {
    tags_.Push(kNull);
    payload_.Push(0);
  }
  void PopBack() override {
    tags_.PopBack();
    payload_.PopBack();
  }
  void Reserve(size_t rows) override {
    tags_.Reserve(rows);
    payload_.Reserve(rows);
  }
  void ShrinkToFit() override {
    tags_.ShrinkToFit();
    payload_.ShrinkToFit();
  }
  void Prefetch(const Variant& value, int stage) const override {
    if (value.IsText()) pool_.Prefetch(value.Text(), stage);
  }
  void Set(size_t row, const Variant& value) override {
    const auto [tag, payload] = Encode(value);
    tags_.Set(row, tag);
    payload_.Set(row, payload);
  }
  void AppendValue(size_t row, const Variant& value) override {
    std::pair<uint8_t, Int128> encoded;
    try {
      encoded = Encode(value);
    } catch (...) {  // the row still comes, Null, as the contract says
      Column::AppendValue(row, Variant::Null());
      throw;
    }
    tags_.PushWritten(encoded.first);
    payload_.PushWritten(encoded.second);
  }
  // The tag and payload that keep `value` (a value beyond them goes to the
  // side list).
  std::pair<uint8_t, Int128> Encode(const Variant& value) {
    uint8_t tag = kOverflow;
    Int128 payload = 0;
    switch (value.Type()) {
      case VarType::Empty: tag = kEmpty; break;
      case VarType::Null: tag = kNull; break;
      case VarType::Boolean:
        tag = kBool;
        payload = value.ToBool() ? 1 : 0;
        break;
      case VarType::Int16:
        tag = kInt16;
        payload = value.ToInt64();
        break;
      case VarType::Int32:
        tag = kInt32;
        payload = value.ToInt64();
        break;
      case VarType::Int64:
        tag = kInt64;
        payload = value.ToInt64();
        break;
      case VarType::Double:
        tag = kDouble;
        payload = std::bit_cast<int64_t>(value.ToDouble());
        break;
      case VarType::Text:
        tag = kText;
        payload = pool_.Intern(value.Text());
        break;
      case VarType::Date:
        tag = kDate;
        payload = value.Date().Seconds();
        break;
      case VarType::Decimal: {
        const Decimal d = value.ToDecimal();
        if (d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
          tag = static_cast<uint8_t>(kDecimalBase + d.Scale());
          payload = d.Coefficient();
        }
        break;
      }
    }
    if (tag == kOverflow) {
      payload = static_cast<Int128>(overflow_.size());
      overflow_.push_back(value);
    }
    return {tag, payload};
  }
  [[nodiscard]] Variant Get(size_t row) const override {
    const auto tag = static_cast<uint8_t>(tags_.Get(row));
    const Int128 p = payload_.Get(row);
    switch (tag) {
      case kEmpty: return {};
      case kNull: return Variant::Null();
      case kBool: return p != 0;
      case kInt16: return static_cast<int16_t>(p);
      case kInt32: return static_cast<int32_t>(p);
      case kInt64: return static_cast<int64_t>(p);
      case kDouble: return std::bit_cast<double>(static_cast<int64_t>(p));
      case kText: return pool_.At(static_cast<uint32_t>(p));
      case kDate: return DateTime::FromSeconds(static_cast<int64_t>(p));
      case kOverflow: return overflow_[static_cast<size_t>(p)];
      default: return Decimal::FromParts(p, tag - kDecimalBase);
    }
  }
  // Every value comes back as it went in: texts by the pool, decimals by
  // coefficient and scale, doubles by their bits, the rest as they are.
  [[nodiscard]] Variant Stored(const Variant& value) const override { return value; }
  [[nodiscard]] bool IsNullLike(size_t row) const override {
    const Variant v = Get(row);
    if (v.IsNull() || v.IsEmpty()) return true;
    if (v.IsText()) return IsBlank(v.Text());
    if (v.IsDate()) return false;
    return CompareNumbers(v, Variant(int32_t{0})) <= 0;
  }
  [[nodiscard]] std::optional<CellKey> Key(size_t row) const override {
    const Variant v = Get(row);
    if (v.IsText()) return CellKey{CellKey::kText, 0, pool_.FoldedId(pool_.Find(v.Text()))};
    if (v.IsDate()) return CellKey{CellKey::kDate, 0, v.Date().Seconds()};
    return NumberKeyOf(v);
  }
  [[nodiscard]] std::optional<CellKey> KeyOf(const Variant& literal) const override {
    if (literal.IsText()) return CellKey{CellKey::kText, 0, pool_.Intern(TextPool::Fold(literal.Text()))};
    if (literal.IsDate()) return CellKey{CellKey::kDate, 0, literal.Date().Seconds()};
    return NumberKeyOf(literal);
  }
  [[nodiscard]] size_t MemoryBytes() const override {
    return tags_.MemoryBytes() + payload_.MemoryBytes() + overflow_.capacity() * sizeof(Variant);
  }

 private:
  enum Tag : uint8_t {
    kEmpty,
    kNull,
    kBool,
    kInt16,
    kInt32,
    kInt64,
    kDouble,
    kText,
    kDate,
    kOverflow,
    kDecimalBase = 16
  };
  TextPool& pool_;
  IntStorage tags_;  // no bytes while every value has one type (the usual column)
  IntStorage payload_;
  std::vector<Variant> overflow_;
};

}  // namespace

std::unique_ptr<Column> MakeColumn(const FieldDef& field, TextPool& pool) {
  switch (field.type) {
    case FieldType::Text:
    case FieldType::Char: return std::make_unique<TextColumn>(field, pool);
    case FieldType::Double: return std::make_unique<DoubleColumn>();
    case FieldType::Variant: return std::make_unique<VariantColumn>(pool);
    default: return std::make_unique<ScaledColumn>(field);
  }
}

}  // namespace host
