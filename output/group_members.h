// The bookings each group of a run stands for: what its group filter keeps
// of RSTempiVerDett, as the outputs list them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/comparison.h"

namespace output {

// The IDVERS that each group's filter keeps, by IDGRUPPO (as text). Moves
// RSTempiVer and filters RSTempiVerDett on the way; leaves the first group
// current and RSTempiVerDett unfiltered.
std::map<std::string, std::vector<host::Variant>> GroupMembers(engine::Comparison& run);

}  // namespace output
