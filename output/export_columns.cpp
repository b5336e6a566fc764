#include "output/export_columns.h"

namespace output {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

std::vector<ExportColumn> ExportColumnsOf(const ExportTable& table) {
  std::vector<ExportColumn> columns;
  for (const auto& [name, caption] : table.fields) {
    const int i = table.records->FieldIndex(name);
    if (i < 0) continue;
    columns.push_back({static_cast<size_t>(i), caption, IsDurationField(name), IsGapPercentField(name)});
  }
  return columns;
}

std::string CellText(const host::Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) return v.Date().ToIsoText();
  if (v.IsNumber()) return v.ToDecimal().Normalized().ToString();
  return host::RTrim(v.JoinedText());
}

std::optional<double> DurationHours(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double sign = 1;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  const size_t a = text.find(':');
  const size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
  if (b == std::string_view::npos || b + 3 != text.size() || b != a + 3 || a == 0) return std::nullopt;
  const auto digits = [](std::string_view part) {
    if (part.empty()) return -1L;
    long value = 0;
    for (const char c : part) {
      if (c < '0' || c > '9') return -1L;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  const long h = digits(text.substr(0, a));
  const long m = digits(text.substr(a + 1, 2));
  const long s = digits(text.substr(b + 1, 2));
  if (h < 0 || m < 0 || s < 0 || m > 59 || s > 59) return std::nullopt;
  return sign * (static_cast<double>(h) + static_cast<double>(m) / 60.0 + static_cast<double>(s) / 3600.0);
}

bool IsDurationField(std::string_view field) {
  for (const std::string_view prefix : {"OMSPREV", "OMSVERS", "GAP", "OreMinSecPrev", "OreMinSecVers",
                                        "ScostamentoOMS"}) {
    if (StartsWith(field, prefix) && !StartsWith(field, "GAPPERC")) return true;
  }
  return field == "VERSTOTSEC";
}

bool IsGapPercentField(std::string_view field) {
  return StartsWith(field, "ScostamentoPerc") || StartsWith(field, "GAPPERC") || field == "SCOSTPERC";
}

}  // namespace output
