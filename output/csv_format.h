// How a CSV file is written: one quoting rule (RFC 4180) for every CSV this
// program writes, and two styles of file:
//   - for tools (the command line's default): ',' between fields, '.' in
//     decimals, dates as ISO text, no byte order mark;
//   - for an Italian spreadsheet (the window's export in Italian, or
//     `--csv-locale it`): ';' between fields, ',' in decimals, dates as
//     dd/mm/yyyy, UTF-8 with a byte order mark so that the spreadsheet reads
//     accented letters right.
// Without Qt.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/value/variant.h"

namespace output {

struct CsvStyle {
  char separator = ',';
  char decimal_point = '.';
  bool day_first_dates = false;  // dd/mm/yyyy instead of yyyy-mm-dd
  bool byte_order_mark = false;
};

inline constexpr CsvStyle kCsvForTools{};
inline constexpr CsvStyle kCsvItalian{';', ',', true, true};

// The style of a locale name: "c" (or "") for tools, "it" for Italian;
// nothing for any other name.
std::optional<CsvStyle> CsvStyleOf(std::string_view locale);

// A field as RFC 4180 writes it: in double quotes, its quotes doubled, when
// it holds the separator, a quote, a carriage return or a line feed, or
// begins or ends with a blank (which a reader would otherwise trim);
// unchanged otherwise. The empty text stays empty.
std::string CsvField(std::string_view text, const CsvStyle& style = kCsvForTools);

// A cell's value in the style: a number with the style's decimal point and
// no thousands separator, a date (and its time, if any) day first or ISO,
// a text without trailing blanks; "" for Null and Empty. Not quoted.
std::string CsvValue(const host::Variant& value, const CsvStyle& style = kCsvForTools);

// A number's text ("-14.4") with the style's decimal point ("-14,4").
std::string CsvNumber(std::string text, const CsvStyle& style);

}  // namespace output
