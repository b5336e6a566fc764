// Writing a comparison run's results: a terminal table, CSV or JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/comparison_run.h"
#include "engine/group_totals.h"

namespace app {

struct ReportOptions {
  std::string format = "table";  // table, csv, json
  bool bookings = false;         // one record per booking, and each group's IDVERS
};

// Writes every group of the run (its grouping values and RSTempiPrev's 71
// fields); with `bookings`, the 73 fields of each booking and the IDVERS that
// each group's filter keeps.
void WriteReport(std::ostream& out, engine::ComparisonRun& run, engine::GroupTotals& totals,
                 const std::vector<std::string>& grouping_columns, const ReportOptions& options);

}  // namespace app
