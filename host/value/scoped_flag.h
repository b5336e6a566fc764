// A flag set for a scope and cleared on every way out of it (a return, an
// exception): a re-entrancy guard that cannot be left set by a failure.
#pragma once

namespace host {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace host
