#include "output/run_report.h"

#include "output/group_members.h"
#include "output/json_report.h"
#include "engine/presentation/record_durations.h"

#include <algorithm>
#include <array>
#include <iomanip>
#include <map>
#include <functional>
#include <sstream>

#include "engine/category_texts.h"
#include "engine/time_buckets.h"
#include "engine/oms.h"
#include "engine/value_helpers.h"

namespace output {

using host::Variant;

namespace {

std::string Text(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) return v.Date().ToIsoText();
  return v.ToText();
}


// The keys of the table's blocks, in the order of engine::SummaryBlocks.
constexpr std::array<const char*, 5> kBlockKeys{"total", "lav", "set", "mac", "man"};


// Characters shown, not bytes: the labels may hold accented letters.
size_t Width(const std::string& text) {
  size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Pad(const std::string& text, size_t width, bool right) {
  const size_t w = Width(text);
  if (w >= width) return text;
  return right ? std::string(width - w, ' ') + text : text + std::string(width - w, ' ');
}

// A value on one line: a newline or a tab in a code never breaks a row.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

void WriteTable(std::ostream& out, engine::Comparison& run, const std::vector<std::string>& grouping,
                const ReportOptions& options) {
  auto& r = run.Records();
  const int16_t unit = run.Unit();
  const auto& blocks = engine::SummaryBlocks();
  // Every cell first, so that each column is as wide as its content.
  std::vector<std::string> labels;
  std::vector<std::vector<std::array<std::string, 4>>> cells;  // row → block → planned, booked, gap, %
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    std::string label;
    for (const auto& column : grouping) {
      // A month reads "mar 2026" in Italian; the CSV and JSON keep "2026-03".
      label += (label.empty() ? "" : "/") +
               engine::TimeBucketText(column, host::RTrim(Text(r.RSTempiVer->Value(column))), options.language.Code());
    }
    labels.push_back(OneLine(label));
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
    auto& row = cells.emplace_back();
    for (const auto& b : blocks) {
      const engine::CategorySeconds c =
          prev->Eof() ? engine::CategorySeconds{} : engine::SecondsOf(*prev, b.suffixes, unit);
      const engine::FigureTexts t = engine::FigureTextsOf(c.planned, c.booked, unit);
      row.push_back({t.planned, t.booked, t.gap, t.percent});
    }
  }
  r.RSTempiVer->MoveFirst();
  const std::array<std::string, 4> words{options.language.Text("previsto", "planned"), options.language.Text("versato", "booked"),
                                         options.language.Text("scost.", "gap"), options.language.Text("scost.%", "gap %")};
  const std::string description = options.language.Caption(run.DescrizioneGruppo());
  size_t label_width = Width(description);
  for (const auto& l : labels) label_width = std::max(label_width, Width(l));
  std::vector<std::array<size_t, 4>> widths(blocks.size());
  for (size_t b = 0; b < blocks.size(); ++b) {
    for (size_t k = 0; k < 4; ++k) {
      widths[b][k] = Width(words[k]);
      for (const auto& row : cells) widths[b][k] = std::max(widths[b][k], Width(row[b][k]));
    }
  }
  const auto block_width = [&](size_t b) {
    return std::max(widths[b][0] + widths[b][1] + widths[b][2] + widths[b][3] + 6,
                    Width(options.language.Caption(std::string(blocks[b].caption))));
  };
  // Which blocks: as asked, else all that fit the terminal (the total at least).
  std::vector<size_t> shown;
  if (!options.columns.empty()) {
    for (size_t b = 0; b < kBlockKeys.size(); ++b) {
      if (std::find(options.columns.begin(), options.columns.end(), kBlockKeys[b]) != options.columns.end()) {
        shown.push_back(b);
      }
    }
  } else {
    size_t total = label_width;
    for (size_t b = 0; b < blocks.size(); ++b) total += 3 + block_width(b);
    for (size_t b = 0; b < blocks.size(); ++b) {
      if (b == 0 || options.terminal_width == 0 || total <= options.terminal_width) shown.push_back(b);
    }
  }
  out << Pad(description, label_width, false);
  for (const size_t b : shown) out << " | " << Pad(options.language.Caption(std::string(blocks[b].caption)), block_width(b), false);
  out << "\n" << std::string(label_width, ' ');
  for (const size_t b : shown) {
    std::string line;
    for (size_t k = 0; k < 4; ++k) line += (k == 0 ? "" : "  ") + Pad(words[k], widths[b][k], true);
    out << " | " << Pad(line, block_width(b), false);
  }
  out << "\n";
  for (size_t i = 0; i < labels.size(); ++i) {
    out << Pad(labels[i], label_width, false);
    for (const size_t b : shown) {
      std::string line;
      for (size_t k = 0; k < 4; ++k) line += (k == 0 ? "" : "  ") + Pad(cells[i][b][k], widths[b][k], true);
      out << " | " << Pad(line, block_width(b), false);
    }
    out << "\n";
  }
  if (shown.size() < blocks.size() && options.columns.empty()) {
    out << options.language.Text("\n(Il terminale è stretto: si vede solo il totale; --columns total,lav,set,mac,man sceglie.)\n",
                   "\n(The terminal is narrow: only the total shows; --columns total,lav,set,mac,man chooses.)\n");
  }
  out << options.language.Text("\nUna fase di ciclo (prevista dal ciclo di lavorazione) conta una volta per gruppo, con la quantità "
                 "del primo versamento del gruppo su di essa.\n",
                 "\nA cycle phase (planned from the routing) counts once per group, with the quantity of the group's "
                 "first booking of it.\n");
}

// The CSV report: a header and a row per group (grouping values, the 71
// fields of its totals, the seconds), then with `bookings` a row per booking.
void WriteCsvReport(std::ostream& out, engine::Comparison& run, const std::vector<std::string>& grouping,
                    const ReportOptions& options) {
  auto& r = run.Records();
  const output::CsvStyle& style = options.csv_style;
  const char sep = style.separator;
  const std::string separator(1, sep);
  // A value as the CSV writes it: numbers with the style's decimal point.
  const auto cell = [&style](const Variant& v) {
    std::string text = Text(v);
    if (v.IsNumber()) text = output::CsvNumber(std::move(text), style);
    return output::CsvField(text, style);
  };
  std::map<std::string, std::vector<Variant>> members;
  if (options.bookings) members = GroupMembers(run);
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  const int16_t unit = run.Unit();
  engine::RecordDurations durations(*prev, unit);
  for (const auto& column : grouping) out << output::CsvField(column, style) << sep;
  for (size_t i = 0; i < prev->FieldCount(); ++i) out << (i ? separator : "") << prev->Field(i).name;
  for (const auto& name : engine::RecordDurations::SecondsNames()) out << sep << name;
  out << "\n";
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    for (const auto& column : grouping) {
      const Variant value = r.RSTempiVer->Value(column);
      out << (value.IsNumber() ? cell(value) : output::CsvField(host::RTrim(Text(value)), style)) << sep;
    }
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
    if (!prev->Eof()) durations.Load(*prev);
    for (size_t i = 0; i < prev->FieldCount(); ++i) {
      out << (i ? separator : "") << (prev->Eof() ? "" : cell(durations.Shown(i)));
    }
    if (prev->Eof()) {
      out << std::string(engine::kCategoryNames.size() * 3, sep);
    } else {
      for (size_t k = 0; k < engine::RecordDurations::SecondsNames().size(); ++k) out << sep << cell(durations.Seconds(k));
    }
    out << "\n";
  }
  if (options.bookings) {
    out << "\nIDGRUPPO";
    auto dett = r.RSTempiPrevDett->Clone();
    for (size_t i = 0; i < dett->FieldCount(); ++i) out << sep << dett->Field(i).name;
    for (const auto& name : engine::RecordDurations::SecondsNames()) out << sep << name;
    out << "\n";
    std::map<std::string, std::string> group_of;
    for (const auto& [group, ids] : members) {
      for (const auto& id : ids) group_of[engine::ValoreNumerico(id).ToText()] = group;
    }
    engine::RecordDurations booking(*dett, unit);
    for (dett->MoveFirst(); !dett->Eof(); dett->MoveNext()) {
      booking.Load(*dett);
      out << group_of[engine::ValoreNumerico(dett->Value("IDVERS")).ToText()];
      for (size_t i = 0; i < dett->FieldCount(); ++i) out << sep << cell(booking.Shown(i));
      for (size_t k = 0; k < engine::RecordDurations::SecondsNames().size(); ++k) out << sep << cell(booking.Seconds(k));
      out << "\n";
    }
  }
  r.RSTempiVer->MoveFirst();
}

}  // namespace

std::string CheckColumns(const std::vector<std::string>& columns) {
  for (const auto& c : columns) {
    if (std::find(kBlockKeys.begin(), kBlockKeys.end(), c) == kBlockKeys.end()) {
      return "--columns takes total, lav, set, mac and man: '" + c + "' is none of them";
    }
  }
  return {};
}

void WriteReport(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  const std::vector<std::string>& grouping = run.GroupingColumns();
  if (options.format == "table") {
    WriteTable(out, run, grouping, options);
    return;
  }
  if (options.format == "csv") {
    WriteCsvReport(out, run, grouping, options);
    return;
  }
  WriteJsonReport(out, run, options);
}

bool WriteReportComputing(std::ostream& out, engine::Comparison& run, const ReportOptions& options,
                          const std::function<bool()>& compute) {
  if (options.format == "json" && options.bookings) return WriteJsonReportComputing(out, run, options, compute);
  if (!compute()) return false;
  WriteReport(out, run, options);
  return true;
}

}  // namespace output
