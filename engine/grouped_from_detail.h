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

#include "engine/blank_variants.h"
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

// Whether the grouped query takes the MAX() of an ungrouped variant, whose
// blank value the detailed rows cannot tell from Null: the run then reads
// BlankVariants (engine/blank_variants.h) beside them.
bool NeedsBlankVariantCheck(const BookingQueryInput& input);

// The grouped rows from the detailed rows `detailed` (read by the detailed
// query of `input`) in the fields of `layout` (GroupedLayoutQuery's answer),
// open at the first row; `blank_variants`: the bookings of the company
// whose variant is blank and not Null (an empty set: none). Null when they
// cannot be told exactly (see above); the caller then runs the grouped
// query. Reads `detailed` without moving it.
host::RecordSetPtr GroupFromDetail(host::RecordSet& detailed, const host::RecordSet& layout,
                                   const BookingQueryInput& input, const BlankVariants& blank_variants);

}  // namespace engine
