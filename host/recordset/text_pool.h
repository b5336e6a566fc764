// Interned texts shared by every text cell of one record set's storage, so a
// code repeated on a million bookings is kept once and a cell costs 4 bytes.
// Id 0 is reserved for Null. Ids are stable for the pool's life.
//
// Threads: At() on an id that a thread already holds may run while another
// thread interns (a filter folding its keys while the command line writes
// bookings): texts never move and the segments that hold them are never
// reallocated. Everything else wants one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class TextPool {
 public:
  static constexpr uint32_t kNullId = 0;

  TextPool();
  ~TextPool();
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  // The id of `text`, adding it when new.
  uint32_t Intern(std::string_view text);
  // Asks the memory that interning `text` will read to be fetched ahead:
  // stage 0 its slot, stage 1 (once the slot has come) the text the slot
  // names. A pool much larger than the cache spends most of a look-up
  // waiting for these two; asked for many texts first, the waits overlap.
  // Changes nothing: Intern afterwards answers as without.
  void Prefetch(std::string_view text, int stage) const;
  // The id of `text` or kNullId when it was never interned.
  [[nodiscard]] uint32_t Find(std::string_view text) const;
  // The text of a non-null id.
  [[nodiscard]] const std::string& At(uint32_t id) const {
    const Slot slot = SlotOf(id);
    return segments_[slot.segment][slot.offset];
  }
  // Id of the comparison form of a text: upper case (ASCII) without trailing
  // blanks. Filters compare texts this way, as the server's collation does.
  uint32_t FoldedId(uint32_t id);
  [[nodiscard]] static std::string Fold(std::string_view text);
  [[nodiscard]] size_t Size() const { return size_; }
  [[nodiscard]] size_t MemoryBytes() const;

 private:
  // Segment k holds kFirstSegment << k texts: a fixed table of segments
  // covers every id, so reading a text never meets storage being moved.
  static constexpr size_t kFirstSegment = 16;
  static constexpr size_t kSegments = 29;  // 16 * (2^29 - 1) > 2^32 ids
  struct Slot {
    size_t segment, offset;
  };
  static Slot SlotOf(uint32_t id) {
    const uint64_t n = uint64_t{id} / kFirstSegment + 1;
    const auto segment = static_cast<size_t>(63 - __builtin_clzll(n));
    return {segment, static_cast<size_t>(id - kFirstSegment * ((uint64_t{1} << segment) - 1))};
  }
  const std::string& Append(std::string_view text);
  // The slot of `text` in slots_: the one holding its id, or the empty
  // slot where it would go.
  [[nodiscard]] size_t SlotFor(std::string_view text, uint64_t hash) const;
  void GrowSlots();

  // Raw storage: only the texts appended so far are constructed.
  std::array<std::string*, kSegments> segments_{};
  size_t size_ = 0;
  // The ids by their texts: open addressing over a power-of-two table,
  // at most half full, each slot the text's hash (upper half) and its id
  // (lower half; 0 for an empty slot, Null is never looked up). A look-up
  // touches one slot and one text; a node map touched three places and
  // allocated per text (measured: a third of the time of storing 60,000
  // groups' totals went to finding their texts).
  std::vector<uint64_t> slots_;
  size_t interned_ = 0;  // ids in slots_
  std::vector<uint32_t> folded_;  // id -> folded id, 0 while unknown
  uint32_t empty_id_ = kNullId;
};

}  // namespace host
