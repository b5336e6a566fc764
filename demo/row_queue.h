// Rows made on one thread and written on another, in the order they were
// made: the demo's bookings are drawn (random numbers, texts) on the
// caller's core while SQLite inserts the ones before them on a second.
//
// Push copies a row into a batch; a full batch goes to the writing thread,
// which calls `write` for each of its rows in turn, while the caller fills
// the next one (two batches at most: the caller waits for the writer, never
// the other way round for long). A row's texts held as views must outlive
// Finish. Finish writes what is left and waits; a failure of `write` is
// thrown again by the next Push or by Finish, and no row after it is
// written. The destructor without Finish (the caller failed) stops the
// writer and drops what was not written yet.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "demo/demo_rows.h"

namespace demo::generation {

class RowQueue {
 public:
  using Row = std::vector<Value>;

  explicit RowQueue(std::function<void(const Row&)> write, size_t batch_rows = 2048);
  ~RowQueue();
  RowQueue(const RowQueue&) = delete;
  RowQueue& operator=(const RowQueue&) = delete;

  void Push(const Row& row);
  void Finish();

 private:
  void Hand();  // the filled batch to the writer, once it took the one before
  void Write();  // the writing thread
  void ThrowIfFailed();

  std::function<void(const Row&)> write_;
  size_t batch_rows_;
  std::vector<Row> filling_, writing_;
  size_t filled_ = 0, to_write_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread writer_;
};

}  // namespace demo::generation
