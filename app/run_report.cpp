#include "app/run_report.h"

#include "app/cli_language.h"
#include "app/deferred_output.h"
#include "app/ordered_blocks.h"
#include "app/record_durations.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iomanip>
#include <map>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "engine/category_texts.h"
#include "engine/oms.h"
#include "engine/value_helpers.h"

namespace app {

using host::Variant;

namespace {

std::string Text(const Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) return v.Date().ToIsoText();
  return v.ToText();
}

nlohmann::json Json(const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Empty:
    case host::VarType::Null: return nullptr;
    case host::VarType::Boolean: return v.ToBool();
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return v.ToInt64();
    case host::VarType::Decimal: {
      const host::Decimal d = v.ToDecimal().Normalized();
      if (d.Scale() == 0 && d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
        return static_cast<int64_t>(d.Coefficient());
      }
      return d.ToDouble();
    }
    case host::VarType::Double: return v.ToDouble();
    case host::VarType::Date: return v.Date().ToIsoText();
    case host::VarType::Text: return host::RTrim(v.Text());
  }
  return nullptr;
}

void AppendInteger(std::string& out, int64_t n) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

// A value as Json() gives it, written straight into `out`: whole numbers
// and plain texts without a JSON object in between (a million bookings of
// 94 fields each), the rest through the library, so the text is the same.
void AppendJson(std::string& out, const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Empty:
    case host::VarType::Null: out += "null"; return;
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: AppendInteger(out, v.ToInt64()); return;
    case host::VarType::Boolean: out += v.ToBool() ? "true" : "false"; return;
    case host::VarType::Decimal: {
      // Whole decimals are most of a booking's figures: written as Json()
      // gives them (a whole number); the others go through the library.
      const host::Decimal d = v.ToDecimal().Normalized();
      if (d.Scale() == 0 && d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
        AppendInteger(out, static_cast<int64_t>(d.Coefficient()));
        return;
      }
      break;
    }
    case host::VarType::Text: {
      const std::string text = host::RTrim(v.Text());
      if (text.find_first_of("\"\\") == std::string::npos &&
          std::none_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80;
          })) {
        out += '"';
        out += text;
        out += '"';
        return;
      }
      break;
    }
    default: break;
  }
  // A text that is not valid UTF-8 shows U+FFFD where it breaks, rather
  // than stopping the output.
  out += Json(v).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  return "\"" + host::ReplaceAll(text, "\"", "\"\"") + "\"";
}

// The IDVERS that each group's filter keeps, by IDGRUPPO.
std::map<std::string, std::vector<Variant>> BookingsOfGroups(engine::Comparison& run, engine::GroupTotals& totals) {
  std::map<std::string, std::vector<Variant>> out;
  auto& r = run.Records();
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    r.RSTempiVerDett->SetFilter(totals.GroupFilter());
    auto& ids = out[engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText()];
    for (; !r.RSTempiVerDett->Eof(); r.RSTempiVerDett->MoveNext())
      ids.push_back(r.RSTempiVerDett->Value("PD44_PRGMVORE_PD31"));
  }
  r.RSTempiVerDett->SetFilter("");
  r.RSTempiVer->MoveFirst();
  return out;
}

// The keys of the table's blocks, in the order of engine::SummaryBlocks.
constexpr std::array<const char*, 5> kBlockKeys{"total", "lav", "set", "mac", "man"};

