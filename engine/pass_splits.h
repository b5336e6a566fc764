// The planned times that the run's pass kept (PassTimes), split into hours,
// minutes and seconds of the chosen unit on a thread of their own: the
// group figures split every phase they take from the pass, and find most
// of them split already while the window's thread sums the bookings.
//
// The thread splits the offered computations from the last number back, a
// block at a time: the group figures come to them from the first (the
// pass numbered them in the bookings' order, which the groups keep), so
// the two meet halfway instead of splitting the same ones side by side. A
// block is read only once it is published whole, and never changes
// afterwards. A computation whose split says anything (a
// rounding that fails) or throws (a time too large to show) is not kept
// here: the caller splits it itself, which reports it as before. What is
// kept is exactly what that split gives.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/pass_times.h"
#include "engine/phase_outputs.h"

namespace engine {

class PassSplits {
 public:
  // Starts splitting every computation of `pass` (not null) in `unit`.
  PassSplits(std::shared_ptr<const PassTimes> pass, int16_t unit);
  // Stops the thread and waits for it.
  ~PassSplits();
  PassSplits(const PassSplits&) = delete;
  PassSplits& operator=(const PassSplits&) = delete;

  // Whether computation `times` is split and kept here; false while the
  // thread has not reached it, after Stop if it never did, and for one
  // not offered or not kept.
  [[nodiscard]] bool Has(uint32_t times) const;
  // Reads its outputs into `out`; only where Has answers true.
  void Read(uint32_t times, PhaseOutputs& out) const;
  // Ends the splitting after the block under way (what is published stays).
  void Stop();
  // Waits until the thread has ended (every block published unless stopped).
  void Wait();

 private:
  static constexpr uint32_t kBlock = 1024;
  struct Block {
    PhaseOutputsTable outputs;
    std::vector<uint32_t> row;  // per computation of the block: its row + 1, 0 for none
  };
  void Split();
  std::shared_ptr<const PassTimes> pass_;
  int16_t unit_;
  std::vector<std::unique_ptr<Block>> blocks_;  // sized before the thread starts
  std::atomic<size_t> first_published_{0};      // blocks_[first_published_, end) are whole
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace engine
