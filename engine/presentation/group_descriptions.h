// The names the bookings carry beside the codes a run is grouped by (the
// department's beside its code, the machine's, the worker's, the phase's,
// the article's), so that a search of the groups finds a group by the name
// the window shows above the grids as well as by its code.
//
// Read from the bookings in one pass, without a query: each name is joined
// to the booking by its code, so every booking of a code carries the same
// one (an article's name is its variant's: an article keeps every name its
// variants give it). Codes compare as the groups do: texts without case and
// trailing blanks, numbers by value.
//
// The bookings' table must not change while this object reads it (a
// finished run's does not); reading takes nothing from its text pool but
// texts already there.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace engine {

class GroupDescriptions {
 public:
  // Reads the names of `grouping_columns` (the run's) from `bookings`
  // (the detailed rows); a grouping column without a name column among
  // the bookings' (a date, an order number, a month) has none.
  GroupDescriptions(const host::Table& bookings, const std::vector<std::string>& grouping_columns);

  // The names of `code` in grouping column `column`, one per line; empty
  // when the column has no names, the code is Null or blank, or no booking
  // has it.
  [[nodiscard]] const std::string& Of(std::string_view column, const host::Variant& code) const;

 private:
  // Per grouping column (upper case): code key -> its names.
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> names_;
};

}  // namespace engine
