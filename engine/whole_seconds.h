// Shortcuts of the time arithmetic for whole numbers, the usual case of the
// h:mm:ss unit: the same results as the Variant arithmetic they stand for,
// worked out in integers (this runs for seven categories of every group).
#pragma once

#include <cstdint>
#include <optional>

#include "host/value/variant.h"

namespace engine {

// The value of a number held exactly that is whole and within ±10^15 (an
// integer type, or a decimal without fraction at any scale); nullopt for
// anything else: fractions, doubles, booleans, texts, Null and Empty.
std::optional<int64_t> WholeNumberOf(const host::Variant& value);

// hours × 3600 + minutes × 60 + seconds when all three are whole numbers
// (WholeNumberOf); nullopt otherwise. Its magnitude is below
// kLargestWholeSeconds, so that the difference of two stays within 64 bits.
constexpr int64_t kLargestWholeSeconds = 4'000'000'000'000'000'000;
std::optional<int64_t> WholeSecondsOfParts(const host::Variant& hours, const host::Variant& minutes,
                                           const host::Variant& seconds);

// hours × 3600 + minutes × 60 + seconds as the decimal arithmetic gives it
// (at the largest of the three scales) when each is an integer or a
// decimal of at most 18 digits and 6 places: no step can round then.
// nullopt otherwise (texts, doubles, Null, Empty, booleans, larger ones).
std::optional<host::Decimal> DecimalSecondsOfParts(const host::Variant& hours, const host::Variant& minutes,
                                                   const host::Variant& seconds);

// The gap percent of `booked` over `planned` seconds as the decimal
// arithmetic gives it, ((booked ÷ planned) − 1) × 100 rounded to two
// decimals with halves going up (towards +∞), as a double. The quotient's
// 28 digits cannot move a rounding for numbers of this size: the exact
// fraction is rounded. `planned` must not be 0.
double WholeGapPercent(int64_t booked, int64_t planned);

}  // namespace engine
