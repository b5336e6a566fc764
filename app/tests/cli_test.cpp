// The command line on the small hand-worked database: whole outputs written
// down, so that a changed figure fails here too. The figures are those of
// engine/tests/comparison_run_test.cpp, worked out by hand from the rows of
// tiny_erp.h: article A1 plans phase 100 once (4200 s) against 25 + 40 + 12
// booked minutes; A2 plans order phase 900 (5580 s) against 1:35:00; the
// booking without article books a wait hour and plans nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/tests/command_output.h"
#include "engine/tests/tiny_erp.h"

namespace {

using app::testing::Errors;
using app::testing::Output;
using engine::testing::FileBytes;
using engine::testing::Listing;

// Runs the command line with `arguments`: standard output, and the error
// stream too when asked.
Output Cli(const std::string& arguments, bool with_errors = false) {
  return app::testing::RunCli(arguments, with_errors ? Errors::kMixedIn : Errors::kDropped);
}
Output CliWithErrors(const std::string& arguments) { return Cli(arguments, true); }

// The text with the blanks at the end of each line removed.
std::string Trimmed(const std::string& text) {
  std::istringstream in(text);
  std::string line, out;
  while (std::getline(in, line)) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

class CommandLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<engine::testing::TempDir>();
    db_ = std::make_unique<std::string>(engine::testing::TinyErp(*dir_));
  }
  static void TearDownTestSuite() {
    db_.reset();
    dir_.reset();
  }
  static std::string Run(const std::string& options) {
    const Output out = Cli("run --db " + *db_ + " " + options);
    EXPECT_EQ(out.status, 0) << options;
    return out.text;
  }
  static inline std::unique_ptr<engine::testing::TempDir> dir_;
  static inline std::unique_ptr<std::string> db_;
};

TEST_F(CommandLine, TableInHoursMinutesSeconds) {
  EXPECT_EQ(Trimmed(Run("--group Articolo")),
      "Articolo | Totale                                | Lavorazione                           | Setup                                 | Macchina                              | Manodopera\n"
      "         | previsto  versato     scost.  scost.% | previsto  versato     scost.  scost.% | previsto  versato     scost.  scost.% | previsto  versato     scost.  scost.% | previsto  versato     scost.  scost.%\n"
      "         |           1:00:00  + 1:00:00          |                                       |                                       |                                       |\n"
      "A1       |  1:10:00  1:17:00  + 0:07:00    10.00 |  0:30:00  0:37:00  + 0:07:00    23.33 |  0:40:00  0:40:00    0:00:00     0.00 |  0:50:00  0:37:00  - 0:13:00   -26.00 |  0:20:00  0:40:00  + 0:20:00   100.00\n"
      "A2       |  1:33:00  1:35:00  + 0:02:00     2.15 |  0:03:00  1:35:00  + 1:32:00  3066.67 |  0:30:00  0:00:00  - 0:30:00  -100.00 |  0:33:00  1:35:00  + 1:02:00   187.88 |           1:35:00  + 1:35:00\n"
      "\n"
      "Una fase di ciclo (prevista dal ciclo di lavorazione) conta una volta per gruppo, con la quantità del primo versamento del gruppo su di essa.\n");
}

TEST_F(CommandLine, TableInDecimalHoursGapsFromTheRoundedFigures) {
  // 4200 s are 1.17 h and 77 min 1.28 h: the gap is 0.11, and 1.28 / 1.17
  // makes 9.40 %, as the record's own fields give them; under English headers.
  EXPECT_EQ(Trimmed(Run("--group Articolo --unit hh,hh --language en")),
      "Article | Total                        | Processing                     | Set-up                          | Machine                        | Labour\n"
      "        | planned  booked   gap  gap % | planned  booked   gap    gap % | planned  booked    gap    gap % | planned  booked    gap   gap % | planned  booked   gap  gap %\n"
      "        |            1.00  1.00        |                                |                                 |                                |\n"
      "A1      |    1.17    1.28  0.11   9.40 |    0.50    0.62  0.12    24.00 |    0.67    0.67   0.00     0.00 |    0.83    0.62  -0.21  -25.30 |    0.34    0.67  0.33  97.06\n"
      "A2      |    1.55    1.58  0.03   1.94 |    0.05    1.58  1.53  3060.00 |    0.50    0.00  -0.50  -100.00 |    0.55    1.58   1.03  187.27 |            1.58  1.58\n"
      "\n"
      "A cycle phase (planned from the routing) counts once per group, with the quantity of the group's first booking of it.\n");
}

