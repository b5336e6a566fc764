// A writer's answer as a test reads it: written (ok), or why not (the
// reasons, or "cancelled").
#pragma once

#include <gtest/gtest.h>

#include "host/value/status.h"
#include "output/write_status.h"

namespace output::testing {

inline ::testing::AssertionResult Written(const host::Status& status) {
  if (status.kind() == host::Status::Kind::kOk) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << (status.cancelled() ? std::string("cancelled") : ReasonOf(status));
}

}  // namespace output::testing
