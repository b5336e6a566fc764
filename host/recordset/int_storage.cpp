#include "host/recordset/int_storage.h"

namespace host {

void IntStorage::WidenFor(Int128 value) {
  if (width_ == 4 && (value < INT32_MIN || value > INT32_MAX)) {
    wide_.reserve(narrow_.capacity());
    wide_.assign(narrow_.begin(), narrow_.end());
    std::vector<int32_t>().swap(narrow_);
    width_ = 8;
  }
  if (width_ == 8 && (value < INT64_MIN || value > INT64_MAX)) {
    huge_.reserve(wide_.capacity());
    huge_.assign(wide_.begin(), wide_.end());
    std::vector<int64_t>().swap(wide_);
    width_ = 16;
  }
}

void IntStorage::Push(Int128 value) {
  WidenFor(value);
  switch (width_) {
    case 4: narrow_.push_back(static_cast<int32_t>(value)); break;
    case 8: wide_.push_back(static_cast<int64_t>(value)); break;
    default: huge_.push_back(value); break;
  }
  ++size_;
}

void IntStorage::Set(size_t index, Int128 value) {
  WidenFor(value);
  switch (width_) {
    case 4: narrow_[index] = static_cast<int32_t>(value); break;
    case 8: wide_[index] = static_cast<int64_t>(value); break;
    default: huge_[index] = value; break;
  }
}

void IntStorage::PopBack() {
  switch (width_) {
    case 4: narrow_.pop_back(); break;
    case 8: wide_.pop_back(); break;
    default: huge_.pop_back(); break;
  }
  --size_;
}

void IntStorage::Reserve(size_t n) {
  switch (width_) {
    case 4: narrow_.reserve(n); break;
    case 8: wide_.reserve(n); break;
    default: huge_.reserve(n); break;
  }
}

}  // namespace host
