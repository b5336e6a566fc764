#include "host/recordset/recordset.h"

#include <algorithm>
#include <exception>

#include "host/recordset/criteria.h"
#include "host/value/error.h"

namespace host {
namespace {

[[noreturn]] void ThrowNoCurrent() {
  throw Error(kErrNoCurrentRecord, "Either BOF or EOF is True, or the current record has been deleted", "Recordset");
}

}  // namespace

void RecordSet::RequireOpen() const {
  if (!open_) throw Error(kErrOperationNotAllowed, "Operation is not allowed when the object is closed", "Recordset");
}

void RecordSet::AppendField(const FieldDef& field) {
  if (open_) throw Error(kErrOperationNotAllowed, "Fields cannot be appended to an open record set", "Recordset");
  table_->AddField(field, /*unique=*/true);
}

void RecordSet::Open() {
  open_ = true;
  view_.reset();
  filter_.clear();
  pos_ = -1;
}

void RecordSet::OpenOver(std::shared_ptr<Table> table) {
  table_ = std::move(table);
  open_ = true;
  view_.reset();
  filter_.clear();
  pos_ = 0;
}

void RecordSet::Close() {
  open_ = false;
  edit_ = EditMode::None;
  view_.reset();
  pos_ = -1;
}

size_t RecordSet::CurrentRow() const {
  RequireOpen();
  if (pos_ < 0 || pos_ >= static_cast<int64_t>(Count())) ThrowNoCurrent();
  return RowAt(static_cast<size_t>(pos_));
}

size_t RecordSet::FieldOrThrow(std::string_view name) const {
  const int i = table_->FieldIndex(name);
  if (i < 0) {
    throw Error(kErrItemNotFound, "Item cannot be found in the collection: " + std::string(name), "Recordset");
  }
  return static_cast<size_t>(i);
}

Variant RecordSet::Value(size_t field) const {
  if (field >= table_->FieldCount())
    throw Error(kErrItemNotFound, "Item cannot be found in the collection", "Recordset");
  return table_->Get(CurrentRow(), field);
}

void RecordSet::ValueInto(size_t field, Variant& out) const {
  if (field >= table_->FieldCount())
    throw Error(kErrItemNotFound, "Item cannot be found in the collection", "Recordset");
  table_->GetInto(CurrentRow(), field, out);
}

Variant RecordSet::Value(std::string_view name) const { return Value(FieldOrThrow(name)); }

void RecordSet::SetValue(size_t field, const Variant& value) {
  if (field >= table_->FieldCount())
    throw Error(kErrItemNotFound, "Item cannot be found in the collection", "Recordset");
  const size_t row = CurrentRow();
  table_->Set(row, field, value);
  if (edit_ == EditMode::None) edit_ = EditMode::InProgress;
}

void RecordSet::SetValue(std::string_view name, const Variant& value) { SetValue(FieldOrThrow(name), value); }

void RecordSet::SetValues(std::span<const FieldValue> values) {
  for (const FieldValue& v : values) {
    if (v.field >= table_->FieldCount())
      throw Error(kErrItemNotFound, "Item cannot be found in the collection", "Recordset");
  }
  for (const int stage : {0, 1}) {
    for (const FieldValue& v : values) table_->ColumnAt(v.field).Prefetch(v.value, stage);
  }
  for (const FieldValue& v : values) SetValue(v.field, v.value);
}

void RecordSet::AddNew() {
  RequireOpen();
  FinishEdit();
  Appended(table_->AppendRow(), EditMode::Add);
}

void RecordSet::AddRecord(std::span<const Variant> values) {
  RequireOpen();
  FinishEdit();
  if (values.size() != table_->FieldCount()) {
    throw Error(kErrInvalidArgument, "A record needs one value per field", "Recordset");
  }
  // The row is appended whole even when a value is refused: current, as
  // AddNew leaves it, before the refusal is thrown.
  const size_t rows = table_->RowCount();
  std::exception_ptr refused;
  try {
    table_->AppendRow(values);
  } catch (...) {  // thrown below, once the record is current
    refused = std::current_exception();
  }
  if (table_->RowCount() > rows) Appended(rows, EditMode::None);
  if (refused) std::rethrow_exception(refused);
}

void RecordSet::Appended(size_t row, EditMode mode) {
  if (view_) {
    auto extended = std::make_shared<std::vector<uint32_t>>(*view_);
    extended->push_back(static_cast<uint32_t>(row));
    view_ = std::move(extended);
  }
  pos_ = static_cast<int64_t>(Count()) - 1;
  edit_ = mode;
  Moved();
}

void RecordSet::FinishEdit() { edit_ = EditMode::None; }

void RecordSet::Update() {
  RequireOpen();
  FinishEdit();
}

void RecordSet::CancelUpdate() {
  RequireOpen();
  if (edit_ == EditMode::Add && pos_ == static_cast<int64_t>(Count()) - 1 &&
      RowAt(static_cast<size_t>(pos_)) == table_->RowCount() - 1) {
    if (view_) {
      auto shorter = std::make_shared<std::vector<uint32_t>>(*view_);
      shorter->pop_back();
      view_ = std::move(shorter);
    }
    table_->RemoveLastRow();
    pos_ = Count() == 0 ? -1 : static_cast<int64_t>(Count()) - 1;
  }
  edit_ = EditMode::None;
}

void RecordSet::MoveFirst() {
  RequireOpen();
  FinishEdit();
  pos_ = Count() == 0 ? -1 : 0;
  Moved();
}

void RecordSet::MoveLast() {
  RequireOpen();
  FinishEdit();
  pos_ = static_cast<int64_t>(Count()) - 1;
  Moved();
}

void RecordSet::MoveNext() {
  RequireOpen();
  if (Eof()) ThrowNoCurrent();
  FinishEdit();
  ++pos_;
  Moved();
}

void RecordSet::MovePrevious() {
  RequireOpen();
  if (Bof()) ThrowNoCurrent();
  FinishEdit();
  --pos_;
  Moved();
}

Variant RecordSet::ValueAt(size_t position, size_t field) const {
  RequireOpen();
  if (position >= Count()) throw Error(kErrInvalidArgument, "Record position out of range", "Recordset");
  if (field >= FieldCount()) throw Error(kErrItemNotFound, "Field position out of range", "Recordset");
  return table_->Get(RowAt(position), field);
}

int64_t RecordSet::AbsolutePosition() const {
  if (!open_ || Count() == 0) return kPosUnknown;
  if (pos_ < 0) return kPosBof;
  if (pos_ >= static_cast<int64_t>(Count())) return kPosEof;
  return pos_ + 1;
}

void RecordSet::SetAbsolutePosition(int64_t position) {
  RequireOpen();
  if (position < 1 || position > static_cast<int64_t>(Count())) {
    throw Error(kErrInvalidArgument, "AbsolutePosition out of range", "Recordset");
  }
  FinishEdit();
  pos_ = position - 1;
  Moved();
}

void RecordSet::SetFilter(std::string_view criteria) {
  RequireOpen();
  FinishEdit();
  if (Trim(criteria).empty()) {
    view_.reset();
    filter_.clear();
  } else {
    // A failed filter leaves the record set as it was: the new view is
    // made aside first.
    std::string text(criteria);
    Table::Selection rows = table_->RememberedSelection(text);
    if (!rows) {
      const Criteria parsed = ParseCriteria(criteria, *table_);
      rows = std::make_shared<const std::vector<uint32_t>>(SelectRows(parsed, *table_));
      if (remember_filters_) table_->RememberSelection(text, rows);
    }
    view_ = std::move(rows);
    filter_ = std::move(text);
  }
  pos_ = Count() == 0 ? -1 : 0;
  Moved();
}

void RecordSet::Find(std::string_view criterion, int64_t skip) {
  RequireOpen();
  const Criteria parsed = ParseCriteria(criterion, *table_);
  if (parsed.any_of.size() != 1 || parsed.any_of.front().size() != 1) {
    throw Error(kErrBadFilter, "Find takes a single criterion: " + std::string(criterion), "Recordset");
  }
  const Criterion& c = parsed.any_of.front().front();
  FinishEdit();
  const int64_t start = std::max<int64_t>(pos_, 0) + skip;
  const auto count = static_cast<int64_t>(Count());
  int64_t found = count;
  if (c.op == Criterion::Op::Eq && start < count) {
    // Walk the key's chain of rows from the current row on, not the records.
    const ColumnIndex& index = table_->IndexOf(c.column);
    const auto first_row = static_cast<uint32_t>(RowAt(static_cast<size_t>(start)));
    auto visible = [&](uint32_t row) -> bool {
      if (!view_) {
        found = row;
        return true;
      }
      auto at = std::lower_bound(view_->begin() + start, view_->end(), row);
      if (at == view_->end() || *at != row) return false;
      found = at - view_->begin();
      return true;
    };
    if (c.null_literal) {
      const auto& rows = index.NullLikeRows();
      for (auto it = std::lower_bound(rows.begin(), rows.end(), first_row); it != rows.end(); ++it) {
        if (visible(*it)) break;
      }
    } else if (c.key) {
      for (uint32_t r = index.Find(table_->ColumnAt(c.column), *c.key).first; r != ColumnIndex::kNoRow;
           r = index.Next(r)) {
        if (r >= first_row && visible(r)) break;
      }
    }
  } else {
    for (int64_t p = start; p < count; ++p) {
      if (RowMatches(c, *table_, RowAt(static_cast<size_t>(p)))) {
        found = p;
        break;
      }
    }
  }
  pos_ = found;
  Moved();
}

RecordSetPtr RecordSet::Clone() const {
  RequireOpen();
  auto clone = std::make_shared<RecordSet>();
  clone->table_ = table_;
  clone->view_ = view_;
  clone->filter_ = filter_;
  clone->open_ = true;
  clone->pos_ = Count() == 0 ? -1 : 0;
  return clone;
}

int RecordSet::Subscribe(MoveCompleteHandler handler) {
  const int id = next_subscription_++;
  handlers_.emplace_back(id, std::move(handler));
  return id;
}

void RecordSet::Unsubscribe(int subscription) {
  std::erase_if(handlers_, [subscription](const auto& h) { return h.first == subscription; });
}

void RecordSet::Moved() {
  // Copy: a handler may subscribe or unsubscribe while being called.
  const auto handlers = handlers_;
  for (const auto& [id, handler] : handlers) handler(*this);
}

}  // namespace host
