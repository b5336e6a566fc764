// One thread of its own that runs the jobs given to it one after the other,
// in the order given: the group figures store each group's record and read
// its figures back there while the window's thread sums the next groups.
//
// Post never waits. Jobs are handed to the thread in batches of some
// `kBatchWeight` units of work (the caller's measure, such as bookings), so
// that a run of small jobs does not wake it for each. Drain runs on the
// caller's thread the jobs the worker has not started (after the one under
// way, in their order), so every job posted so far has run when it returns,
// and rethrows the first exception a job threw; the jobs posted after that
// one were not run (as if the work had stopped there). Drain on an idle
// worker answers at once. Destroying the worker waits for the job under way and drops the
// ones not started. Post and Drain are called from one thread, the owner's.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace engine {

class SerialWorker {
 public:
  SerialWorker();
  ~SerialWorker();
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  static constexpr size_t kBatchWeight = 512;
  void Post(std::function<void()> job, size_t weight = 1);
  // Runs or waits for the jobs posted so far; rethrows the first failure
  // (once: the worker is usable again afterwards).
  void Drain();

 private:
  void Loop();
  // Hands the batch over to the thread.
  void Flush();
  std::vector<std::function<void()>> batch_;  // the owner's, not yet handed over
  size_t batch_weight_ = 0;
  std::mutex mutex_;
  std::condition_variable wake_;  // a job posted, or the end
  std::condition_variable idle_;  // the queue emptied and no job under way
  std::deque<std::function<void()>> jobs_;
  bool busy_ = false;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: starts once the members above are made
};

}  // namespace engine
