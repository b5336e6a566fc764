// A vector of integers that starts 4 bytes wide and widens to 8 or 16 bytes
// only when a value needs it. Most columns of booking data (codes, small
// quantities held as scaled decimals, dates as seconds) fit 4 bytes, which is
// what keeps a million-row, 120-column record set well under a gigabyte.
#pragma once

#include <cstdint>
#include <vector>

#include "host/value/decimal.h"

namespace host {

class IntStorage {
 public:
  void Push(Int128 value);
  void Set(size_t index, Int128 value);
  [[nodiscard]] Int128 Get(size_t index) const {
    switch (width_) {
      case 4: return narrow_[index];
      case 8: return wide_[index];
      default: return huge_[index];
    }
  }
  void PopBack();
  void Reserve(size_t n);
  [[nodiscard]] size_t Size() const { return size_; }
  [[nodiscard]] size_t MemoryBytes() const {
    return narrow_.capacity() * 4 + wide_.capacity() * 8 + huge_.capacity() * 16;
  }

 private:
  void WidenFor(Int128 value);
  std::vector<int32_t> narrow_;
  std::vector<int64_t> wide_;
  std::vector<Int128> huge_;
  size_t size_ = 0;
  int width_ = 4;
};

// One bit per row, allocated only once a row is Null.
class NullBits {
 public:
  void Set(size_t row, bool is_null) {
    if (!is_null && bits_.size() * 64 <= row) return;
    if (bits_.size() * 64 <= row) bits_.resize(row / 64 + 1 + bits_.size() / 2, 0);
    const uint64_t mask = uint64_t{1} << (row % 64);
    if (is_null) {
      bits_[row / 64] |= mask;
    } else {
      bits_[row / 64] &= ~mask;
    }
  }
  [[nodiscard]] bool Get(size_t row) const {
    return row / 64 < bits_.size() && (bits_[row / 64] >> (row % 64) & 1U) != 0;
  }
  [[nodiscard]] size_t MemoryBytes() const { return bits_.capacity() * 8; }

 private:
  std::vector<uint64_t> bits_;
};

}  // namespace host
