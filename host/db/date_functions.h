// The T-SQL date functions that the booking queries use, rewritten for
// SQLite, whose dates are texts "yyyy-mm-dd hh:mm:ss":
//   YEAR(d)               -> the calendar year as a whole number
//   MONTH(d)              -> the month, 1..12
//   DATEPART(ISO_WEEK, d) -> the ISO 8601 week, 1..53: the week (Monday to
//                            Sunday) whose Thursday falls in the year; the
//                            Thursday's day of the year gives it. SQLite's
//                            own %W counts from the first Monday instead.
//   RIGHT(s, n)           -> the last n characters
// Works on tokens: a name inside a string or a comment is left alone, and
// so is a name not followed by "(". DATEPART with any other part throws
// host::Error (kErrDatabase), as the dialect does for what it cannot do.
// A Null date gives Null.
#pragma once

#include <string>
#include <string_view>

namespace host::sql {

std::string RewriteDateFunctions(std::string_view sql);

}  // namespace host::sql
