// The groups of a run whose booked time is furthest from the plan: the
// total category's gap, in absolute value, largest first. The totals of
// groups not visited yet are computed on clones of the run's record sets,
// so no grid moves; they are stored in RSTempiPrev as a visit stores them,
// and a later visit reuses them.
#pragma once

#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/progress.h"

namespace engine {

struct GroupGap {
  host::Variant id;                 // IDGRUPPO
  std::string label;                // the grouping values joined by "/", "-" for one without a value
  double planned = 0, booked = 0;   // seconds
  [[nodiscard]] double Gap() const { return booked - planned; }
};

// At most `count` groups. A failure is reported as "TempiPreventivi" and
// answers what was computed so far.
std::vector<GroupGap> LargestGaps(Comparison& run, size_t count, Progress& progress);

}  // namespace engine
