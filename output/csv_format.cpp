#include "output/csv_format.h"

#include <algorithm>

namespace output {

std::optional<CsvStyle> CsvStyleOf(std::string_view locale) {
  if (locale.empty() || locale == "c" || locale == "C") return kCsvForTools;
  if (locale == "it") return kCsvItalian;
  return std::nullopt;
}

std::string CsvField(std::string_view text, const CsvStyle& style) {
  const bool needs_quotes = text.find(style.separator) != std::string_view::npos ||
                            text.find_first_of("\"\r\n") != std::string_view::npos ||
                            (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!needs_quotes) return std::string(text);
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvNumber(std::string text, const CsvStyle& style) {
  if (style.decimal_point != '.') std::replace(text.begin(), text.end(), '.', style.decimal_point);
  return text;
}

std::string CsvValue(const host::Variant& value, const CsvStyle& style) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (value.IsDate()) return style.day_first_dates ? value.Date().ToItalianText() : value.Date().ToIsoText();
  if (value.IsNumber()) return CsvNumber(value.ToDecimal().Normalized().ToString(), style);
  return host::RTrim(value.JoinedText());
}

}  // namespace output
