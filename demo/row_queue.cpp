#include "demo/row_queue.h"

namespace demo::generation {

RowQueue::RowQueue(std::function<void(const Row&)> write, size_t batch_rows)
    : write_(std::move(write)), batch_rows_(batch_rows), filling_(batch_rows), writing_(batch_rows) {
  writer_ = std::thread([this] { Write(); });
}

RowQueue::~RowQueue() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    to_write_ = 0;
  }
  changed_.notify_all();
  writer_.join();
}

void RowQueue::Push(const Row& row) {
  // The row's storage is kept from batch to batch: no allocation per row.
  filling_[filled_++] = row;
  if (filled_ == batch_rows_) Hand();
}

void RowQueue::Finish() {
  if (filled_ > 0) Hand();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return to_write_ == 0 || failure_; });
  lock.unlock();
  ThrowIfFailed();
}

void RowQueue::Hand() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return to_write_ == 0 || failure_; });
  if (failure_) {
    lock.unlock();
    ThrowIfFailed();
  }
  filling_.swap(writing_);
  to_write_ = filled_;
  filled_ = 0;
  lock.unlock();
  changed_.notify_all();
}

void RowQueue::Write() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return to_write_ > 0 || stop_; });
    if (stop_) return;
    const size_t count = to_write_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      for (size_t i = 0; i < count; ++i) write_(writing_[i]);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    to_write_ = 0;
    changed_.notify_all();
    if (failure_) return;
  }
}

void RowQueue::ThrowIfFailed() {
  std::exception_ptr failure;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    failure = failure_;
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace demo::generation
