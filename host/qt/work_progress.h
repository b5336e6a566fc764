// The progress of work that the window thread does itself (a print or an
// export prepared and written): a modal window with what is being done and
// a count ("Scrittura: righe 120.000 / 950.000") and a button to stop. It
// appears only when the work lasts more than half a second.
//
// The work calls the function of its stage at each step; the window is
// brought up to date at most ten times a second (a loop of a million steps
// costs a clock read per step), and the function answers false once the
// user pressed the button, so that the work stops there.
#pragma once

#include <QElapsedTimer>
#include <QProgressDialog>
#include <cstddef>
#include <functional>

namespace host::qt {

class WorkProgress {
 public:
  WorkProgress(QWidget* parent, const QString& title, const QString& stop_text);

  // `what` comes before the count.
  std::function<bool(size_t done, size_t total)> Stage(const QString& what);
  // Whether the user pressed the button (also after Done).
  [[nodiscard]] bool Stopped() const { return stopped_ || dialog_.wasCanceled(); }
  // Hides the window once the work is over.
  void Done();
  [[nodiscard]] QProgressDialog& Dialog() { return dialog_; }

 private:
  bool Step(const QString& what, size_t done, size_t total);

  QProgressDialog dialog_;
  QElapsedTimer since_update_;
  bool stopped_ = false;
};

}  // namespace host::qt
