#include "engine/computed_times.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/value_helpers.h"

namespace engine {
namespace {

uint64_t Mix(uint64_t h, uint64_t part) {
  h ^= part + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
  return h * 0xBF58476D1CE4E5B9ULL;
}

}  // namespace

ComputationKey ComputationKeyOf(const host::Table* table, size_t row, const host::Variant& quantity,
                                uint32_t article, uint32_t option) {
  ComputationKey key{table, row, 0, 0, quantity.IsNull(), article, option};
  if (!key.no_quantity) {
    const host::Decimal q = ValoreNumerico(quantity).ToDecimal().Normalized();
    key.quantity = q.Coefficient();
    key.scale = q.Scale();
  }
  return key;
}

bool ComputedTimes::Entry::SameKey(const Entry& other) const {
  return quantity_low == other.quantity_low && quantity_high == other.quantity_high && row == other.row &&
         article == other.article && option == other.option && table == other.table && scale == other.scale &&
         no_quantity == other.no_quantity;
}

std::optional<ComputedTimes::Entry> ComputedTimes::Pack(const ComputationKey& key) const {
  const auto table = std::find(tables_.begin(), tables_.end(), key.table);
  if (table == tables_.end() || key.row > UINT32_MAX || key.scale < 0 || key.scale > UINT8_MAX ||
      key.quantity < std::numeric_limits<int64_t>::min() || key.quantity > std::numeric_limits<int64_t>::max()) {
    return std::nullopt;
  }
  const auto quantity = static_cast<uint64_t>(static_cast<int64_t>(key.quantity));
  return Entry{static_cast<uint32_t>(quantity), static_cast<uint32_t>(quantity >> 32),
               static_cast<uint32_t>(key.row),
               key.article,
               key.option,
               0,
               static_cast<uint16_t>(table - tables_.begin()),
               static_cast<uint8_t>(key.scale),
               static_cast<uint8_t>(key.no_quantity ? 1 : 0)};
}

ComputedTimes::Entry ComputedTimes::EntryAt(size_t entry) const {
  Entry e;
  std::memcpy(&e, entries_.data() + entry * sizeof(Entry), sizeof(Entry));
  return e;
}

uint64_t ComputedTimes::HashOf(const Entry& e) {
  uint64_t h = Mix(e.row, uint64_t{e.quantity_high} << 32 | e.quantity_low);
  h = Mix(h, uint64_t{e.article} << 32 | e.option);
  h = Mix(h, uint64_t{e.table} << 16 | uint64_t{e.scale} << 8 | e.no_quantity);
  return h ^ (h >> 31);
}

size_t ComputedTimes::SlotOf(const Entry& entry) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = HashOf(entry) & mask;; slot = (slot + 1) & mask) {
    const uint32_t held = slots_[slot];
    if (held == 0 || EntryAt(held - 1).SameKey(entry)) return slot;
  }
}

void ComputedTimes::Grow() {
  std::vector<uint32_t> slots(std::max<size_t>(64, slots_.size() * 2), 0);
  slots_.swap(slots);
  const size_t mask = slots_.size() - 1;
  for (size_t entry = 0; entry < count_; ++entry) {
    size_t slot = HashOf(EntryAt(entry)) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<uint32_t>(entry + 1);
  }
}

std::optional<uint32_t> ComputedTimes::Find(const ComputationKey& key) const {
  if (const std::optional<Entry> packed = Pack(key); packed && !slots_.empty()) {
    if (const uint32_t held = slots_[SlotOf(*packed)]; held != 0) return EntryAt(held - 1).times;
  }
  if (unpacked_.empty()) return std::nullopt;
  const auto it = unpacked_.find(key);
  if (it == unpacked_.end()) return std::nullopt;
  return it->second;
}

void ComputedTimes::Add(const ComputationKey& key, uint32_t times) {
  if (key.table != nullptr && tables_.size() <= UINT16_MAX &&
      std::find(tables_.begin(), tables_.end(), key.table) == tables_.end()) {
    tables_.push_back(key.table);
  }
  std::optional<Entry> packed = Pack(key);
  if (!packed || count_ >= UINT32_MAX - 1) {
    unpacked_.emplace(key, times);
    return;
  }
  packed->times = times;
  // At most three quarters full: probes stay short, and the slots cost
  // 5 to 11 bytes an entry.
  if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
  const size_t slot = SlotOf(*packed);
  entries_.resize((count_ + 1) * sizeof(Entry));
  std::memcpy(entries_.data() + count_ * sizeof(Entry), &*packed, sizeof(Entry));
  ++count_;
  slots_[slot] = static_cast<uint32_t>(count_);
}

size_t ComputedTimes::MemoryBytes() const {
  return entries_.capacity() + slots_.capacity() * sizeof(uint32_t) + tables_.capacity() * sizeof(void*) +
         unpacked_.size() * (sizeof(ComputationKey) + 2 * sizeof(void*) + sizeof(uint32_t));
}

size_t ComputedTimes::KeyHash::operator()(const ComputationKey& k) const noexcept {
  uint64_t h = Mix(reinterpret_cast<uintptr_t>(k.table), k.row);
  const auto wide = static_cast<unsigned __int128>(k.quantity);
  h = Mix(h, static_cast<uint64_t>(wide));
  h = Mix(h, static_cast<uint64_t>(wide >> 64));
  h = Mix(h, static_cast<uint64_t>(static_cast<uint32_t>(k.scale)) << 1 | (k.no_quantity ? 1U : 0U));
  return Mix(h, uint64_t{k.article} << 32 | k.option);
}

}  // namespace engine