// How much of a JSON report's groups is kept in memory while its bookings
// are still being written (all of them for a million bookings in 60,000
// groups); beyond it, making the groups waits for the bookings.
constexpr size_t kGroupsKeptAtMost = size_t{256} << 20;

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
      label += (label.empty() ? "" : "/") + host::RTrim(Text(r.RSTempiVer->Value(column)));
    }
    labels.push_back(OneLine(label));
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
    auto& row = cells.emplace_back();
    for (const auto& b : blocks) {
      const engine::CategorySeconds c =
          prev->Eof() ? engine::CategorySeconds{} : engine::SecondsOf(*prev, b.suffixes, unit);
      row.push_back({engine::TimeText(c.planned, unit), engine::TimeText(c.booked, unit),
                     engine::GapText(c.planned, c.booked, unit), engine::GapPercentText(c.planned, c.booked)});
    }
  }
  r.RSTempiVer->MoveFirst();
  const std::array<std::string, 4> words{CliText("previsto", "planned"), CliText("versato", "booked"),
                                         CliText("scost.", "gap"), CliText("scost.%", "gap %")};
  const std::string description = CliCaption(run.DescrizioneGruppo());
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
                    Width(CliCaption(std::string(blocks[b].caption))));
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
  for (const size_t b : shown) out << " | " << Pad(CliCaption(std::string(blocks[b].caption)), block_width(b), false);
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
    out << CliText("\n(Il terminale è stretto: si vede solo il totale; --columns total,lav,set,mac,man sceglie.)\n",
                   "\n(The terminal is narrow: only the total shows; --columns total,lav,set,mac,man chooses.)\n");
  }
  out << CliText("\nUna fase di ciclo (prevista dal ciclo di lavorazione) conta una volta per gruppo, con la quantità "
                 "del primo versamento del gruppo su di essa.\n",
                 "\nA cycle phase (planned from the routing) counts once per group, with the quantity of the group's "
                 "first booking of it.\n");
}

// A JSON report is written as it is produced, one booking and one group at
// a time, so that memory does not grow with it; the text is the one a whole
// document dumped with an indent of 1 would be (keys in order).
std::string IndentedJson(const nlohmann::json& value, size_t depth) {
  const std::string text = value.dump(1, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string indent(depth, ' ');
  std::string indented = indent;
  indented.reserve(text.size() * 2);
  for (const char c : text) {
    indented += c;
    if (c == '\n') indented += indent;
  }
  return indented;
}

// A group of a JSON report at depth 2; with its bookings' IDVERS (the first
// key), which are most of its text and are written without the library.
void WriteJsonGroup(std::ostream& out, const nlohmann::json& group, const std::vector<Variant>* bookings) {
  if (bookings == nullptr) {
    out << IndentedJson(group, 2);
    return;
  }
  std::string text = "  {\n   \"bookings\": [";
  for (size_t i = 0; i < bookings->size(); ++i) {
    text += i == 0 ? "\n    " : ",\n    ";
    AppendJson(text, (*bookings)[i]);
  }
  text += bookings->empty() ? "]" : "\n   ]";
  if (group.empty()) {
    text += "\n  }";
  } else {
    // The other keys, as the library writes them, after the object's "{".
    const std::string rest = IndentedJson(group, 2);
    text += ",";
    text.append(rest, rest.find('\n'));
  }
  out << text;
}

void WriteJsonArray(std::ostream& out, const char* key, size_t count, const std::function<void(size_t)>& each) {
  out << " \"" << key << "\": [";
  if (count == 0) {
    out << "],\n";
    return;
  }
  out << "\n";
  for (size_t i = 0; i < count; ++i) {
    each(i);
    out << (i + 1 < count ? ",\n" : "\n");
  }
  out << " ],\n";
}

// The "bookings" member: every record of RSTempiPrevDett. It reads nothing
// that the group totals write, so it may be written while they are worked out.
// `dett` is a clone of it (its cursor is moved) made on the calling thread.
void WriteJsonBookings(std::ostream& out, const host::RecordSetPtr& dett, int16_t unit) {
  dett->MoveFirst();
  // The keys of a booking in the order a JSON object keeps them (sorted):
  // a field of the record (index) or one of its seconds fields (name).
  struct Key {
    std::string name;
    int field = -1;   // a field of the record, or
    int second = -1;  // a position in RecordDurations::SecondsNames
    std::string prefix = {};  // what comes before its value: the separator, the indent and the name
  };
  std::vector<Key> keys;
  for (size_t i = 0; i < dett->FieldCount(); ++i) keys.push_back({dett->Field(i).name, static_cast<int>(i), -1});
  if (!dett->Eof()) {
    int position = 0;
    for (const auto& name : RecordDurations::SecondsNames()) keys.push_back({name, -1, position++});
  }
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.name < b.name; });
  for (size_t k = 0; k < keys.size(); ++k) keys[k].prefix = (k == 0 ? "\n   \"" : ",\n   \"") + keys[k].name + "\": ";
  // Blocks of bookings are made into text on two threads, each with its
  // own cursor, and written in order.
  const size_t count = dett->RecordCount();
  const auto format = [&](size_t first, size_t last) {
    const host::RecordSetPtr mine = dett->Clone();
    mine->SetAbsolutePosition(static_cast<int64_t>(first) + 1);
    RecordDurations booking(*mine, unit);
    std::string text;
    text.reserve((last - first) * 2560);
    for (size_t i = first; i < last; ++i, mine->MoveNext()) {
      booking.Load(*mine);
      text += "  {";
      for (size_t k = 0; k < keys.size(); ++k) {
        text += keys[k].prefix;
        if (keys[k].field >= 0) {
          AppendJson(text, booking.Shown(static_cast<size_t>(keys[k].field)));
        } else {
          AppendJson(text, booking.Seconds(static_cast<size_t>(keys[k].second)));
        }
      }
      text += i + 1 < count ? "\n  },\n" : "\n  }\n";
    }
    return text;
  };
  out << " \"bookings\": [" << (count == 0 ? "],\n" : "\n");
  WriteBlocksInOrder(count, 1024, 2, format, [&out](const std::string& text) { out << text; });
  if (count != 0) out << " ],\n";
}

