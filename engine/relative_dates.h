// Relative dates in date conditions, so that a saved query means the same
// thing next month: a from or to value written as one of these names is
// replaced, when the run starts, by the days it names on that day.
//
//   "@oggi"             "@today"         today
//   "@mese-corrente"    "@this-month"    the 1st to the last day of this month
//   "@mese-scorso"      "@last-month"    the 1st to the last day of the month before
//   "@settimana-scorsa" "@last-week"     Monday to Sunday of the week before this one
//   "@anno-corrente"    "@this-year"     1 January to 31 December of this year
//   "@ultimi-30-giorni" "@last-30-days"  the 30 days that end today (today and 29 before)
//
// Names compare without case and surrounding blanks. A relative date alone
// (no to-value) stands for its whole range; as the from-value of a range it
// gives its first day, as the to-value its last. Days are written
// "yyyy-mm-dd", which the query control reads as a date.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/controls/query_control.h"

namespace engine {

struct DayRange {
  std::chrono::year_month_day first, last;
};

// The days a relative date names on `today`; nothing for any other text.
std::optional<DayRange> ResolveRelativeDate(std::string_view text, std::chrono::year_month_day today);

// The relative dates' names, Italian first then English, in the order above.
const std::vector<std::string>& RelativeDateNames();

// "yyyy-mm-dd".
std::string IsoDay(std::chrono::year_month_day day);

// Today in the local time zone.
std::chrono::year_month_day LocalToday();

// Replaces every relative date among the date conditions of `query` by its
// days on `today`. Answers, for the captions and the print header, one line
// per condition resolved: "Data reg.vers.: @mese-scorso = 2026-02-01..2026-02-28".
std::vector<std::string> ResolveRelativeDates(host::QueryControl& query, std::chrono::year_month_day today);

}  // namespace engine
