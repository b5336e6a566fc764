// The rows of a record set, shared by the record set and its clones: field
// definitions, one column per field, the text pool, and the equality indexes
// that filters and searches build on first use.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/recordset/column.h"
#include "host/recordset/column_index.h"
#include "host/recordset/computed_fields.h"

namespace host {

// Field names compare without case; lookups take a string_view and allocate nothing.
struct FieldNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const noexcept {
    size_t h = 1469598103934665603ULL;
    for (const char c : name)
      h = (h ^ static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c)) * 1099511628211ULL;
    return h;
  }
};
struct FieldNameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
      const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
      if (x != y) return false;
    }
    return true;
  }
};

class Table {
 public:
  // Adds a field. A query may answer two columns of the same name (the
  // planned-time selects do): by name the first one is found. With `unique`
  // a repeated name is refused instead, as in-memory layouts want.
  void AddField(const FieldDef& field, bool unique = false);
  [[nodiscard]] size_t FieldCount() const { return fields_.size(); }
  [[nodiscard]] const FieldDef& Field(size_t i) const { return fields_[i]; }
  // Index of a field by name (any case), or -1.
  [[nodiscard]] int FieldIndex(std::string_view name) const;
  // Makes the fields from `first` on, as many as `fields` names (by name, in
  // order), computed by `formula` (see computed_fields.h). Only on a table
  // without rows; kErrOperationNotAllowed otherwise or when the names do not
  // match the fields there.
  void ComputeFields(size_t first, const std::vector<std::string>& fields, std::shared_ptr<const RowFormula> formula);

  [[nodiscard]] size_t RowCount() const { return rows_; }
  // Appends a row of Nulls and answers its number.
  size_t AppendRow();
  // Appends a row holding `values` (one per field, in field order), as
  // AppendRow and a Set of each would; answers its number.
  size_t AppendRow(std::span<const Variant> values);
  void RemoveLastRow();
  void Reserve(size_t rows);
  // Gives back the room kept for rows to come, once no more will be
  // appended for a while (a statement's read has ended). Rows unchanged.
  void ShrinkToFit();

  [[nodiscard]] Variant Get(size_t row, size_t col) const { return columns_[col]->Get(row); }
  void GetInto(size_t row, size_t col, Variant& out) const { columns_[col]->GetInto(row, out); }
  // Set with a whole number or a text, without a Variant (a statement's rows).
  void SetInteger(size_t row, size_t col, int64_t value);
  void SetText(size_t row, size_t col, std::string_view text);
  void Set(size_t row, size_t col, const Variant& value);
  [[nodiscard]] const Column& ColumnAt(size_t col) const { return *columns_[col]; }
  // Column::PrefetchRow of one cell.
  void PrefetchCell(size_t row, size_t col) const { columns_[col]->PrefetchRow(row); }

  // The up-to-date equality index of a column: rows added since its last
  // use are indexed now; a change to an indexed cell had dropped it, so it is
  // rebuilt.
  const ColumnIndex& IndexOf(size_t col);

  [[nodiscard]] size_t MemoryBytes() const;
  // One column's part of it (its texts are the pool's, counted once above).
  [[nodiscard]] size_t ColumnMemoryBytes(size_t col) const { return columns_[col]->MemoryBytes(); }

  // The rows a filter selected, remembered while no row is added, removed or
  // written: going back to a group whose bookings were already filtered
  // costs a look-up. Null when not remembered.
  using Selection = std::shared_ptr<const std::vector<uint32_t>>;
  [[nodiscard]] Selection RememberedSelection(const std::string& criteria) const;
  void RememberSelection(const std::string& criteria, Selection rows);

 private:
  friend class RowAppender;  // appends cells column by column, then the row
  void Changed();

  std::vector<FieldDef> fields_;
  std::vector<std::unique_ptr<Column>> columns_;
  // The columns that keep their cells, in order: a computed one keeps none,
  // and a row appended to a record of seventy computed fields should not
  // call on each of them (a million records are appended one by one).
  std::vector<Column*> kept_;
  std::unordered_map<std::string, int, FieldNameHash, FieldNameEqual> by_name_;
  std::unique_ptr<TextPool> pool_ = std::make_unique<TextPool>();
  std::vector<std::unique_ptr<ColumnIndex>> indexes_;
  size_t rows_ = 0;
  // Remembered selections; they hold at most twice the rows of the table,
  // so memory stays bounded whatever the number of filters.
  std::unordered_map<std::string, Selection> selections_;
  size_t selected_rows_ = 0;
};

std::string UpperAscii(std::string_view text);

}  // namespace host
