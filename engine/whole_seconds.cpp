#include "engine/whole_seconds.h"

#include <algorithm>

namespace engine {

namespace {

constexpr int64_t kLargestWhole = 1'000'000'000'000'000;  // 10^15: × 3600 stays within 64 bits

}  // namespace

std::optional<int64_t> WholeNumberOf(const host::Variant& value) {
  int64_t whole = 0;
  switch (value.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: whole = value.ToInt64(); break;
    case host::VarType::Decimal: {
      const host::Decimal d = value.ToDecimal();
      const host::Int128 unit = host::Pow10(d.Scale());
      if (d.Coefficient() % unit != 0) return std::nullopt;
      const host::Int128 w = d.Coefficient() / unit;
      if (w > kLargestWhole || w < -kLargestWhole) return std::nullopt;
      return static_cast<int64_t>(w);
    }
    default: return std::nullopt;
  }
  if (whole > kLargestWhole || whole < -kLargestWhole) return std::nullopt;
  return whole;
}

std::optional<int64_t> WholeSecondsOfParts(const host::Variant& hours, const host::Variant& minutes,
                                           const host::Variant& seconds) {
  const std::optional<int64_t> h = WholeNumberOf(hours);
  const std::optional<int64_t> m = h ? WholeNumberOf(minutes) : std::nullopt;
  const std::optional<int64_t> s = m ? WholeNumberOf(seconds) : std::nullopt;
  if (!s) return std::nullopt;
  return *h * 3600 + *m * 60 + *s;
}

std::optional<host::Decimal> DecimalSecondsOfParts(const host::Variant& hours, const host::Variant& minutes,
                                                   const host::Variant& seconds) {
  struct Part {
    host::Int128 coefficient;
    int scale;
  };
  const auto part = [](const host::Variant& v) -> std::optional<Part> {
    switch (v.Type()) {
      case host::VarType::Int16:
      case host::VarType::Int32:
      case host::VarType::Int64: return Part{v.ToInt64(), 0};
      case host::VarType::Decimal: {
        const host::Decimal d = v.ToDecimal();
        constexpr host::Int128 kLargest = 1'000'000'000'000'000'000;  // 10^18
        if (d.Scale() > 6 || d.Coefficient() >= kLargest || d.Coefficient() <= -kLargest) return std::nullopt;
        return Part{d.Coefficient(), d.Scale()};
      }
      default: return std::nullopt;
    }
  };
  const std::optional<Part> h = part(hours);
  const std::optional<Part> m = h ? part(minutes) : std::nullopt;
  const std::optional<Part> s = m ? part(seconds) : std::nullopt;
  if (!s) return std::nullopt;
  // Each part below 9.3 × 10^18 (an integer's 64 bits; a decimal's are
  // below 10^18): hours × 3600 × 10^6 below 3.4 × 10^28 and the sum of the
  // three below 3.5 × 10^28, within a decimal's 96 bits (7.9 × 10^28): the
  // sum is exact and kept at the largest scale.
  const int scale = std::max({h->scale, m->scale, s->scale});
  const host::Int128 sum = h->coefficient * 3600 * host::Pow10(scale - h->scale) +
                           m->coefficient * 60 * host::Pow10(scale - m->scale) +
                           s->coefficient * host::Pow10(scale - s->scale);
  return host::Decimal::FromParts(sum, scale);
}

double WholeGapPercent(int64_t booked, int64_t planned) {
  // Hundredths of a percent, halves up: floor((booked − planned) × 10^4 ÷ planned + ½),
  // that is floor(n ÷ d) with n = 2 × 10^4 × (booked − planned) + planned, d = 2 × planned.
  host::Int128 n = host::Int128{20000} * (host::Int128{booked} - planned) + planned;
  host::Int128 d = host::Int128{2} * planned;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  host::Int128 q = n / d;
  if (n % d != 0 && n < 0) --q;  // division truncates; floor goes down
  return host::Decimal::FromParts(q, 2).ToDouble();
}

}  // namespace engine
