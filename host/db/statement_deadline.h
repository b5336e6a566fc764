// A deadline for the statement a connection is running: armed before the
// statement, disarmed after it; when it passes first, `on_expiry` runs on
// the deadline's own thread (it cancels the statement) and Expired() says
// so. A driver that ignores its query timeout (the SQLite ODBC driver does)
// still gives up, and a server that stops answering mid-statement never
// holds a run for ever. One thread per connection, started on first use.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace host::db {

class StatementDeadline {
 public:
  explicit StatementDeadline(std::function<void()> on_expiry) : on_expiry_(std::move(on_expiry)) {}
  ~StatementDeadline();
  StatementDeadline(const StatementDeadline&) = delete;
  StatementDeadline& operator=(const StatementDeadline&) = delete;

  // `after` of zero or less arms nothing.
  void Arm(std::chrono::milliseconds after);
  // Moves an armed deadline to `after` from now (the statement is
  // answering: rows came); nothing when disarmed or passed.
  void Restart(std::chrono::milliseconds after);
  void Disarm();
  // Whether the last armed deadline passed before it was disarmed.
  [[nodiscard]] bool Expired() const;

 private:
  void Watch();

  std::function<void()> on_expiry_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  bool armed_ = false;
  bool expired_ = false;
  bool stopping_ = false;
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace host::db
