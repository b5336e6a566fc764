// The trend of a group on the demo database: each month's planned and booked
// times are those of the same department and month when the run is grouped
// by "Reparto" and "Mese reg.vers."; the months' booked times and bookings
// add up to the group's. And the export's table of every group and month.
#include "engine/monthly_trend.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/comparison.h"
#include "engine/tests/demo_db.h"
#include "engine/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/time_buckets.h"

namespace engine {
namespace {

TEST(MonthlyTrend, EachMonthIsTheGroupOfItsMonth) {
  testing::FakeForm form;
  NoProgress progress;
  const std::string& demo = testing::DemoDatabase();
  auto whole = Comparison::Make(form, testing::RequestOn(demo, {"Reparto"}, kSecondiDecimali), progress);
  auto months =
      Comparison::Make(form, testing::RequestOn(demo, {"Reparto", "Mese reg.vers."}, kSecondiDecimali), progress);
  ASSERT_TRUE(form.errors.empty()) << form.error_texts.front();
  // Department and month -> planned and booked seconds, from the run by month.
  std::map<std::pair<std::string, std::string>, std::pair<int64_t, int64_t>> expected;
  auto& by_month = *months->Records().RSTempiVer;
  for (by_month.MoveFirst(); !by_month.Eof(); by_month.MoveNext()) {
    months->Totals().TempiPreventivi();
    expected[{by_month.Value("PD44_CODFORNREP").ToText(), by_month.Value(kMonthColumn).ToText()}] = {
        months->Records().RSTempiPrev->Value("SECPREV").ToInt64(), by_month.Value("SECVERS").ToInt64()};
  }
  auto& groups = *whole->Records().RSTempiVer;
  size_t compared = 0;
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    whole->Totals().TempiPreventivi();
    const std::string department = groups.Value("PD44_CODFORNREP").ToText();
    const auto trend = MonthlyTrend(whole->Totals(), whole->Records(), kSecondiDecimali);
    ASSERT_GT(trend.size(), 1U);
    int64_t booked = 0, bookings = 0;
    std::string previous;
    for (const auto& m : trend) {
      EXPECT_LT(previous, m.month);
      previous = m.month;
      const auto it = expected.find({department, m.month});
      ASSERT_NE(it, expected.end()) << department << " " << m.month;
      EXPECT_EQ(m.planned.ToDecimal().Round(0).TruncToInt64(), it->second.first) << department << " " << m.month;
      EXPECT_EQ(m.booked.ToDecimal().Round(0).TruncToInt64(), it->second.second) << department << " " << m.month;
      booked += m.booked.ToDecimal().Round(0).TruncToInt64();
      bookings += m.bookings;
      ++compared;
    }
    EXPECT_EQ(booked, groups.Value("SECVERS").ToInt64()) << department;
    EXPECT_EQ(bookings, static_cast<int64_t>(whole->Records().RSTempiVerDett->RecordCount())) << department;
  }
  EXPECT_EQ(compared, expected.size());

  const auto table = AndamentoMensile(whole->Totals(), whole->Records(), kSecondiDecimali);
  EXPECT_EQ(table->RecordCount(), expected.size());
  table->MoveFirst();
  const int64_t planned = table->Value("PREV_SEC").ToInt64();
  const int64_t booked_first = table->Value("VERS_SEC").ToInt64();
  EXPECT_EQ(table->Value("SCOST_SEC").ToInt64(), booked_first - planned);
  EXPECT_EQ(table->Value("MESE").ToText().size(), 7U);
  EXPECT_EQ(whole->Records().RSTempiVer->AbsolutePosition(), 1);
}

}  // namespace
}  // namespace engine
