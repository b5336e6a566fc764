// The trend of a group on the demo database: each month's booked time is
// that of the same department and month when the run is grouped by
// "Reparto" and "Mese reg.vers."; the months' planned and booked times and
// bookings add up to the group's (a phase booked in several months is
// planned once), and so do the month groups' bookings. On the hand-made database, a phase booked in two months is
// planned in the earlier. And the export's table of every group and month.
#include "engine/monthly_trend.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/comparison.h"
#include "engine/tests/demo_db.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"
#include "engine/time_buckets.h"

namespace engine {
namespace {

TEST(MonthlyTrend, EachMonthIsTheGroupOfItsMonth) {
  host::testing::FakeForm form;
  NoProgress progress;
  const std::string& demo = testing::DemoDatabase();
  auto whole = Comparison::Make(form, testing::RequestOn(demo, {"Reparto"}, kSecondiDecimali), progress);
  auto months =
      Comparison::Make(form, testing::RequestOn(demo, {"Reparto", "Mese reg.vers."}, kSecondiDecimali), progress);
  form.Show(whole->RunStatus());
  form.Show(months->RunStatus());
  ASSERT_TRUE(form.errors.empty()) << form.error_texts.front();
  // Department and month -> planned and booked seconds, from the run by month
  // (its planned seconds plan a phase in each month: compared as a sum).
  std::map<std::pair<std::string, std::string>, std::pair<int64_t, int64_t>> expected;
  // Department -> its month groups' bookings and planned seconds.
  std::map<std::string, std::pair<int64_t, int64_t>> month_groups;
  auto& by_month = *months->Records().RSTempiVer;
  for (by_month.MoveFirst(); !by_month.Eof(); by_month.MoveNext()) {
    months->Totals().TempiPreventivi();
    const int64_t month_planned = months->Records().RSTempiPrev->Value("SECPREV").ToInt64();
    expected[{by_month.Value("PD44_CODFORNREP").ToText(), by_month.Value(kMonthColumn).ToText()}] = {
        month_planned, by_month.Value("SECVERS").ToInt64()};
    auto& sums = month_groups[by_month.Value("PD44_CODFORNREP").ToText()];
    sums.first += static_cast<int64_t>(months->Records().RSTempiVerDett->RecordCount());
    sums.second += month_planned;
  }
  auto& groups = *whole->Records().RSTempiVer;
  ASSERT_GE(groups.RecordCount(), 3U);
  size_t compared = 0;
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    whole->Totals().TempiPreventivi();
    const std::string department = groups.Value("PD44_CODFORNREP").ToText();
    const auto trend = MonthlyTrend(whole->Totals(), whole->Records(), kSecondiDecimali);
    ASSERT_GT(trend.size(), 1U);
    int64_t booked = 0, bookings = 0;
    host::Decimal planned;
    std::string previous;
    for (const auto& m : trend) {
      const auto it = expected.find({department, m.month});
      ASSERT_NE(it, expected.end()) << department << " " << m.month;
      EXPECT_LT(previous, m.month);
      previous = m.month;
      EXPECT_EQ(m.booked.ToDecimal().Round(0).TruncToInt64(), it->second.second) << department << " " << m.month;
      booked += m.booked.ToDecimal().Round(0).TruncToInt64();
      planned = planned + m.planned.ToDecimal();
      bookings += m.bookings;
      ++compared;
    }
    EXPECT_EQ(booked, groups.Value("SECVERS").ToInt64()) << department;
    EXPECT_EQ(planned.Round(0).TruncToInt64(),
              whole->Records().RSTempiPrev->Value("SECPREV").ToDecimal().Round(0).TruncToInt64())
        << department;
    EXPECT_EQ(bookings, static_cast<int64_t>(whole->Records().RSTempiVerDett->RecordCount())) << department;
    // The department's month groups hold its bookings; a phase counts once
    // per group, so one booked in two months is planned in each: the months
    // plan at least the whole, less each month's rounding to the second.
    EXPECT_EQ(month_groups[department].first, static_cast<int64_t>(whole->Records().RSTempiVerDett->RecordCount()))
        << department;
    EXPECT_GE(month_groups[department].second + static_cast<int64_t>(trend.size()),
              whole->Records().RSTempiPrev->Value("SECPREV").ToInt64())
        << department;
  }
  EXPECT_EQ(compared, expected.size());

