// Interned texts shared by every text cell of one record set's storage, so a
// code repeated on a million bookings is kept once and a cell costs 4 bytes.
// Id 0 is reserved for Null. Ids are stable for the pool's life.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host {

class TextPool {
 public:
  static constexpr uint32_t kNullId = 0;

  TextPool();
  // The id of `text`, adding it when new.
  uint32_t Intern(std::string_view text);
  // The id of `text` or kNullId when it was never interned.
  [[nodiscard]] uint32_t Find(std::string_view text) const;
  // The text of a non-null id.
  [[nodiscard]] const std::string& At(uint32_t id) const { return texts_[id]; }
  // Id of the comparison form of a text: upper case (ASCII) without trailing
  // blanks. Filters compare texts this way, as the server's collation does.
  uint32_t FoldedId(uint32_t id);
  [[nodiscard]] static std::string Fold(std::string_view text);
  [[nodiscard]] size_t Size() const { return texts_.size(); }
  [[nodiscard]] size_t MemoryBytes() const;

 private:
  std::deque<std::string> texts_;  // deque: element addresses stay put for the map's views
  std::unordered_map<std::string_view, uint32_t> ids_;
  std::vector<uint32_t> folded_;  // id -> folded id, 0 while unknown
  uint32_t empty_id_ = kNullId;
};

}  // namespace host
