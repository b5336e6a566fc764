#include "output/table_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "output/csv_format.h"
#include "output/placed_file.h"
#include "output/write_status.h"

namespace output {
namespace {

namespace fs = std::filesystem;

}  // namespace

host::Status WriteCsvFiles(const std::string& directory, const std::vector<ExportTable>& tables,
                           const TableWriteOptions& options) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  if (ec) return WriteFailedUnless("cannot make the folder " + directory + ": " + ec.message());
  size_t total = 0, done = 0;
  for (const auto& table : tables) total += table.records->RecordCount();
  for (const auto& table : tables) {
    const std::string path = (fs::path(directory) / (table.name + ".csv")).string();
    if (std::string refused = RefusePlace(path, {}); !refused.empty()) return WriteFailedUnless(std::move(refused));
    PlacedFile placed(path);
    if (!placed.Error().empty()) return WriteFailedUnless(placed.Error());
    std::ofstream out(placed.TemporaryPath(), std::ios::binary | std::ios::trunc);
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
    for (rows->MoveFirst(); !rows->Eof() && out; rows->MoveNext(), ++done) {
      if (done % 1000 == 0 && !GoOn(options.going_on, done, total)) return host::Status::Cancelled();
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
    if (!out) return WriteFailedUnless("cannot write " + path);
    if (std::string failed = placed.Commit(); !failed.empty()) return WriteFailedUnless(std::move(failed));
  }
  return {};
}

std::string RefuseCsvFolder(const std::string& directory, const std::string& database) {
  std::error_code ec;
  fs::path existing(directory);
  while (!existing.empty() && !fs::exists(existing, ec)) existing = existing.parent_path();
  if (existing.empty()) existing = ".";
  if (!fs::is_directory(existing, ec)) return "the CSV folder " + directory + " is not a folder";
  if (fs::path(directory) != existing) {
    // Made by the writing: the folder it goes into must take it.
    if (access(existing.c_str(), W_OK) != 0) return "cannot make the folder " + directory;
    return {};
  }
  for (const char* name : kExportTableNames) {
    if (std::string refused = RefusePlace((fs::path(directory) / (std::string(name) + ".csv")).string(), database);
        !refused.empty()) {
      return refused;
    }
  }
  return {};
}

}  // namespace output
