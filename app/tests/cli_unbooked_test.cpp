// The command line's time dimensions and phases planned and never booked,
// on the hand-made database with unbooked phases (engine/tests/unbooked_erp.h):
// whole outputs written down.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/tests/command_output.h"
#include "engine/tests/unbooked_erp.h"

namespace {

using app::testing::Output;

Output Cli(const std::string& arguments) { return app::testing::RunCli(arguments, app::testing::Errors::kMixedIn); }

// What a command other than ours printed on its standard output.
std::string Shell(const std::string& command) { return app::testing::Shell(command).text; }

class UnbookedCommandLine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<engine::testing::TempDir>();
    db_ = std::make_unique<std::string>(engine::testing::UnbookedErp(*dir_));
    // Order N1 (7) is in state 3, order N2 (8) in state 9.
    engine::testing::ExecOn(*db_, "INSERT INTO CO5S_STATIENTITA VALUES ('G-O1', 7, 3), ('G-O2', 7, 9)");
  }
  static void TearDownTestSuite() {
    db_.reset();
    dir_.reset();
  }
  static std::string Run(const std::string& options) {
    const Output out = Cli("run --db " + *db_ + " " + options);
    EXPECT_EQ(out.status, 0) << options << ": " << out.text;
    return out.text;
  }
  static inline std::unique_ptr<engine::testing::TempDir> dir_;
  static inline std::unique_ptr<std::string> db_;
};

TEST_F(UnbookedCommandLine, TheTableAndTheCsvListThePhases) {
  EXPECT_EQ(Run("--group Reparto --unbooked"),
            "Fasi senza versamenti\n"
            "Codice ordine  Sezionale ordine  Numero ordine  Riga ordine  Articolo  Sequenza fase  Fase  Descrizione"
            "    Reparto  Macchina  Origine  Previsto  Stato ordine  Chiusa\n"
            "ODL            A                 7              1            A2        2              20    Foratura fori"
            "  R01      M1        ODL      1:00:00   3\n"
            "ODL            A                 8              1            A1        30             30    Collaudo"
            "       R01      M1        CICLO    0:30:00   9\n");
  EXPECT_EQ(Run("--group Reparto --unbooked --format csv --unit mm,mm --language en --closed-states 9,10"),
            "DO11_DOCUM_MG36,DO11_SEZDOC,DO11_NUMDOC,DO30_PROGRIGA,CODART,SEQFASE,CODFASE,DESCRFASE,CODREPARTO,"
            "MACCHINA,FONTE,PREV_SEC,OMSPREV,STATOORDINE,CHIUSA\n"
            "ODL,A,7,1,A2,2,20,Foratura fori,R01,M1,ODL,3600,60.00,3,no\n"
            "ODL,A,8,1,A1,30,30,Collaudo,R01,M1,CICLO,1800,30.00,9,sì\n");
  // The table says closed in its language.
  const std::string closed = Run("--group Reparto --unbooked --closed-states \"9 10\" --language en");
  EXPECT_NE(closed.find("Order state  Closed\n"), std::string::npos) << closed;
  EXPECT_NE(closed.find("1:00:00  3            no\n"), std::string::npos) << closed;
  EXPECT_NE(closed.find("0:30:00  9            yes\n"), std::string::npos) << closed;
  const Output wrong = Cli("run --db " + *db_ + " --group Reparto --unbooked --closed-states 9,chiuso");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.text.find("--closed-states takes state numbers, e.g. 9,10: not a state number: chiuso"),
            std::string::npos)
      << wrong.text;
  EXPECT_NE(Run("--group Reparto --unbooked --language en").find("Phases without bookings\nOrder code"),
            std::string::npos);
}

TEST_F(UnbookedCommandLine, TheJsonHasThemBesideTheGroups) {
  const std::string json = Run("--group Reparto --format json");
  EXPECT_NE(json.find(" \"unbooked_phases\": [\n  {\n   \"CHIUSA\": null,\n   \"CODART\": \"A2\",\n   \"CODFASE\": 20,\n"),
            std::string::npos)
      << json;
  // Added fields: the order's state, and closed left unsaid (null) without closed states.
  EXPECT_NE(json.find("\"OMSPREV\": \"0:30:00\",\n   \"PREV_SEC\": 1800,\n   \"SEQFASE\": 30,\n   \"STATOORDINE\": 9\n"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"groups\": ["), std::string::npos);
}

TEST_F(UnbookedCommandLine, TheExportHasTheirTable) {
  const std::string dir = dir_->File("csv");
  Run("--group Reparto --csv-dir " + dir + " > /dev/null");
  std::ifstream in(dir + "/FasiNonVersate.csv");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "Codice ordine,Sezionale ordine,Numero ordine,Riga ordine,Articolo,Sequenza fase,Fase,Descrizione,Reparto,"
            "Macchina,Origine,PREV_SEC,Previsto,Previsto (ore),Stato ordine,Chiusa\n"
            "ODL,A,7,1,A2,2,20,Foratura fori,R01,M1,ODL,3600,1:00:00,1.000000,3,\n"
            "ODL,A,8,1,A1,30,30,Collaudo,R01,M1,CICLO,1800,0:30:00,0.500000,9,\n");
}

