// The command line's JSON report: every booking (with --bookings) and every
// group, written as they are produced. The text is the one a whole document
// dumped with an indent of 1 would be (keys in order), so that readers of the
// interface see the same document however it was made.
#pragma once

#include <functional>
#include <ostream>

#include "output/run_report.h"
#include "engine/comparison.h"

namespace output {

// The report of a run whose group totals are computed.
void WriteJsonReport(std::ostream& out, engine::Comparison& run, const ReportOptions& options);

// The report with its bookings while `compute` works out the group totals on
// this thread (see WriteReportComputing).
bool WriteJsonReportComputing(std::ostream& out, engine::Comparison& run, const ReportOptions& options,
                              const std::function<bool()>& compute);

}  // namespace output
