// The export's XLSX workbook. A sheet's rows are made into XML and deflated
// in pieces of a thousand rows on every core, each with its own cursor,
// and the pieces go into the file in row order: a year of bookings is a few
// gigabytes of XML, and compressing it on one core would take longer than
// the comparison that produced it.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "output/block_deflate.h"
#include "output/ordered_blocks.h"
#include "output/placed_file.h"
#include "output/table_writer.h"
#include "output/write_status.h"
#include "output/xlsx_cells.h"
#include "output/xlsx_parts.h"
#include "output/zip_writer.h"

namespace output {
namespace {

namespace fs = std::filesystem;

constexpr size_t kRowsAPiece = 1000;
constexpr size_t kRowsMeasured = 1000;  // for the widths and the size of a row
constexpr uint64_t kZip32Limit = 0xFFFFFFFFULL;

// A field of the table as the sheet lays it out.
struct SheetColumn {
  size_t field;
  std::string name;        // the column's letters
  std::string hours_name;  // the letters of its hours column, or "" without one
};

struct SheetLayout {
  std::vector<SheetColumn> columns;
  std::vector<std::string> captions;  // one per sheet column
  size_t width = 0;                   // sheet columns
  std::vector<std::string> gap_percent_columns;  // their letters
  std::vector<std::string> gap_columns;          // each one's gap (in hours when it has them), or ""
};

// The gap beside a gap % field (IsGapPercentField): ScostamentoPercX's is
// ScostamentoOMSX, GAPPERCX's GAPX, SCOSTPERC's SCOST.
std::string GapFieldOf(const std::string& percent_field) {
  for (const auto& [percent, gap] : {std::pair<std::string_view, std::string_view>{"ScostamentoPerc", "ScostamentoOMS"},
                                     {"GAPPERC", "GAP"},
                                     {"SCOSTPERC", "SCOST"}}) {
    if (percent_field.starts_with(percent)) return std::string(gap) + percent_field.substr(percent.size());
  }
  return {};
}

SheetLayout LayoutOf(const ExportTable& table, const std::string& hours_word) {
  SheetLayout layout;
  for (const auto& c : ExportColumnsOf(table)) {
    SheetColumn column{c.field, xlsx::ColumnName(layout.width++), ""};
    layout.captions.push_back(c.caption);
    if (c.gap_percent) layout.gap_percent_columns.push_back(column.name);
    if (c.hours) {
      column.hours_name = xlsx::ColumnName(layout.width++);
      layout.captions.push_back(c.caption + " (" + hours_word + ")");
    }
    layout.columns.push_back(std::move(column));
  }
  // Each gap % column's gap, for the rows without a percent (no plan).
  const auto name_of = [&](size_t field) { return table.records->Field(field).name; };
  for (const SheetColumn& percent : layout.columns) {
    if (std::find(layout.gap_percent_columns.begin(), layout.gap_percent_columns.end(), percent.name) ==
        layout.gap_percent_columns.end()) {
      continue;
    }
    const std::string gap = GapFieldOf(name_of(percent.field));
    std::string letters;
    for (const SheetColumn& c : layout.columns) {
      if (!gap.empty() && name_of(c.field) == gap) letters = c.hours_name.empty() ? c.name : c.hours_name;
    }
    layout.gap_columns.push_back(letters);
  }
  return layout;
}

// Widths from the captions and the first rows (the sheet's columns are
// declared before its rows).
std::vector<double> WidthsOf(const ExportTable& table, const SheetLayout& layout) {
  std::vector<double> widths;
  for (const auto& caption : layout.captions) widths.push_back(static_cast<double>(caption.size()) + 2);
  auto rows = table.records->Clone();
  size_t sampled = 0;
  for (rows->MoveFirst(); !rows->Eof() && sampled < kRowsMeasured; rows->MoveNext(), ++sampled) {
    size_t col = 0;
    for (const auto& c : layout.columns) {
      widths[col] = std::max(widths[col], static_cast<double>(CellText(rows->Value(c.field)).size()) + 2);
      col += c.hours_name.empty() ? 1 : 2;
    }
  }
  for (auto& w : widths) w = std::min(w, 60.0);
  return widths;
}

void AppendCell(xlsx::RowXml& row, const SheetColumn& column, const host::Variant& v) {
  if (v.IsNull() || v.IsEmpty()) return;
  if (v.IsDate()) {
    const auto day = xlsx::DayNumberOf(v.Date());
    if (day) {
      row.Number(column.name, *day, xlsx::kDate);
    } else {
      row.Text(column.name, v.Date().ToIsoText());
    }
    return;
  }
  if (v.IsNumber()) {
    row.Number(column.name, v.ToDouble());
    return;
  }
  std::string joined;
  std::string_view text;
  if (v.IsText()) {
    text = v.Text();
  } else {
    joined = v.JoinedText();
    text = joined;
  }
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return;
  row.Text(column.name, text);
  if (column.hours_name.empty()) return;
  if (const auto hours = DurationHours(text)) row.Number(column.hours_name, *hours, xlsx::kHours);
}

// The XML of records [first, last) of the table; record r is row
// r - `sheet_first` + 2 of its sheet. Safe on several threads at once: each
// call has its own cursor.
std::string RowsXml(const ExportTable& table, const SheetLayout& layout, size_t sheet_first, size_t first,
                    size_t last) {
  const host::RecordSetPtr rows = table.records->Clone();
  rows->SetAbsolutePosition(static_cast<int64_t>(first) + 1);
  std::string xml;
  xml.reserve((last - first) * layout.width * 32);
  xlsx::RowXml row(xml);
  host::Variant value;
  for (size_t r = first; r < last && !rows->Eof(); ++r, rows->MoveNext()) {
    row.Start(r - sheet_first + 2);
    for (const auto& c : layout.columns) {
      rows->ValueInto(c.field, value);
      AppendCell(row, c, value);
    }
    row.End();
  }
  return xml;
}

std::string HeaderRowXml(const SheetLayout& layout) {
  std::string xml;
  xlsx::RowXml row(xml);
  row.Start(1);
  for (size_t col = 0; col < layout.captions.size(); ++col) {
    row.Text(xlsx::ColumnName(col), layout.captions[col], xlsx::kHeader);
  }
  row.End();
  return xml;
}

// A sheet of the workbook: records [first, last) of a table.
struct Sheet {
  const ExportTable* table;
  const SheetLayout* layout;
  size_t first, last;
  xlsx::SheetPart part;
};

// The table's sheets: as many as it takes to hold its records at
// `most_rows` a sheet (spreadsheet programs read no more), the second one
// named "<name> (2)" and so on, every name cut to 31 characters.
std::vector<Sheet> SheetsOf(const ExportTable& table, const SheetLayout& layout, size_t most_rows) {
  const size_t count = table.records->RecordCount();
  const std::string last_column = xlsx::ColumnName(std::max<size_t>(layout.width, 1) - 1);
  std::vector<Sheet> sheets;
  for (size_t first = 0, n = 1; first < count || n == 1; first += most_rows, ++n) {
    const size_t last = std::min(count, first + most_rows);
    const std::string suffix = n == 1 ? "" : " (" + std::to_string(n) + ")";
    const std::string name = table.name.substr(0, 31 - suffix.size()) + suffix;
    sheets.push_back({&table, &layout, first, last, {name, last_column + std::to_string(last - first + 1)}});
  }
  return sheets;
}

// Thrown when GoingOn answers false.
struct Stopped {};

// Counts the records written of the whole workbook for GoingOn.
struct Written {
  const GoingOn& going_on;
  size_t done = 0, total = 0;
};

// Streams the sheet into the archive as entry `entry`.
void WriteSheet(ZipWriter& zip, const std::string& entry, const Sheet& sheet, const std::optional<double>& tolerance,
                Written& written_so_far) {
  const ExportTable& table = *sheet.table;
  const SheetLayout& layout = *sheet.layout;
  const size_t count = sheet.last - sheet.first;
  const std::string head = xlsx::SheetHead(sheet.part, WidthsOf(table, layout)) + HeaderRowXml(layout);
  // The entry's header is written before its data: whether it needs 64-bit
  // sizes is judged from the first rows, with room to spare.
  const size_t measured = std::min(count, kRowsMeasured);
  const double row_bytes =
      measured == 0 ? 0.0
                    : static_cast<double>(RowsXml(table, layout, sheet.first, sheet.first, sheet.first + measured).size()) /
                          static_cast<double>(measured);
  const bool zip64 = row_bytes * static_cast<double>(count) * 1.5 + static_cast<double>(head.size()) >
                     static_cast<double>(kZip32Limit);
  zip.BeginRaw(entry, zip64);
  DeflatedPiece whole = DeflatePiece(head, false);
  zip.AppendRaw(whole.data);
  std::vector<DeflatedPiece> pieces((count + kRowsAPiece - 1) / kRowsAPiece);  // their CRC and size
  size_t written = 0;
  // A worker on every core, two at least, so that pieces are made while
  // this thread writes one.
  const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 2U, 8U);
  WriteBlocksInOrder(
      count, kRowsAPiece, workers,
      [&](size_t first, size_t last) {
        DeflatedPiece piece =
            DeflatePiece(RowsXml(table, layout, sheet.first, sheet.first + first, sheet.first + last), false);
        pieces[first / kRowsAPiece] = {{}, piece.crc, piece.size};
        return std::move(piece.data);
      },
      [&](const std::string& data) {
        zip.AppendRaw(data);
        AddPiece(whole, pieces[written]);
        written_so_far.done += std::min(kRowsAPiece, count - written * kRowsAPiece);
        ++written;
        if (!GoOn(written_so_far.going_on, written_so_far.done, written_so_far.total)) throw Stopped();
      });
  xlsx::ToleranceBand band;
  if (tolerance) band = {layout.gap_percent_columns, std::abs(*tolerance), layout.gap_columns};
  const DeflatedPiece tail = DeflatePiece(xlsx::SheetTail(sheet.part, band), true);
  zip.AppendRaw(tail.data);
  AddPiece(whole, tail);
  if (!zip64 && whole.size >= kZip32Limit) throw std::runtime_error("the sheet " + sheet.part.name + " is too large");
  zip.EndRaw(whole.size, whole.crc);
}

void WriteParts(ZipWriter& zip, const std::vector<xlsx::SheetPart>& sheets) {
  zip.Add("[Content_Types].xml", xlsx::ContentTypes(sheets.size()));
  zip.Add("_rels/.rels", xlsx::RootRelationships());
  zip.Add("docProps/app.xml", xlsx::AppProperties(sheets));
  zip.Add("docProps/core.xml", xlsx::CoreProperties(std::time(nullptr)));
  zip.Add("xl/workbook.xml", xlsx::WorkbookXml(sheets));
  zip.Add("xl/_rels/workbook.xml.rels", xlsx::WorkbookRelationships(sheets.size()));
  zip.Add("xl/styles.xml", xlsx::StylesXml());
}

void WriteWorkbookInto(ZipWriter& zip, const std::vector<ExportTable>& tables, const TableWriteOptions& options) {
  const size_t most_rows = std::max<size_t>(options.most_rows, 1);
  std::vector<SheetLayout> layouts;
  layouts.reserve(tables.size());  // the sheets point into it
  std::vector<Sheet> sheets;
  for (const auto& table : tables) {
    layouts.push_back(LayoutOf(table, options.hours_word));
    for (auto& sheet : SheetsOf(table, layouts.back(), most_rows)) sheets.push_back(std::move(sheet));
  }
  std::vector<xlsx::SheetPart> parts;
  for (const auto& sheet : sheets) parts.push_back(sheet.part);
  // A workbook has a sheet at least.
  if (tables.empty()) parts.push_back({"Sheet1", "A1"});
  WriteParts(zip, parts);
  Written written{options.going_on};
  for (const auto& table : tables) written.total += table.records->RecordCount();
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string entry = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
    if (tables.empty()) {
      zip.Add(entry, xlsx::SheetHead(parts[i], {}) + xlsx::SheetTail(parts[i]));
    } else {
      WriteSheet(zip, entry, sheets[i], options.tolerance, written);
    }
  }
  zip.Close();
}

}  // namespace

host::Status WriteWorkbook(const std::string& path, const std::vector<ExportTable>& tables,
                           const TableWriteOptions& options) {
  if (std::string refused = RefusePlace(path, {}); !refused.empty()) return WriteFailedUnless(std::move(refused));
  PlacedFile placed(path);
  if (!placed.Error().empty()) return WriteFailedUnless(placed.Error());
  try {
    ZipWriter zip(placed.TemporaryPath());
    WriteWorkbookInto(zip, tables, options);
  } catch (const Stopped&) {
    return host::Status::Cancelled();
  } catch (const std::exception& e) {
    return WriteFailedUnless("cannot write " + path +
                             (e.what()[0] != '\0' ? std::string(": ") + e.what() : std::string()));
  }
  return WriteFailedUnless(placed.Commit());
}

}  // namespace output
