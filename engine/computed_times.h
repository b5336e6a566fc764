// The phase computations the pass over the bookings has already kept, found
// by what each was made from: the phase row (its table and row), the
// quantity (its decimal without trailing zeros, or Null), the article and
// the option (by their numbers: equal numbers, equal texts).
//
// Ten years of bookings make a few million distinct computations. A node
// hash map spends about ninety bytes on each; here an entry is 28 bytes end
// to end in one buffer grown in place, found through a table of 32-bit
// entry numbers at most three quarters full. A key that does not pack (a
// quantity beyond 64 bits, a row beyond 32, more than 65,535 tables) goes
// to a map of its own: the figures are the same either way.
//
// Find answers nullopt for a key never added; Add expects a key not there
// yet (the pass adds only what Find did not find).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "host/recordset/growing_bytes.h"
#include "host/value/decimal.h"
#include "host/value/variant.h"

namespace host {
class Table;
}

namespace engine {

struct ComputationKey {
  const host::Table* table = nullptr;  // compared, never read
  size_t row = 0;
  host::Int128 quantity = 0;  // the coefficient, with `scale` decimals
  int scale = 0;
  bool no_quantity = false;  // Null
  uint32_t article = 0, option = 0;
  friend bool operator==(const ComputationKey&, const ComputationKey&) = default;
};

// The key of phase row `row` of `table` computed for `quantity` (a number,
// or Null), article and option by number. Throws what reading the quantity
// as a decimal throws.
ComputationKey ComputationKeyOf(const host::Table* table, size_t row, const host::Variant& quantity,
                                uint32_t article, uint32_t option);

class ComputedTimes {
 public:
  [[nodiscard]] std::optional<uint32_t> Find(const ComputationKey& key) const;
  void Add(const ComputationKey& key, uint32_t times);
  [[nodiscard]] size_t Size() const { return count_ + unpacked_.size(); }
  [[nodiscard]] size_t MemoryBytes() const;

 private:
  // A key packed, and its computation's number. Alignment 4: 28 bytes.
  struct Entry {
    uint32_t quantity_low, quantity_high;
    uint32_t row, article, option, times;
    uint16_t table;
    uint8_t scale, no_quantity;
    [[nodiscard]] bool SameKey(const Entry& other) const;
  };
  static_assert(sizeof(Entry) == 28);

  [[nodiscard]] std::optional<Entry> Pack(const ComputationKey& key) const;
  [[nodiscard]] Entry EntryAt(size_t entry) const;
  [[nodiscard]] static uint64_t HashOf(const Entry& entry);
  // The slot holding `entry`'s key, or the free slot where it would go.
  [[nodiscard]] size_t SlotOf(const Entry& entry) const;
  void Grow();

  struct KeyHash {
    size_t operator()(const ComputationKey& key) const noexcept;
  };

  std::vector<const host::Table*> tables_;  // a table's number: its place here
  host::GrowingBytes entries_;              // Entry after Entry
  size_t count_ = 0;
  std::vector<uint32_t> slots_;  // entry + 1, or 0 when free; a power of two long
  std::unordered_map<ComputationKey, uint32_t, KeyHash> unpacked_;
};

}  // namespace engine