  const auto table = AndamentoMensile(whole->Totals(), whole->Records(), kSecondiDecimali);
  EXPECT_EQ(table->RecordCount(), expected.size());
  table->MoveFirst();
  const int64_t planned = table->Value("PREV_SEC").ToInt64();
  const int64_t booked_first = table->Value("VERS_SEC").ToInt64();
  EXPECT_EQ(table->Value("SCOST_SEC").ToInt64(), booked_first - planned);
  EXPECT_EQ(whole->Records().RSTempiVer->AbsolutePosition(), 1);
}

// A1 of the hand-made database: phase 10 of cycle C1 booked on 1, 2 and 5
// March (10 pieces first: 2 min a piece, 30 min set-up, an operator 1 min
// a piece, two setters 5 min: 1:10:00) and once more on 2 April (5 pieces,
// 20 minutes). The group plans the phase once: 4,200 s, in March; April
// has its booked 1,200 s without a plan. Booked: 25 + 40 + 12 minutes in
// March.
TEST(MonthlyTrend, APhaseBookedInTwoMonthsIsPlannedInTheEarlier) {
  testing::TempDir dir;
  const std::string db = testing::TinyErp(dir);
  testing::ExecOn(db, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, "
                "PD44_CODFASE_PD12, PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_QTALAV, PD44_INDORA, "
                "PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES "
                "(1, 7, '2026-04-02 00:00:00', 'A1', 10, 10, 'R01', 'M1', 5, 0, 0, 20, 0)");
  host::testing::FakeForm form;
  NoProgress progress;
  auto run = Comparison::Make(form, testing::RequestOn(db, {"Articolo"}, kSecondiDecimali), progress);
  form.Show(run->RunStatus());
  ASSERT_TRUE(form.errors.empty()) << form.error_texts.front();
  auto& groups = *run->Records().RSTempiVer;
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    if (host::RTrim(groups.Value("PD44_CODART_MG66").JoinedText()) == "A1") break;
  }
  ASSERT_FALSE(groups.Eof());
  run->Totals().TempiPreventivi();
  EXPECT_EQ(run->Records().RSTempiPrev->Value("SECPREV").ToDecimal().Round(0).TruncToInt64(), 4200);
  const auto trend = MonthlyTrend(run->Totals(), run->Records(), kSecondiDecimali);
  ASSERT_EQ(trend.size(), 2U);
  EXPECT_EQ(trend[0].month, "2026-03");
  EXPECT_EQ(trend[0].planned.ToDecimal().Round(0).TruncToInt64(), 4200);
  EXPECT_EQ(trend[0].booked.ToDecimal().Round(0).TruncToInt64(), 4620);
  EXPECT_EQ(trend[0].bookings, 3);
  EXPECT_EQ(trend[1].month, "2026-04");
  EXPECT_EQ(trend[1].planned.ToDecimal().Round(0).TruncToInt64(), 0);
  EXPECT_EQ(trend[1].booked.ToDecimal().Round(0).TruncToInt64(), 1200);
  // The export's rows say the same: March 70 minutes planned against 77
  // booked (10.00 %), April no plan (no gap %).
  const auto table = AndamentoMensile(*run);
  table->SetFilter("IDGRUPPO = " + groups.Value("IDGRUPPO").ToDecimal().ToString());
  ASSERT_EQ(table->RecordCount(), 2U);
  table->MoveFirst();
  EXPECT_EQ(table->Value("PREV_SEC").ToInt64(), 4200);
  EXPECT_EQ(table->Value("SCOSTPERC").ToDecimal().ToFixed(2), "10.00");
  table->MoveNext();
  EXPECT_EQ(table->Value("PREV_SEC").ToInt64(), 0);
  EXPECT_EQ(table->Value("VERS_SEC").ToInt64(), 1200);
  EXPECT_TRUE(table->Value("SCOSTPERC").IsNull());
  // In hours March reads 1.17 planned (4200 s) and 1.28 booked (4620 s):
  // its gap and gap % are those of the figures shown, as a group's are:
  // 1.28 - 1.17 = 0.11 and (1.28 / 1.17 - 1) × 100 = 9.4017 → 9.40, not
  // 0.12 and 10.00 of the seconds.
  auto in_hours = Comparison::Make(form, testing::RequestOn(db, {"Articolo"}, kOreDecimali), progress);
  const auto hours = AndamentoMensile(*in_hours);
  hours->SetFilter("IDGRUPPO = " + groups.Value("IDGRUPPO").ToDecimal().ToString() + " AND MESE = '2026-03'");
  ASSERT_EQ(hours->RecordCount(), 1U);
  EXPECT_EQ(hours->Value("PREVISTO").JoinedText(), "1.17");
  EXPECT_EQ(hours->Value("VERSATO").JoinedText(), "1.28");
  EXPECT_EQ(hours->Value("SCOST").JoinedText(), "0.11");
  EXPECT_EQ(hours->Value("SCOSTPERC").ToDecimal().ToFixed(2), "9.40");
}

}  // namespace
}  // namespace engine
