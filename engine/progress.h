// The progress of a long loop: the query form's progress bar, a terminal
// line on the command line, nothing in tests.
#pragma once

#include <cstdint>

namespace engine {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void Show(int64_t maximum) = 0;
  virtual void Set(int64_t value) = 0;
  virtual void Hide() = 0;
};

class NoProgress : public Progress {
 public:
  void Show(int64_t) override {}
  void Set(int64_t) override {}
  void Hide() override {}
};

}  // namespace engine