// The PDF's optional sections, each only when asked for: the months under
// each group's categories (the bookings are of March 2026), the phases
// never booked after the groups.
TEST_F(UnbookedCommandLine, ThePdfHasItsSectionsWhenAsked) {
  const auto pdf_text = [](const std::string& options) {
    const std::string pdf = dir_->File("report.pdf");
    Run("--group Reparto --pdf " + pdf + " " + options + " > /dev/null");
    return Shell("pdftotext -layout " + pdf + " -");
  };
  const std::string plain = pdf_text("");
  ASSERT_NE(plain.find("Reparto R01"), std::string::npos) << plain;
  for (const char* absent : {"Andamento", "mar 2026", "Fasi senza versamenti", "Foratura fori"}) {
    EXPECT_EQ(plain.find(absent), std::string::npos) << absent;
  }
  const std::string both = pdf_text("--pdf-trend --pdf-unbooked");
  const size_t months = both.find("Andamento");
  ASSERT_NE(months, std::string::npos) << both;
  EXPECT_LT(both.find("Reparto R01"), months);
  EXPECT_LT(months, both.find("mar 2026"));
  EXPECT_LT(both.find("mar 2026"), both.find("Fasi senza versamenti"));
  EXPECT_LT(both.find("Fasi senza versamenti"), both.find("Foratura fori"));
  // The months' chart above their table: its legends and its time axis.
  for (const char* chart : {"Tolleranza ±10 %", "Ore"}) {
    EXPECT_LT(months, both.find(chart)) << chart;
  }
  EXPECT_NE(pdf_text("--pdf-trend --tolerance 5").find("Tolleranza ±5 %"), std::string::npos);
  const std::string english = pdf_text("--pdf-trend --pdf-unbooked --language en");
  EXPECT_NE(english.find("2026-03"), std::string::npos) << english;
  EXPECT_NE(english.find("Phases without bookings"), std::string::npos) << english;
  EXPECT_EQ(pdf_text("--pdf-unbooked").find("Andamento"), std::string::npos);
}

// --tolerance N moves the workbook's band on the gap % columns, as a
// spreadsheet program reads it (openpyxl); 10 without it.
TEST_F(UnbookedCommandLine, TheWorkbooksBandFollowsTheTolerance) {
  const std::string script = dir_->File("band.py");
  std::ofstream(script) << R"(import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])['TempiDiLavorazione']
for band in ws.conditional_formatting:
    print(str(band.sqref).split()[0], ' '.join(r.operator + ' ' + r.formula[0] for r in band.rules))
)";
  const auto band = [&](const std::string& options) {
    const std::string book = dir_->File("band.xlsx");
    Run("--group Reparto --xlsx " + book + " " + options + " > /dev/null");
    return Shell("/usr/bin/python3 " + script + " " + book + " 2>&1");
  };
  const std::string standard = band("");
  EXPECT_NE(standard.find("greaterThan 10 lessThan -10\n"), std::string::npos) << standard;
  const std::string narrow = band("--tolerance 2.5");
  EXPECT_NE(narrow.find("greaterThan 2.5 lessThan -2.5\n"), std::string::npos) << narrow;
}

// A saved query's file runs as the same conditions and grouping typed.
TEST_F(UnbookedCommandLine, ASavedQueryFileRunsAsTyped) {
  const std::string file = dir_->File("query.json");
  std::ofstream(file) << R"({"name": "Inizio marzo",
 "conditions": [{"field": "PD44_DATAREG", "caption": "Data reg.vers.", "from": "2026-03-01", "to": "2026-03-03",
                 "onwards": false}],
 "grouping": ["PD44_CODFORNREP", "PD44_CODFASE_PD12"], "unit": "mm,mm", "exclude_wait": true})";
  const std::string saved = Run("--query " + file + " --format csv");
  const std::string typed = Run("--where \"Data reg.vers.=2026-03-01..2026-03-03\" --group Reparto,Fase --unit mm,mm "
                                "--exclude-wait --format csv");
  EXPECT_EQ(saved, typed);
  EXPECT_NE(saved.find("PD44_CODFORNREP,PD44_CODFASE_PD12,IDGRUPPO,"), std::string::npos) << saved;
  // --unit beside it replaces the query's.
  EXPECT_NE(Run("--query " + file + " --unit hh:mm:ss --format csv"), saved);
  // Its closed states go with it.
  const std::string closing = dir_->File("closing.json");
  std::ofstream(closing) << R"({"name": "Chiuse", "grouping": ["PD44_CODFORNREP"], "closed_states": [9]})";
  EXPECT_NE(Run("--query " + closing + " --unbooked --format csv").find(",CICLO,1800,0:30:00,9,sì\n"),
            std::string::npos);
  const Output unknown = Cli("run --db " + *db_ + " --query \"Nessuna ricerca\"");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.text.find("Nessuna ricerca"), std::string::npos) << unknown.text;
}

TEST_F(UnbookedCommandLine, GroupsByMonthAndWeek) {
  // The bookings of 1-6 March 2026: one month; 1 March is a Sunday (week 9), the rest week 10.
  const std::string months = Run("--group \"Mese reg.vers.\" --format csv");
  EXPECT_EQ(months.substr(0, months.find('\n') + 1).rfind("MESEREGVERS,IDGRUPPO,", 0), 0U) << months;
  EXPECT_NE(months.find("\n2026-03,"), std::string::npos);
  // The table reads the month by language.
  EXPECT_NE(Run("--group \"Mese reg.vers.\" --columns total").find("\nmar 2026 "), std::string::npos);
  EXPECT_NE(Run("--group \"Mese reg.vers.\" --columns total --language en").find("\n2026-03 "), std::string::npos);
  const std::string weeks = Run("--group \"Settimana reg.vers.\" --columns total --language en");
  EXPECT_NE(weeks.find("Booking week"), std::string::npos) << weeks;
  EXPECT_NE(weeks.find("\n2026-W09 "), std::string::npos) << weeks;
  EXPECT_NE(weeks.find("\n2026-W10 "), std::string::npos) << weeks;
}

}  // namespace
