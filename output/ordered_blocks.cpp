#include "output/ordered_blocks.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace output {

namespace {

// The blocks shared by the workers and the writer. A worker takes the next
// block while it is at most `ahead` blocks past the writer, so the workers
// keep busy while a block is written and memory holds `ahead` blocks at most.
class BlockQueue {
 public:
  BlockQueue(size_t blocks, size_t ahead) : blocks_(blocks), ahead_(ahead), made_(ahead) {}

  // The next block to make, or nullopt when there is none (or all stop).
  std::optional<size_t> Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stop_ || next_ >= blocks_ || next_ < written_ + ahead_; });
    if (stop_ || next_ >= blocks_) return std::nullopt;
    return next_++;
  }

  void Made(size_t block, std::string text) {
    const std::lock_guard lock(mutex_);
    made_[block % ahead_] = std::move(text);
    changed_.notify_all();
  }

  // No block after `block` is needed; the first failure is the one kept.
  void Failed(size_t block, std::exception_ptr error) {
    const std::lock_guard lock(mutex_);
    if (block < failed_) {
      failed_ = block;
      error_ = std::move(error);
    }
    stop_ = true;
    changed_.notify_all();
  }

  // Block `block`'s text once made; nullopt when it failed.
  std::optional<std::string> Wait(size_t block) {
    std::unique_lock lock(mutex_);
    auto& slot = made_[block % ahead_];
    changed_.wait(lock, [&] { return slot.has_value() || failed_ <= block; });
    if (!slot) return std::nullopt;
    std::string text = std::move(*slot);
    slot.reset();
    written_ = block + 1;
    changed_.notify_all();
    return text;
  }

  void Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
    changed_.notify_all();
  }

  std::exception_ptr Error() const { return error_; }

 private:
  const size_t blocks_, ahead_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::optional<std::string>> made_;  // by block, modulo ahead_
  size_t next_ = 0, written_ = 0;
  size_t failed_ = std::numeric_limits<size_t>::max();
  bool stop_ = false;
  std::exception_ptr error_;
};

}  // namespace

void WriteBlocksInOrder(size_t count, size_t block, unsigned workers,
                        const std::function<std::string(size_t first, size_t last)>& format,
                        const std::function<void(const std::string& text)>& write) {
  block = std::max<size_t>(block, 1);
  workers = std::max(workers, 1U);
  const size_t blocks = (count + block - 1) / block;
  BlockQueue queue(blocks, 2 * size_t{workers});
  std::vector<std::thread> threads;
  // Joined however the writing ends, a worker that could not be started
  // (no memory left) included: the workers read what the caller owns.
  struct Join {
    BlockQueue& queue;
    std::vector<std::thread>& threads;
    ~Join() {
      queue.Stop();
      for (auto& t : threads) t.join();
    }
  };
  {
    Join join{queue, threads};
    threads.reserve(workers);
    for (unsigned w = 0; w < workers && w < blocks; ++w) {
      threads.emplace_back([&] {
        while (const auto b = queue.Take()) {
          try {
            queue.Made(*b, format(*b * block, std::min(count, (*b + 1) * block)));
          } catch (...) {  // a worker's edge: whatever it met goes back to the writing thread
            queue.Failed(*b, std::current_exception());
          }
        }
      });
    }
    for (size_t b = 0; b < blocks; ++b) {
      const auto text = queue.Wait(b);
      if (!text) break;
      write(*text);
    }
  }
  if (queue.Error()) std::rethrow_exception(queue.Error());
}

}  // namespace output
