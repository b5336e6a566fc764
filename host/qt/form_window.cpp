#include "host/qt/form_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "host/qt/mdi_frame.h"

namespace host::qt {

FormWindow::FormWindow(const QString& object_name) : widget_(new QWidget()) {
  widget_->setObjectName(object_name);
  widget_->installEventFilter(this);
}

FormWindow::~FormWindow() { Dispose(); }

QWidget* FormWindow::Outer() const { return sub_window_ ? sub_window_.data() : widget_.data(); }

void FormWindow::Show(const HostObjectPtr& frame, bool modal, QSize size) {
  if (!widget_) return;
  const auto mdi = std::dynamic_pointer_cast<MdiFrame>(frame);
  if (mdi && mdi->area && !modal) {
    auto* sub = mdi->area->addSubWindow(widget_);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->installEventFilter(this);
    sub->resize(size);
    sub_window_ = sub;
    QObject::connect(mdi->area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* active) {
      if (active != nullptr && active == sub_window_ && !unloaded_ && activate) activate();
    });
    sub->show();
    widget_->show();
    mdi->area->setActiveSubWindow(sub);
    return;
  }
  widget_->resize(size);
  if (!modal) {
    widget_->show();
    return;
  }
  widget_->setWindowModality(Qt::ApplicationModal);
  widget_->show();
  QEventLoop loop;
  quit_modal_ = [&loop] { loop.quit(); };
  if (!unloaded_) loop.exec();
  quit_modal_ = nullptr;
}

void FormWindow::Hide() {
  if (QWidget* outer = Outer()) outer->hide();
}

void FormWindow::ShowAgain() {
  if (!widget_) return;
  widget_->show();
  if (auto* sub = qobject_cast<QMdiSubWindow*>(sub_window_.data())) {
    sub->show();
    if (sub->mdiArea() != nullptr) sub->mdiArea()->setActiveSubWindow(sub);
  } else {
    widget_->raise();
    widget_->activateWindow();
  }
}

bool FormWindow::IsActiveWindow() const {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(sub_window_.data())) {
    return sub->isVisible() && sub->mdiArea() != nullptr && sub->mdiArea()->activeSubWindow() == sub;
  }
  return widget_ && widget_->isVisible() && widget_->isActiveWindow();
}

bool FormWindow::Close(int16_t mode) {
  if (unloaded_) return true;
  if (in_close_) return false;  // a close asked while one is being decided
  in_close_ = true;
  int16_t cancel = 0;
  if (query_unload) query_unload(cancel, mode);
  in_close_ = false;
  if (cancel != 0) return false;
  closing = true;
  if (unload) unload();
  Dispose();
  return true;
}

void FormWindow::Dispose() {
  if (unloaded_) return;
  unloaded_ = true;
  if (sub_window_) {
    sub_window_->removeEventFilter(this);
    sub_window_->hide();
    sub_window_->deleteLater();
  }
  if (widget_) {
    widget_->removeEventFilter(this);
    widget_->hide();
    // Deleted by its sub-window when it has one; else here.
    if (!sub_window_) widget_->deleteLater();
  }
  if (quit_modal_) quit_modal_();
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && (watched == sub_window_ || (watched == widget_ && !sub_window_))) {
    // The window system asks: the form decides, and unloads itself.
    event->ignore();
    Close(kFromControlMenu);
    return true;
  }
  if (event->type() == QEvent::WindowActivate && watched == widget_ && !sub_window_ && activate) {
    activate();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace host::qt