// The group fields, then every duration as seconds; the group without plan
// shows its booked hour and gap as the table does.
TEST_F(CommandLine, CsvCarriesEveryFieldOfTheGroups) {
  const std::string csv = Run("--group Articolo --format csv");
  std::istringstream in(csv);
  std::string header, none, a1, a2, extra;
  std::getline(in, header);
  std::getline(in, none);
  std::getline(in, a1);
  std::getline(in, a2);
  EXPECT_FALSE(std::getline(in, extra));
  EXPECT_EQ(header, "PD44_CODART_MG66,IDGRUPPO,OREPREV,MINPREV,SECPREV,OREVERS,MINVERS,SECVERS,OMSPREV,OMSVERS,GAP,GAPPERC,OREPREV_LAV,MINPREV_LAV,SECPREV_LAV,OREVERS_LAV,MINVERS_LAV,SECVERS_LAV,OMSPREV_LAV,OMSVERS_LAV,GAP_LAV,GAPPERC_LAV,OREPREV_SET,MINPREV_SET,SECPREV_SET,OREVERS_SET,MINVERS_SET,SECVERS_SET,OMSPREV_SET,OMSVERS_SET,GAP_SET,GAPPERC_SET,OREPREV_MACLAV,MINPREV_MACLAV,SECPREV_MACLAV,OREVERS_MACLAV,MINVERS_MACLAV,SECVERS_MACLAV,OMSPREV_MACLAV,OMSVERS_MACLAV,GAP_MACLAV,GAPPERC_MACLAV,OREPREV_MACSET,MINPREV_MACSET,SECPREV_MACSET,OREVERS_MACSET,MINVERS_MACSET,SECVERS_MACSET,OMSPREV_MACSET,OMSVERS_MACSET,GAP_MACSET,GAPPERC_MACSET,OREPREV_MANLAV,MINPREV_MANLAV,SECPREV_MANLAV,OREVERS_MANLAV,MINVERS_MANLAV,SECVERS_MANLAV,OMSPREV_MANLAV,OMSVERS_MANLAV,GAP_MANLAV,GAPPERC_MANLAV,OREPREV_MANSET,MINPREV_MANSET,SECPREV_MANSET,OREVERS_MANSET,MINVERS_MANSET,SECVERS_MANSET,OMSPREV_MANSET,OMSVERS_MANSET,GAP_MANSET,GAPPERC_MANSET,PREV_SEC,VERS_SEC,GAP_SEC,PREV_SEC_LAV,VERS_SEC_LAV,GAP_SEC_LAV,PREV_SEC_SET,VERS_SEC_SET,GAP_SEC_SET,PREV_SEC_MACLAV,VERS_SEC_MACLAV,GAP_SEC_MACLAV,PREV_SEC_MACSET,VERS_SEC_MACSET,GAP_SEC_MACSET,PREV_SEC_MANLAV,VERS_SEC_MANLAV,GAP_SEC_MANLAV,PREV_SEC_MANSET,VERS_SEC_MANSET,GAP_SEC_MANSET");
  EXPECT_EQ(none, ",4,0,0,0,1,0,0,,1:00:00,+ 1:00:00,,0,0,0,0,0,0,,,,,0,0,0,0,0,0,,,,,0,0,0,0,0,0,,,,,0,0,0,0,0,0,,,,,0,0,0,0,0,0,,,,,0,0,0,0,0,0,,,,,0,3600,3600,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(a1, "A1,5,1,10,0,0,77,0,1:10:00,1:17:00,+ 0:07:00,10,0,30,0,0,37,0,0:30:00,0:37:00,+ 0:07:00,23.33,0,40,0,0,40,0,0:40:00,0:40:00,0:00:00,0,0,20,0,0,37,0,0:20:00,0:37:00,+ 0:17:00,85,0,30,0,0,0,0,0:30:00,0:00:00,- 0:30:00,-100,0,10,0,0,0,0,0:10:00,0:00:00,- 0:10:00,-100,0,10,0,0,40,0,0:10:00,0:40:00,+ 0:30:00,300,4200,4620,420,1800,2220,420,2400,2400,0,1200,2220,1020,1800,0,-1800,600,0,-600,600,2400,1800");
  EXPECT_EQ(a2, "A2,3,1,33,0,1,35,0,1:33:00,1:35:00,+ 0:02:00,2.15,0,3,0,1,35,0,0:03:00,1:35:00,+ 1:32:00,3066.67,0,30,0,0,0,0,0:30:00,0:00:00,- 0:30:00,-100,0,3,0,1,35,0,0:03:00,1:35:00,+ 1:32:00,3066.67,0,30,0,0,0,0,0:30:00,0:00:00,- 0:30:00,-100,0,0,0,1,35,0,,1:35:00,+ 1:35:00,,0,0,0,0,0,0,,,,,5580,5700,120,180,5700,5520,1800,0,-1800,180,5700,5520,1800,0,-1800,0,5700,5700,0,0,0");
}

TEST_F(CommandLine, CsvInHoursAndJsonInSeconds) {
  const std::string csv = Run("--group Articolo --unit hh,hh --format csv");
  EXPECT_NE(csv.find("\nA1,5,1.17,0,0,1.28,,,,,0.11,9.4,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\nA2,3,1.55,0,0,1.58,,,,,0.03,1.94,"), std::string::npos) << csv;
  // For an Italian spreadsheet: ';' between fields, decimal commas.
  const std::string italian = Run("--group Articolo --unit hh,hh --format csv --csv-locale it");
  EXPECT_EQ(italian.substr(0, 34), "PD44_CODART_MG66;IDGRUPPO;OREPREV;");
  EXPECT_NE(italian.find("\nA1;5;1,17;0;0;1,28;;;;;0,11;9,4;"), std::string::npos) << italian;
  EXPECT_EQ(Cli("run --db " + *db_ + " --format csv --csv-locale fr").status, 2);
  // ss,ss: the seconds themselves, gap 420 s and 10 %.
  const std::string json = Run("--group Articolo --unit ss,ss --format json");
  for (const char* expected : {"\"SECPREV\": 4200", "\"SECVERS\": 4620", "\"GAP\": 420", "\"GAPPERC\": 10",
                               "\"SECPREV\": 5580", "\"SECVERS\": 5700", "\"GAP\": 120", "\"GAPPERC\": 2.15",
                               "\"unit\": \"ss,ss\""}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected;
  }
}

TEST_F(CommandLine, JsonOfOneDepartment) {
  // One group: both phases (4200 + 5580 s = 2:43:00) against every booking
  // (25 + 40 + 95 + 60 + 12 = 232 min = 3:52:00).
  const std::string json = Run("--group Reparto --format json --bookings");
  for (const char* expected :
       {"\"OMSPREV\": \"2:43:00\"", "\"OMSVERS\": \"3:52:00\"", "\"GAP\": \"+ 1:09:00\"", "\"GAPPERC\": 42.33",
        "\"PD44_CODFORNREP\": \"R01\"", "\"grouping\": \"Reparto\"", "\"unit\": \"hh:mm:ss\""}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected;
  }
  // Five bookings, each once.
  size_t bookings = 0;
  for (size_t at = json.find("\"IDVERS\""); at != std::string::npos; at = json.find("\"IDVERS\"", at + 1)) ++bookings;
  EXPECT_EQ(bookings, 5U);
}

TEST_F(CommandLine, AFailedWriteIsAnErrorAndLeavesNoFile) {
  EXPECT_EQ(Cli("run --db " + *db_ + " --out /dev/full").status, 2);
  EXPECT_EQ(Cli("run --db " + *db_ + " > /dev/full").status, 3);
  // A run that fails leaves an earlier file as it was.
  const std::string kept = dir_->File("kept.txt");
  std::ofstream(kept) << "earlier report\n";
  EXPECT_EQ(Cli("run --db " + *db_ + " --where \"Fase=abc\" --out " + kept).status, 2);
  EXPECT_EQ(FileBytes(kept), "earlier report\n");
  EXPECT_FALSE(std::filesystem::exists(kept + ".partial"));
}

// Into a file, the bookings are written while the group totals are worked
// out: the file says exactly what the standard output says.
TEST_F(CommandLine, AJsonFileWithBookingsIsTheStandardOutput) {
  for (const std::string options : {"--group Reparto --format json --bookings",
                                    "--format json --bookings --where \"Articolo=NOPE\""}) {
    const Output shown = Cli("run --db " + *db_ + " " + options);
    const std::string file = dir_->File("bookings.json");
    const Output written = Cli("run --db " + *db_ + " " + options + " --out " + file);
    EXPECT_EQ(written.status, shown.status) << options;
    EXPECT_EQ(written.text, "") << options;
    if (shown.status == 0) {
      EXPECT_EQ(FileBytes(file), shown.text) << options;
    } else {
      EXPECT_FALSE(std::filesystem::exists(file)) << options;
    }
    std::filesystem::remove(file);
  }
}

// (Open ranges and a date with a time as typed: controls_test's
// TheConditionsTypedAreTheConditionsApplied; range ends through the command
// line: cli_hardening_test.)
TEST_F(CommandLine, ConditionsThatCannotBeAppliedAreRefused) {
  // Refused, with a message: twice the same caption, no value, a bad company.
  for (const char* refused : {"--where Fase=10 --where Fase=20", "--where \"Fase=..\"", "--where Fase=",
                              "--company 1.5", "--company 1e3", "--company 12345678901234567890", "--company 7"}) {
    const Output o = CliWithErrors("run --db " + *db_ + " " + refused);
    EXPECT_EQ(o.status, 2) << refused << ": " << o.text;
  }
  EXPECT_NE(CliWithErrors("run --db " + *db_ + " --company 7 --language en").text.find("its companies are 1"),
            std::string::npos);
  EXPECT_NE(CliWithErrors("run --db " + *db_ + " --company 7").text.find("le sue ditte sono 1"), std::string::npos);
  // '%' is a character like any other; '?' one character.
  EXPECT_EQ(CliWithErrors("run --db " + *db_ + " --where Articolo=%").status, 1);
  EXPECT_EQ(CliWithErrors("run --db " + *db_ + " --where \"Articolo=A?\"").status, 0);
}

TEST(CommandLineDatabases, WhatIsWrongWithTheFileIsSaidPlainly) {
  engine::testing::TempDir dir;
  const std::string empty = dir.File("empty.db");
  std::ofstream(empty).close();
  const std::string text = dir.File("text.db");
  std::ofstream(text) << "not a database\n";
  const std::string missing = dir.File("missing.db");
  const std::string folder = dir.File("folder");
  std::filesystem::create_directories(folder);
  const std::vector<std::pair<std::string, std::string>> cases{
      {empty, "is not an ERP database"},
      {text, "is not an ERP database"},
      {folder, "is a folder, not an ERP database"},
      {missing, "database not found: " + missing},
      {"\"Driver=SQLite3;Database=" + missing + "\"", "database not found: " + missing},
      {"\"Driver=SQLite3;Database=" + dir.File("a") + ";b.db\"", "database not found: " + dir.File("a")}};
  for (const auto& [db, expected] : cases) {
    const Output o = CliWithErrors("run --language en --db " + db);
    EXPECT_EQ(o.status, 3) << db;
    EXPECT_NE(o.text.find(expected), std::string::npos) << db << ": " << o.text;
  }
  // In Italian, the default ("database non trovato": query_form_test).
  EXPECT_NE(CliWithErrors("run --db " + folder).text.find("è una cartella, non un database dell'ERP"),
            std::string::npos);
  // Nothing was created by trying.
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_FALSE(std::filesystem::exists(dir.File("a")));
}

TEST(CommandLineDatabases, ALockedDatabaseAnswersWithinSeconds) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  sqlite3* writer = nullptr;
  sqlite3_open(db.c_str(), &writer);
  engine::testing::Exec(writer, "BEGIN EXCLUSIVE; DELETE FROM PD07_REPARTO;");
  for (const std::string& connection : {db, "\"Driver=SQLite3;Database=" + db + "\""}) {
    const auto start = std::chrono::steady_clock::now();
    const Output o = CliWithErrors("run --db " + connection);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(o.status, 3) << connection;
    EXPECT_LT(seconds, 8.0) << connection;  // 5 s of waiting, and the start
    EXPECT_NE(o.text.find("bloccato da un altro programma"), std::string::npos) << connection << ": " << o.text;
  }
  engine::testing::Exec(writer, "ROLLBACK");
  sqlite3_close(writer);
}

