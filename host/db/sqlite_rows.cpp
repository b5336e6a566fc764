#include "host/db/sqlite_rows.h"

namespace host::db {

namespace {

// Rows a block is filled with before the caller gets it: enough that
// handing it over costs nothing beside the rows, few enough that the caller
// starts at once.
constexpr size_t kBlockRows = 256;

}  // namespace

std::string_view SqliteRows::Text(size_t row, size_t col) const {
  const Slot& slot = Cell(row, col);
  if (slot.type != SQLITE_TEXT && slot.type != SQLITE_BLOB) return {};
  return std::string_view(texts_).substr(static_cast<size_t>(slot.offset), slot.length);
}

Variant SqliteRows::Raw(size_t row, size_t col) const {
  switch (Type(row, col)) {
    case SQLITE_INTEGER: return Integer(row, col);
    case SQLITE_FLOAT: return Real(row, col);
    case SQLITE_NULL: return Variant::Null();
    default: return Text(row, col);
  }
}

void SqliteRows::Clear(size_t columns) {
  columns_ = columns;
  rows_ = 0;
  slots_.clear();
  texts_.clear();
}

void SqliteRows::Append(sqlite3_stmt* stmt) {
  for (size_t c = 0; c < columns_; ++c) {
    const auto col = static_cast<int>(c);
    Slot& slot = slots_.emplace_back();
    slot.type = sqlite3_column_type(stmt, col);
    switch (slot.type) {
      case SQLITE_INTEGER: slot.integer = sqlite3_column_int64(stmt, col); break;
      case SQLITE_FLOAT: slot.real = sqlite3_column_double(stmt, col); break;
      case SQLITE_NULL: break;
      default: {
        // The text first, then its length in bytes, as SQLite asks.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
        slot.length = static_cast<uint32_t>(sqlite3_column_bytes(stmt, col));
        slot.offset = texts_.size();
        if (slot.length > 0) texts_.append(text, slot.length);
        break;
      }
    }
  }
  ++rows_;
}

SqliteRowStream::SqliteRowStream(sqlite3_stmt* stmt, size_t columns, std::function<void()> on_row)
    : stmt_(stmt),
      columns_(columns),
      on_row_(std::move(on_row)),
      blocks_([this](SqliteRows& block, const std::atomic<bool>& stop) { return Step(block, stop); }) {}

bool SqliteRowStream::Step(SqliteRows& block, const std::atomic<bool>& stop) {
  block.Clear(columns_);
  while (block.Rows() < kBlockRows && !stop) {
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_ROW) {
      end_ = rc;
      return false;
    }
    on_row_();
    block.Append(stmt_);
  }
  return true;
}

}  // namespace host::db
