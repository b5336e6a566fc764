// The equality index of one column: for every distinct key, its rows in
// increasing order, as a chain through a per-row link array; plus the rows
// that "= NULL" keeps. An open-addressing table holds 24 bytes per distinct
// key and compares keys by re-reading the chain's first row, so a column of
// a million distinct ids costs about 40 MB instead of a node and a vector per
// id.
#pragma once

#include <cstdint>
#include <vector>

#include "host/recordset/column.h"

namespace host {

class ColumnIndex {
 public:
  static constexpr uint32_t kNoRow = UINT32_MAX;
  struct Posting {
    uint32_t first = kNoRow;
    uint32_t count = 0;
  };

  // Indexes rows [IndexedRows(), rows) of the column.
  void CatchUp(const Column& column, size_t rows);
  [[nodiscard]] size_t IndexedRows() const { return next_.size(); }

  // The rows whose key equals `key` (count 0 when none).
  [[nodiscard]] Posting Find(const Column& column, const CellKey& key) const;
  // The next row of the same key after `row`, or kNoRow.
  [[nodiscard]] uint32_t Next(uint32_t row) const { return next_[row]; }
  // Rows holding Null, Empty, blank text or a number not above 0.
  [[nodiscard]] const std::vector<uint32_t>& NullLikeRows() const { return null_like_; }

  // The rows of a posting, in order.
  [[nodiscard]] std::vector<uint32_t> Rows(Posting posting) const;

 private:
  struct Slot {
    uint32_t hash = 0;  // the key's hash, low half: enough to place and to skip
    uint32_t first = kNoRow;
    uint32_t last = kNoRow;
    uint32_t count = 0;  // 0: free slot
  };
  [[nodiscard]] size_t Probe(const Column& column, const CellKey& key, uint64_t hash) const;
  // Doubles the table, or sizes it at once for `expected_keys`.
  void Grow(size_t expected_keys);

  std::vector<Slot> slots_;
  size_t used_ = 0;
  std::vector<uint32_t> next_;
  std::vector<uint32_t> null_like_;
};

}  // namespace host