// The JSON report after its bookings: the grouping and every group (its
// totals computed).
void WriteJsonGroups(std::ostream& out, engine::Comparison& run, const ReportOptions& options) {
  const std::vector<std::string>& grouping = run.GroupingColumns();
  auto& r = run.Records();
  std::map<std::string, std::vector<Variant>> members;
  if (options.bookings) members = BookingsOfGroups(run, run.Totals());
  auto prev = r.RSTempiPrev->Clone();
  prev->SetFilter("");
  out << " \"grouping\": " << nlohmann::json(run.DescrizioneGruppo()).dump() << ",\n";
  out << " \"grouping_fields\": ";
  {
    std::ostringstream fields;
    const std::string text = nlohmann::json(grouping).dump(1);
    for (const char c : text) fields << c << (c == '\n' ? " " : "");
    out << fields.str() << ",\n";
  }
  r.RSTempiVer->MoveFirst();
  RecordDurations group_durations(*prev, run.Unit());
  WriteJsonArray(out, "groups", r.RSTempiVer->RecordCount(), [&](size_t) {
    nlohmann::json group;
    for (const auto& column : grouping) group["values"][column] = Json(r.RSTempiVer->Value(column));
    const std::string id = engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText();
    prev->MoveFirst();
    prev->Find("IDGRUPPO = " + id);
    if (!prev->Eof()) {
      group_durations.Load(*prev);
      for (size_t i = 0; i < prev->FieldCount(); ++i) {
        group["fields"][prev->Field(i).name] = Json(group_durations.Shown(i));
      }
      for (size_t k = 0; k < RecordDurations::SecondsNames().size(); ++k) {
        group["fields"][RecordDurations::SecondsNames()[k]] = Json(group_durations.Seconds(k));
      }
    }
    WriteJsonGroup(out, group, options.bookings ? &members[id] : nullptr);
    r.RSTempiVer->MoveNext();
  });
  r.RSTempiVer->MoveFirst();
  out << " \"unit\": " << nlohmann::json(std::string(engine::kTipoTempoCaptions[static_cast<size_t>(run.Unit())])).dump()
      << "\n}\n";
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
  auto& r = run.Records();
  if (options.format == "table") {
    WriteTable(out, run, grouping, options);
    return;
  }
  if (options.format == "csv") {
    std::map<std::string, std::vector<Variant>> members;
    if (options.bookings) members = BookingsOfGroups(run, run.Totals());
    auto prev = r.RSTempiPrev->Clone();
    prev->SetFilter("");
    const int16_t unit = run.Unit();
    RecordDurations durations(*prev, unit);
    for (const auto& column : grouping) out << Csv(column) << ",";
    for (size_t i = 0; i < prev->FieldCount(); ++i) out << (i ? "," : "") << prev->Field(i).name;
    for (const auto& name : RecordDurations::SecondsNames()) out << "," << name;
    out << "\n";
    for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
      for (const auto& column : grouping) out << Csv(host::RTrim(Text(r.RSTempiVer->Value(column)))) << ",";
      prev->MoveFirst();
      prev->Find("IDGRUPPO = " + engine::ValoreNumerico(r.RSTempiVer->Value("IDGRUPPO")).ToText());
      if (!prev->Eof()) durations.Load(*prev);
      for (size_t i = 0; i < prev->FieldCount(); ++i)
        out << (i ? "," : "") << (prev->Eof() ? "" : Csv(Text(durations.Shown(i))));
      if (prev->Eof()) {
        out << std::string(engine::kCategoryNames.size() * 3, ',');
      } else {
        for (size_t k = 0; k < RecordDurations::SecondsNames().size(); ++k) out << "," << Text(durations.Seconds(k));
      }
      out << "\n";
    }
    if (options.bookings) {
      out << "\nIDGRUPPO";
      auto dett = r.RSTempiPrevDett->Clone();
      for (size_t i = 0; i < dett->FieldCount(); ++i) out << "," << dett->Field(i).name;
      for (const auto& name : RecordDurations::SecondsNames()) out << "," << name;
      out << "\n";
      std::map<std::string, std::string> group_of;
      for (const auto& [group, ids] : members) {
        for (const auto& id : ids) group_of[engine::ValoreNumerico(id).ToText()] = group;
      }
      RecordDurations booking(*dett, unit);
      for (dett->MoveFirst(); !dett->Eof(); dett->MoveNext()) {
        booking.Load(*dett);
        out << group_of[engine::ValoreNumerico(dett->Value("IDVERS")).ToText()];
        for (size_t i = 0; i < dett->FieldCount(); ++i) out << "," << Csv(Text(booking.Shown(i)));
        for (size_t k = 0; k < RecordDurations::SecondsNames().size(); ++k) out << "," << Text(booking.Seconds(k));
        out << "\n";
      }
    }
    r.RSTempiVer->MoveFirst();
    return;
  }
  out << "{\n";
  if (options.bookings) WriteJsonBookings(out, r.RSTempiPrevDett->Clone(), run.Unit());
  WriteJsonGroups(out, run, options);
}

bool WriteReportComputing(std::ostream& out, engine::Comparison& run, const ReportOptions& options,
                          const std::function<bool()>& compute) {
  if (options.format != "json" || !options.bookings) {
    if (!compute()) return false;
    WriteReport(out, run, options);
    return true;
  }
  // The group totals take one core; the bookings, which do not need them,
  // are made into text and written meanwhile. Once the totals are done, the
  // groups are made too and kept until the bookings are written.
  out << "{\n";
  DeferredOutput groups(out, kGroupsKeptAtMost);
  std::exception_ptr failed_bookings;
  const host::RecordSetPtr dett = run.Records().RSTempiPrevDett->Clone();
  std::thread bookings([&] {
    try {
      WriteJsonBookings(out, dett, run.Unit());
    } catch (...) {
      failed_bookings = std::current_exception();
    }
    groups.Release();
  });
  bool computed = false;
  try {
    computed = compute();
    if (computed) {
      std::ostream groups_out(&groups);
      WriteJsonGroups(groups_out, run, options);
    }
  } catch (...) {
    bookings.join();
    throw;
  }
  bookings.join();
  if (failed_bookings) std::rethrow_exception(failed_bookings);
  if (!computed) return false;
  groups.Flush();
  return true;
}

}  // namespace app