// A database in WAL mode: a run leaves nothing beside it, through either
// back end. (While another program has it open, its files are left alone:
// host/tests/wal_leftovers_test.cpp.)
TEST(CommandLineDatabases, AWalDatabaseHasNothingLeftBesideIt) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  engine::testing::ExecOn(db, "PRAGMA journal_mode = WAL");
  ASSERT_FALSE(std::filesystem::exists(db + "-wal"));
  const std::string bytes = FileBytes(db);
  for (const std::string& connection : {db, "\"Driver=SQLite3;Database=" + db + "\""}) {
    const Output o = CliWithErrors("run --db " + connection + " --group Articolo --format csv");
    EXPECT_EQ(o.status, 0) << o.text;
    EXPECT_EQ(Listing(dir.File("")), std::vector<std::string>{"tiny.db"}) << connection;
    EXPECT_TRUE(FileBytes(db) == bytes) << "the database file changed";
  }
}

TEST_F(CommandLine, TheTableFitsItsContentAndItsColumnsAreChosen) {
  // --columns: the total and machine blocks only, in the table's order.
  const std::string two = Trimmed(Run("--group Articolo --columns mac,total"));
  EXPECT_NE(two.find("Articolo | Totale"), std::string::npos) << two;
  EXPECT_NE(two.find("| Macchina"), std::string::npos) << two;
  EXPECT_EQ(two.find("Lavorazione"), std::string::npos) << two;
  EXPECT_NE(two.find("A1       |  1:10:00  1:17:00  + 0:07:00    10.00 |  0:50:00  0:37:00  - 0:13:00   -26.00\n"),
            std::string::npos)
      << two;
  // Refused rather than ignored.
  EXPECT_EQ(CliWithErrors("run --db " + *db_ + " --columns total,foo").status, 2);
  EXPECT_EQ(CliWithErrors("run --db " + *db_ + " --bookings").status, 2);
}

