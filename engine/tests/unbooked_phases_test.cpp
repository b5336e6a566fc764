// Phases planned and never booked, on the hand-made database: a phase of an
// order with a booking appears with its planned time, and disappears once
// one booking names it; the same for a cycle phase of an order line planned
// from the routing.
#include "engine/unbooked_phases.h"

#include <gtest/gtest.h>

#include "engine/comparison.h"
#include "engine/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

// Order N1 line 1 gets a second phase (20, on R01, machine M1): 3 minutes
// a piece for its 20 pieces, nothing else: 60 minutes. Order N2 line 1
// (article A1, 4 pieces) is planned from the routing of bill 501: phase 10
// (booked below) and phase 30 at 5 minutes a piece plus 10 minutes set-up:
// 30 minutes.
std::string Database(const testing::TempDir& dir) {
  const std::string path = testing::TinyErp(dir);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  testing::Exec(db, R"(
INSERT INTO PD12_FASILAVORO VALUES (1, 20, 'Foratura'), (1, 30, 'Collaudo');
INSERT INTO DO46_DOCCORORDDET VALUES (1, 'N1', 1, 2, 20, 'Foratura fori', 'R01', NULL, 'M1', 20, NULL);
INSERT INTO PD2A_DETFASIDOC (PD2A_IDFASE, PD2A_NUMREG_CO99, PD2A_PROGRIGA_DO46, PD2A_PROGDET_DO46, PD2A_INDUMLAV,
  PD2A_TMACLAV, PD2A_INDUMSETUP, PD2A_TMACSETUP, PD2A_NUMPEZZISETUP, PD2A_NUMPEZZIUM, PD2A_INDUMATTESA,
  PD2A_TATTESA, PD2A_INDUMCODA, PD2A_TCODA) VALUES (901, 'N1', 1, 2, 1, 3, 1, 0, 0, 1, 1, 0, 1, 0);
INSERT INTO DO11_DOCTESTATA VALUES (1, 'N2', 'ODL', '2026-03-02 00:00:00', 'A', 8, 'G-O2');
INSERT INTO DO30_DOCCORPO VALUES (1, 'N2', 1, 'A1', NULL, 4, 501);
INSERT INTO PD95_DISBA VALUES (1, 501, 'A1', '', 0, '', 0);
INSERT INTO PD48_CICLI (PD48_DITTA_CG18, PD48_IDCICLO, PD48_CICLO_PD52, PD48_VERSIONE_PD52, PD48_IDDISBA_PD95,
  PD48_SEQFASE, PD48_CODFASE_PD12, PD48_CODREP_PD07, PD48_MACCHINA_PD08, PD48_INDUMLAV, PD48_TMACLAV,
  PD48_NUMPEZZIUM, PD48_INDUMSETUP, PD48_TMACSETUP, PD48_NUMPEZSETUP, PD48_INDUMATTESA, PD48_TATTESA,
  PD48_INDUMCODA, PD48_TCODA) VALUES
  (1, 210, 'C2', 0, 501, 10, 10, 'R01', 'M1', 1, 2, 1, 1, 0, 0, 1, 0, 1, 0),
  (1, 230, 'C2', 0, 501, 30, 30, 'R01', 'M1', 1, 5, 1, 1, 10, 0, 1, 0, 1, 0);
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_QTALAV,
  PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES
  (1, 6, '2026-03-06 00:00:00', 'A1', 10, 10, 'R01', 'M1', 'N2', 1, 4, 0, 0, 8, 0);
)");
  sqlite3_close(db);
  return path;
}


std::vector<std::string> Unbooked(const std::string& database, TipoTempo unit = kOreMinutiSecondi) {
  testing::FakeForm form;
  NoProgress progress;
  auto run = Comparison::Make(form, testing::RequestOn(database, {"Reparto"}, unit), progress);
  EXPECT_TRUE(form.errors.empty()) << (form.error_texts.empty() ? "" : form.error_texts.front());
  const auto rs = FasiNonVersate(*run);
  EXPECT_TRUE(form.errors.empty()) << (form.error_texts.empty() ? "" : form.error_texts.front());
  std::vector<std::string> out;
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
    std::string line;
    for (const char* f : {"DO11_DOCUM_MG36", "DO11_SEZDOC", "DO11_NUMDOC", "DO30_PROGRIGA", "CODART", "SEQFASE",
                          "CODFASE", "DESCRFASE", "CODREPARTO", "MACCHINA", "FONTE", "PREV_SEC", "OMSPREV"}) {
      line += (line.empty() ? "" : "|") + rs->Value(f).JoinedText();
    }
    out.push_back(line);
  }
  return out;
}

TEST(UnbookedPhases, APhaseAppearsAndGoesWhenBooked) {
  testing::TempDir dir;
  const std::string db = Database(dir);
  EXPECT_EQ(Unbooked(db), (std::vector<std::string>{
                              "ODL|A|7|1|A2|2|20|Foratura fori|R01|M1|ODL|3600|1:00:00",
                              "ODL|A|8|1|A1|30|30|Collaudo|R01|M1|CICLO|1800|0:30:00",
                          }));
  EXPECT_EQ(Unbooked(db, kMinutiDecimali),
            (std::vector<std::string>{"ODL|A|7|1|A2|2|20|Foratura fori|R01|M1|ODL|3600|60.00",
                                      "ODL|A|8|1|A1|30|30|Collaudo|R01|M1|CICLO|1800|30.00"}));
  sqlite3* handle = nullptr;
  sqlite3_open(db.c_str(), &handle);
  // One booking of phase 20 of N1, in another department's name first: still unbooked.
  testing::Exec(handle, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                        "PD44_CODFASE_PD12, PD44_CODFORNREP, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_INDORA, "
                        "PD44_MINORD) VALUES (1, 7, '2026-03-07 00:00:00', 20, 'R02', 'N1', 1, 0, 5)");
  EXPECT_EQ(Unbooked(db).size(), 2U);
  testing::Exec(handle, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                        "PD44_CODFASE_PD12, PD44_CODFORNREP, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_INDORA, "
                        "PD44_MINORD) VALUES (1, 8, '2026-03-07 00:00:00', 20, 'R01', 'N1', 1, 0, 5)");
  EXPECT_EQ(Unbooked(db), (std::vector<std::string>{"ODL|A|8|1|A1|30|30|Collaudo|R01|M1|CICLO|1800|0:30:00"}));
  testing::Exec(handle, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                        "PD44_CODFASE_PD12, PD44_CODFORNREP, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_INDORA, "
                        "PD44_MINORD) VALUES (1, 9, '2026-03-08 00:00:00', 30, 'R01', 'N2', 1, 0, 5)");
  EXPECT_TRUE(Unbooked(db).empty());
  sqlite3_close(handle);
}

TEST(UnbookedPhases, OnlyOrdersWithABookingInTheRun) {
  testing::TempDir dir;
  const std::string db = Database(dir);
  testing::FakeForm form;
  NoProgress progress;
  auto request = testing::RequestOn(db, {"Reparto"});
  request.query.Settings(host::ControlSettings{"1", "", "", "", false, request.connection.get()});
  // Only the bookings of 3 March: order N1's; N2's phase 30 is not listed.
  request.query.SetFrom("PD44_DATAREG", std::string("2026-03-03"));
  auto run = Comparison::Make(form, std::move(request), progress);
  ASSERT_FALSE(run->Empty());
  const auto rs = FasiNonVersate(*run);
  ASSERT_EQ(rs->RecordCount(), 1U);
  EXPECT_EQ(rs->Value("CODFASE").JoinedText(), "20");
}

}  // namespace
}  // namespace engine
