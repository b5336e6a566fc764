// A writer's answer as a Qt test reads it: true when written (ok); else
// false, with why not in the test's log (the reasons, or "cancelled").
#pragma once

#include <QtGlobal>

#include "host/value/status.h"
#include "output/write_status.h"

inline bool Written(const host::Status& status) {
  if (status.kind() == host::Status::Kind::kOk) return true;
  qWarning("not written: %s", status.cancelled() ? "cancelled" : output::ReasonOf(status).c_str());
  return false;
}