// The hand-made database with one more booking of 10 minutes (R01, 12 March)
// for each article code, given as SQL expressions (ids from 20).
std::string TinyWithArticles(const engine::testing::TempDir& dir, const std::vector<std::string>& articles) {
  const std::string db = engine::testing::TinyErp(dir);
  std::string values;
  int id = 20;
  for (const auto& article : articles) {
    values += std::string(values.empty() ? "" : ", ") + "(1, " + std::to_string(id++) + ", '2026-03-12 00:00:00', " +
              article + ", 'R01', 0, 0, 10, 0)";
  }
  engine::testing::ExecOn(db, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                              "PD44_CODART_MG66, PD44_CODFORNREP, PD44_INDORA, PD44_OREORD, PD44_MINORD, "
                              "PD44_SECORD) VALUES " +
                                  values);
  return db;
}

// Codes as a database may hold them: quotes, a backslash, a tab, accented
// letters and bytes that are not UTF-8. The JSON stays valid and says them,
// on the standard output and into a file, where the bookings are written
// apart from the groups. A plain text with a backslash alone (nothing else
// to escape) is escaped too: the short way for plain texts must not skip it.
// In the CSV a code with a comma or a quote stays one field, as a CSV reader
// reads it back.
TEST(CommandLineJson, AwkwardTextsStayValidJson) {
  engine::testing::TempDir dir;
  const std::string db = TinyWithArticles(dir, {"'Q\"B\\S' || char(9) || 'T'", "'Città'", "CAST(X'41FF42' AS TEXT)",
                                                "'A\\B'", "'C/D'", "'B,1'", "'C\"2'"});
  const Output csv = Cli("run --db " + db + " --group Articolo --format csv");
  EXPECT_EQ(csv.status, 0) << csv.text;
  EXPECT_NE(csv.text.find("\n\"B,1\",25,"), std::string::npos) << csv.text;
  EXPECT_NE(csv.text.find("\n\"C\"\"2\",26,"), std::string::npos) << csv.text;
  const std::string file = dir.File("report.json");
  const Output o = Cli("run --db " + db + " --group Articolo --format json --bookings");
  EXPECT_EQ(o.status, 0) << o.text;
  EXPECT_EQ(Cli("run --db " + db + " --group Articolo --format json --bookings --out " + file).status, 0);
  for (const std::string& text : {o.text, FileBytes(file)}) {
    EXPECT_NE(text.find(R"("PD44_CODART_MG66": "Q\"B\\S\tT")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("PD44_CODART_MG66": "Città")"), std::string::npos);
    EXPECT_NE(text.find("\"PD44_CODART_MG66\": \"A\xEF\xBF\xBD" "B\""), std::string::npos);  // U+FFFD
    EXPECT_NE(text.find(R"("PD44_CODART_MG66": "A\\B")"), std::string::npos);
    EXPECT_EQ(text.find(R"("PD44_CODART_MG66": "A\B")"), std::string::npos);
    EXPECT_NE(text.find(R"("PD44_CODART_MG66": "C/D")"), std::string::npos);
  }
}

// (Codes that differ in case or trailing blanks group and sort as one:
// host/tests/dialect_test.cpp and comparison_run_test.cpp.)

#ifdef QUARVELINDO_EVERY_OUTPUT_CHECK
// One run of a demo database written every way the command line writes it:
// each group's planned, booked, gap and gap % of every category read the
// same in the table, the CSV, the JSON, the CSV tables, the workbook and the
// PDF (read back by Python's csv and json, openpyxl and pdftotext).
TEST(EveryOutput, EachGroupsFiguresReadTheSameEverywhere) {
  engine::testing::TempDir dir;
  const std::string db = dir.File("demo.db");
  ASSERT_EQ(Cli("demo-db " + db + " --bookings 3000 --seed 5").status, 0);
  const std::string run = "run --db " + db + " --group Reparto,Fase ";
  ASSERT_EQ(Cli(run + "--out " + dir.File("table.txt")).status, 0);
  ASSERT_EQ(Cli(run + "--format csv --out " + dir.File("groups.csv")).status, 0);
  ASSERT_EQ(Cli(run + "--format json --out " + dir.File("groups.json")).status, 0);
  ASSERT_EQ(Cli(run + "--xlsx " + dir.File("book.xlsx") + " --csv-dir " + dir.File("tables") + " --pdf " +
                dir.File("report.pdf") + " --out " + dir.File("ignored.txt"))
                .status,
            0);
  const std::string said =
      app::testing::Shell("/usr/bin/python3 " + std::string(QUARVELINDO_EVERY_OUTPUT_CHECK) + " " + dir.File("") + " 2>&1")
          .text;
  EXPECT_EQ(said.rfind("agree ", 0), 0U) << said;
}
#endif

// The report says what it covers: the run's conditions and unit, in the
// language asked for.
TEST(CommandLinePdf, TheReportHeaderNamesTheConditionsAndTheUnit) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  const std::string pdf = dir.File("report.pdf");
  ASSERT_EQ(Cli("run --db " + db + " --where Reparto=R01 --where Articolo=A1..A2 --unit hh,hh --language en --pdf " +
                pdf + " --out " + dir.File("table.txt"))
                .status,
            0);
  const std::string text = app::testing::Shell("pdftotext -layout " + pdf + " - 2>&1").text;
  EXPECT_NE(text.find("Conditions: Article A1 \u2013 A2; Department = R01"), std::string::npos) << text.substr(0, 600);
  EXPECT_NE(text.find("Time mode: hh,hh"), std::string::npos) << text.substr(0, 600);
}

