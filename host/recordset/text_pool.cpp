#include "host/recordset/text_pool.h"

#include <algorithm>
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

uint32_t TextPool::Intern(std::string_view text) {
  // The empty text is the commonest by far (cleared descriptions, reset texts).
  if (text.empty() && empty_id_ != kNullId) return empty_id_;
  if (auto it = ids_.find(text); it != ids_.end()) return it->second;
  const auto id = static_cast<uint32_t>(size_);
  ids_.emplace(Append(text), id);
  if (text.empty()) empty_id_ = id;
  return id;
}

uint32_t TextPool::Find(std::string_view text) const {
  auto it = ids_.find(text);
  return it == ids_.end() ? kNullId : it->second;
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
  size_t bytes = folded_.capacity() * sizeof(uint32_t) + ids_.size() * (sizeof(void*) * 2 + 24);
  for (size_t k = 0; k < kSegments && segments_[k] != nullptr; ++k) bytes += (kFirstSegment << k) * sizeof(std::string);
  for (uint32_t id = 0; id < size_; ++id) {
    const std::string& t = At(id);
    bytes += t.capacity() > 15 ? t.capacity() : 0;
  }
  return bytes;
}

}  // namespace host
