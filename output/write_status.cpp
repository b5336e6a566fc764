#include "output/write_status.h"

#include <utility>

namespace output {

host::Status WriteFailedUnless(std::string reason) {
  if (reason.empty()) return {};
  return host::Status::Message(host::Status::Kind::kFailed, std::move(reason), 0, host::kMbIconExclamation);
}

std::string ReasonOf(const host::Status& status) {
  std::string reasons;
  for (const auto& d : status.diagnostics()) {
    if (!reasons.empty()) reasons += "\n";
    reasons += d.kind == host::Diagnostic::Kind::kMessage ? d.text : std::string(d.error.what());
  }
  return reasons;
}

}  // namespace output
