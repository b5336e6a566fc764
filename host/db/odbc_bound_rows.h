// The rows of an executed ODBC statement read through bound buffers, a
// rowset at a time: whole numbers as 64-bit integers, doubles as doubles,
// dates as timestamps, everything else as text (decimals too: their text is
// exact). A text longer than its buffer is read whole with SQLGetData for the
// rest: nothing is ever cut.
//
// A rowset is a few hundred rows when no text can outgrow its buffer (a
// server keeps a column's size; the buffer holds that many characters of
// UTF-8); else one row, as the rest of a long text can be read with
// SQLGetData only on the row last fetched (the SQLite driver has no
// SQLGetData on a block of rows, and places a block's cursor wrongly).
// Where sizes are not kept the buffer holds the declared size in bytes (at
// least 32): the usual text fits, a longer one is read whole as said.
//
// Errors: Fetch answers the driver's return code (the caller reads its
// diagnostics); Text throws host::Error (kErrDatabase) when the rest of a
// long text cannot be read.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/value/date_time.h"

namespace host::db {

class OdbcBoundRows {
 public:
  enum class Kind { Integer, Double, Timestamp, Text };
  struct Column {
    Kind kind = Kind::Text;
    // For a text: the characters the driver says the column holds (0 when it
    // does not say or holds any length).
    SQLULEN size = 0;
  };

  // Binds every column of `stmt` (already executed). `sizes_kept`: no text is
  // longer than its column's size (a server keeps them; SQLite does not).
  OdbcBoundRows(SQLHSTMT stmt, const std::vector<Column>& columns, bool sizes_kept);
  ~OdbcBoundRows();
  OdbcBoundRows(const OdbcBoundRows&) = delete;
  OdbcBoundRows& operator=(const OdbcBoundRows&) = delete;

  // Fetches the next rowset: SQL_SUCCESS or SQL_SUCCESS_WITH_INFO with
  // Rows() > 0, SQL_NO_DATA at the end, else the failure.
  SQLRETURN Fetch();
  [[nodiscard]] size_t Rows() const { return static_cast<size_t>(fetched_); }
  [[nodiscard]] size_t RowsPerFetch() const { return rowset_; }

  // Inline: a block of rows asks them of every cell.
  [[nodiscard]] bool IsNull(size_t row, size_t col) const { return bound_[col].indicators[row] == SQL_NULL_DATA; }
  [[nodiscard]] int64_t Integer(size_t row, size_t col) const { return Scalar<int64_t>(row, col); }
  [[nodiscard]] double Double(size_t row, size_t col) const { return Scalar<double>(row, col); }
  // Null when the driver's timestamp is no date (month 0, ...).
  [[nodiscard]] std::optional<DateTime> Timestamp(size_t row, size_t col) const;
  // The whole text of a cell (asked again, the same text): a view of the
  // buffer, or of the text read whole when it outgrew it. Valid until the
  // next Fetch.
  std::string_view Text(size_t row, size_t col) {
    const Bound& b = bound_[col];
    const SQLLEN length = b.indicators[row];
    if (length == SQL_NULL_DATA) return {};
    if (length != SQL_NO_TOTAL && length < b.width) {
      return {b.data.data() + row * static_cast<size_t>(b.width), static_cast<size_t>(length)};
    }
    return WholeText(row, col);
  }

 private:
  template <class T>
  [[nodiscard]] T Scalar(size_t row, size_t col) const {
    T value{};
    std::memcpy(&value, bound_[col].data.data() + row * sizeof value, sizeof value);
    return value;
  }
  // A text longer than its buffer, read whole.
  std::string_view WholeText(size_t row, size_t col);

  struct Bound {
    Kind kind;
    SQLLEN width = 0;  // bytes of one cell's buffer
    std::vector<char> data;
    std::vector<SQLLEN> indicators;
    // The cell of the current rowset that outgrew the buffer, read whole
    // (SQLGetData gives it once).
    size_t spilled_row = SIZE_MAX;
    std::string spilled;
  };
  SQLHSTMT stmt_;
  size_t rowset_ = 1;
  SQLULEN fetched_ = 0;
  std::vector<SQLUSMALLINT> status_;
  std::vector<Bound> bound_;
};

}  // namespace host::db
