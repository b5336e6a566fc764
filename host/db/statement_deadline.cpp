#include "host/db/statement_deadline.h"

namespace host::db {

StatementDeadline::~StatementDeadline() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void StatementDeadline::Arm(std::chrono::milliseconds after) {
  if (after.count() <= 0) return;
  {
    std::lock_guard lock(mutex_);
    armed_ = true;
    expired_ = false;
    deadline_ = std::chrono::steady_clock::now() + after;
    if (!thread_.joinable()) thread_ = std::thread([this] { Watch(); });
  }
  changed_.notify_all();
}

void StatementDeadline::Restart(std::chrono::milliseconds after) {
  // No notification: the watcher wakes at the old time, finds it moved and
  // waits again (one lock a batch of rows, no wake-up).
  std::lock_guard lock(mutex_);
  if (armed_) deadline_ = std::chrono::steady_clock::now() + after;
}

void StatementDeadline::Disarm() {
  {
    std::lock_guard lock(mutex_);
    armed_ = false;
  }
  changed_.notify_all();
}

bool StatementDeadline::Expired() const {
  std::lock_guard lock(mutex_);
  return expired_;
}

void StatementDeadline::Watch() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!armed_) {
      changed_.wait(lock);
      continue;
    }
    const auto deadline = deadline_;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && armed_ && deadline_ == deadline) {
      armed_ = false;
      expired_ = true;
      lock.unlock();
      on_expiry_();
      lock.lock();
    }
  }
}

}  // namespace host::db
