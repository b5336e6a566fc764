// The bytes of a record set's column, grown with realloc.
//
// A column of ten million bookings is tens of megabytes; a vector would
// double it into a new buffer beside the old one and copy, and leave it up
// to half empty. Large buffers here are the allocator's own mappings
// (see growing_bytes.cpp), which realloc grows in place without copying, so
// they grow by a quarter at a time: at most a fifth of a column unused.
//
// Bytes added by resize are zero. Allocation failure throws std::bad_alloc
// (a shrink never fails: realloc to a smaller size keeps the block).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace host {

class GrowingBytes {
 public:
  GrowingBytes() = default;
  GrowingBytes(const GrowingBytes& other) {
    reserve(other.size_);
    if (other.size_ > 0) std::memcpy(data_, other.data_, other.size_);
    size_ = other.size_;
  }
  GrowingBytes(GrowingBytes&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  GrowingBytes& operator=(GrowingBytes other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  ~GrowingBytes() { std::free(data_); }

  [[nodiscard]] uint8_t* data() { return data_; }
  [[nodiscard]] const uint8_t* data() const { return data_; }
  [[nodiscard]] size_t size() const { return size_; }
  [[nodiscard]] size_t capacity() const { return capacity_; }

  void resize(size_t n) {
    if (n > capacity_) SetCapacity(n <= Grown() ? Grown() : n);
    if (n > size_) std::memset(data_ + size_, 0, n - size_);
    size_ = n;
  }
  // resize(size() + n) without clearing the new bytes: for a caller that
  // writes them at once (a value appended to a column).
  void extend(size_t n) {
    if (size_ + n > capacity_) SetCapacity(size_ + n <= Grown() ? Grown() : size_ + n);
    size_ += n;
  }
  void reserve(size_t n) {
    if (n > capacity_) SetCapacity(n);
  }
  // Gives back the room past size(): in place, without copying (a mapping
  // shrinks where it is; a heap block is split).
  void shrink_to_fit() {
    if (size_ == capacity_) return;
    if (size_ == 0) {
      std::free(std::exchange(data_, nullptr));
      capacity_ = 0;
      return;
    }
    SetCapacity(size_);
  }

 private:
  // Small buffers double (few reallocs while a column starts); large ones
  // grow by a quarter, in place.
  [[nodiscard]] size_t Grown() const {
    constexpr size_t kLarge = size_t{1} << 20;
    return capacity_ < kLarge ? (capacity_ == 0 ? 64 : capacity_ * 2) : capacity_ + capacity_ / 4;
  }
  void SetCapacity(size_t n) {
    void* grown = std::realloc(data_, n);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<uint8_t*>(grown);
    capacity_ = n;
  }

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace host
