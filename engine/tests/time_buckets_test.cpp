// Year, month and ISO week of registration as grouping fields: the T-SQL
// the server receives, the groups SQLite makes at the edges of years and
// weeks and how a month reads by language (on the demo database the month
// groups of a department add up to its whole period: monthly_trend_test).
#include "engine/time_buckets.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/booking_queries.h"
#include "engine/comparison.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "engine/tests/tiny_erp.h"

namespace engine {
namespace {

constexpr const char* kYear = "CAST(YEAR(PD44_DATAREG) AS CHAR(4))";
constexpr const char* kMonth =
    "CAST(YEAR(PD44_DATAREG) AS CHAR(4)) + '-' + RIGHT('0' + CAST(MONTH(PD44_DATAREG) AS VARCHAR(2)), 2)";
constexpr const char* kWeek =
    "CAST(YEAR(PD44_DATAREG) + CASE WHEN MONTH(PD44_DATAREG) = 1 AND DATEPART(ISO_WEEK, PD44_DATAREG) > 50 THEN -1 "
    "WHEN MONTH(PD44_DATAREG) = 12 AND DATEPART(ISO_WEEK, PD44_DATAREG) = 1 THEN 1 ELSE 0 END AS CHAR(4)) + '-W' + "
    "RIGHT('0' + CAST(DATEPART(ISO_WEEK, PD44_DATAREG) AS VARCHAR(2)), 2)";

TEST(TimeBuckets, TheServerGetsYearMonthAndIsoWeek) {
  EXPECT_STREQ(FindTimeBucket("mesereGVERS")->expression, kMonth);
  EXPECT_STREQ(FindTimeBucket("SETTREGVERS")->expression, kWeek);
  EXPECT_EQ(FindTimeBucket("PD44_DATAREG"), nullptr);

  BookingQueryInput in;
  in.items = {{"PD44_CODFORNREP", "Reparto", true},
              {"MESEREGVERS", "Mese reg.vers.", true},
              {"ANNOREGVERS", "Anno reg.vers.", false}};
  in.company = "1";
  in.unit = kSecondiDecimali;
  in.grouping = "GROUP BY PD44_CODFORNREP, MESEREGVERS";
  in.ordering = "ORDER BY PD44_CODFORNREP, MESEREGVERS, ANNOREGVERS";
  in.booking_columns = "PD44_PRGMVORE_PD31, PD44_DATAREG";
  const BookingQueries q = BuildBookingQueries(in);
  EXPECT_EQ(q.group_list, std::string("PD44_CODFORNREP, ") + kMonth + " AS MESEREGVERS, ");
  EXPECT_EQ(q.aggregate_list, std::string("MAX(") + kYear + ") AS ANNOREGVERS, ");
  EXPECT_EQ(q.grouped.substr(0, 7 + q.group_list.size() + 1 + q.aggregate_list.size()),
            "SELECT " + q.group_list + " " + q.aggregate_list);
  const std::string tail = std::string(" GROUP BY PD44_CODFORNREP, ") + kMonth +
                           " ORDER BY PD44_CODFORNREP, MESEREGVERS, ANNOREGVERS";
  ASSERT_GE(q.grouped.size(), tail.size());
  EXPECT_EQ(q.grouped.substr(q.grouped.size() - tail.size()), tail);
  // The bookings carry the same values under the same names, for the group filter.
  EXPECT_EQ(q.detailed.find(std::string("SELECT PD44_PRGMVORE_PD31, PD44_DATAREG, ") + kMonth +
                                           " AS MESEREGVERS, " + kYear + " AS ANNOREGVERS, PD18_INDTIPOART"),
            0U);
}

TEST(TimeBuckets, AMonthReadsByLanguage) {
  const std::tuple<const char*, const char*, const char*, const char*> texts[] = {
      {"MESEREGVERS", "2026-03", "it", "mar 2026"}, {"MESEREGVERS", "2026-12", "it", "dic 2026"},
      {"MESEREGVERS", "2026-03", "en", "2026-03"},  {"SETTREGVERS", "2026-W09", "it", "2026-W09"},
      {"ANNOREGVERS", "2026", "it", "2026"},        {"MESEREGVERS", "2026-13", "it", "2026-13"},
      {"MESEREGVERS", "", "it", ""},                {"PD44_CODFORNREP", "2026-03", "it", "2026-03"}};
  for (const auto& [field, value, language, text] : texts) {
    EXPECT_EQ(TimeBucketText(field, value, language), text) << field << " " << value << " " << language;
  }
}

// Bookings at the edges, each of 1, 2, 4, 8… minutes, so that a group's
// booked seconds tell which bookings it took.
std::string EdgeDatabase(const testing::TempDir& dir) {
  const std::string path = testing::TinyErp(dir);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  testing::Exec(db, "DELETE FROM PD44_VERSORE");
  const char* dates[] = {"2025-12-31 23:59:59", "2026-01-01 00:00:00", "2026-12-31 23:59:59",
                         "2027-01-03 23:59:59", "2027-01-04 00:00:00", "2024-12-30 08:00:00"};
  int minutes = 1;
  for (int i = 0; i < 6; ++i, minutes *= 2) {
    testing::Exec(db, "INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODFORNREP, "
                      "PD44_INDORA, PD44_OREORD, PD44_MINORD, PD44_SECORD) VALUES (1, " +
                          std::to_string(i + 1) + ", '" + dates[i] + "', 'R01', 0, 0, " + std::to_string(minutes) +
                          ", 0)");
  }
  sqlite3_close(db);
  return path;
}

// Group value -> booked seconds, for a grouping by one time field.
std::map<std::string, int64_t> Groups(const std::string& database, const std::string& caption,
                                      const std::string& column) {
  host::testing::FakeForm form;
  NoProgress progress;
  auto run = Comparison::Make(form, testing::RequestOn(database, {caption}, kSecondiDecimali), progress);
  form.Show(run->RunStatus());
  EXPECT_TRUE(form.errors.empty()) << (form.error_texts.empty() ? "" : form.error_texts.front());
  std::map<std::string, int64_t> out;
  auto& groups = *run->Records().RSTempiVer;
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    out[groups.Value(column).ToText()] = groups.Value("SECVERS").ToInt64();
    // The group filter finds the same bookings on the detail.
    run->Totals().TempiPreventivi();
    int64_t detail = 0;
    auto& bookings = *run->Records().RSTempiVerDett;
    for (; !bookings.Eof(); bookings.MoveNext()) detail += bookings.Value("SECVERS").ToInt64();
    EXPECT_EQ(detail, out[groups.Value(column).ToText()]) << groups.Value(column).ToText();
  }
  return out;
}

TEST(TimeBuckets, SqliteGroupsAtTheEdgesOfYearsAndWeeks) {
  testing::TempDir dir;
  const std::string db = EdgeDatabase(dir);
  using M = std::map<std::string, int64_t>;
  EXPECT_EQ(Groups(db, "Anno reg.vers.", kYearColumn),
            (M{{"2024", 32 * 60}, {"2025", 1 * 60}, {"2026", 6 * 60}, {"2027", 24 * 60}}));
  EXPECT_EQ(Groups(db, "Mese reg.vers.", kMonthColumn),
            (M{{"2024-12", 32 * 60}, {"2025-12", 1 * 60}, {"2026-01", 2 * 60}, {"2026-12", 4 * 60},
               {"2027-01", 24 * 60}}));
  // 31 Dec 2025 and 1 Jan 2026 share week 1 of 2026; 31 Dec 2026 to 3 Jan
  // 2027 are week 53 of 2026; 30 Dec 2024 is in week 1 of 2025.
  EXPECT_EQ(Groups(db, "Settimana reg.vers.", kWeekColumn),
            (M{{"2025-W01", 32 * 60}, {"2026-W01", 3 * 60}, {"2026-W53", 12 * 60}, {"2027-W01", 16 * 60}}));
}

}  // namespace
}  // namespace engine
