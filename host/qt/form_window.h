// The window of a module's form, as the ERP's forms behave: it opens in the
// host's MDI area (or as a window of its own, modal or not); every close,
// by the window's X, the host or code, goes through the form's
// QueryUnload(cancel, mode), which may refuse it, and then its Unload; a
// modal Show returns when the form is unloaded.
//
// The flags that both forms keep live here: initialised (the first
// activation finished its set-up), closing (Unload has begun), prepared (the
// results form laid out its grids) and MainFormActive.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "host/framework/host_object.h"

namespace host::qt {

class FormWindow : public QObject {
 public:
  // UnloadMode values of QueryUnload.
  static constexpr int16_t kFromControlMenu = 0;  // the window's X or its system menu
  static constexpr int16_t kFromCode = 1;         // the form or the host asked

  explicit FormWindow(const QString& object_name);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // The form's contents; null once unloaded.
  [[nodiscard]] QWidget* Widget() const { return widget_; }

  // The form's answers: QueryUnload may set cancel to non-zero; Unload
  // releases what the form holds. Activate runs each time the window
  // becomes the active one (Form_Activate).
  std::function<void(int16_t& cancel, int16_t mode)> query_unload;
  std::function<void()> unload;
  std::function<void()> activate;

  // Shows the window in the frame's MDI area (a MdiFrame), else on its own;
  // a modal show returns after the unload.
  void Show(const HostObjectPtr& frame, bool modal, QSize size);
  void Hide();
  // Shows a hidden window again and makes it the active one.
  void ShowAgain();
  // Closes as `mode` says; answers false when QueryUnload refused.
  bool Close(int16_t mode = kFromCode);
  [[nodiscard]] bool Unloaded() const { return unloaded_; }
  // The window (or its MDI sub-window) is the active one.
  [[nodiscard]] bool IsActiveWindow() const;

  bool initialised = false;
  bool closing = false;
  bool prepared = false;
  bool main_form_active = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The widget that the window system closes: the MDI sub-window or the form.
  [[nodiscard]] QWidget* Outer() const;
  void Dispose();

  QPointer<QWidget> widget_;
  QPointer<QWidget> sub_window_;
  bool unloaded_ = false;
  bool in_close_ = false;
  std::function<void()> quit_modal_;
};

}  // namespace host::qt
