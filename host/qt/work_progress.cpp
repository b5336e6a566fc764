#include "host/qt/work_progress.h"

#include <QLocale>
#include <algorithm>

namespace host::qt {

WorkProgress::WorkProgress(QWidget* parent, const QString& title, const QString& stop_text) : dialog_(parent) {
  dialog_.setObjectName("WorkProgress");
  dialog_.setWindowTitle(title);
  dialog_.setCancelButtonText(stop_text);
  // The work runs on the window thread: nothing else may be clicked meanwhile.
  dialog_.setWindowModality(Qt::ApplicationModal);
  dialog_.setMinimumDuration(500);
  dialog_.setAutoClose(false);
  dialog_.setAutoReset(false);
  // The count is in the label; the bar counts thousandths (it holds an int).
  dialog_.setRange(0, 1000);
  dialog_.setMinimumWidth(420);
  // The half second counts from here, over all the stages: the bar's
  // minimum (re)starts that clock, so the steps never go back to it.
  dialog_.setValue(0);
}

std::function<bool(size_t, size_t)> WorkProgress::Stage(const QString& what) {
  return [this, what](size_t done, size_t total) { return Step(what, done, total); };
}

void WorkProgress::Done() {
  stopped_ = Stopped();
  dialog_.reset();  // forgets the button, and the window is not shown later
  dialog_.hide();
}

bool WorkProgress::Step(const QString& what, size_t done, size_t total) {
  if (since_update_.isValid() && since_update_.elapsed() < 100) return !dialog_.wasCanceled();
  since_update_.restart();
  const QLocale locale;
  dialog_.setLabelText(what + " " + locale.toString(static_cast<qulonglong>(done)) + " / " +
                       locale.toString(static_cast<qulonglong>(total)));
  // A modal window's setValue also lets the window thread paint and hear
  // the button.
  dialog_.setValue(std::max(1, total == 0 ? 0 : static_cast<int>(std::min(done, total) * 1000 / total)));
  return !dialog_.wasCanceled();
}

}  // namespace host::qt
