// The cells of a worksheet's XML, written straight into a text: a sheet of a
// million bookings has a hundred million cells, so a cell costs a few
// appends and no allocation once the text has grown.
//
// Cells are written as a spreadsheet program reads them without a shared
// string table: numbers as <v>, texts inline, dates as day numbers with a
// date style. The styles are those of StylesXml (xlsx_parts.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "host/value/date_time.h"

namespace output::xlsx {

// The cell styles of the workbook, in the order of its styles part.
enum Style : int { kPlain = 0, kHeader = 1, kHours = 2, kDate = 3 };

// "A" for 0, "Z" for 25, "AA" for 26, "XFD" for 16,383.
std::string ColumnName(size_t column);

// Appends `text` as XML character data: &, < and > escaped; characters XML
// cannot carry (controls but tab, line feed and return) and a literal
// "_xHHHH_" written as "_xHHHH_" escapes, which is how spreadsheet programs
// read them back; a byte that is not part of valid UTF-8 becomes U+FFFD, so
// that a badly encoded text in the database never makes the file unreadable.
void AppendXmlText(std::string& out, std::string_view text);

// The spreadsheet's day number of a date and time (1 = 1900-01-01, with the
// fictitious 1900-02-29 that spreadsheets count); nothing before 1900-01-01,
// which a spreadsheet cannot show as a date.
std::optional<double> DayNumberOf(const host::DateTime& when);

// One row of cells into `out`: Start, the cells left to right, End. A column
// is given by its name (ColumnName), made once per column by the caller.
class RowXml {
 public:
  explicit RowXml(std::string& out) : out_(out) {}

  // `row` counts from 1, as the sheet shows it.
  void Start(size_t row);
  // A number that is not finite (XML has no spelling for it) is left out.
  void Number(std::string_view column, double value, Style style = kPlain);
  // Texts longer than a cell holds (32,767 characters) are cut there.
  void Text(std::string_view column, std::string_view text, Style style = kPlain);
  void End() { out_ += "</row>"; }

 private:
  void OpenCell(std::string_view column, Style style);

  std::string& out_;
  char row_[24] = {};
  size_t row_size_ = 0;
};

}  // namespace output::xlsx
