// One thread of its own that runs the jobs given to it one after the other,
// in the order given: the group figures store each group's record and read
// its figures back there while the window's thread sums the next groups.
//
// Post never waits. Drain waits until every job posted so far has run and
// then rethrows the first exception a job threw; the jobs posted after that
// one were not run (as if the work had stopped there). Drain on an idle
// worker answers at once. Destroying the worker waits for the job under way
// and drops the ones not started.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace engine {

class SerialWorker {
 public:
  SerialWorker();
  ~SerialWorker();
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  void Post(std::function<void()> job);
  // Waits for the jobs posted so far; rethrows the first failure (once:
  // the worker is usable again afterwards).
  void Drain();

 private:
  void Loop();
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
