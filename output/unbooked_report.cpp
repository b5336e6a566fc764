#include "output/unbooked_report.h"

#include <nlohmann/json.hpp>

#include <string_view>
#include <vector>

#include "output/json_values.h"
#include "engine/unbooked_phases.h"
#include "host/value/variant.h"

namespace output {
namespace {

// Characters as a terminal counts them (UTF-8 continuation bytes do not).
size_t Width(const std::string& text) {
  size_t n = 0;
  for (const unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Shown(const host::Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : host::RTrim(v.JoinedText()); }

}  // namespace

std::string UnbookedJson(host::RecordSet& phases) {
  nlohmann::json list = nlohmann::json::array();
  for (phases.MoveFirst(); !phases.Eof(); phases.MoveNext()) {
    nlohmann::json phase = nlohmann::json::object();
    for (size_t f = 0; f < phases.FieldCount(); ++f) phase[phases.Field(f).name] = Json(phases.Value(f));
    list.push_back(std::move(phase));
  }
  phases.MoveFirst();
  if (list.empty()) return "[]";
  std::string text;
  for (const char c : list.dump(1)) {
    text += c;
    if (c == '\n') text += ' ';
  }
  return text;
}

void WriteUnbookedTable(std::ostream& out, host::RecordSet& phases, const OutputLanguage& language) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> header;
  for (const auto& c : engine::kUnbookedColumns) header.push_back(language.Caption(c.caption));
  rows.push_back(header);
  for (phases.MoveFirst(); !phases.Eof(); phases.MoveNext()) {
    std::vector<std::string> row;
    for (const auto& c : engine::kUnbookedColumns) {
      const std::string shown = Shown(phases.Value(c.field));
      // "sì"/"no" in the report's language.
      row.push_back(std::string_view(c.field) == "CHIUSA" && !shown.empty() ? language.Caption(shown) : shown);
    }
    rows.push_back(std::move(row));
  }
  phases.MoveFirst();
  std::vector<size_t> widths(header.size(), 0);
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
  }
  out << language.Caption(engine::kUnbookedTitle) << "\n";
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i] + (i + 1 < row.size() ? std::string(widths[i] - Width(row[i]) + 2, ' ') : "");
    }
    out << host::RTrim(line) << "\n";
  }
  if (rows.size() == 1) out << language.Text("(nessuna)", "(none)") << "\n";
}

void WriteUnbookedCsv(std::ostream& out, host::RecordSet& phases, const output::CsvStyle& style) {
  if (style.byte_order_mark) out << "\xEF\xBB\xBF";
  for (size_t f = 0; f < phases.FieldCount(); ++f) {
    out << (f == 0 ? "" : std::string(1, style.separator)) << output::CsvField(phases.Field(f).name, style);
  }
  out << "\n";
  for (phases.MoveFirst(); !phases.Eof(); phases.MoveNext()) {
    for (size_t f = 0; f < phases.FieldCount(); ++f) {
      out << (f == 0 ? "" : std::string(1, style.separator)) << output::CsvField(output::CsvValue(phases.Value(f), style), style);
    }
    out << "\n";
  }
  phases.MoveFirst();
}

void WriteUnbooked(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  const auto phases = engine::FasiNonVersate(run);
  if (options.format == "csv") {
    WriteUnbookedCsv(out, *phases, options.csv_style);
  } else {
    WriteUnbookedTable(out, *phases, options.language);
  }
}

}  // namespace output
