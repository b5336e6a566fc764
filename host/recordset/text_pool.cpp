#include "host/recordset/text_pool.h"

namespace host {

TextPool::TextPool() { texts_.emplace_back(); }  // slot 0: Null

uint32_t TextPool::Intern(std::string_view text) {
  // The empty text is the commonest by far (cleared descriptions, reset texts).
  if (text.empty() && empty_id_ != kNullId) return empty_id_;
  if (auto it = ids_.find(text); it != ids_.end()) return it->second;
  const auto id = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  ids_.emplace(texts_.back(), id);
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
  if (folded_.size() <= id) folded_.resize(texts_.size(), 0);
  if (folded_[id] == 0) {
    const uint32_t f = Intern(Fold(texts_[id]));
    if (folded_.size() <= f) folded_.resize(texts_.size(), 0);
    folded_[id] = f;
  }
  return folded_[id];
}

size_t TextPool::MemoryBytes() const {
  size_t bytes = folded_.capacity() * sizeof(uint32_t) + ids_.size() * (sizeof(void*) * 2 + 24);
  for (const auto& t : texts_) bytes += sizeof(std::string) + (t.capacity() > 15 ? t.capacity() : 0);
  return bytes;
}

}  // namespace host
