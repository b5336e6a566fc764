// A number (0 = none) per IDGRUPPO key, found in one step: IDGRUPPO is the
// largest booking number of the group, so a run's keys lie in a range not
// much wider than its bookings; a vector over that range holds them, and a
// key outside it (or every key, when the range is too wide to be worth its
// memory) goes to a hash map.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace engine {

class IdSlots {
 public:
  IdSlots() = default;
  // Ready for `keys` (the keys to come, any order; negative ones are kept in
  // the map): the vector spans their range when it is at most
  // 4 × keys.size() + 1,024 wide, or `width` wide (the caller's bound: the
  // bookings of a run are numbered about as densely as they are many).
  explicit IdSlots(std::span<const int64_t> keys, size_t width = 0);
  // The number kept for `key`, made 0 when there was none.
  uint32_t& operator[](int64_t key);
  // The number kept for `key`; 0 when there is none.
  [[nodiscard]] uint32_t Find(int64_t key) const;

 private:
  int64_t base_ = 0;
  std::vector<uint32_t> dense_;  // key - base_ -> number
  std::unordered_map<int64_t, uint32_t> sparse_;
  [[nodiscard]] bool InRange(int64_t key) const {
    return key >= base_ && static_cast<uint64_t>(key - base_) < dense_.size();
  }
};

}  // namespace engine
