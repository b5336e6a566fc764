// Planned and booked times of one category in the chosen unit: the OMS text
// (hours:minutes:seconds), the gap and the gap percent.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/time_unit.h"
#include "host/value/status.h"
#include "host/value/variant.h"

namespace engine {

// The caller's ten values of one category, named as the record set fields
// (the category suffix is added when they are stored).
struct ValoriCategoria {
  host::Variant OREPREV, MINPREV, SECPREV;
  host::Variant OREVERS, MINVERS, SECVERS;
  host::Variant GAP, GAPPERC;
  host::Variant OMSPREV, OMSVERS;
};

// The OMS text of whole seconds: sign, hours without leading zeros, ":",
// two-digit minutes, ":", two-digit seconds ("- 1:02:05", "125:00:00").
// Negative values take "- "; positive ones "+ " only when `plus_sign`; zero
// none. Throws kErrOverflow for the one value without a positive
// counterpart (the smallest 64-bit number).
std::string OmsText(int64_t seconds, bool plus_sign);

// Fills the planned values, gap and percent of one category from a planned
// time in seconds and the booked values already in `v` (a triple under unit
// 0, the member of the unit otherwise). Planned 0, Null or Empty changes
// nothing; so does an unknown unit. A failure is a failure of "ConvertiOMS"
// (after any of "Arrotonda") and leaves what was not yet written.
host::Status ConvertiOMS(const host::Variant& planned_seconds, int16_t unit, ValoriCategoria& v);

// The OMS text of a number of seconds ("" for 0, blank or non-numeric);
// reports nothing.
std::string FormattaOMS(const host::Variant& seconds);

}  // namespace engine

namespace engine {

// The ten values of a category in the record sets' field order (OREPREV,
// MINPREV, SECPREV, OREVERS, MINVERS, SECVERS, OMSPREV, OMSVERS, GAP,
// GAPPERC).
inline std::array<host::Variant*, 10> InFieldOrder(ValoriCategoria& v) {
  return {&v.OREPREV, &v.MINPREV, &v.SECPREV, &v.OREVERS, &v.MINVERS,
          &v.SECVERS, &v.OMSPREV, &v.OMSVERS, &v.GAP,     &v.GAPPERC};
}

// The values a split category starts from: planned 0, texts empty, gap and
// percent Null; booked as given.
inline ValoriCategoria ResetCategory(const host::Variant& booked_h, const host::Variant& booked_m,
                                     const host::Variant& booked_s) {
  ValoriCategoria v;
  v.OREPREV = v.MINPREV = v.SECPREV = int16_t{0};
  v.OMSPREV = v.OMSVERS = "";
  v.GAP = v.GAPPERC = host::Variant::Null();
  v.OREVERS = booked_h;
  v.MINVERS = booked_m;
  v.SECVERS = booked_s;
  return v;
}

}  // namespace engine
