// The workbook's own XML and zip: cell texts exactly as written, escapes
// for what XML cannot carry, day numbers worked out by hand, pieces of
// deflate data that inflate to the whole, and a workbook of several pieces
// a sheet read back by a spreadsheet reader.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/tests/demo_db.h"
#include "host/recordset/recordset.h"
#include "output/block_deflate.h"
#include "output/tests/python_reader.h"
#include "output/table_writer.h"
#include "output/zip_writer.h"
#include "output/xlsx_cells.h"
#include "output/tests/written.h"

namespace output {
namespace {

using host::DateTime;

std::string Escaped(std::string_view text) {
  std::string out;
  xlsx::AppendXmlText(out, text);
  return out;
}

TEST(XlsxCells, ColumnNames) {
  const std::pair<size_t, const char*> names[] = {{0, "A"},    {25, "Z"},    {26, "AA"},    {93, "CP"},
                                                  {701, "ZZ"}, {702, "AAA"}, {16383, "XFD"}};
  for (const auto& [column, name] : names) EXPECT_EQ(xlsx::ColumnName(column), name) << column;
}

TEST(XlsxCells, TextsAreEscapedAsSpreadsheetsReadThem) {
  EXPECT_EQ(Escaped("Tornio & fresa <CNC>"), "Tornio &amp; fresa &lt;CNC&gt;");
  EXPECT_EQ(Escaped("perno\x01" "a\tb\nc"), "perno_x0001_a\tb\nc");
  // A literal escape keeps its meaning; an underscore alone stays one.
  EXPECT_EQ(Escaped("_x0041_ e A_B _x12_"), "_x005F_x0041_ e A_B _x12_");
  EXPECT_EQ(Escaped("Qualità 5°"), "Qualità 5°");
  // Bytes that are not UTF-8 (a Latin-1 "à", an overlong "/", a surrogate,
  // a sequence cut short) each become the replacement character.
  EXPECT_EQ(Escaped("Qualit\xE0"), "Qualit\xEF\xBF\xBD");
  EXPECT_EQ(Escaped("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Escaped("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Escaped("ok\xE2\x82"), "ok\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Escaped(""), "");
}

TEST(XlsxCells, DayNumbersCountTheFictitiousLeapDay) {
  const auto day = [](int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return xlsx::DayNumberOf(*DateTime::FromParts(y, m, d, h, mi, s));
  };
  EXPECT_EQ(day(1900, 1, 1), 1.0);
  EXPECT_EQ(day(1900, 2, 28), 59.0);
  EXPECT_EQ(day(1900, 3, 1), 61.0);
  EXPECT_EQ(day(1970, 1, 1), 25569.0);
  EXPECT_EQ(day(2026, 3, 10, 12), 46091.5);
  EXPECT_DOUBLE_EQ(*day(2026, 3, 10, 6, 30, 36), 46091 + (6 * 3600 + 30 * 60 + 36) / 86400.0);
  EXPECT_FALSE(day(1899, 12, 31).has_value());
}

TEST(XlsxCells, ARowAsTheSheetHoldsIt) {
  std::string xml;
  xlsx::RowXml row(xml);
  row.Start(12);
  row.Number("A", 5);
  row.Number("B", 0.1);
  row.Number("C", std::nan(""));  // left out
  row.Text("D", "R&D");
  row.Text("E", " 0:30:00", xlsx::kHeader);
  row.Number("F", 46091.25, xlsx::kDate);
  row.End();
  EXPECT_EQ(xml,
            "<row r=\"12\"><c r=\"A12\"><v>5</v></c><c r=\"B12\"><v>0.1</v></c>"
            "<c r=\"D12\" t=\"inlineStr\"><is><t>R&amp;D</t></is></c>"
            "<c r=\"E12\" s=\"1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> 0:30:00</t></is></c>"
            "<c r=\"F12\" s=\"3\"><v>46091.25</v></c></row>");
  // A text longer than a cell holds is cut before the character it would split.
  xml.clear();
  row.Start(1);
  row.Text("A", std::string(32766, 'x') + "è");
  row.End();
  EXPECT_EQ(xml.size(), std::string("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t></t></is></c></row>").size() + 32766);
}

std::string Inflate(const std::string& deflated) {
  z_stream stream{};
  inflateInit2(&stream, -15);
  std::string out(1 << 20, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  out.resize(result == Z_STREAM_END ? stream.total_out : 0);
  inflateEnd(&stream);
  return out;
}

TEST(BlockDeflate, PiecesEndToEndAreOneStream) {
  std::string whole_text, whole_data;
  DeflatedPiece whole = DeflatePiece("<head>", false);
  whole_text = "<head>";
  whole_data = whole.data;
  for (const std::string& text : {std::string(70000, 'a') + "<row/>", std::string(), std::string("<c>1</c>")}) {
    const DeflatedPiece piece = DeflatePiece(text, false);
    whole_data += piece.data;
    whole_text += text;
    AddPiece(whole, piece);
  }
  const DeflatedPiece tail = DeflatePiece("</tail>", true);
  whole_data += tail.data;
  whole_text += "</tail>";
  AddPiece(whole, tail);
  EXPECT_EQ(Inflate(whole_data), whole_text);
  EXPECT_EQ(whole.size, whole_text.size());
  EXPECT_EQ(whole.crc, crc32_z(0, reinterpret_cast<const Bytef*>(whole_text.data()), whole_text.size()));
}

using testing::Python;

// Raw entries made of pieces, with and without 64-bit sizes, beside a
// whole one: a zip reader finds each entry's text and CRC right.
TEST(ZipWriter, RawEntriesReadBack) {
  engine::testing::TempDir dir;
  const std::string path = dir.File("parts.zip");
  {
    ZipWriter zip(path);
    zip.Add("whole.xml", "<whole/>");
    for (const bool zip64 : {false, true}) {
      zip.BeginRaw(zip64 ? "big.xml" : "small.xml", zip64);
      DeflatedPiece whole = DeflatePiece("<a>", false);
      zip.AppendRaw(whole.data);
      const DeflatedPiece tail = DeflatePiece(std::string(100000, 'z') + "</a>", true);
      zip.AppendRaw(tail.data);
      AddPiece(whole, tail);
      zip.EndRaw(whole.size, whole.crc);
    }
    zip.Close();
  }
  const std::string script = dir.File("read.py");
  std::ofstream(script) << R"(import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print(z.testzip(), [(i.filename, i.file_size) for i in z.infolist()], z.read('big.xml')[:4], z.read('whole.xml'))
)";
  EXPECT_EQ(Python(script, path),
            "None [('whole.xml', 8), ('small.xml', 100007), ('big.xml', 100007)] b'<a>z' b'<whole/>'\n");
  EXPECT_THROW(ZipWriter(dir.File("missing/parts.zip")), std::runtime_error);
}

// N rows of a number, a text, a date and a duration; row 1234 holds text
// that XML must escape, row 7 a date before 1900.
host::RecordSetPtr Righe(int rows) {
  auto records = host::RecordSet::Create();
  records->AppendField({"N", host::FieldType::Integer});
  records->AppendField({"Testo", host::FieldType::Text, 40});
  records->AppendField({"Giorno", host::FieldType::Date});
  records->AppendField({"OMSVERS", host::FieldType::Text, 20});
  records->Open();
  for (int i = 0; i < rows; ++i) {
    records->AddNew();
    records->SetValue("N", host::Variant(int64_t{i}));
    records->SetValue("Testo", host::Variant(i == 1234 ? std::string("a<b> & \x01 _x0041_ ") : "riga " + std::to_string(i)));
    records->SetValue("Giorno", host::Variant(*DateTime::FromParts(i == 7 ? 1850 : 2026, 3, 10, 6, 30)));
    records->SetValue("OMSVERS", host::Variant(std::string(i % 2 == 0 ? "1:30:00" : "- 0:15:00")));
    records->Update();
  }
  return records;
}

// A table of 2,500 rows is three pieces a sheet, made on two threads: the
// zip's CRCs hold, every row is where it belongs, and awkward values come
// back as they went in (a date before 1900 as its text).
TEST(Workbook, ManyPiecesReadBackInOrderAndALongTableGoesOnInFurtherSheets) {
  engine::testing::TempDir dir;
  const auto records = Righe(2500);
  const std::vector<ExportTable> tables{
      {"Righe", records, {{"N", "Numero"}, {"Testo", "Testo"}, {"Giorno", "Giorno"}, {"OMSVERS", "Tempo"}}}};
  const std::string path = dir.File("righe.xlsx");
  ASSERT_TRUE(testing::Written(WriteWorkbook(path, tables)));
  const std::string script = dir.File("read.py");
  std::ofstream(script) << R"(import sys, zipfile, openpyxl
print(zipfile.ZipFile(sys.argv[1]).testzip())
ws = openpyxl.load_workbook(sys.argv[1])['Righe']
print(ws.max_row, ws.max_column, [c.value for c in ws[1]])
print([c.value for c in ws[2]])
print(repr(ws['B1236'].value), ws['C9'].value, ws['E2501'].value)
print(sum(1 for r in range(2, 2502) if ws.cell(r, 1).value == r - 2))
)";
  EXPECT_EQ(Python(script, path),
            "None\n"
            "2501 5 ['Numero', 'Testo', 'Giorno', 'Tempo', 'Tempo (ore)']\n"
            "[0, 'riga 0', datetime.datetime(2026, 3, 10, 6, 30), '1:30:00', 1.5]\n"
            // openpyxl shows the _xHHHH_ escapes as written; a spreadsheet
            // program shows the control character and the literal text.
            "'a<b> & _x0001_ _x005F_x0041_' 1850-03-10 06:30:00 -0.25\n"
            "2500\n");

  // A table longer than a sheet holds goes on in sheets named after it, each
  // with the header and its rows numbered from 2, its name cut to make room.
  const std::vector<ExportTable> long_tables{
      {"Righe", records, {{"N", "Numero"}, {"OMSVERS", "Tempo"}}},
      {"ScostamentoTempiDettaglioVersamenti", Righe(1001), {{"N", "Numero"}}}};
  const std::string sheets = dir.File("sheets.xlsx");
  ASSERT_TRUE(testing::Written(WriteWorkbook(sheets, long_tables, {"ore", 1000, {}})));
  const std::string sheets_script = dir.File("sheets.py");
  std::ofstream(sheets_script) << R"(import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb:
    print(ws.title, ws.max_row, ws.auto_filter.ref, ws['A1'].value, ws['A2'].value, ws.cell(ws.max_row, 1).value)
)";
  EXPECT_EQ(Python(sheets_script, sheets),
            "Righe 1001 A1:C1001 Numero 0 999\n"
            "Righe (2) 1001 A1:C1001 Numero 1000 1999\n"
            "Righe (3) 501 A1:C501 Numero 2000 2499\n"
            "ScostamentoTempiDettaglioVersam 1001 A1:A1001 Numero 0 999\n"
            "ScostamentoTempiDettaglioVe (2) 2 A1:A2 Numero 1000 1000\n");
}

// The writing is heard of piece by piece over all the tables; stopped, it
// leaves the earlier workbook at the place as it was.
TEST(Workbook, StoppedItLeavesTheEarlierFile) {
  engine::testing::TempDir dir;
  const std::vector<ExportTable> tables{{"Righe", Righe(2500), {{"N", "Numero"}}},
                                        {"Altre", Righe(10), {{"N", "Numero"}}}};
  const std::string path = dir.File("righe.xlsx");
  std::ofstream(path) << "earlier";
  std::vector<std::pair<size_t, size_t>> heard;
  TableWriteOptions options;
  options.going_on = [&heard](size_t done, size_t total) {
    heard.emplace_back(done, total);
    return true;
  };
  ASSERT_TRUE(testing::Written(WriteWorkbook(dir.File("all.xlsx"), tables, options)));
  EXPECT_EQ(heard, (std::vector<std::pair<size_t, size_t>>{{1000, 2510}, {2000, 2510}, {2500, 2510}, {2510, 2510}}));
  options.going_on = [](size_t done, size_t) { return done < 2000; };
  EXPECT_TRUE(WriteWorkbook(path, tables, options).cancelled());
  std::string kept;
  std::getline(std::ifstream(path), kept);
  EXPECT_EQ(kept, "earlier");
  EXPECT_FALSE(std::filesystem::exists(path + ".partial.xlsx"));
}

// Gap % values of a group table: over, on and under the band's edges, and
// one without a plan (Null).
host::RecordSetPtr Scostamenti() {
  auto records = host::RecordSet::Create();
  records->AppendField({"Reparto", host::FieldType::Text, 10});
  records->AppendField(host::DecimalField("ScostamentoPerc", 8, 2));
  records->AppendField({"OMSVERS", host::FieldType::Text, 20});
  records->AppendField(host::DecimalField("ScostamentoPercLavoraz", 8, 2));
  records->AppendField({"ScostamentoOMS", host::FieldType::Text, 20});
  records->Open();
  const char* values[][2] = {{"10.01", "-10.01"}, {"10.00", "-10.00"}, {"", "3.5"}};
  const char* gaps[] = {"+ 0:06:00", "0:00:00", "+ 1:00:00"};  // the last: booked without a plan
  for (const auto& row : values) {
    records->AddNew();
    records->SetValue("Reparto", host::Variant(std::string("R01")));
    for (int k = 0; k < 2; ++k) {
      const std::string field = k == 0 ? "ScostamentoPerc" : "ScostamentoPercLavoraz";
      records->SetValue(field, *row[k] == '\0' ? host::Variant::Null() : host::Variant(*host::Decimal::Parse(row[k])));
    }
    records->SetValue("OMSVERS", host::Variant(std::string("1:00:00")));
    records->SetValue("ScostamentoOMS", host::Variant(std::string(gaps[&row - values])));
    records->Update();
  }
  return records;
}

// The gap % columns carry the tolerance band as conditional formatting a
// spreadsheet program applies: over +N % orange with ▲, under -N % blue with
// ▼, over the rows below the header of exactly those columns (the hours
// column after a duration moves the second one to E). A gap % column whose
// gap is in the sheet flags its empty cells by that gap's hours (time
// booked without a plan). Without a tolerance, and on a sheet of no rows,
// there is none.
TEST(Workbook, GapPercentColumnsCarryTheToleranceBand) {
  engine::testing::TempDir dir;
  const auto fields = std::vector<std::pair<std::string, std::string>>{
      {"Reparto", "Reparto"}, {"ScostamentoPerc", "Scost. %"}, {"OMSVERS", "Versato"},
      {"ScostamentoPercLavoraz", "Scost. % lav."}, {"ScostamentoOMS", "Scost."}};
  auto empty = host::RecordSet::Create();
  empty->AppendField(host::DecimalField("GAPPERC", 8, 2));
  empty->Open();
  const std::vector<ExportTable> tables{{"Gruppi", Scostamenti(), fields}, {"Vuota", empty, {{"GAPPERC", "GAPPERC"}}}};
  const std::string script = dir.File("read.py");
  std::ofstream(script) << R"(import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb:
    print(ws.title, [c.value for c in ws['B']], [c.value for c in ws['E']])
    for cf in ws.conditional_formatting:
        print(' ', cf.sqref)
        for r in cf.rules:
            print('   ', r.type, r.operator, r.formula, r.priority, r.dxf.fill.fgColor.rgb, r.dxf.font.color.rgb,
                  r.dxf.numFmt.formatCode)
)";
  TableWriteOptions options;
  ASSERT_TRUE(testing::Written(WriteWorkbook(dir.File("10.xlsx"), tables, options)));
  EXPECT_EQ(Python(script, dir.File("10.xlsx")),
            "Gruppi ['Scost. %', 10.01, 10, None] ['Scost. % lav.', -10.01, -10, 3.5]\n"
            "  B2:B4 E2:E4\n"
            "    cellIs greaterThan ['10'] 1 FFFFC496 FF141414 \"\u25B2 \"0.00\n"
            "    cellIs lessThan ['-10'] 2 FFA6CEFA FF141414 \"\u25BC \"0.00\n"
            "  B2:B4\n"
            "    expression None ['AND(LEN(B2)=0,N(G2)>0)'] 3 FFFFC496 FF141414 \"\u25B2 \"0.00\n"
            "    expression None ['AND(LEN(B2)=0,N(G2)<0)'] 4 FFA6CEFA FF141414 \"\u25BC \"0.00\n"
            "Vuota [None] [None]\n");
  options.tolerance = 12.5;
  ASSERT_TRUE(testing::Written(WriteWorkbook(dir.File("12.xlsx"), tables, options)));
  const std::string twelve = Python(script, dir.File("12.xlsx"));
  EXPECT_NE(twelve.find("greaterThan ['12.5'] 1"), std::string::npos) << twelve;
  EXPECT_NE(twelve.find("lessThan ['-12.5'] 2"), std::string::npos) << twelve;
  options.tolerance.reset();
  ASSERT_TRUE(testing::Written(WriteWorkbook(dir.File("none.xlsx"), tables, options)));
  EXPECT_EQ(Python(script, dir.File("none.xlsx")),
            "Gruppi ['Scost. %', 10.01, 10, None] ['Scost. % lav.', -10.01, -10, 3.5]\n"
            "Vuota [None] [None]\n");
}

}  // namespace
}  // namespace output
