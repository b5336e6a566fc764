// Writes the export's tables for a spreadsheet: one XLSX workbook with a
// sheet per table, or one CSV file per table. A header row of captions;
// numbers as numbers and dates as dates; every duration written as
// "h:mm:ss" also as a number of hours in the column after it, so that a
// spreadsheet can add it up; in the workbook the header row is frozen, has
// an auto-filter, the columns are as wide as their content, and a gap %
// beyond the tolerance band is coloured by conditional formatting.
//
// The workbook's sheets are made and compressed in pieces on every core and
// streamed into the file: memory holds a few pieces, not the rows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "output/csv_format.h"
#include "output/export_columns.h"
#include "output/export_tables.h"
#include "output/going_on.h"
#include "host/value/status.h"

namespace output {

// The most records a sheet holds: a spreadsheet program reads 1,048,576
// rows, the header included.
constexpr size_t kMostSheetRecords = 1048575;

struct TableWriteOptions {
  // Names the added hours columns ("<caption> (ore)").
  std::string hours_word = "ore";
  // A table of more records than this goes on in sheets of the same name
  // with " (2)", " (3)"... after it (the workbook only).
  size_t most_rows = kMostSheetRecords;
  // Hears of the records written so far of all the tables; answering false
  // stops the writing, which then leaves no file.
  GoingOn going_on;
  // How the CSV files are written: for tools, or for the user's spreadsheet.
  CsvStyle csv_style = kCsvForTools;
  // The workbook's gap % columns are coloured beyond ± this many percent
  // (xlsx::ToleranceBand), as the results form colours them; nothing: no
  // colours. A negative value is taken as its size.
  std::optional<double> tolerance = 10.0;
};

// Both answer ok, cancelled when `going_on` stopped them, or failed with
// what went wrong (output::WriteFailedUnless); a failed or stopped write leaves no file (and an earlier file at
// `path` as it was; of the CSV files, those written before stay). Each file
// goes to its place as output::PlacedFile puts it, and a place
// output::RefusePlace refuses is not written.
host::Status WriteWorkbook(const std::string& path, const std::vector<ExportTable>& tables,
                           const TableWriteOptions& options = {});
host::Status WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                           const TableWriteOptions& options = {});

// Why the CSV files cannot go into `directory` while `database` is read ("" when
// they can): it is a file, or its nearest existing folder cannot be written,
// or one of the CSV files' places is refused (see output::RefusePlace).
std::string RefuseCsvFolder(const std::string& directory, const std::string& database);

}  // namespace output
