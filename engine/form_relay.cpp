#include "engine/form_relay.h"

namespace engine {

void FormRelay::Hold(bool hold) {
  std::lock_guard lock(mutex_);
  hold_ = hold;
}

void FormRelay::Replay() {
  std::vector<Kept> kept;
  {
    std::lock_guard lock(mutex_);
    kept.swap(kept_);
  }
  for (const Kept& k : kept) {
    if (k.error) {
      target_->GestioneErrore(k.procedure_or_text, k.failure);
    } else {
      target_->MsgBoxLingua(k.procedure_or_text, k.number, k.buttons, k.title);
    }
  }
}

void FormRelay::GestioneErrore(std::string_view procedure, const host::Error& error) {
  if (error.Number() == host::kErrCancelled) {
    cancelled_ = true;
    return;
  }
  if (error.Number() != host::kWarnValueLeftOut) ++failures_;
  {
    std::lock_guard lock(mutex_);
    if (hold_) {
      kept_.push_back({true, std::string(procedure), error, 0, 0, {}});
      return;
    }
  }
  target_->GestioneErrore(procedure, error);
}

std::string FormRelay::TestoLingua(std::string_view text, int32_t number, int16_t quote) {
  std::lock_guard lock(mutex_);
  return target_->TestoLingua(text, number, quote);
}

int32_t FormRelay::MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons, std::string_view title) {
  {
    std::lock_guard lock(mutex_);
    if (hold_) {
      kept_.push_back({false, std::string(text), host::Error(0, ""), number, buttons, std::string(title)});
      return kMbAnswerYes;
    }
  }
  return target_->MsgBoxLingua(text, number, buttons, title);
}

std::string FormRelay::FormCaption() const {
  std::lock_guard lock(mutex_);
  return target_->FormCaption();
}

std::string FormRelay::TraduciCaption(std::string_view caption) {
  std::lock_guard lock(mutex_);
  return target_->TraduciCaption(caption);
}

}  // namespace engine
