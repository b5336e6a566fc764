#include "engine/run_context.h"

#include <utility>

namespace engine {

std::string RunContext::TestoLingua(std::string_view text, int32_t number, int16_t quote) {
  std::lock_guard lock(mutex_);
  return language_.TestoLingua(text, number, quote);
}

std::string RunContext::TraduciCaption(std::string_view caption) {
  std::lock_guard lock(mutex_);
  return language_.TraduciCaption(caption);
}

void RunContext::Add(const host::Status& status) {
  if (status.kind() == host::Status::Kind::kOk && status.diagnostics().empty()) return;
  std::lock_guard lock(mutex_);
  status_.Add(status);
}

void RunContext::Caught(std::string_view procedure) { Add(host::Status::Caught(std::string(procedure))); }

host::Status RunContext::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(status_, host::Status());
}

}  // namespace engine
