#include "host/qt/progress_bar.h"

#include <QLocale>

namespace host::qt {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setObjectName("ProgBar");
  setTextVisible(true);
  setVisible(false);
  timer_.setInterval(100);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Paint(); });
  timer_.start();
}

void ProgressBar::Start(int64_t maximum) {
  value_ = 0;
  maximum_ = maximum;
  running_ = true;
}

void ProgressBar::Move(int64_t value) { value_.store(value, std::memory_order_relaxed); }

void ProgressBar::Stop() { running_ = false; }

void ProgressBar::SetWhat(const QString& what) {
  const std::lock_guard lock(mutex_);
  what_ = what;
}

void ProgressBar::Follow(std::function<int64_t()> count) {
  const std::lock_guard lock(mutex_);
  follow_ = std::move(count);
}

void ProgressBar::Paint() {
  if (!running_) {
    if (isVisible()) setVisible(false);
    return;
  }
  if (!isVisible()) setVisible(true);
  const int64_t maximum = maximum_;
  int64_t value = value_.load(std::memory_order_relaxed);
  QString what;
  bool counting = false;
  {
    const std::lock_guard lock(mutex_);
    what = what_;
    if (maximum <= 0 && follow_) {
      value = follow_();
      counting = true;
    }
  }
  const QLocale locale;
  if (counting) {
    // No total to measure against: the count moves, the bar stays empty.
    setRange(0, 1000);
    setValue(0);
    setFormat(what + " " + locale.toString(static_cast<qlonglong>(value)));
    return;
  }
  if (maximum <= 0) {
    setRange(0, 0);
    return;
  }
  // QProgressBar counts in int: scale to thousandths.
  setRange(0, 1000);
  setValue(static_cast<int>(value * 1000 / maximum));
  setFormat(what + " " + locale.toString(static_cast<qlonglong>(value)) + " / " +
            locale.toString(static_cast<qlonglong>(maximum)));
}

}  // namespace host::qt
