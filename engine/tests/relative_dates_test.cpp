// Relative dates on a fixed "today": each name's days, worked out on a
// calendar, at the turn of a year, on a Sunday and on a Monday, in a leap
// February; and the condition text a saved "@mese-scorso" gives.
#include "engine/relative_dates.h"

#include <gtest/gtest.h>

#include "engine/field_lists.h"

namespace engine {
namespace {

using namespace std::chrono;

std::string Days(std::string_view name, year_month_day today) {
  const auto range = ResolveRelativeDate(name, today);
  return range ? IsoDay(range->first) + ".." + IsoDay(range->last) : "none";
}

TEST(RelativeDates, EachNameOnFixedDays) {
  const year_month_day new_year = 2026y / January / 1;  // a Thursday
  const year_month_day sunday = 2026y / March / 15;
  const year_month_day monday = 2026y / March / 9;
  const std::tuple<const char*, year_month_day, const char*> days[] = {
      {"@oggi", new_year, "2026-01-01..2026-01-01"},         {"@mese-corrente", new_year, "2026-01-01..2026-01-31"},
      {"@mese-scorso", new_year, "2025-12-01..2025-12-31"},  {"@settimana-scorsa", new_year, "2025-12-22..2025-12-28"},
      {"@anno-corrente", new_year, "2026-01-01..2026-12-31"}, {"@ultimi-30-giorni", new_year, "2025-12-03..2026-01-01"},
      {"@last-week", sunday, "2026-03-02..2026-03-08"},      {"@last-month", sunday, "2026-02-01..2026-02-28"},
      {"@this-month", sunday, "2026-03-01..2026-03-31"},     {"@settimana-scorsa", monday, "2026-03-02..2026-03-08"},
      {"@mese-scorso", 2024y / March / 10, "2024-02-01..2024-02-29"}, {"@today", monday, "2026-03-09..2026-03-09"},
      {"@this-year", monday, "2026-01-01..2026-12-31"},      {"@last-30-days", 2026y / March / 1, "2026-01-31..2026-03-01"},
      // Without case and blanks; anything else is no relative date.
      {"  @Mese-Scorso ", sunday, "2026-02-01..2026-02-28"}, {"@ieri", sunday, "none"}, {"01/03/2026", sunday, "none"}};
  for (const auto& [name, today, range] : days) EXPECT_EQ(Days(name, today), range) << name;
  EXPECT_EQ(RelativeDateNames().size(), 12U);
}

TEST(RelativeDates, ResolvedInTheConditionsWhenTheRunStarts) {
  host::QueryControl query;
  LoadFilterFields(query, false);
  query.SetFrom("PD44_DATAREG", std::string("@mese-scorso"));
  query.SetFrom("DO11_DATADOC", std::string("@anno-corrente"));
  query.SetOnwards("DO11_DATADOC", true);
  query.SetFrom("DO31_DATACONS", std::string("01/01/2026"));
  query.SetTo("DO31_DATACONS", std::string("@oggi"));
  query.SetFrom("PD44_CODFASE_PD12", std::string("10"));
  const auto lines = ResolveRelativeDates(query, 2026y / March / 15);
  EXPECT_EQ(lines, (std::vector<std::string>{"Data reg.vers.: @mese-scorso = 2026-02-01..2026-02-28",
                                             "Data ordine: @anno-corrente.. = 2026-01-01..",
                                             "Data consegna: 01/01/2026..@oggi = 01/01/2026..2026-03-15"}));
  EXPECT_EQ(query.FromValue("PD44_DATAREG").ToText(), "2026-02-01");
  EXPECT_EQ(query.ToValue("PD44_DATAREG").ToText(), "2026-02-28");
  EXPECT_TRUE(query.ToValue("DO11_DATADOC").IsEmpty());
  EXPECT_TRUE(query.Validate().empty());
  // The whole of February, its last day included.
  EXPECT_EQ(query.ConditionText().rfind(" AND PD44_DATAREG >= '20260201' AND PD44_DATAREG < '20260301' ", 0), 0U)
      << query.ConditionText();
}

}  // namespace
}  // namespace engine
