// The host's progress bar (ProgBar): a bar with a count ("tempi previsti
// 120.000 / 950.000") that another thread may move. The thread that works
// stores the position; the window thread paints it ten times a second, so a
// loop of a million steps costs no more than a store per step. A count
// without a total ("lettura versamenti 120.000") comes from a function that
// the window thread reads as it paints, while the work waits on something
// that counts by itself (a statement's rows).
#pragma once

#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace host::qt {

class ProgressBar : public QProgressBar {
 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  // Any thread. A maximum of 0 or less shows a busy bar.
  void Start(int64_t maximum);
  void Move(int64_t value);
  void Stop();
  // The words before the count ("lettura versamenti"); any thread.
  void SetWhat(const QString& what);
  // Any thread: the count to show while there is no maximum; an empty
  // function ends it (once this returns, the function is called no more).
  void Follow(std::function<int64_t()> count);

 private:
  void Paint();

  std::atomic<int64_t> maximum_{0}, value_{0};
  std::atomic<bool> running_{false};
  QTimer timer_;
  std::mutex mutex_;  // what_ and follow_
  QString what_;
  std::function<int64_t()> follow_;
};

}  // namespace host::qt
