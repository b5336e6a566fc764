// Phases planned and never booked, on the hand-made database: a phase of an
// order with a booking appears with its planned time, and disappears once
// one booking names it; the same for a cycle phase of an order line planned
// from the routing.
#include "engine/unbooked_phases.h"

#include <gtest/gtest.h>

#include "engine/comparison.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/unbooked_erp.h"

namespace engine {
namespace {

// Each phase never booked of a run grouped by department, its fields joined by '|'.
std::vector<std::string> Unbooked(const std::string& database) {
  host::testing::FakeForm form;
  NoProgress progress;
  auto run = Comparison::Make(form, testing::RequestOn(database, {"Reparto"}), progress);
  const auto rs = FasiNonVersate(*run);
  form.Show(run->RunStatus());
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
  const std::string db = testing::UnbookedErp(dir);
  EXPECT_EQ(Unbooked(db), (std::vector<std::string>{
                              "ODL|A|7|1|A2|2|20|Foratura fori|R01|M1|ODL|3600|1:00:00",
                              "ODL|A|8|1|A1|30|30|Collaudo|R01|M1|CICLO|1800|0:30:00",
                          }));
  // (Under mm,mm, and with the order's state: cli_unbooked_test's CSV.)
  // A booking of 5 minutes on line 1 of an order: "id, 'date', phase, 'department', 'order'".
  const auto book = [&db](const std::string& values) {
    testing::ExecOn(db, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, "
                        "PD44_CODFASE_PD12, PD44_CODFORNREP, PD44_NUMREG_CO99, PD44_PROGRIGA_DO30, PD44_INDORA, "
                        "PD44_MINORD) VALUES (1, " + values + ", 1, 0, 5)");
  };
  // One booking of phase 20 of N1, in another department's name first: still unbooked.
  book("7, '2026-03-07 00:00:00', 20, 'R02', 'N1'");
  EXPECT_EQ(Unbooked(db).size(), 2U);
  book("8, '2026-03-07 00:00:00', 20, 'R01', 'N1'");
  EXPECT_EQ(Unbooked(db), (std::vector<std::string>{"ODL|A|8|1|A1|30|30|Collaudo|R01|M1|CICLO|1800|0:30:00"}));
  book("9, '2026-03-08 00:00:00', 30, 'R01', 'N2'");
  EXPECT_TRUE(Unbooked(db).empty());
}

// The order's state comes from the state view by the order's GUID (as the
// booking query's state filter reads it): both halves of the one statement
// join it the same way. (Closed or not against the states the user calls
// closed, on the hand-made database: cli_unbooked_test.)
TEST(UnbookedPhases, TheOrdersStateAndWhetherItIsClosed) {
  const std::string sql = UnbookedPhasesQuery("1");
  const std::string join =
      "LEFT JOIN VFILTROSTATI AS VS_DO11 WITH (NOLOCK) ON VS_DO11.V_GUID = DO11_DOCTESTATA.DO11_GUID ";
  const size_t first = sql.find(join);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(sql.find(join, first + 1), std::string::npos);
  EXPECT_NE(sql.find("DO46_QTA1ORD AS QTA, VS_DO11.V_IDSTATO AS STATOORDINE FROM DO46_DOCCORORDDET"), std::string::npos);
  EXPECT_NE(sql.find("DO30_QTA AS QTA, VS_DO11.V_IDSTATO AS STATOORDINE FROM DO30_DOCCORPO"), std::string::npos);

  EXPECT_EQ(ParseClosedStates(" 9, 10;9 11"), (std::vector<int64_t>{9, 10, 11}));
  EXPECT_TRUE(ParseClosedStates("").empty());
  EXPECT_THROW(ParseClosedStates("9,chiuso"), host::Error);
  EXPECT_EQ(ClosedStatesText({9, 10}), "9, 10");
}

TEST(UnbookedPhases, OnlyOrdersWithABookingInTheRun) {
  testing::TempDir dir;
  const std::string db = testing::UnbookedErp(dir);
  host::testing::FakeForm form;
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
