// The host's progress bar (ProgBar): a bar with a count ("prenotazioni
// 120.000 / 950.000") that another thread may move. The thread that works
// stores the position; the window thread paints it ten times a second, so a
// loop of a million steps costs no more than a store per step.
#pragma once

#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <cstdint>

namespace host::qt {

class ProgressBar : public QProgressBar {
 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  // Any thread. A maximum of 0 or less shows a busy bar.
  void Start(int64_t maximum);
  void Move(int64_t value);
  void Stop();
  // The word before the count ("bookings", "groups").
  void SetWhat(const QString& what) { what_ = what; }

 private:
  void Paint();

  std::atomic<int64_t> maximum_{0}, value_{0};
  std::atomic<bool> running_{false};
  QTimer timer_;
  QString what_;
};

}  // namespace host::qt
