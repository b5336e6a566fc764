#include "results_form/booking_record_filter.h"

#include <chrono>
#include <vector>

#include "host/recordset/criteria.h"

namespace results_form {

BookingRecordFilter::BookingRecordFilter(host::RecordSetPtr records, const std::string& field)
    : records_(std::move(records)) {
  if (!records_) return;
  table_ = records_->SharedStorage();
  column_ = table_->FieldIndex(field);
  rows_ = table_->RowCount();
}

void BookingRecordFilter::StartIndex() {
  if (column_ < 0 || rows_ == 0 || building_.valid() || ready_) return;
  // The thread only reads the column, which nothing writes once the run is
  // over; the index it fills is this object's own, not the table's.
  const host::Column* column = &table_->ColumnAt(static_cast<size_t>(column_));
  building_ = std::async(std::launch::async, [this, column] { index_.CatchUp(*column, rows_); });
}

BookingRecordFilter::~BookingRecordFilter() {
  if (building_.valid()) building_.wait();
}

bool BookingRecordFilter::IndexReady() {
  if (!ready_ && building_.valid() && building_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
    building_.get();
    ready_ = true;
  }
  return ready_;
}

void BookingRecordFilter::Apply(const std::string& criteria) {
  host::Table& table = records_->Storage();
  if (column_ < 0 || rows_ == 0 || table.RowCount() != rows_ || host::Trim(criteria).empty() ||
      table.RememberedSelection(criteria)) {
    records_->SetFilter(criteria);
    return;
  }
  const host::Criteria parsed = host::ParseCriteria(criteria, table);
  if (parsed.any_of.size() != 1 || parsed.any_of.front().size() != 1 ||
      parsed.any_of.front().front().op != host::Criterion::Op::Eq ||
      parsed.any_of.front().front().column != static_cast<size_t>(column_)) {
    records_->SetFilter(criteria);
    return;
  }
  const host::Criterion& equality = parsed.any_of.front().front();
  const host::Column& column = table.ColumnAt(static_cast<size_t>(column_));
  // The rows the column's index would give: "= NULL" its Null-like rows, a
  // literal without a key none, otherwise the rows of the same key, in order.
  auto rows = std::make_shared<std::vector<uint32_t>>();
  if (IndexReady()) {
    if (equality.null_literal) {
      *rows = index_.NullLikeRows();
    } else if (equality.key) {
      *rows = index_.Rows(index_.Find(column, *equality.key));
    }
  } else if (equality.null_literal || equality.key) {
    for (size_t row = 0; row < rows_; ++row) {
      const bool kept = equality.null_literal ? column.IsNullLike(row) : column.Key(row) == equality.key;
      if (kept) rows->push_back(static_cast<uint32_t>(row));
    }
  }
  table.RememberSelection(criteria, std::move(rows));
  records_->SetFilter(criteria);
}

}  // namespace results_form
