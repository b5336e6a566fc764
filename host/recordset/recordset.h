// An in-memory record set with the behaviour the module's procedures rely on:
// fields appended and opened without a source, AddNew/Update, cursor moves
// with BOF/EOF, AbsolutePosition and RecordCount, Filter, Find, Clone, and a
// MoveComplete notification on every change of the current record.
//
// Errors are host::Error: reading or writing a field with no current record
// (kErrNoCurrentRecord), an unknown field (kErrItemNotFound), bad criteria
// (kErrBadFilter), a value that does not fit its field (see column.h), a
// field appended after opening or any use before opening
// (kErrOperationNotAllowed). A failed call leaves the record set as it was.
//
// Rows are shared with clones: a clone has its own cursor and filter (at
// first the original's) and sees rows that either adds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/recordset/table.h"

namespace host {

class RecordSet;
using RecordSetPtr = std::shared_ptr<RecordSet>;

class RecordSet {
 public:
  static constexpr int64_t kPosBof = -2;      // AbsolutePosition before the first record
  static constexpr int64_t kPosEof = -3;      // AbsolutePosition after the last record
  static constexpr int64_t kPosUnknown = -1;  // no records
  enum class EditMode : uint8_t { None, InProgress, Add };
  using MoveCompleteHandler = std::function<void(RecordSet&)>;

  RecordSet() = default;
  static RecordSetPtr Create() { return std::make_shared<RecordSet>(); }

  // Layout, before Open.
  void AppendField(const FieldDef& field);
  // Opens with no source and no connection: empty, BOF and EOF.
  void Open();
  // Opens over rows built elsewhere (a database reader), at the first record.
  void OpenOver(std::shared_ptr<Table> table);
  void Close();
  [[nodiscard]] bool IsOpen() const { return open_; }

  [[nodiscard]] size_t FieldCount() const { return table_->FieldCount(); }
  [[nodiscard]] const FieldDef& Field(size_t i) const { return table_->Field(i); }
  // Index of a field by name in O(1), any case; -1 when there is none.
  [[nodiscard]] int FieldIndex(std::string_view name) const { return table_->FieldIndex(name); }

  // Current record's values.
  [[nodiscard]] Variant Value(size_t field) const;
  // Value(field) into `out`, which may keep its storage.
  void ValueInto(size_t field, Variant& out) const;
  [[nodiscard]] Variant Value(std::string_view name) const;
  // The value of the record at 0-based `position` of the current filter,
  // without moving the cursor (for grids that paint any row). Throws
  // kErrInvalidArgument for a position out of range.
  [[nodiscard]] Variant ValueAt(size_t position, size_t field) const;
  // Writes the current record (starting an edit when none is in progress).
  void SetValue(size_t field, const Variant& value);
  void SetValue(std::string_view name, const Variant& value);
  // Several SetValue(field, value) in order, the memory that their texts'
  // look-ups read fetched together first (see TextPool::Prefetch): a row of
  // many texts in a large pool waits once instead of once a text. A field
  // out of range throws as SetValue, before anything is written.
  struct FieldValue {
    size_t field;
    Variant value;
  };
  void SetValues(std::span<const FieldValue> values);

  // Adds a record of Nulls and makes it current.
  void AddNew();
  // Adds a whole record, one value per field in field order, and makes it
  // current: what AddNew, a SetValue of every field and Update leave, with
  // each value written once. A value its field refuses is Null there and
  // its error is thrown once the record is added and current; a wrong
  // number of values throws kErrInvalidArgument and adds nothing.
  void AddRecord(std::span<const Variant> values);
  // Ends the edit or addition in progress (nothing to do without one).
  void Update();
  // Drops an addition in progress (an edit keeps what was written).
  void CancelUpdate();
  [[nodiscard]] EditMode Editing() const { return edit_; }

  void MoveFirst();
  void MoveLast();
  void MoveNext();      // from the last record to EOF; at EOF an error
  void MovePrevious();  // from the first record to BOF; at BOF an error
  [[nodiscard]] bool Bof() const { return open_ && (Count() == 0 || pos_ < 0); }
  [[nodiscard]] bool Eof() const { return open_ && (Count() == 0 || pos_ >= static_cast<int64_t>(Count())); }
  // 1-based position in the current filter, or kPosBof/kPosEof/kPosUnknown.
  [[nodiscard]] int64_t AbsolutePosition() const;
  void SetAbsolutePosition(int64_t position);
  // Records visible through the current filter.
  [[nodiscard]] size_t RecordCount() const { return Count(); }

  // Keeps only the matching records and moves to the first; "" shows all.
  void SetFilter(std::string_view criteria);
  [[nodiscard]] const std::string& Filter() const { return filter_; }
  // Whether the rows this record set's filters select are remembered by the
  // shared rows for the next filter of the same text (the default: a group
  // visited again filters nothing anew). A pass that filters each group once
  // (a print, an export) turns it off: its filters would stay in the run's
  // memory long after it. A remembered selection is still reused.
  void RememberFilters(bool remember) { remember_filters_ = remember; }

  // Moves to the first record from the current one onwards (after `skip`
  // records) that matches one criterion; to EOF when there is none.
  void Find(std::string_view criterion, int64_t skip = 0);

  // A record set over the same rows with its own cursor (at the first record)
  // and the same filter.
  [[nodiscard]] RecordSetPtr Clone() const;

  // MoveComplete: called after every move, filter, find and addition.
  int Subscribe(MoveCompleteHandler handler);
  void Unsubscribe(int subscription);

  // The storage row of the current record (for callers that keep rows of
  // two record sets in step); throws like Value without a current record.
  [[nodiscard]] size_t StorageRow() const { return CurrentRow(); }

  // The shared rows (for readers, writers of bulk data and measurements).
  [[nodiscard]] Table& Storage() { return *table_; }
  [[nodiscard]] const Table& Storage() const { return *table_; }
  // The shared rows, kept alive by the caller (for rows worked out from them).
  [[nodiscard]] std::shared_ptr<const Table> SharedStorage() const { return table_; }

 private:
  [[nodiscard]] size_t Count() const { return view_ ? view_->size() : table_->RowCount(); }
  [[nodiscard]] size_t RowAt(size_t position) const { return view_ ? (*view_)[position] : position; }
  [[nodiscard]] size_t CurrentRow() const;
  [[nodiscard]] size_t FieldOrThrow(std::string_view name) const;
  void RequireOpen() const;
  void Moved();
  // A row appended to the table: into the view, and current in `mode`.
  void Appended(size_t row, EditMode mode);
  void FinishEdit();

  std::shared_ptr<Table> table_ = std::make_shared<Table>();
  std::shared_ptr<const std::vector<uint32_t>> view_;  // null: every row
  std::string filter_;
  bool remember_filters_ = true;
  int64_t pos_ = -1;
  bool open_ = false;
  EditMode edit_ = EditMode::None;
  std::vector<std::pair<int, MoveCompleteHandler>> handlers_;
  int next_subscription_ = 1;
};

}  // namespace host
