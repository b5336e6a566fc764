// The run's progress on the form's progress bar: the engine's Progress,
// called from the worker thread, stored for the bar to paint.
#pragma once

#include "engine/progress.h"
#include "host/qt/progress_bar.h"

namespace query_form {

class BarProgress : public engine::Progress {
 public:
  explicit BarProgress(host::qt::ProgressBar& bar) : bar_(bar) {}
  void Show(int64_t maximum) override { bar_.Start(maximum); }
  void Set(int64_t value) override { bar_.Move(value); }
  // The run goes on after a loop: the bar stays, busy, until it ends.
  void Hide() override { bar_.Start(0); }

 private:
  host::qt::ProgressBar& bar_;
};

}  // namespace query_form
