// The columns that the export writes for a table, shared by its CSV and
// XLSX writers: the table's fields that the record set has, with their
// captions, each duration followed by its hours; and the text of a cell.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/export_tables.h"

namespace output {

struct ExportColumn {
  size_t field;         // in the table's record set
  std::string caption;
  bool hours;           // a duration text, followed by its hours
  bool gap_percent;     // a gap in percent of the plan (IsGapPercentField)
};

// The table's fields in its order; a field the record set lacks is left out.
std::vector<ExportColumn> ExportColumnsOf(const ExportTable& table);

// What a cell shows as text: "" for Null and Empty, a date as ISO text, a
// number without trailing zeros, a text without trailing blanks.
std::string CellText(const host::Variant& value);

// The hours of a duration text ("1:02:05", "- 0:30:00", "+ 125:00:00");
// nothing for any other text.
std::optional<double> DurationHours(std::string_view text);

// Whether a field holds duration texts (the OMS texts, the hh:mm:ss gaps,
// the booked time of a booking).
bool IsDurationField(std::string_view field);

// Whether a field holds a gap in percent of the plan (the groups' and the
// phases' gap % of every category, a month's gap %).
bool IsGapPercentField(std::string_view field);

}  // namespace output
