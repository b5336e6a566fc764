#include "engine/serial_worker.h"

#include <utility>

namespace engine {

SerialWorker::SerialWorker() : thread_([this] { Loop(); }) {}

SerialWorker::~SerialWorker() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
  thread_.join();
}

void SerialWorker::Post(std::function<void()> job, size_t weight) {
  batch_.push_back(std::move(job));
  batch_weight_ += weight;
  if (batch_weight_ >= kBatchWeight) Flush();
}

void SerialWorker::Flush() {
  if (batch_.empty()) return;
  {
    const std::lock_guard lock(mutex_);
    for (auto& job : batch_) jobs_.push_back(std::move(job));
  }
  batch_.clear();
  batch_weight_ = 0;
  wake_.notify_one();
}

void SerialWorker::Drain() {
  Flush();
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void SerialWorker::Loop() {
  std::deque<std::function<void()>> running;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (stop_) return;
    // Everything handed over so far, run without the lock: the owner hands
    // over the next batch meanwhile.
    running.swap(jobs_);
    busy_ = true;
    const bool stopped_before = failure_ != nullptr;  // not run: the work stopped there
    lock.unlock();
    std::exception_ptr failed;
    for (auto& job : running) {
      if (stopped_before || stopping_.load(std::memory_order_relaxed)) break;
      try {
        job();
      } catch (...) {  // the thread's edge: handed to Drain
        failed = std::current_exception();
        break;
      }
    }
    running.clear();  // what the jobs held goes before the worker says it is idle
    lock.lock();
    busy_ = false;
    if (failed) failure_ = failed;
    if (failure_) jobs_.clear();  // the work stopped at the failure
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace engine
