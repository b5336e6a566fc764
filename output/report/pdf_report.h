// The comparison report as a PDF from the command line, for scheduled runs:
// the same drawing as the results form's print, on an offscreen display.
#pragma once

#include <string>

#include "engine/comparison.h"
#include "output/output_language.h"
#include "output/print_records.h"

namespace output {

// The report's optional sections, drawn when asked for and `print` holds
// them (PreparaSezioniStampa).
struct PdfSections {
  bool trend = false;     // each group's months, against a band of ±tolerance (±10 % without one)
  bool unbooked = false;  // the phases planned and never booked, after the groups
  // Gap % beyond ±tolerance marks a group's heading ▲/▼; 0: no marks.
  double tolerance = 0;
};

// Answers "" or what went wrong.
std::string WritePdfReport(const std::string& path, const output::PrintRecords& print, engine::Comparison& run,
                           const std::string& company, const OutputLanguage& language,
                           const PdfSections& sections = {});

}  // namespace output
