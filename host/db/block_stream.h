// Blocks of rows filled on a thread of their own while the caller stores
// the block before: a back end's reading (stepping a statement, turning
// its values into C types) on one core and ours (storing the values into
// the record set) on the other.
//
// `fill` runs on the stream's thread, one call per block, from
// construction until it answers false (the last block: every row came, or
// the read failed and the caller learns how from the back end's own
// record of it) or throws (the blocks before it, and the rows it put into
// its block, come first; then Next() rethrows it). It gets a block to
// fill from scratch and the stop flag, which it checks between rows.
// Whatever `fill` keeps besides the block (an end code) may be read by the
// caller once Next() has answered null.
//
// `Block` has Rows(). Three blocks go round: the one the caller holds,
// the one being filled, one waiting; so the fill thread runs at most one
// block ahead of the caller's storing.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace host::db {

template <class Block>
class BlockStream {
 public:
  using Fill = std::function<bool(Block&, const std::atomic<bool>& stop)>;

  explicit BlockStream(Fill fill) : fill_(std::move(fill)), thread_([this] { Run(); }) {}
  // Stops the filling after the row under way, if any, and waits for it.
  ~BlockStream() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  BlockStream(const BlockStream&) = delete;
  BlockStream& operator=(const BlockStream&) = delete;

  // The next block of at least one row, waiting for it; null when there
  // are no more. The block stays valid until the next call.
  const Block* Next() {
    return Next([] { return false; });
  }
  // The same; while no block is ready it calls `idle()` on this thread,
  // again and again, for as long as it answers true (it did a little work
  // and has more), and only then waits. Each call should be short: a block
  // that comes meanwhile waits for it.
  template <class Idle>
  const Block* Next(const Idle& idle) {
    std::unique_lock lock(mutex_);
    while (filled_ <= read_ && !done_) {
      lock.unlock();
      const bool more = idle();
      lock.lock();
      if (!more) break;
    }
    changed_.wait(lock, [&] { return filled_ > read_ || done_; });
    if (filled_ > read_) {
      const Block* block = &blocks_[read_ % kBlocks];
      ++read_;  // gives back the block taken before
      changed_.notify_all();
      return block;
    }
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return nullptr;
  }

 private:
  void Run() {
    for (;;) {
      Block* block = nullptr;
      {
        std::unique_lock lock(mutex_);
        // The block the caller holds (the one last taken) and those waiting
        // for it are not to be touched.
        changed_.wait(lock, [&] { return stop_ || filled_ < (read_ > 0 ? read_ - 1 : 0) + kBlocks; });
        if (stop_) {
          done_ = true;
          changed_.notify_all();
          return;
        }
        block = &blocks_[filled_ % kBlocks];
      }
      bool more = false;
      std::exception_ptr failure;
      try {
        more = fill_(*block, stop_);
      } catch (...) {  // the caller's, after the rows before it
        failure = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      if (block->Rows() > 0) ++filled_;
      if (!more) {
        failure_ = failure;
        done_ = true;
      }
      changed_.notify_all();
      if (done_) return;
    }
  }

  static constexpr size_t kBlocks = 3;
  Fill fill_;
  Block blocks_[kBlocks];
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t filled_ = 0;  // blocks filled so far
  size_t read_ = 0;    // blocks the caller has taken so far
  bool done_ = false;  // the filling thread has filled its last block
  std::atomic<bool> stop_{false};  // the caller no longer wants rows
  std::exception_ptr failure_;
  // Last: started once everything it uses is.
  std::thread thread_;
};

}  // namespace host::db
