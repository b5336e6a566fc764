// Writes the export's tables for a spreadsheet: one XLSX workbook with a
// sheet per table, or one CSV file per table. A header row of captions;
// numbers as numbers and dates as dates; every duration written as
// "h:mm:ss" also as a number of hours in the column after it, so that a
// spreadsheet can add it up; in the workbook the header row is frozen, has
// an auto-filter, and the columns are as wide as their content.
//
// The workbook's sheets are made and compressed in pieces on every core and
// streamed into the file: memory holds a few pieces, not the rows.
#pragma once

#include <string>
#include <vector>

#include "output/export_columns.h"
#include "output/export_tables.h"

namespace output {

// The most records a sheet holds: a spreadsheet program reads 1,048,576
// rows, the header included.
constexpr size_t kMostSheetRecords = 1048575;

// Both answer "" or what went wrong; a failed write leaves no file (and an
// earlier file at `path` as it was). `hours_word` names the added columns
// ("<caption> (ore)"). A table of more than `most_rows` records goes on in
// sheets of the same name with " (2)", " (3)"... after it.
std::string WriteWorkbook(const std::string& path, const std::vector<ExportTable>& tables,
                          const std::string& hours_word = "ore", size_t most_rows = kMostSheetRecords);
std::string WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                          const std::string& hours_word = "ore");

}  // namespace output
