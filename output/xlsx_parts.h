// The small parts of an XLSX workbook around its sheets: content types,
// relationships, the workbook with its sheet names and filter ranges, the
// styles the cells use (xlsx::Style) and the two formats of the tolerance
// band (ToleranceBand), the document properties, and a
// sheet's XML before and after its rows.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace output::xlsx {

struct SheetPart {
  std::string name;       // at most 31 characters, none of []:*?/\ (not checked here)
  std::string last_cell;  // "W6": the sheet holds A1 to it
};

std::string ContentTypes(size_t sheets);
std::string RootRelationships();
// Each sheet's auto-filter covers A1 to its last cell; a spreadsheet program
// finds it through a hidden defined name.
std::string WorkbookXml(const std::vector<SheetPart>& sheets);
std::string WorkbookRelationships(size_t sheets);
std::string StylesXml();
std::string AppProperties(const std::vector<SheetPart>& sheets);
// `now` is written as the time the workbook was made (UTC).
std::string CoreProperties(std::time_t now);

// A sheet's XML up to its first row: its extent, the header row frozen, the
// column widths (in characters, column A first).
std::string SheetHead(const SheetPart& sheet, const std::vector<double>& widths);
// The tolerance band of a sheet's gap % columns, as the results form colours
// them: a value over +tolerance takes the over-plan format (orange, "▲"
// before the number), one under -tolerance the under-plan format (blue,
// "▼"); a value on the band's edge (exactly 10 with ±10) takes neither. An
// empty cell (no plan) takes the over-plan format when its gap column is
// given and holds more than 0 (time booked without a plan), the under-plan
// one below 0, else neither. No columns: no band.
struct ToleranceBand {
  std::vector<std::string> columns;  // the gap % columns' letters
  double tolerance = 10;             // in percent, not negative
  std::vector<std::string> gaps;     // per column: its gap's letters, or "" (none: no rule for empty cells)
};

// After its last row: the auto-filter over the whole sheet, then the band's
// conditional formatting over the columns' rows below the header (none on a
// sheet without rows).
std::string SheetTail(const SheetPart& sheet, const ToleranceBand& band = {});

}  // namespace output::xlsx
