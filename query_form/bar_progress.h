// The run's progress on the form's progress bar: the engine's Progress,
// called from the worker thread, stored for the bar to paint.
#pragma once

#include <array>

#include "engine/progress.h"
#include "host/qt/progress_bar.h"

namespace query_form {

class BarProgress : public engine::Progress {
 public:
  // `stages`: the words that name each stage (engine::RunStage's order).
  BarProgress(host::qt::ProgressBar& bar, std::array<QString, 3> stages) : bar_(bar), stages_(std::move(stages)) {}
  void Show(int64_t maximum) override { bar_.Start(maximum); }
  void Set(int64_t value) override { bar_.Move(value); }
  // The run goes on after a loop: the bar stays, busy, until it ends.
  void Hide() override { bar_.Start(0); }
  void Stage(engine::RunStage stage) override { bar_.SetWhat(stages_[static_cast<size_t>(stage)]); }
  void Follow(std::function<int64_t()> count) override { bar_.Follow(std::move(count)); }

 private:
  host::qt::ProgressBar& bar_;
  std::array<QString, 3> stages_;
};

}  // namespace query_form
