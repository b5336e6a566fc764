// The CSV files as a spreadsheet or a tool reads them: every awkward text
// read back whole by a real CSV reader (Python's csv module) in both styles,
// the Italian style's separator, decimal comma, dates and byte order mark.
#include <gtest/gtest.h>

#include <fstream>

#include "engine/tests/tiny_erp.h"
#include "output/csv_format.h"
#include "output/table_writer.h"
#include "output/tests/python_reader.h"
#include "output/tests/written.h"

namespace output {
namespace {

using host::Variant;

TEST(CsvField, QuotesWhatAReaderWouldSplitOrTrim) {
  EXPECT_EQ(CsvField("R01"), "R01");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("Rossi, Mario"), "\"Rossi, Mario\"");
  EXPECT_EQ(CsvField("pollici 3\""), "\"pollici 3\"\"\"");
  EXPECT_EQ(CsvField("riga 1\nriga 2"), "\"riga 1\nriga 2\"");
  EXPECT_EQ(CsvField("a\rb"), "\"a\rb\"");
  EXPECT_EQ(CsvField(" R01"), "\" R01\"");
  EXPECT_EQ(CsvField("R01 "), "\"R01 \"");
  // The separator of the style decides: a comma is plain text beside ';'.
  EXPECT_EQ(CsvField("Rossi, Mario", kCsvItalian), "Rossi, Mario");
  EXPECT_EQ(CsvField("A;B", kCsvItalian), "\"A;B\"");
  EXPECT_EQ(CsvField("A;B"), "A;B");
}

TEST(CsvValue, NumbersAndDatesInEachStyle) {
  const Variant number = *host::Decimal::Parse("-1364019.40");
  EXPECT_EQ(CsvValue(number), "-1364019.4");
  EXPECT_EQ(CsvValue(number, kCsvItalian), "-1364019,4");
  const Variant date = *host::DateTime::FromParts(2026, 3, 9);
  EXPECT_EQ(CsvValue(date), "2026-03-09");
  EXPECT_EQ(CsvValue(date, kCsvItalian), "09/03/2026");
  EXPECT_EQ(CsvValue(Variant::Null(), kCsvItalian), "");
  EXPECT_EQ(CsvValue("ART 1.5  ", kCsvItalian), "ART 1.5");  // a text keeps its points
}

// A table with every awkward text a database can hold, beside a number, a
// date and a duration (with its hours column after it).
ExportTable Awkward() {
  auto rs = host::RecordSet::Create();
  rs->AppendField(host::TextField("TESTO", 60));
  rs->AppendField(host::DecimalField("NUMERO", 10, 2));
  rs->AppendField(host::FieldDef{"DATA", host::FieldType::Date});
  rs->AppendField(host::TextField("OMSVERS", 20));
  rs->Open();
  const std::vector<std::string> texts{"Rossi, Mario", "pollici 3\"", "riga 1\nriga 2", " spazio", "A;B", "è à ù"};
  for (size_t i = 0; i < texts.size(); ++i) {
    rs->AddNew();
    rs->SetValue("TESTO", texts[i]);
    rs->SetValue("NUMERO", *host::Decimal::Parse(i % 2 == 0 ? "14.4" : "-0.62"));
    rs->SetValue("DATA", *host::DateTime::FromParts(2026, 12, static_cast<int>(i) + 1));
    rs->SetValue("OMSVERS", "1:30:00");
    rs->Update();
  }
  return {"Prova", rs, {{"TESTO", "Testo, libero"}, {"NUMERO", "Numero"}, {"DATA", "Data"}, {"OMSVERS", "Versato"}}};
}

// Reads the file with Python's csv module in the given dialect and prints
// each row's fields as a Python list.
std::string ReadBack(engine::testing::TempDir& dir, const std::string& file, char separator) {
  const std::string script = dir.File("read_csv.py");
  std::ofstream(script) << "import csv, sys\n"
                           "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                           "    for row in csv.reader(f, delimiter='"
                        << separator << "'):\n"
                                        "        print(row)\n";
  return testing::Python(script, file);
}

// In either style every text reads back whole; the spreadsheet's style has
// a byte order mark, the tools' none.
TEST(CsvFiles, EveryTextReadsBackWholeInEitherStyle) {
  const struct {
    CsvStyle style;
    const char* start;
    const char* rows;
  } styles[] = {{kCsvForTools, "\"Testo, libero\",",
                 "['Rossi, Mario', '14.4', '2026-12-01', '1:30:00', '1.500000']\n"
                 "['pollici 3\"', '-0.62', '2026-12-02', '1:30:00', '1.500000']\n"
                 "['riga 1\\nriga 2', '14.4', '2026-12-03', '1:30:00', '1.500000']\n"
                 "[' spazio', '-0.62', '2026-12-04', '1:30:00', '1.500000']\n"
                 "['A;B', '14.4', '2026-12-05', '1:30:00', '1.500000']\n"
                 "['è à ù', '-0.62', '2026-12-06', '1:30:00', '1.500000']\n"},
                {kCsvItalian, "\xEF\xBB\xBF",
                 "['Rossi, Mario', '14,4', '01/12/2026', '1:30:00', '1,500000']\n"
                 "['pollici 3\"', '-0,62', '02/12/2026', '1:30:00', '1,500000']\n"
                 "['riga 1\\nriga 2', '14,4', '03/12/2026', '1:30:00', '1,500000']\n"
                 "[' spazio', '-0,62', '04/12/2026', '1:30:00', '1,500000']\n"
                 "['A;B', '14,4', '05/12/2026', '1:30:00', '1,500000']\n"
                 "['è à ù', '-0,62', '06/12/2026', '1:30:00', '1,500000']\n"}};
  for (const auto& [style, start, rows] : styles) {
    engine::testing::TempDir dir;
    TableWriteOptions options;
    options.csv_style = style;
    ASSERT_TRUE(testing::Written(WriteCsvFiles(dir.File("csv"), {Awkward()}, options)));
    const std::string file = dir.File("csv/Prova.csv");
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, std::string(start).size()), start);
    EXPECT_EQ(ReadBack(dir, file, style.separator),
              std::string("['Testo, libero', 'Numero', 'Data', 'Versato', 'Versato (ore)']\n") + rows);
  }
}

}  // namespace
}  // namespace output
