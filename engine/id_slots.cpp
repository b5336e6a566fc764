#include "engine/id_slots.h"

#include <algorithm>

namespace engine {

IdSlots::IdSlots(std::span<const int64_t> keys, size_t width) {
  int64_t low = INT64_MAX, high = -1;
  for (const int64_t key : keys) {
    if (key < 0) continue;
    low = std::min(low, key);
    high = std::max(high, key);
  }
  if (high < 0) return;
  const auto range = static_cast<uint64_t>(high - low) + 1;
  if (range > std::max<uint64_t>(4 * static_cast<uint64_t>(keys.size()) + 1024, width)) return;
  base_ = low;
  dense_.assign(static_cast<size_t>(range), 0);
}

uint32_t& IdSlots::operator[](int64_t key) {
  return InRange(key) ? dense_[static_cast<size_t>(key - base_)] : sparse_[key];
}

uint32_t IdSlots::Find(int64_t key) const {
  if (InRange(key)) return dense_[static_cast<size_t>(key - base_)];
  const auto it = sparse_.find(key);
  return it == sparse_.end() ? 0 : it->second;
}

}  // namespace engine
