// Rows found by a text key, in little memory: the keys end to end in one
// text and an open-addressed table of hashes and entry numbers (a few dozen
// bytes a key where a hash map of strings takes more than a hundred; the
// phase rows of ten years of orders are millions of keys). Rows and key
// ends are 32-bit: Add throws std::length_error beyond 2^31 rows or 4 GiB of
// keys.
//
// A key added for a second row is marked as shared by several rows; the
// caller decides what that means. An empty key is a key like any other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class KeyIndex {
 public:
  static constexpr int64_t kSeveral = -1;

  // Room for `keys` keys in all without growing: the slots sized for them at
  // most three quarters full (instead of a power of two at most half full:
  // half the memory for the millions of phase rows of ten years), the
  // entries' numbers exactly. More keys than reserved still go in.
  void Reserve(size_t keys);
  // Adds `key` for `row`; answers nullopt when the key is new, else the row
  // it held before (kSeveral when it already had several).
  std::optional<int64_t> Add(std::string_view key, size_t row);
  // The row of `key`; kSeveral when more than one row was added with it;
  // nullopt when none was.
  [[nodiscard]] std::optional<int64_t> Find(std::string_view key) const;
  [[nodiscard]] size_t Size() const { return rows_.size(); }
  [[nodiscard]] size_t SlotCount() const { return slots_.size(); }
  // Gives back the room kept for keys to come (the index is complete).
  void ShrinkToFit();

 private:
  [[nodiscard]] std::string_view KeyAt(size_t entry) const;
  // The slot that holds `key`, or the empty slot where it would go.
  [[nodiscard]] size_t SlotOf(std::string_view key, uint32_t hash) const;
  // Sets the slots to `count`, puts every entry back and takes `limit`
  // entries at most before the next rehash.
  void Rehash(size_t count, size_t limit);
  // The slot where a key's probe starts: the hash scaled to the table's
  // size, whatever it is.
  [[nodiscard]] size_t Home(uint32_t hash) const {
    return static_cast<size_t>((uint64_t{hash} * slots_.size()) >> 32);
  }
  [[nodiscard]] size_t Next(size_t slot) const { return slot + 1 == slots_.size() ? 0 : slot + 1; }

  std::string keys_;             // every key, end to end
  std::vector<uint32_t> ends_;   // entry -> where its key ends in keys_
  std::vector<int32_t> rows_;    // entry -> its row, or kSeveral
  // Per slot: the key's hash (upper half) and its entry + 1 (lower half),
  // or 0 when free. Linear probing, at most `limit_` entries.
  std::vector<uint64_t> slots_;
  size_t limit_ = 0;
  static constexpr uint64_t kEntryBits = 0xFFFFFFFFULL;
};

}  // namespace engine
