#include "engine/oms.h"

#include <array>
#include <charconv>

#include "engine/value_helpers.h"
#include "engine/whole_seconds.h"

namespace engine {

using host::Variant;

namespace {

Variant Zero() { return int16_t{0}; }

}  // namespace

std::string OmsText(int64_t seconds, bool plus_sign) {
  // The magnitude below needs a value that has a positive counterpart.
  if (seconds == INT64_MIN) throw host::Error(host::kErrOverflow, "Overflow", "OMS");
  // Written into one buffer: this runs for every figure shown, printed or
  // exported (millions in a year's report).
  const uint64_t magnitude = static_cast<uint64_t>(seconds < 0 ? -seconds : seconds);
  std::array<char, 32> text{};
  char* at = text.data();
  if (seconds < 0 || (seconds > 0 && plus_sign)) {
    *at++ = seconds < 0 ? '-' : '+';
    *at++ = ' ';
  }
  at = std::to_chars(at, text.data() + text.size(), magnitude / 3600).ptr;
  for (const uint64_t part : {magnitude % 3600 / 60, magnitude % 60}) {
    *at++ = ':';
    *at++ = static_cast<char>('0' + part / 10);
    *at++ = static_cast<char>('0' + part % 10);
  }
  return {text.data(), at};
}

host::Status ConvertiOMS(const Variant& planned_seconds, int16_t unit, ValoriCategoria& v) {
  host::Status status;
  // A rounding that fails is said and the conversion goes on with 0.
  const auto round = [&status](const Variant& value, int16_t decimals) {
    auto rounded = Arrotonda(value, decimals);
    status.Add(rounded.status);
    return rounded.value;
  };
  try {
    if (planned_seconds.IsEmpty() || planned_seconds.IsNull() || host::CompareNumbers(planned_seconds, Zero()) == 0) {
      return status;
    }
    const Variant hundred = int16_t{100};
    const Variant one = int16_t{1};
    // Percent of booked over planned, two decimals.
    auto percent = [&](const Variant& booked, const Variant& planned) {
      return Variant(round(host::Multiply(host::Subtract(host::Divide(booked, planned), one), hundred), 2));
    };
    switch (unit) {
      case kOreDecimali:
        v.OREPREV = round(host::Divide(planned_seconds, int16_t{3600}), 2);
        v.MINVERS = Zero();
        v.SECVERS = Zero();
        v.GAP = host::Subtract(v.OREVERS, v.OREPREV);
        if (host::CompareNumbers(v.OREPREV, Zero()) != 0) v.GAPPERC = percent(v.OREVERS, v.OREPREV);
        return status;
      case kMinutiDecimali:
        v.MINPREV = round(host::Divide(planned_seconds, int16_t{60}), 2);
        v.OREVERS = Zero();
        v.SECVERS = Zero();
        v.GAP = host::Subtract(v.MINVERS, v.MINPREV);
        if (host::CompareNumbers(v.MINPREV, Zero()) != 0) v.GAPPERC = percent(v.MINVERS, v.MINPREV);
        return status;
      case kSecondiDecimali:
        v.SECPREV = round(planned_seconds, 2);
        v.OREVERS = Zero();
        v.MINVERS = Zero();
        v.GAP = host::Subtract(v.SECVERS, v.SECPREV);
        if (host::CompareNumbers(v.SECPREV, Zero()) != 0) v.GAPPERC = percent(v.SECVERS, v.SECPREV);
        return status;
      case kOreMinutiSecondi: {
        const int64_t p = WholeSecondsOf(planned_seconds);
        int64_t rest = p;
        if (p >= 3600) {
          v.OREPREV = p / 3600;
          rest = p % 3600;
        }
        if (rest >= 60) {
          v.MINPREV = rest / 60;
          rest %= 60;
        }
        v.SECPREV = rest;
        if (p != 0) v.OMSPREV = OmsText(p, false);
        // Whole booked times (the usual case): the same texts and percent in
        // integers. The percent of a decimal booked time is the exact
        // fraction's; one of integers alone is a double division, left below.
        if (const std::optional<int64_t> b = WholeSecondsOfParts(v.OREVERS, v.MINVERS, v.SECVERS);
            b && (v.OREVERS.Type() == host::VarType::Decimal || v.MINVERS.Type() == host::VarType::Decimal ||
                  v.SECVERS.Type() == host::VarType::Decimal) &&
            p > -kLargestWholeSeconds && p < kLargestWholeSeconds) {
          if (*b != 0) v.OMSVERS = OmsText(*b, false);
          v.GAP = OmsText(*b - p, true);
          if (p != 0) v.GAPPERC = WholeGapPercent(*b, p);
          return status;
        }
        // Booked seconds as the caller has them, not rounded.
        const Variant booked = host::Add(
            host::Add(host::Multiply(v.OREVERS, int16_t{3600}), host::Multiply(v.MINVERS, int16_t{60})), v.SECVERS);
        if (host::CompareNumbers(booked, Zero()) != 0) {
          v.OMSVERS = OmsText(WholeSecondsOf(booked), false);
        }
        const Variant planned = p;
        v.GAP = OmsText(WholeSecondsOf(host::Subtract(booked, planned)), true);
        if (p != 0) v.GAPPERC = percent(booked, planned);
        return status;
      }
      default: return status;
    }
  } catch (const std::exception&) {
    status.Add(host::Status::FailedHere("ConvertiOMS"));
  }
  return status;
}

std::string FormattaOMS(const Variant& seconds) {
  try {
    const Variant t = ValoreNumerico(seconds);
    if (host::CompareNumbers(t, int16_t{0}) == 0) return {};
    return OmsText(t.ToInt64(), false);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace engine
