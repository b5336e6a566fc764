// Writing a comparison run's results: a terminal table, CSV or JSON.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/comparison.h"
#include "output/csv_format.h"
#include "output/output_language.h"

namespace output {

struct ReportOptions {
  std::string format = "table";  // table, csv, json
  bool bookings = false;         // one record per booking, and each group's IDVERS
  // The table's blocks: "total", "lav", "set", "mac", "man" (empty: all of
  // them, or the total alone when they would not fit `terminal_width`).
  std::vector<std::string> columns;
  size_t terminal_width = 0;  // 0: not a terminal
  // The CSV's separator, decimal point and dates (--csv-locale): for tools by default.
  output::CsvStyle csv_style = output::kCsvForTools;
  // The table's captions and notes (the CSV and JSON field names never change).
  OutputLanguage language;
};

// The blocks a --columns value names, or a message naming the known ones.
std::string CheckColumns(const std::vector<std::string>& columns);

// Writes every group of the run (its totals computed: Comparison::ComputeAll) (its grouping values and RSTempiPrev's 71
// fields); with `bookings`, the 73 fields of each booking and the IDVERS that
// each group's filter keeps.
void WriteReport(std::ostream& out, engine::Comparison& run, const ReportOptions& options);

// WriteReport for a run whose group totals `compute` works out (on this
// thread; it answers false when they failed or were cancelled). What does not
// need them (a JSON report's bookings) is written meanwhile on other
// threads; the groups are then made on this thread and kept (up to a limit)
// until the bookings are out. Answers false, the report left unfinished,
// when `compute` does; a throw while writing the bookings is rethrown once
// this thread's part ended.
bool WriteReportComputing(std::ostream& out, engine::Comparison& run, const ReportOptions& options,
                          const std::function<bool()>& compute);

}  // namespace output
