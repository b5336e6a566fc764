// The phases a group's sums have counted, found in one probe: the group
// figures ask for the phase of every booking (hundreds of thousands of
// bookings a second), and a node-based hash map spends most of that in
// its allocations and pointer chasing.
//
// A phase is an order or a cycle phase and its id's decimal. Ids are whole
// numbers below 2^62 in every database seen: such a key is packed into 64
// bits and kept in an open-addressed table of 16-byte slots; any other key
// (a negative, fractional or larger id) goes to a hash map beside, with the
// same answers. Each key holds a value of two numbers.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/value/decimal.h"

namespace engine {

struct PhaseKey {
  bool order = false;  // an order phase (else a cycle phase)
  host::Int128 id = 0;  // the id's decimal: coefficient and scale
  int scale = 0;
  friend bool operator==(const PhaseKey&, const PhaseKey&) = default;
};

class PhaseKeyMap {
 public:
  struct Value {
    uint32_t first = 0;
    uint32_t second = 0;
  };
  // The value held for `key`, and whether it was added now with `value`.
  // The pointer stays valid until the next key is added.
  std::pair<Value*, bool> TryEmplace(const PhaseKey& key, Value value);
  std::pair<Value*, bool> TryEmplace(const PhaseKey& key) { return TryEmplace(key, Value{0, 0}); }
  // The value held for `key`; null when there is none.
  [[nodiscard]] Value* Find(const PhaseKey& key);
  [[nodiscard]] size_t Size() const { return used_ + others_.size(); }
  // Room for `keys` keys without growing.
  void Reserve(size_t keys);
  // Calls `visit(value)` for every key's value, in no particular order.
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (const Slot& s : slots_) {
      if (s.packed != 0) visit(s.value);
    }
    for (const auto& [key, value] : others_) visit(value);
  }
  void Clear();

 private:
  struct Slot {
    uint64_t packed = 0;  // 0: free
    Value value;
  };
  struct Hash {
    size_t operator()(const PhaseKey& p) const noexcept;
  };
  // The key packed into 64 bits, 0 when it does not fit.
  static uint64_t Packed(const PhaseKey& key);
  [[nodiscard]] size_t SlotOf(uint64_t packed) const;
  void Grow(size_t slots);
  std::vector<Slot> slots_;  // a power of two of them, at most 70 % used
  size_t used_ = 0;
  int shift_ = 64;
  std::unordered_map<PhaseKey, Value, Hash> others_;
};

}  // namespace engine
