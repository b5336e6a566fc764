#include "engine/key_index.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace engine {
namespace {

uint32_t HashOf(std::string_view key) {
  const uint64_t h = std::hash<std::string_view>{}(key);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

std::string_view KeyIndex::KeyAt(size_t entry) const {
  const uint64_t begin = entry == 0 ? 0 : ends_[entry - 1];
  return std::string_view(keys_).substr(begin, ends_[entry] - begin);
}

size_t KeyIndex::SlotOf(std::string_view key, uint32_t hash) const {
  const uint64_t tag = uint64_t{hash} << 32;
  for (size_t slot = Home(hash);; slot = Next(slot)) {
    const uint64_t held = slots_[slot];
    if (held == 0) return slot;
    // The hash beside the entry: another key is passed over without
    // reading its text.
    if ((held & ~kEntryBits) == tag && KeyAt((held & kEntryBits) - 1) == key) return slot;
  }
}

void KeyIndex::Rehash(size_t count, size_t limit) {
  std::vector<uint64_t> old(count, 0);
  slots_.swap(old);
  for (const uint64_t held : old) {
    if (held == 0) continue;
    size_t slot = Home(static_cast<uint32_t>(held >> 32));
    while (slots_[slot] != 0) slot = Next(slot);
    slots_[slot] = held;
  }
  limit_ = limit;
}

void KeyIndex::Reserve(size_t keys) {
  ends_.reserve(keys);
  rows_.reserve(keys);
  const size_t count = keys + keys / 3 + 1;
  if (count > slots_.size()) Rehash(count, count * 3 / 4);
}

std::optional<int64_t> KeyIndex::Add(std::string_view key, size_t row) {
  if (rows_.size() + 1 > limit_) {
    // Grown by itself, the table stays at most half full: short probes while
    // keys keep coming. Sized ahead (Reserve), it may be three quarters full.
    const size_t count = std::max<size_t>(16, slots_.size() * 2);
    Rehash(count, count / 2);
  }
  const uint32_t hash = HashOf(key);
  const size_t slot = SlotOf(key, hash);
  if (slots_[slot] != 0) {
    int32_t& held = rows_[(slots_[slot] & kEntryBits) - 1];
    const int64_t before = held;
    held = static_cast<int32_t>(kSeveral);
    return before;
  }
  if (row > static_cast<size_t>(INT32_MAX) || keys_.size() + key.size() > UINT32_MAX) {
    throw std::length_error("Too many phase rows to index");
  }
  keys_.append(key);
  ends_.push_back(static_cast<uint32_t>(keys_.size()));
  rows_.push_back(static_cast<int32_t>(row));
  slots_[slot] = (uint64_t{hash} << 32) | rows_.size();
  return std::nullopt;
}

void KeyIndex::ShrinkToFit() {
  keys_.shrink_to_fit();
  ends_.shrink_to_fit();
  rows_.shrink_to_fit();
}

std::optional<int64_t> KeyIndex::Find(std::string_view key) const {
  if (slots_.empty()) return std::nullopt;
  const uint64_t held = slots_[SlotOf(key, HashOf(key))];
  if (held == 0) return std::nullopt;
  return rows_[(held & kEntryBits) - 1];
}

}  // namespace engine
