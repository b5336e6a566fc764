// Writes the export's tables for a spreadsheet: one XLSX workbook with a
// sheet per table (libxlsxwriter in constant-memory mode: memory does not
// grow with the rows), or one CSV file per table. A header row of captions;
// numbers as numbers and dates as dates; every duration written as
// "h:mm:ss" also as a number of hours in the column after it, so that a
// spreadsheet can add it up; in the workbook the header row is frozen, has
// an auto-filter, and the columns are as wide as their content.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/export_tables.h"

namespace output {

// The hours of a duration text ("1:02:05", "- 0:30:00", "+ 125:00:00");
// nothing for any other text.
std::optional<double> DurationHours(std::string_view text);

// Whether a field holds duration texts (the OMS texts, the hh:mm:ss gaps,
// the booked time of a booking).
bool IsDurationField(std::string_view field);

// Both answer "" or what went wrong; a failed write leaves no file.
// `hours_word` names the added columns ("<caption> (ore)").
std::string WriteWorkbook(const std::string& path, const std::vector<ExportTable>& tables,
                          const std::string& hours_word = "ore");
std::string WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                          const std::string& hours_word = "ore");

}  // namespace output
