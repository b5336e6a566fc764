#include "output/table_writer.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace output {
namespace {

namespace fs = std::filesystem;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

struct Column {
  size_t field;
  std::string caption;
  bool hours;  // followed by its hours
};

std::vector<Column> ColumnsOf(const ExportTable& table) {
  std::vector<Column> columns;
  for (const auto& [name, caption] : table.fields) {
    const int i = table.records->FieldIndex(name);
    if (i < 0) continue;
    columns.push_back({static_cast<size_t>(i), caption, IsDurationField(name)});
  }
  return columns;
}

std::string Text(const host::Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return {};
  if (v.IsDate()) return v.Date().ToIsoText();
  if (v.IsNumber()) return v.ToDecimal().Normalized().ToString();
  return host::RTrim(v.JoinedText());
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

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

std::string WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                          const std::string& hours_word) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  if (ec) return "cannot make the folder " + directory + ": " + ec.message();
  for (const auto& table : tables) {
    const std::string path = (fs::path(directory) / (table.name + ".csv")).string();
    const std::string partial = path + ".partial";
    {
      std::ofstream out(partial, std::ios::binary | std::ios::trunc);
      const auto columns = ColumnsOf(table);
      std::string line;
      for (const auto& c : columns) {
        line += (line.empty() ? "" : ",") + Csv(c.caption);
        if (c.hours) line += "," + Csv(c.caption + " (" + hours_word + ")");
      }
      out << line << "\n";
      auto rows = table.records->Clone();
      for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        line.clear();
        bool first = true;
        for (const auto& c : columns) {
          const std::string text = Text(rows->Value(c.field));
          line += (first ? "" : ",") + Csv(text);
          first = false;
          if (c.hours) {
            const auto hours = DurationHours(text);
            char number[32] = "";
            if (hours) std::snprintf(number, sizeof number, "%.6f", *hours);
            line += std::string(",") + number;
          }
        }
        out << line << "\n";
      }
      out.close();
      if (!out) {
        fs::remove(partial, ec);
        return "cannot write " + path;
      }
    }
    fs::rename(partial, path, ec);
    if (ec) return "cannot write " + path + ": " + ec.message();
  }
  return {};
}

std::string WriteWorkbook(const std::string& path, const std::vector<ExportTable>& tables,
                          const std::string& hours_word) {
  const std::string partial = path + ".partial.xlsx";
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  lxw_workbook* workbook = workbook_new_opt(partial.c_str(), &options);
  if (workbook == nullptr) return "cannot write " + path;
  lxw_format* header = workbook_add_format(workbook);
  format_set_bold(header);
  lxw_format* date = workbook_add_format(workbook);
  format_set_num_format(date, "dd/mm/yyyy");
  lxw_format* hours = workbook_add_format(workbook);
  format_set_num_format(hours, "0.00");
  for (const auto& table : tables) {
    // A sheet's name has at most 31 characters.
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, table.name.substr(0, 31).c_str());
    const auto columns = ColumnsOf(table);
    // Widths from the captions and the first thousand rows, set before the
    // rows are streamed.
    std::vector<double> widths;
    for (const auto& c : columns) {
      widths.push_back(static_cast<double>(c.caption.size()) + 2);
      if (c.hours) widths.push_back(static_cast<double>(c.caption.size() + hours_word.size()) + 5);
    }
    auto rows = table.records->Clone();
    size_t sampled = 0;
    for (rows->MoveFirst(); !rows->Eof() && sampled < 1000; rows->MoveNext(), ++sampled) {
      size_t col = 0;
      for (const auto& c : columns) {
        widths[col] = std::max(widths[col], static_cast<double>(Text(rows->Value(c.field)).size()) + 2);
        col += c.hours ? 2 : 1;
      }
    }
    for (size_t col = 0; col < widths.size(); ++col) {
      worksheet_set_column(sheet, static_cast<lxw_col_t>(col), static_cast<lxw_col_t>(col),
                           std::min(widths[col], 60.0), nullptr);
    }
    lxw_col_t col = 0;
    for (const auto& c : columns) {
      worksheet_write_string(sheet, 0, col++, c.caption.c_str(), header);
      if (c.hours) worksheet_write_string(sheet, 0, col++, (c.caption + " (" + hours_word + ")").c_str(), header);
    }
    lxw_row_t row = 1;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), ++row) {
      col = 0;
      for (const auto& c : columns) {
        const host::Variant v = rows->Value(c.field);
        if (v.IsNull() || v.IsEmpty()) {
          ++col;
        } else if (v.IsNumber()) {
          worksheet_write_number(sheet, row, col++, v.ToDecimal().ToDouble(), nullptr);
        } else if (v.IsDate()) {
          const host::DateTime d = v.Date();
          lxw_datetime when{d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(), static_cast<double>(d.Second())};
          worksheet_write_datetime(sheet, row, col++, &when, date);
        } else {
          worksheet_write_string(sheet, row, col++, Text(v).c_str(), nullptr);
        }
        if (c.hours) {
          const auto h = DurationHours(Text(v));
          if (h) worksheet_write_number(sheet, row, col, *h, hours);
          ++col;
        }
      }
    }
    worksheet_freeze_panes(sheet, 1, 0);
    if (col > 0) worksheet_autofilter(sheet, 0, 0, row > 1 ? row - 1 : 0, col - 1);
  }
  if (workbook_close(workbook) != LXW_NO_ERROR) {
    std::error_code ec;
    fs::remove(partial, ec);
    return "cannot write " + path;
  }
  std::error_code ec;
  fs::rename(partial, path, ec);
  if (ec) {
    fs::remove(partial, ec);
    return "cannot write " + path + ": " + ec.message();
  }
  return {};
}

}  // namespace output
