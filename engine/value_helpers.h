// Value helpers shared by both forms: Null and blank handling, decimal
// half-up rounding, the larger of two values, blank-tolerant numbers.
//
// Errors: NVL, Arrotonda and Massimo answer a failure under their own name
// beside the value to go on with (NVL and Massimo Empty, Arrotonda 0); the
// caller shows it. ValoreNumerico and RecordsetVuoto have nothing to say.
#pragma once

#include <cstdint>

#include "host/recordset/recordset.h"
#include "host/value/status.h"
#include "host/value/variant.h"

namespace engine {

// The value, or `fallback` when the value is Empty, Null or blank text
// (0 and "0" are kept).
host::Valued<host::Variant> NVL(const host::Variant& value, const host::Variant& fallback);

// floor(value × 10^decimals + 0.5) ÷ 10^decimals in decimal arithmetic, as a
// double: halves go up (2.345 → 2.35, -2.5 → -2, 1.005 → 1.01). A double
// converts with its 15 significant digits. Non-numeric: failed, 0.
host::Valued<double> Arrotonda(const host::Variant& value, int16_t decimals);

// The rounding of Arrotonda on a decimal: halves go up
// (-0.625 → -0.62, -16.665 → -16.66, 0.625 → 0.63). Every figure that is
// rounded to show it (gap percent in the records, the table, the print, the
// grids) goes through this one rule. Throws host::Error past 28 digits.
host::Decimal RoundHalfUp(const host::Decimal& number, int16_t decimals);

// Arrotonda to whole seconds, exact in 64 bits: a double would lose seconds
// past 2^53 (a planned time of 10^12 hours still reads to the second).
// Throws host::Error (kErrOverflow) past the 64-bit range, kErrTypeMismatch
// for a value that is not a number; the caller reports.
int64_t WholeSecondsOf(const host::Variant& value);

// a when a ≥ b, else b, when both are numeric (numbers or numeric texts);
// Empty when either is not.
host::Valued<host::Variant> Massimo(const host::Variant& a, const host::Variant& b);

// 0 (a 16-bit integer) for Empty, Null, blank or non-numeric text; otherwise
// the value as a Decimal.
host::Variant ValoreNumerico(const host::Variant& value);
// How ValoreNumerico(value) compares with the whole number `n` (below,
// equal, above: -1, 0, 1), as host::CompareNumbers tells it; a whole number,
// and a decimal against 0, are told without making a decimal (the group
// totals ask this of every booking).
int CompareValueWith(const host::Variant& value, int16_t n);

// True when the record set is missing or closed, or has no records (BOF and
// EOF both True).
bool RecordsetVuoto(const host::RecordSet* records);
inline bool RecordsetVuoto(const host::RecordSetPtr& records) { return RecordsetVuoto(records.get()); }

}  // namespace engine
