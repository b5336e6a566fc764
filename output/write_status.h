// How a writer of an output file answers: ok, cancelled when the user
// stopped it (nothing written, nothing to show), or failed with the reason
// the file could not be written (a refused place, a full disk, no rights),
// which the user reads in a message box with the exclamation icon, as the
// command line prints it on its error output.
#pragma once

#include <string>

#include "host/value/status.h"

namespace output {

// Failed with `reason` ("" gives ok: the building blocks below answer "" when
// nothing went wrong).
[[nodiscard]] host::Status WriteFailedUnless(std::string reason);

// The reasons a status holds, one per line ("" for ok and cancelled): what the
// command line prints and the tests compare.
[[nodiscard]] std::string ReasonOf(const host::Status& status);

}  // namespace output
