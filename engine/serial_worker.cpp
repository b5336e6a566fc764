#include "engine/serial_worker.h"

#include <utility>

namespace engine {

SerialWorker::SerialWorker() : thread_([this] { Loop(); }) {}

SerialWorker::~SerialWorker() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
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
  std::deque<std::function<void()>> left;
  {
    std::unique_lock lock(mutex_);
    // The jobs the thread has not started are run here, after the one under
    // way: when the other core is busy with something else, the caller does
    // the rest itself instead of waiting for a thread that hardly runs.
    if (!failure_) left.swap(jobs_);
    jobs_.clear();
    idle_.wait(lock, [this] { return !busy_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }
  while (!left.empty()) {
    const std::function<void()> job = std::move(left.front());
    left.pop_front();
    job();  // a failure leaves the jobs after it unrun
  }
}

void SerialWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (stop_) return;
    if (failure_) {  // posted after a failure, before Drain said it: not run
      jobs_.clear();
      continue;
    }
    // One at a time: what is not started yet stays for Drain to take.
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    std::exception_ptr failed;
    try {
      job();
    } catch (...) {  // the thread's edge: handed to Drain
      failed = std::current_exception();
    }
    job = nullptr;  // what it held goes before the worker says it is idle
    lock.lock();
    busy_ = false;
    if (failed) {
      failure_ = failed;
      jobs_.clear();  // the work stopped at the failure
    }
    if (jobs_.empty()) idle_.notify_all();
  }
}

}  // namespace engine
