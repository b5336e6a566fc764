#include "host/recordset/table.h"

#include <exception>

#include "host/value/error.h"

namespace host {

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

void Table::AddField(const FieldDef& field, bool unique) {
  const std::string key = UpperAscii(field.name);
  if (unique && by_name_.count(key) != 0) {
    throw Error(kErrOperationNotAllowed, "Field " + field.name + " already exists", "Recordset");
  }
  by_name_.emplace(key, static_cast<int>(fields_.size()));  // keeps the first of a repeated name
  fields_.push_back(field);
  columns_.push_back(MakeColumn(field, *pool_));
  kept_.push_back(columns_.back().get());
  indexes_.emplace_back();
  for (size_t r = 0; r < rows_; ++r) columns_.back()->AppendNull();
}

int Table::FieldIndex(std::string_view name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? -1 : it->second;
}

void Table::ComputeFields(size_t first, const std::vector<std::string>& names,
                          std::shared_ptr<const RowFormula> formula) {
  const auto refuse = [](const std::string& why) { throw Error(kErrOperationNotAllowed, why, "Recordset"); };
  if (rows_ != 0) refuse("Fields can be made computed only before the first row");
  if (first + names.size() > fields_.size()) refuse("There are fewer fields than the computed ones");
  std::vector<FieldDef> computed;
  for (size_t k = 0; k < names.size(); ++k) {
    if (UpperAscii(names[k]) != UpperAscii(fields_[first + k].name)) {
      refuse("Computed field " + names[k] + " is not field " + fields_[first + k].name);
    }
    computed.push_back(fields_[first + k]);
  }
  auto columns = MakeComputedColumns(computed, std::move(formula));
  for (size_t k = 0; k < columns.size(); ++k) {
    std::erase(kept_, columns_[first + k].get());
    columns_[first + k] = std::move(columns[k]);
    indexes_[first + k].reset();
  }
  Changed();
}

size_t Table::AppendRow() {
  Changed();
  for (Column* column : kept_) column->AppendNull();
  return rows_++;
}

size_t Table::AppendRow(std::span<const Variant> values) {
  if (values.size() != columns_.size()) throw Error(kErrInvalidArgument, "A row needs one value per field", "Recordset");
  Changed();
  // Every column gains the row, as AppendRow and the Sets would leave it;
  // the first failure is thrown once the row is whole.
  std::exception_ptr failure;
  for (size_t c = 0; c < columns_.size(); ++c) {
    try {
      columns_[c]->AppendValue(rows_, values[c]);
    } catch (...) {  // thrown below, after the row is whole
      if (!failure) failure = std::current_exception();
    }
  }
  const size_t row = rows_++;
  if (failure) std::rethrow_exception(failure);
  return row;
}

void Table::RemoveLastRow() {
  if (rows_ == 0) return;
  Changed();
  for (Column* column : kept_) column->PopBack();
  --rows_;
  for (auto& index : indexes_) {
    if (index && index->IndexedRows() > rows_) index.reset();
  }
}

void Table::Reserve(size_t rows) {
  for (Column* column : kept_) column->Reserve(rows);
}

void Table::ShrinkToFit() {
  for (Column* column : kept_) column->ShrinkToFit();
}

void Table::Set(size_t row, size_t col, const Variant& value) {
  Changed();
  columns_[col]->Set(row, value);
  // A row already indexed changed: its postings are stale.
  if (indexes_[col] && row < indexes_[col]->IndexedRows()) indexes_[col].reset();
}

void Table::SetInteger(size_t row, size_t col, int64_t value) {
  Changed();
  columns_[col]->SetInteger(row, value);
  if (indexes_[col] && row < indexes_[col]->IndexedRows()) indexes_[col].reset();
}

void Table::SetText(size_t row, size_t col, std::string_view text) {
  Changed();
  columns_[col]->SetText(row, text);
  if (indexes_[col] && row < indexes_[col]->IndexedRows()) indexes_[col].reset();
}

void Table::Changed() {
  if (selections_.empty()) return;
  selections_.clear();
  selected_rows_ = 0;
}

Table::Selection Table::RememberedSelection(const std::string& criteria) const {
  auto it = selections_.find(criteria);
  return it == selections_.end() ? nullptr : it->second;
}

void Table::RememberSelection(const std::string& criteria, Selection rows) {
  if (!rows) return;
  if (selected_rows_ + rows->size() > 2 * rows_ + 1024) {
    selections_.clear();
    selected_rows_ = 0;
  }
  selected_rows_ += rows->size();
  selections_[criteria] = std::move(rows);
}

const ColumnIndex& Table::IndexOf(size_t col) {
  auto& index = indexes_[col];
  if (!index) index = std::make_unique<ColumnIndex>();
  index->CatchUp(*columns_[col], rows_);
  return *index;
}

size_t Table::MemoryBytes() const {
  size_t bytes = pool_->MemoryBytes();
  for (const auto& column : columns_) bytes += column->MemoryBytes();
  return bytes;
}

}  // namespace host
