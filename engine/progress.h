// The progress of a long loop: the query form's progress bar, a terminal
// line on the command line, nothing in tests.
#pragma once

#include <cstdint>
#include <functional>

namespace engine {

// The stages of a run, as the window names them: the bookings read ("lettura
// versamenti 120.000"), their planned times ("tempi previsti 40.000 /
// 950.000"), the totals of the groups ("totali dei gruppi 12 / 60.426").
enum class RunStage { Reading, Planned, GroupTotals };

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void Show(int64_t maximum) = 0;
  virtual void Set(int64_t value) = 0;
  virtual void Hide() = 0;
  // Names the stage the counts that follow belong to.
  virtual void Stage(RunStage) {}
  // A count that the work does not step itself, read by whoever shows the
  // progress (from any thread) while the work waits: the rows a statement
  // has read so far. An empty function ends it. The function must stay
  // callable until then.
  virtual void Follow(std::function<int64_t()>) {}
};

class NoProgress : public Progress {
 public:
  void Show(int64_t) override {}
  void Set(int64_t) override {}
  void Hide() override {}
};

}  // namespace engine
