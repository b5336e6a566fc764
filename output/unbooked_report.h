// The phases planned and never booked (engine/unbooked_phases) as the
// command line writes them: in the JSON report as "unbooked_phases" (every
// field by its name, PREV_SEC a number), and with --unbooked as the table or
// the CSV instead of the groups (the table's captions in the command line's
// language; the CSV's header the field names, which never change).
#pragma once

#include <ostream>
#include <string>

#include "output/run_report.h"
#include "engine/comparison.h"
#include "host/recordset/recordset.h"
#include "output/csv_format.h"

namespace output {

// The JSON array, one object a phase ("[]" when none), indented for the report.
std::string UnbookedJson(host::RecordSet& phases);

// A table with a header row, columns as wide as their widest text.
void WriteUnbookedTable(std::ostream& out, host::RecordSet& phases, const OutputLanguage& language);

void WriteUnbookedCsv(std::ostream& out, host::RecordSet& phases, const output::CsvStyle& style);

// The run's list as the table or the CSV of `options.format`. Throws
// host::Error when its statement fails.
void WriteUnbooked(std::ostream& out, engine::Comparison& run, const ReportOptions& options);

}  // namespace output
