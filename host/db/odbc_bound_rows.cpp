#include "host/db/odbc_bound_rows.h"

#include <algorithm>

#include "host/value/error.h"

namespace host::db {

namespace {

// Rows per fetch: a few hundred make the driver manager's per-call work
// vanish without large buffers.
constexpr size_t kRowset = 256;
// A text column's buffer holds this many characters at most; a longer text
// is read whole with SQLGetData.
constexpr SQLULEN kMaxBoundChars = 2000;
// Bytes of one UTF-8 character at most.
constexpr SQLLEN kBytesPerChar = 4;
// The least buffer of a text whose size a driver does not keep.
constexpr SQLLEN kLeastLooseBytes = 32;
// The buffer of a text whose size is not known or too large.
constexpr SQLLEN kUnsizedBytes = 1024;

}  // namespace

OdbcBoundRows::OdbcBoundRows(SQLHSTMT stmt, const std::vector<Column>& columns, bool sizes_kept) : stmt_(stmt) {
  bool may_outgrow = false;
  for (const auto& column : columns) {
    Bound b{column.kind};
    switch (column.kind) {
      case Kind::Integer: b.width = sizeof(int64_t); break;
      case Kind::Double: b.width = sizeof(double); break;
      case Kind::Timestamp: b.width = sizeof(SQL_TIMESTAMP_STRUCT); break;
      case Kind::Text:
        if (column.size > 0 && column.size <= kMaxBoundChars) {
          // A driver that keeps no sizes may hand a longer text anyway, read
          // whole then: its buffer is for the usual text, not the widest, as
          // the driver fills every byte of it on every fetch.
          b.width = sizes_kept ? static_cast<SQLLEN>(column.size) * kBytesPerChar + 1
                               : std::max(static_cast<SQLLEN>(column.size) + 1, kLeastLooseBytes);
          may_outgrow = may_outgrow || !sizes_kept;
        } else {
          b.width = kUnsizedBytes;
          may_outgrow = true;
        }
        break;
    }
    bound_.push_back(std::move(b));
  }
  // A text that outgrows its buffer is read whole on the row last fetched.
  rowset_ = may_outgrow ? 1 : kRowset;
  status_.resize(rowset_);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowset_), 0);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_STATUS_PTR, status_.data(), 0);
  for (size_t c = 0; c < bound_.size(); ++c) {
    Bound& b = bound_[c];
    b.data.resize(static_cast<size_t>(b.width) * rowset_);
    b.indicators.resize(rowset_);
    SQLSMALLINT c_type = SQL_C_CHAR;
    switch (b.kind) {
      case Kind::Integer: c_type = SQL_C_SBIGINT; break;
      case Kind::Double: c_type = SQL_C_DOUBLE; break;
      case Kind::Timestamp: c_type = SQL_C_TYPE_TIMESTAMP; break;
      case Kind::Text: break;
    }
    SQLBindCol(stmt_, static_cast<SQLUSMALLINT>(c + 1), c_type, b.data.data(), b.width, b.indicators.data());
  }
}

OdbcBoundRows::~OdbcBoundRows() {
  // The statement outlives these buffers: it must not write into them.
  SQLFreeStmt(stmt_, SQL_UNBIND);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
  SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
}

SQLRETURN OdbcBoundRows::Fetch() {
  fetched_ = 0;
  for (auto& b : bound_) b.spilled_row = SIZE_MAX;
  const SQLRETURN rc = SQLFetch(stmt_);
  if (SQL_SUCCEEDED(rc) && fetched_ == 0) return SQL_NO_DATA;
  return rc;
}

std::optional<DateTime> OdbcBoundRows::Timestamp(size_t row, size_t col) const {
  const auto t = Scalar<SQL_TIMESTAMP_STRUCT>(row, col);
  return DateTime::FromParts(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string_view OdbcBoundRows::WholeText(size_t row, size_t col) {
  Bound& b = bound_[col];
  if (b.spilled_row == row) return b.spilled;
  // Longer than its buffer (on a one-row rowset): read whole, from its start.
  b.spilled.clear();
  char chunk[8192];
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc =
        SQLGetData(stmt_, static_cast<SQLUSMALLINT>(col + 1), SQL_C_CHAR, chunk, sizeof chunk, &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) throw Error(kErrDatabase, "Cannot read column " + std::to_string(col + 1), "ODBC");
    if (indicator == SQL_NULL_DATA) break;
    const size_t part = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof chunk))
                            ? sizeof chunk - 1
                            : static_cast<size_t>(indicator);
    b.spilled.append(chunk, part);
    if (rc == SQL_SUCCESS) break;
  }
  b.spilled_row = row;
  return b.spilled;
}

}  // namespace host::db
