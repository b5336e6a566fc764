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

void SerialWorker::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void SerialWorker::Drain() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void SerialWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
    if (stop_) return;
    if (failure_) {  // posted after a failure, before Drain said it: not run
      jobs_.clear();
      idle_.notify_all();
      continue;
    }
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
