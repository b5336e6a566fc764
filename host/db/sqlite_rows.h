// Rows of an SQLite statement copied out as SQLite gives them, so that they
// can be stored after the statement has moved on: a block of them is what
// SqliteRowStream hands over from its stepping thread, and what the first
// rows of any result are read into before anything is stored.
//
// Each value keeps SQLite's own type for it (sqlite3_column_type): an
// integer, a double, a text (a BLOB's bytes as sqlite3_column_text gives
// them, as a text), or Null.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/block_stream.h"
#include "host/value/variant.h"

namespace host::db {

class SqliteRows {
 public:
  [[nodiscard]] size_t Rows() const { return rows_; }
  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
  [[nodiscard]] int Type(size_t row, size_t col) const { return Cell(row, col).type; }
  // The value as its type reads (nonsense for another type).
  [[nodiscard]] int64_t Integer(size_t row, size_t col) const { return Cell(row, col).integer; }
  [[nodiscard]] double Real(size_t row, size_t col) const { return Cell(row, col).real; }
  // A text's or a BLOB's bytes; valid while the rows are.
  [[nodiscard]] std::string_view Text(size_t row, size_t col) const;
  // The value as a Variant: Int64, Double, Text or Null.
  [[nodiscard]] Variant Raw(size_t row, size_t col) const;

  // Starts afresh with `columns` columns.
  void Clear(size_t columns);
  // Appends the statement's current row.
  void Append(sqlite3_stmt* stmt);

 private:
  struct Slot {
    union {
      int64_t integer = 0;
      double real;
      uint64_t offset;  // of a text, in texts_
    };
    uint32_t length = 0;  // of a text
    int type = SQLITE_NULL;
  };
  [[nodiscard]] const Slot& Cell(size_t row, size_t col) const { return slots_[row * columns_ + col]; }

  size_t columns_ = 0;
  size_t rows_ = 0;
  std::vector<Slot> slots_;
  std::string texts_;
};

// The rows of a statement stepped on a thread of its own, a block at a
// time, while the caller stores the block before (see BlockStream).
//
// The stream steps the statement from construction until Next() answers
// null or the stream is destroyed; its current row, if any, is taken to be
// read already. The caller makes no other call on the statement or its
// connection meanwhile (sqlite3_interrupt excepted; reading the
// connection's error afterwards is fine). `on_row` runs on the stepping
// thread after each step that gives a row (SQLite's progress handler runs
// on that thread too: what it reads, `on_row` may write).
//
// Errors: a failed step ends the blocks; End() then answers its result
// code and the connection holds its message. Running out of memory while
// copying a row ends them too, and Next() throws it after the rows before.
class SqliteRowStream {
 public:
  SqliteRowStream(sqlite3_stmt* stmt, size_t columns, std::function<void()> on_row);

  const SqliteRows* Next() { return blocks_.Next(); }
  // The same, calling `idle` while no block is ready (see BlockStream).
  const SqliteRows* Next(const std::function<bool()>& idle) { return blocks_.Next(idle); }
  // After Next() answered null: SQLITE_DONE when every row came, else the
  // failing step's result code.
  [[nodiscard]] int End() const { return end_; }

 private:
  bool Step(SqliteRows& block, const std::atomic<bool>& stop);

  sqlite3_stmt* stmt_;
  const size_t columns_;
  std::function<void()> on_row_;
  int end_ = SQLITE_DONE;  // the stepping thread's, until it is done
  // Last: stops stepping before anything it uses goes.
  BlockStream<SqliteRows> blocks_;
};

}  // namespace host::db
