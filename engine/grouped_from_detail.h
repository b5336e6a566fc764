// The grouped booking query's rows (RSTempiVer) worked out from the rows
// the detailed query already read, instead of a second scan of the
// bookings: the same rows, in the same order, with the same values and
// field types as the database would answer.
//
// The database groups texts without case and trailing blanks, keeps one
// spelling of a group's value and one of a MAX() among equal spellings;
// which one is its own choice. So when a group's bookings spell a grouping
// value in two ways, or tie for a MAX() in two spellings, the rows are not
// worked out (null) and the run asks the database. The same holds for
// anything the detailed rows cannot tell: a booked time with decimals, a
// booking read twice, a value the sums could not hold.
//
// Sums follow SQLite's arithmetic and our decimal functions exactly
// (host/db/sqlite_numbers.h): the rows are worked out only on SQLite back
// ends; a server keeps its own arithmetic and collation.
#pragma once

#include <string>
#include <string_view>

#include "engine/booking_queries.h"
#include "host/recordset/recordset.h"

namespace engine {

// Whether the grouped rows of the queries built from `input` may be worked
// out from the detailed ones on back end `back_end` (Connection::BackEnd):
// an ordered grouping of columns both queries read alike, a condition on
// tables both join alike, a known unit. Decided before reading.
bool CanGroupFromDetail(const BookingQueryInput& input, std::string_view back_end);

// The statement that answers the grouped query's columns and no row: its
// field types are the grouped rows' types.
std::string GroupedLayoutQuery(const std::string& grouped_sql);

// The detailed rows hold the variant without Null (ISNULL(.., '')), the
// grouped query's MAX() of an ungrouped variant passes over Nulls: whether
// a blank one was Null is told by this statement, which answers a row when
// some booking of the company holds a blank variant that is not Null.
bool NeedsBlankVariantCheck(const BookingQueryInput& input);
std::string BlankVariantQuery(const std::string& company);

// The grouped rows from the detailed rows `detailed` (read by the detailed
// query of `input`) in the fields of `layout` (GroupedLayoutQuery's answer),
// open at the first row; `blank_variants`: BlankVariantQuery answered a row.
// Null when they cannot be told exactly (see above); the caller then runs
// the grouped query. Reads `detailed` without moving it.
host::RecordSetPtr GroupFromDetail(host::RecordSet& detailed, const host::RecordSet& layout,
                                   const BookingQueryInput& input, bool blank_variants = true);

}  // namespace engine
