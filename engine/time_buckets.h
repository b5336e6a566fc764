// The three time dimensions of the grouping list: the year, the month and
// the ISO week in which a booking was registered (PD44_DATAREG). Each is a
// derived column: its name is an alias that both booking queries select as
// "<expression> AS <name>", and the grouped query groups on the expression.
//
// The values are texts that sort by time: "2026", "2026-03", "2026-W09"
// (the ISO week's year, which differs from the calendar year around 1 Jan).
// The T-SQL uses the server's YEAR, MONTH and DATEPART(ISO_WEEK, ...); the
// SQLite dialect rewrites those calls.
#pragma once

#include <string>
#include <string_view>

namespace engine {

struct TimeBucket {
  const char* caption;     // the grouping list's caption
  const char* column;      // the alias both queries select
  const char* expression;  // its T-SQL
};

inline constexpr const char* kYearColumn = "ANNOREGVERS";
inline constexpr const char* kMonthColumn = "MESEREGVERS";
inline constexpr const char* kWeekColumn = "SETTREGVERS";

// The bucket of a grouping column (case-insensitive), or null for any other.
const TimeBucket* FindTimeBucket(std::string_view column);

// The three buckets, year, month and week.
const TimeBucket* TimeBuckets(size_t* count);

// How a bucket's value reads in a language ("it" or "en"): a month
// "2026-03" reads "mar 2026" in Italian and "2026-03" in English; a year or
// a week reads as stored. A value that is not such a month comes back as it
// is (Null or blank: "").
std::string TimeBucketText(std::string_view column, std::string_view value, std::string_view language);

}  // namespace engine