TEST(CommandLineTable, LongLabelsAndLineBreaksKeepTheRows) {
  engine::testing::TempDir dir;
  const std::string db = TinyWithArticles(dir, {"'A-VERY-LONG-ARTICLE-CODE-OF-40-CHARS-XY' || char(10) || 'Z'"});
  const Output o = Cli("run --db " + db + " --group Articolo");
  EXPECT_EQ(o.status, 0);
  // The whole label, on its own row, and every row as wide as the others.
  EXPECT_NE(o.text.find("A-VERY-LONG-ARTICLE-CODE-OF-40-CHARS-XY Z |"), std::string::npos) << o.text;
  std::istringstream in(o.text);
  std::string line;
  size_t bar = std::string::npos;
  int rows = 0;
  while (std::getline(in, line) && !line.empty()) {
    const size_t at = line.find(" | ");
    if (bar == std::string::npos) bar = at;
    EXPECT_EQ(at, bar) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 6);  // two header lines, four groups
}

TEST(CommandLineDatabases, MessagesSayWhatHappenedAndVerboseSaysWhere) {
  engine::testing::TempDir dir;
  const std::string db = engine::testing::TinyErp(dir);
  engine::testing::ExecOn(db, "DROP TABLE PD12_FASILAVORO; CREATE TABLE PD12_FASILAVORO (X INT);");
  const Output plain = CliWithErrors("run --db " + db);
  EXPECT_EQ(plain.status, 3);
  EXPECT_NE(plain.text.find("no such column: PD12_DESCR"), std::string::npos) << plain.text;
  EXPECT_EQ(plain.text.find("LeggiVersamentiTempi"), std::string::npos) << plain.text;
  const Output verbose = CliWithErrors("run --db " + db + " --verbose");
  EXPECT_NE(verbose.text.find("[LeggiVersamentiTempi, -2147217900]"), std::string::npos) << verbose.text;
}

