#include "host/recordset/text_pool.h"

#include <algorithm>
#include <functional>
#include <memory>

namespace host {

TextPool::TextPool() { Append({}); }  // slot 0: Null

TextPool::~TextPool() {
  std::allocator<std::string> alloc;
  for (size_t k = 0; k < kSegments && segments_[k] != nullptr; ++k) {
    const size_t capacity = kFirstSegment << k;
    const size_t first = kFirstSegment * ((size_t{1} << k) - 1);
    const size_t used = std::min(capacity, size_ - std::min(size_, first));
    std::destroy_n(segments_[k], used);
    alloc.deallocate(segments_[k], capacity);
  }
}

const std::string& TextPool::Append(std::string_view text) {
  const Slot slot = SlotOf(static_cast<uint32_t>(size_));
  if (segments_[slot.segment] == nullptr) {
    segments_[slot.segment] = std::allocator<std::string>().allocate(kFirstSegment << slot.segment);
  }
  std::string* place = segments_[slot.segment] + slot.offset;
  std::construct_at(place, text);
  ++size_;
  return *place;
}

namespace {

uint64_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
constexpr uint64_t kIdBits = 0xFFFFFFFFULL;

}  // namespace

size_t TextPool::SlotFor(std::string_view text, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint64_t tag = hash & ~kIdBits;
  for (size_t slot = static_cast<size_t>(hash) & mask;; slot = (slot + 1) & mask) {
    const uint64_t entry = slots_[slot];
    if (entry == 0) return slot;
    if ((entry & ~kIdBits) == tag && At(static_cast<uint32_t>(entry & kIdBits)) == text) return slot;
  }
}

void TextPool::GrowSlots() {
  std::vector<uint64_t> old = std::move(slots_);
  slots_.assign(std::max<size_t>(64, old.size() * 2), 0);
  const size_t mask = slots_.size() - 1;
  for (const uint64_t entry : old) {
    if (entry == 0) continue;
    // The index bits are the hash's lower half, which the entry does not
    // keep: the text gives it again.
    const uint64_t hash = HashOf(At(static_cast<uint32_t>(entry & kIdBits)));
    size_t slot = static_cast<size_t>(hash) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = entry;
  }
}

void TextPool::Prefetch(std::string_view text, int stage) const {
  if (slots_.empty() || text.empty()) return;
  const uint64_t hash = HashOf(text);
  const size_t slot = static_cast<size_t>(hash) & (slots_.size() - 1);
  if (stage == 0) {
    __builtin_prefetch(&slots_[slot]);
    return;
  }
  const uint64_t entry = slots_[slot];
  if (entry != 0 && (entry & ~kIdBits) == (hash & ~kIdBits)) {
    __builtin_prefetch(&At(static_cast<uint32_t>(entry & kIdBits)));
  }
}

uint32_t TextPool::Intern(std::string_view text) {
  // The empty text is the commonest by far (cleared descriptions, reset texts).
  if (text.empty() && empty_id_ != kNullId) return empty_id_;
  if ((interned_ + 1) * 2 > slots_.size()) GrowSlots();
  const uint64_t hash = HashOf(text);
  const size_t slot = SlotFor(text, hash);
  if (slots_[slot] != 0) return static_cast<uint32_t>(slots_[slot] & kIdBits);
  const auto id = static_cast<uint32_t>(size_);
  Append(text);
  slots_[slot] = (hash & ~kIdBits) | id;
  ++interned_;
  if (text.empty()) empty_id_ = id;
  return id;
}

uint32_t TextPool::Find(std::string_view text) const {
  if (slots_.empty()) return kNullId;
  const uint64_t entry = slots_[SlotFor(text, HashOf(text))];
  return static_cast<uint32_t>(entry & kIdBits);
}

std::string TextPool::Fold(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  std::string folded(text.substr(0, end));
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

uint32_t TextPool::FoldedId(uint32_t id) {
  if (id == kNullId) return kNullId;
  if (folded_.size() <= id) folded_.resize(size_, 0);
  if (folded_[id] == 0) {
    const uint32_t f = Intern(Fold(At(id)));
    if (folded_.size() <= f) folded_.resize(size_, 0);
    folded_[id] = f;
  }
  return folded_[id];
}

size_t TextPool::MemoryBytes() const {
  size_t bytes = folded_.capacity() * sizeof(uint32_t) + slots_.capacity() * sizeof(uint64_t);
  for (size_t k = 0; k < kSegments && segments_[k] != nullptr; ++k) bytes += (kFirstSegment << k) * sizeof(std::string);
  for (uint32_t id = 0; id < size_; ++id) {
    const std::string& t = At(id);
    bytes += t.capacity() > 15 ? t.capacity() : 0;
  }
  return bytes;
}

}  // namespace host
