#include "output/table_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "output/csv_format.h"

namespace output {
namespace {

namespace fs = std::filesystem;

}  // namespace

std::string WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                          const TableWriteOptions& options) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  if (ec) return "cannot make the folder " + directory + ": " + ec.message();
  size_t total = 0, done = 0;
  for (const auto& table : tables) total += table.records->RecordCount();
  for (const auto& table : tables) {
    const std::string path = (fs::path(directory) / (table.name + ".csv")).string();
    const std::string partial = path + ".partial";
    {
      std::ofstream out(partial, std::ios::binary | std::ios::trunc);
      const CsvStyle& style = options.csv_style;
      const std::string separator(1, style.separator);
      if (style.byte_order_mark) out << "\xEF\xBB\xBF";
      const auto columns = ExportColumnsOf(table);
      std::string line;
      for (const auto& c : columns) {
        line += (line.empty() ? "" : separator) + CsvField(c.caption, style);
        if (c.hours) line += separator + CsvField(c.caption + " (" + options.hours_word + ")", style);
      }
      out << line << "\n";
      auto rows = table.records->Clone();
      for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext(), ++done) {
        if (done % 1000 == 0 && !GoOn(options.going_on, done, total)) {
          out.close();
          fs::remove(partial, ec);
          return "stopped";
        }
        line.clear();
        bool first = true;
        for (const auto& c : columns) {
          const std::string text = CsvValue(rows->Value(c.field), style);
          line += (first ? "" : separator) + CsvField(text, style);
          first = false;
          if (c.hours) {
            const auto hours = DurationHours(text);
            char number[32] = "";
            if (hours) std::snprintf(number, sizeof number, "%.6f", *hours);
            line += separator + CsvNumber(number, style);
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

}  // namespace output
