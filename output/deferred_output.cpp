#include "output/deferred_output.h"

#include <algorithm>

namespace output {

void DeferredOutput::Release() {
  const std::lock_guard lock(mutex_);
  released_ = true;
  released_changed_.notify_all();
}

void DeferredOutput::Flush() {
  if (flushed_) return;
  {
    std::unique_lock lock(mutex_);
    released_changed_.wait(lock, [&] { return released_; });
  }
  for (std::string& piece : kept_) {
    out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    std::string().swap(piece);
  }
  kept_.clear();
  flushed_ = true;
}

std::streamsize DeferredOutput::xsputn(const char* text, std::streamsize n) {
  constexpr size_t kPiece = size_t{1} << 20;
  const auto size = static_cast<size_t>(n);
  if (!flushed_ && kept_bytes_ + size > limit_) Flush();
  if (flushed_) {
    out_.write(text, n);
    return out_ ? n : 0;
  }
  if (kept_.empty() || kept_.back().size() + size > kPiece) {
    kept_.emplace_back().reserve(std::max(kPiece, size));
  }
  kept_.back().append(text, size);
  kept_bytes_ += size;
  return n;
}

DeferredOutput::int_type DeferredOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char one = traits_type::to_char_type(c);
  return xsputn(&one, 1) == 1 ? c : traits_type::eof();
}

}  // namespace output
