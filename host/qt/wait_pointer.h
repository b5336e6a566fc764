// The wait pointer for as long as an object of this class lives: set when
// it is made, given back when it goes, on every way out (a return, an
// exception). One more pointer on Qt's stack each; the form's error routine
// may empty the stack first, and a pointer given back then is no harm.
#pragma once

#include <QApplication>
#include <QCursor>

namespace host::qt {

class WaitPointer {
 public:
  explicit WaitPointer(Qt::CursorShape shape = Qt::WaitCursor) { QApplication::setOverrideCursor(shape); }
  ~WaitPointer() { QApplication::restoreOverrideCursor(); }
  WaitPointer(const WaitPointer&) = delete;
  WaitPointer& operator=(const WaitPointer&) = delete;
};

}  // namespace host::qt