TEST(CommandLineUsage, VersionAndUsageErrors) {
  const Output version = CliWithErrors("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.text.rfind("quarvelindo ", 0), 0U) << version.text;
  EXPECT_EQ(CliWithErrors("run --no-such-option").status, 2);
  EXPECT_EQ(CliWithErrors("").status, 2);
}

TEST(Examples, TheWholeText) {
  const Output out = Cli("examples");
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(Trimmed(out.text),
      "booking                           unit      planned    booked     gap         gap %\n"
      "one hour booked, 1:02:05 planned  hh:mm:ss  1:02:05    1:00:00    - 0:02:05   -3.36\n"
      "                                  hh,hh     1.03       1          -0.03       -2.91\n"
      "                                  mm,mm     62.08      60         -2.08       -3.35\n"
      "                                  ss,ss     3725       3600       -125        -3.36\n"
      "set-up on time                    hh:mm:ss  0:15:00    0:15:00    0:00:00     0\n"
      "                                  hh,hh     0.25       0.25       0           0\n"
      "                                  mm,mm     15         15         0           0\n"
      "                                  ss,ss     900        900        0           0\n"
      "run three times the plan          hh:mm:ss  1:00:00    4:00:00    + 3:00:00   300\n"
      "                                  hh,hh     1          4          3           300\n"
      "                                  mm,mm     60         240        180         300\n"
      "                                  ss,ss     3600       14400      10800       300\n"
      "nothing planned                   hh:mm:ss  -          -          -           -\n"
      "                                  hh,hh     -          0.5        -           -\n"
      "                                  mm,mm     -          30         -           -\n"
      "                                  ss,ss     -          1800       -           -\n");
}

}  // namespace
