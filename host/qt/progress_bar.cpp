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

void ProgressBar::Paint() {
  if (!running_) {
    if (isVisible()) setVisible(false);
    return;
  }
  if (!isVisible()) setVisible(true);
  const int64_t maximum = maximum_;
  const int64_t value = value_.load(std::memory_order_relaxed);
  if (maximum <= 0) {
    setRange(0, 0);
    return;
  }
  // QProgressBar counts in int: scale to thousandths.
  setRange(0, 1000);
  setValue(static_cast<int>(value * 1000 / maximum));
  const QLocale locale;
  setFormat(what_ + " " + locale.toString(static_cast<qlonglong>(value)) + " / " +
            locale.toString(static_cast<qlonglong>(maximum)));
}

}  // namespace host::qt
