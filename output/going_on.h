// The progress of long output work, and the user's way to stop it: called
// on the thread that does the work with how much is done and how much there
// is in all; answering false stops the work at the next step. An empty
// function follows nothing and never stops.
#pragma once

#include <cstddef>
#include <functional>

namespace output {

using GoingOn = std::function<bool(size_t done, size_t total)>;

// Asks `going_on` (when there is one); true means go on.
inline bool GoOn(const GoingOn& going_on, size_t done, size_t total) { return !going_on || going_on(done, total); }

}  // namespace output
