#include "host/recordset/column_index.h"

#include <optional>

namespace host {

size_t ColumnIndex::Probe(const Column& column, const CellKey& key, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  const auto low = static_cast<uint32_t>(hash);
  for (size_t i = low & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.count == 0) return i;
    if (slot.hash == low && column.Key(slot.first) == key) return i;
  }
}

void ColumnIndex::Grow(size_t expected_keys) {
  size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  while (size * 7 < expected_keys * 10) size *= 2;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(size, Slot{});
  const size_t mask = slots_.size() - 1;
  // Keys are distinct already: place by hash alone.
  for (const Slot& slot : old) {
    if (slot.count == 0) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].count != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void ColumnIndex::CatchUp(const Column& column, size_t rows) {
  next_.reserve(rows);
  // Rows sorted by the column (bookings come ordered by their grouping)
  // repeat the key of the row before: found without hashing or probing.
  std::optional<CellKey> last_key;
  uint64_t last_hash = 0;
  size_t last_slot = 0;
  const size_t start = next_.size();
  for (size_t row = start; row < rows; ++row) {
    const auto r = static_cast<uint32_t>(row);
    next_.push_back(kNoRow);
    if (column.IsNullLike(row)) null_like_.push_back(r);
    const auto key = column.Key(row);
    if (!key) continue;
    if (!last_key || !(*key == *last_key)) {
      if ((used_ + 1) * 10 > slots_.size() * 7) {
        // A column where most rows so far brought a new key (an id) is
        // sized for the rest at once: each doubling of a table of millions
        // of slots touches fresh memory again, and that is its whole cost.
        const size_t seen = row - start + 1;
        const bool ids = seen >= 512 && (used_ + 1) * 2 >= seen;
        Grow(ids ? (used_ + 1) * (rows - start) / seen : 0);
      }
      last_hash = CellKeyHash{}(*key);
      last_slot = Probe(column, *key, last_hash);
      last_key = key;
    }
    Slot& slot = slots_[last_slot];
    if (slot.count == 0) {
      slot = Slot{static_cast<uint32_t>(last_hash), r, r, 1};
      ++used_;
    } else {
      next_[slot.last] = r;
      slot.last = r;
      ++slot.count;
    }
  }
}

ColumnIndex::Posting ColumnIndex::Find(const Column& column, const CellKey& key) const {
  if (slots_.empty()) return {};
  const Slot& slot = slots_[Probe(column, key, CellKeyHash{}(key))];
  return slot.count == 0 ? Posting{} : Posting{slot.first, slot.count};
}

std::vector<uint32_t> ColumnIndex::Rows(Posting posting) const {
  std::vector<uint32_t> rows;
  rows.reserve(posting.count);
  for (uint32_t r = posting.first; r != kNoRow; r = next_[r]) rows.push_back(r);
  return rows;
}

}  // namespace host
