// The 56 columns of the planned-time grids GRD_Prev and GRD_PrevDett, and
// how the time unit changes them (InitQGrid): under hh:mm:ss the OMS texts
// show and the minute and second columns hide; under hh,hh the same with two
// decimals; under mm,mm the minute columns and under ss,ss the second columns
// take two decimals and the OMS and other unit columns hide. The gap columns
// always take two decimals. All are right-aligned.
//
// The same field-to-caption pairs serve the export.
#pragma once

#include <vector>

#include "engine/presentation/grid_column.h"

namespace engine {

// As defined, before the unit is applied.
const std::vector<GridColumn>& PlannedGridColumns();

// Laid out for time unit `unit` (0..3; another value leaves the columns as
// defined, right-aligned).
std::vector<GridColumn> PlannedGridColumnsFor(int16_t unit);

}  // namespace engine
