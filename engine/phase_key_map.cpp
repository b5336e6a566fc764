#include "engine/phase_key_map.h"

#include <bit>

namespace engine {

uint64_t PhaseKeyMap::Packed(const PhaseKey& key) {
  constexpr host::Int128 kLimit = static_cast<host::Int128>(1) << 62;
  if (key.scale != 0 || key.id < 0 || key.id >= kLimit) return 0;
  return ((static_cast<uint64_t>(key.id) << 1) | (key.order ? 1U : 0U)) + 1;
}

size_t PhaseKeyMap::Hash::operator()(const PhaseKey& p) const noexcept {
  const auto lo = static_cast<uint64_t>(p.id);
  const auto hi = static_cast<uint64_t>(static_cast<unsigned __int128>(p.id) >> 64);
  uint64_t h = lo * 0x9E3779B97F4A7C15ULL ^ (hi + 0x632BE59BD9B4E019ULL);
  h ^= (static_cast<uint64_t>(static_cast<uint32_t>(p.scale)) << 1 | (p.order ? 1U : 0U)) * 0xC2B2AE3D27D4EB4FULL;
  return static_cast<size_t>(h ^ (h >> 29));
}

size_t PhaseKeyMap::SlotOf(uint64_t packed) const {
  // Fibonacci hashing: ids come in runs of neighbours, which it spreads.
  const size_t mask = slots_.size() - 1;
  for (size_t slot = static_cast<size_t>((packed * 0x9E3779B97F4A7C15ULL) >> shift_);; slot = (slot + 1) & mask) {
    const uint64_t held = slots_[slot].packed;
    if (held == 0 || held == packed) return slot;
  }
}

void PhaseKeyMap::Grow(size_t slots) {
  std::vector<Slot> old(std::bit_ceil(std::max<size_t>(slots, 16)));
  slots_.swap(old);
  shift_ = 64 - std::countr_zero(slots_.size());
  for (const Slot& s : old) {
    if (s.packed != 0) slots_[SlotOf(s.packed)] = s;
  }
}

void PhaseKeyMap::Reserve(size_t keys) {
  const size_t needed = keys + keys * 3 / 7 + 1;  // at most 70 % used
  if (needed > slots_.size()) Grow(needed);
}

std::pair<PhaseKeyMap::Value*, bool> PhaseKeyMap::TryEmplace(const PhaseKey& key, Value value) {
  const uint64_t packed = Packed(key);
  if (packed == 0) {
    const auto [it, added] = others_.try_emplace(key, value);
    return {&it->second, added};
  }
  if ((used_ + 1) * 10 > slots_.size() * 7) Grow(slots_.size() * 2);
  Slot& slot = slots_[SlotOf(packed)];
  if (slot.packed != 0) return {&slot.value, false};
  slot.packed = packed;
  slot.value = value;
  ++used_;
  return {&slot.value, true};
}

PhaseKeyMap::Value* PhaseKeyMap::Find(const PhaseKey& key) {
  const uint64_t packed = Packed(key);
  if (packed == 0) {
    const auto it = others_.find(key);
    return it == others_.end() ? nullptr : &it->second;
  }
  if (slots_.empty()) return nullptr;
  Slot& slot = slots_[SlotOf(packed)];
  return slot.packed == 0 ? nullptr : &slot.value;
}

void PhaseKeyMap::Clear() {
  slots_ = {};
  used_ = 0;
  shift_ = 64;
  others_ = {};
}

}  // namespace engine
