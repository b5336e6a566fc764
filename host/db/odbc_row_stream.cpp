#include "host/db/odbc_row_stream.h"

#include <cstring>

#include "host/value/error.h"

namespace host::db {

namespace {

// Rows a block is filled with before the caller gets it: enough that
// handing it over costs nothing beside the rows, few enough that the caller
// starts at once.
constexpr size_t kBlockRows = 256;

}  // namespace

int64_t FetchedRows::Integer(size_t row, size_t col) const { return Cell(row, col).value; }

double FetchedRows::Double(size_t row, size_t col) const {
  double value = 0;
  std::memcpy(&value, &Cell(row, col).value, sizeof value);
  return value;
}

std::optional<DateTime> FetchedRows::Timestamp(size_t row, size_t col) const {
  const Slot& slot = Cell(row, col);
  if (slot.state != State::Value) return std::nullopt;
  return DateTime::FromSeconds(slot.value);
}

std::string_view FetchedRows::Text(size_t row, size_t col) const {
  const Slot& slot = Cell(row, col);
  if (slot.state != State::Value) return {};
  return std::string_view(texts_).substr(static_cast<size_t>(slot.value), slot.length);
}

void FetchedRows::Clear(size_t columns) {
  columns_ = columns;
  rows_ = 0;
  slots_.clear();
  texts_.clear();
}

void FetchedRows::Append(OdbcBoundRows& bound, const std::vector<OdbcBoundRows::Kind>& kinds) {
  using Kind = OdbcBoundRows::Kind;
  for (size_t r = 0; r < bound.Rows(); ++r) {
    // A row's slots at once: a fetch through the SQLite driver is one row
    // of a hundred columns, copied on the thread every read waits for.
    const size_t first = slots_.size();
    slots_.resize(first + columns_);
    for (size_t c = 0; c < columns_; ++c) {
      Slot& slot = slots_[first + c];
      if (bound.IsNull(r, c)) continue;
      slot.state = State::Value;
      switch (kinds[c]) {
        case Kind::Integer: slot.value = bound.Integer(r, c); break;
        case Kind::Double: {
          const double value = bound.Double(r, c);
          std::memcpy(&slot.value, &value, sizeof value);
          break;
        }
        case Kind::Timestamp:
          if (const auto date = bound.Timestamp(r, c)) {
            slot.value = date->Seconds();
          } else {
            slot.state = State::NoDate;
          }
          break;
        case Kind::Text: {
          const std::string_view text = bound.Text(r, c);
          slot.value = static_cast<int64_t>(texts_.size());
          slot.length = static_cast<uint32_t>(text.size());
          texts_.append(text);
          break;
        }
      }
    }
    ++rows_;
  }
}

OdbcRowStream::OdbcRowStream(OdbcBoundRows& bound, std::vector<OdbcBoundRows::Kind> kinds)
    : bound_(bound), kinds_(std::move(kinds)), blocks_([this](FetchedRows& block, const std::atomic<bool>& stop) {
        return Fetch(block, stop);
      }) {}

bool OdbcRowStream::Fetch(FetchedRows& block, const std::atomic<bool>& stop) {
  block.Clear(kinds_.size());
  while (block.Rows() < kBlockRows && !stop) {
    const SQLRETURN rc = bound_.Fetch();
    if (!SQL_SUCCEEDED(rc)) {
      end_ = rc;
      return false;
    }
    block.Append(bound_, kinds_);
  }
  return true;
}

}  // namespace host::db
