// A vector of integers stored as narrow as its values allow: 1, 2, 4, 8 or
// 16 bytes each, widened (all values re-encoded) when a value needs it; and
// no bytes at all while every value is the same (a column the bookings
// leave Null or fill with one code), spread out when a different one comes.
// Booking data is mostly small codes, indicators, quantities and text ids;
// this is what keeps a million-row, 120-column record set a few hundred
// megabytes.
//
// A row is appended Null and given its value at once, column by column: the
// row pushed or set last is held apart and written only when another row is
// touched (it stores its predecessor's value meanwhile), so that a column
// every booking fills with one code, not only with Null, takes no bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/recordset/growing_bytes.h"
#include "host/value/decimal.h"

namespace host {

class IntStorage {
 public:
  void Push(Int128 value) {
    Flush();
    Append(size_ == 0 ? value : Stored(size_ - 1));
    held_row_ = size_ - 1;
    held_ = value;
  }
  // Push for a value that stays as it is (a row appended whole): written
  // at once instead of held.
  void PushWritten(Int128 value) {
    Flush();
    Append(value);
  }
  void Set(size_t index, Int128 value) {
    if (index != held_row_) {
      Flush();
      held_row_ = index;
    }
    held_ = value;
  }
  [[nodiscard]] Int128 Get(size_t index) const { return index == held_row_ ? held_ : Stored(index); }
  void PopBack() {
    if (held_row_ == size_ - 1) held_row_ = kNoRow;
    --size_;
    bytes_.resize(size_ * width_);
  }
  // Room for `n` values at the present width (none while they are all the same).
  void Reserve(size_t n) { bytes_.reserve(n * width_); }
  // Drops the room kept for rows to come (a read that has ended).
  void ShrinkToFit() {
    Flush();
    bytes_.shrink_to_fit();
  }
  [[nodiscard]] size_t Size() const { return size_; }
  [[nodiscard]] size_t MemoryBytes() const { return bytes_.capacity(); }
  // Asks the processor to bring the value at `index` into its cache.
  void PrefetchAt(size_t index) const {
    if (width_ != 0 && index < size_) __builtin_prefetch(bytes_.data() + index * width_);
  }

 private:
  static Int128 Decode(const uint8_t* p, size_t width) {
    switch (width) {
      case 1: return static_cast<int8_t>(*p);
      case 2: return Load<int16_t>(p);
      case 4: return Load<int32_t>(p);
      case 8: return Load<int64_t>(p);
      default: return Load<Int128>(p);
    }
  }
  template <typename T>
  static T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  void Store(size_t index, Int128 value) {
    uint8_t* p = bytes_.data() + index * width_;
    switch (width_) {
      case 1: *p = static_cast<uint8_t>(static_cast<int8_t>(value)); break;
      case 2: {
        const auto v = static_cast<int16_t>(value);
        std::memcpy(p, &v, 2);
        break;
      }
      case 4: {
        const auto v = static_cast<int32_t>(value);
        std::memcpy(p, &v, 4);
        break;
      }
      case 8: {
        const auto v = static_cast<int64_t>(value);
        std::memcpy(p, &v, 8);
        break;
      }
      default: std::memcpy(p, &value, 16); break;
    }
  }
  // Every cell written asks it: one 128-bit comparison, then 64-bit ones.
  static size_t WidthOf(Int128 v) {
    const auto low = static_cast<int64_t>(v);
    if (static_cast<Int128>(low) != v) return 16;
    if (low == static_cast<int8_t>(low)) return 1;
    if (low == static_cast<int16_t>(low)) return 2;
    if (low == static_cast<int32_t>(low)) return 4;
    return 8;
  }
  void WidenFor(Int128 value) {
    const size_t need = WidthOf(value);
    if (need > width_) Widen(need);
  }
  // Re-encodes in place, last value first (a wider value never overwrites
  // one not yet moved): ten million rows widen without a copy of them all.
  // From no bytes (every value the same), the same value is written out.
  // Apart from WidenFor, which is inlined in every write: this runs a few
  // times a column.
  [[gnu::noinline]] void Widen(size_t need) {
    if (width_ == 0) {
      need = std::max(need, WidthOf(same_));
      bytes_.resize(size_ * need);
      width_ = need;
      for (size_t i = 0; i < size_; ++i) Store(i, same_);
      return;
    }
    const size_t old_width = width_;
    // Keep room for as many values as before, at the new width.
    bytes_.reserve(std::max(bytes_.capacity() / old_width * need, size_ * need));
    bytes_.resize(size_ * need);
    width_ = need;
    for (size_t i = size_; i-- > 0;) Store(i, Decode(bytes_.data() + i * old_width, old_width));
  }

  static constexpr size_t kNoRow = SIZE_MAX;
  void Flush() {
    if (held_row_ == kNoRow) return;
    if (width_ == 0 && size_ == 1) {
      same_ = held_;  // the first row's value is what the rest will repeat
    } else {
      Write(held_row_, held_);
    }
    held_row_ = kNoRow;
  }
  void Append(Int128 value) {
    if (width_ == 0) {
      if (size_ == 0) same_ = value;
      if (value == same_) {
        ++size_;
        return;
      }
    }
    WidenFor(value);
    bytes_.extend(width_);  // written just below
    Store(size_++, value);
  }
  void Write(size_t index, Int128 value) {
    if (width_ == 0 && value == same_) return;
    WidenFor(value);
    Store(index, value);
  }
  [[nodiscard]] Int128 Stored(size_t index) const {
    return width_ == 0 ? same_ : Decode(bytes_.data() + index * width_, width_);
  }

  GrowingBytes bytes_;
  size_t size_ = 0;
  size_t width_ = 0;  // 0: every value is same_
  Int128 same_ = 0;
  size_t held_row_ = kNoRow;  // the row whose value is held_, not yet written
  Int128 held_ = 0;
};

// One bit per row, allocated only once a row stays Null. A row is appended
// Null and given its value at once, column after column: the state of the
// row marked last is held apart and written to the bits only when another
// row is marked, so a column whose every row gets a value allocates nothing
// (a million-row read leaves most of its hundred columns without Nulls).
class NullBits {
 public:
  void Set(size_t row, bool is_null) {
    if (row != held_row_) {
      if (held_row_ != kNoRow) Write(held_row_, held_null_);
      held_row_ = row;
    }
    held_null_ = is_null;
  }
  [[nodiscard]] bool Get(size_t row) const {
    if (row == held_row_) return held_null_;
    return row / 64 < bits_.size() && (bits_[row / 64] >> (row % 64) & 1U) != 0;
  }
  void ShrinkToFit() { bits_.shrink_to_fit(); }
  [[nodiscard]] size_t MemoryBytes() const { return bits_.capacity() * 8; }

 private:
  static constexpr size_t kNoRow = SIZE_MAX;
  void Write(size_t row, bool is_null) {
    if (!is_null && bits_.size() * 64 <= row) return;
    if (bits_.size() * 64 <= row) bits_.resize(row / 64 + 1 + bits_.size() / 2, 0);
    const uint64_t mask = uint64_t{1} << (row % 64);
    if (is_null) {
      bits_[row / 64] |= mask;
    } else {
      bits_[row / 64] &= ~mask;
    }
  }

  std::vector<uint64_t> bits_;
  size_t held_row_ = kNoRow;
  bool held_null_ = false;
};

}  // namespace host
