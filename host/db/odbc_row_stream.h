// The rows of an executed ODBC statement fetched on a thread of their own,
// a block at a time, while the caller stores the block before: the driver's
// work (stepping, turning every value into its C type) and ours (storing
// the values) on two cores. Through the SQLite driver, which hands out one
// row per fetch and writes every value as text first, the driver's part is
// most of a read.
//
// The stream owns the statement's fetching from construction until Next()
// answers null or the stream is destroyed: the caller makes no other call
// on the statement meanwhile (reading its diagnostics afterwards is fine).
// A text that outgrows its buffer is read whole on the fetching thread, as
// OdbcBoundRows reads it, so a block holds every value whole.
//
// Errors: a failed fetch ends the blocks; End() then answers its return
// code and the caller reads the statement's diagnostics. A text whose rest
// cannot be read ends them too, and Next() throws its host::Error after
// the blocks before it.
#pragma once

#include <sql.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/db/block_stream.h"
#include "host/db/odbc_bound_rows.h"
#include "host/value/date_time.h"

namespace host::db {

// A block of fetched rows, each value copied out of the bound buffers in
// the column's kind (see OdbcBoundRows). Reading a value of another kind
// than its column's answers nonsense, as the bound buffers would.
class FetchedRows {
 public:
  [[nodiscard]] size_t Rows() const { return rows_; }
  [[nodiscard]] bool IsNull(size_t row, size_t col) const { return Cell(row, col).state == State::Null; }
  [[nodiscard]] int64_t Integer(size_t row, size_t col) const;
  [[nodiscard]] double Double(size_t row, size_t col) const;
  // Null when the driver's timestamp is no date (month 0, ...).
  [[nodiscard]] std::optional<DateTime> Timestamp(size_t row, size_t col) const;
  // The whole text of a cell; empty for a Null. Valid while the block is.
  [[nodiscard]] std::string_view Text(size_t row, size_t col) const;

 private:
  friend class OdbcRowStream;
  enum class State : uint8_t { Null, Value, NoDate };
  struct Slot {
    // An integer, a double's bits, a date's seconds, or a text's offset in texts_.
    int64_t value = 0;
    uint32_t length = 0;  // of a text
    State state = State::Null;
  };
  [[nodiscard]] const Slot& Cell(size_t row, size_t col) const { return slots_[row * columns_ + col]; }
  void Clear(size_t columns);
  // Appends the rows `bound` fetched last.
  void Append(OdbcBoundRows& bound, const std::vector<OdbcBoundRows::Kind>& kinds);

  size_t columns_ = 0;
  size_t rows_ = 0;
  std::vector<Slot> slots_;
  std::string texts_;
};

class OdbcRowStream {
 public:
  // Starts fetching from `bound`'s statement (executed and bound with the
  // columns of `kinds`). `bound` outlives the stream.
  OdbcRowStream(OdbcBoundRows& bound, std::vector<OdbcBoundRows::Kind> kinds);

  // The next block of at least one row, waiting for it; null when there are
  // no more (see End()). The block stays valid until the next call.
  const FetchedRows* Next() { return blocks_.Next(); }
  // The same, calling `idle` while no block is ready (see BlockStream).
  const FetchedRows* Next(const std::function<bool()>& idle) { return blocks_.Next(idle); }
  // After Next() answered null: SQL_NO_DATA when every row came, else the
  // failing fetch's return code.
  [[nodiscard]] SQLRETURN End() const { return end_; }

 private:
  bool Fetch(FetchedRows& block, const std::atomic<bool>& stop);

  OdbcBoundRows& bound_;
  const std::vector<OdbcBoundRows::Kind> kinds_;
  SQLRETURN end_ = SQL_NO_DATA;  // the fetching thread's, until it is done
  // Last: stops fetching before anything it uses goes.
  BlockStream<FetchedRows> blocks_;
};

}  // namespace host::db
