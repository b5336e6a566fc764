#include "host/value/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/value/error.h"

namespace host {
namespace {

using UInt128 = unsigned __int128;

[[noreturn]] void ThrowOverflow() { throw Error(kErrOverflow, "Overflow", "Decimal"); }

Int128 Abs(Int128 v) { return v < 0 ? -v : v; }

// Divides |value| by 10^digits, rounding half to even; keeps the sign.
Int128 DivPow10HalfEven(Int128 value, int digits) {
  if (digits <= 0) return value;
  const bool negative = value < 0;
  UInt128 magnitude = static_cast<UInt128>(Abs(value));
  if (digits > 38) return 0;
  const UInt128 divisor = static_cast<UInt128>(Pow10(digits));
  UInt128 quotient = magnitude / divisor;
  const UInt128 remainder = magnitude % divisor;
  const UInt128 half = divisor / 2;
  if (remainder > half || (remainder == half && (quotient & 1U) != 0)) ++quotient;
  const auto result = static_cast<Int128>(quotient);
  return negative ? -result : result;
}

// Brings (coefficient, scale) within the 96-bit and 28-decimal limits by
// rounding away low digits; throws when the integer part cannot fit.
Decimal Fit(Int128 coefficient, int scale) {
  if (scale < 0) {
    // Multiply up to scale 0.
    while (scale < 0) {
      if (Abs(coefficient) > Decimal::kMaxCoefficient / 10) ThrowOverflow();
      coefficient *= 10;
      ++scale;
    }
  }
  if (scale > Decimal::kMaxScale) {
    coefficient = DivPow10HalfEven(coefficient, scale - Decimal::kMaxScale);
    scale = Decimal::kMaxScale;
  }
  while (Abs(coefficient) > Decimal::kMaxCoefficient) {
    if (scale == 0) ThrowOverflow();
    coefficient = DivPow10HalfEven(coefficient, 1);
    --scale;
  }
  return Decimal::FromParts(coefficient, scale);
}

// 256-bit unsigned magnitude, least significant limb first; only what the
// product of two 96-bit coefficients needs.
struct U256 {
  std::array<uint64_t, 4> limb{};

  static U256 Mul(UInt128 a, UInt128 b) {
    U256 r;
    const uint64_t a0 = static_cast<uint64_t>(a);
    const uint64_t a1 = static_cast<uint64_t>(a >> 64);
    const uint64_t b0 = static_cast<uint64_t>(b);
    const uint64_t b1 = static_cast<uint64_t>(b >> 64);
    const std::array<uint64_t, 2> as{a0, a1};
    const std::array<uint64_t, 2> bs{b0, b1};
    for (size_t i = 0; i < 2; ++i) {
      UInt128 carry = 0;
      for (size_t j = 0; j < 2; ++j) {
        const UInt128 cur = static_cast<UInt128>(as[i]) * bs[j] + r.limb[i + j] + carry;
        r.limb[i + j] = static_cast<uint64_t>(cur);
        carry = cur >> 64;
      }
      r.limb[i + 2] += static_cast<uint64_t>(carry);
    }
    return r;
  }
  [[nodiscard]] bool FitsIn128() const { return limb[2] == 0 && limb[3] == 0; }
  [[nodiscard]] UInt128 Low128() const { return (static_cast<UInt128>(limb[1]) << 64) | limb[0]; }
  // Divides by 10 in place and answers the remainder digit.
  uint32_t DivTen() {
    UInt128 rem = 0;
    for (size_t i = limb.size(); i-- > 0;) {
      const UInt128 cur = (rem << 64) | limb[i];
      limb[i] = static_cast<uint64_t>(cur / 10);
      rem = cur % 10;
    }
    return static_cast<uint32_t>(rem);
  }
};

void AlignScales(Int128& ca, int& sa, Int128& cb, int& sb) {
  // Raise the smaller scale as far as the coefficient allows, then round the
  // other operand down to meet it.
  while (sa < sb && Abs(ca) <= Decimal::kMaxCoefficient * 10) {
    ca *= 10;
    ++sa;
  }
  while (sb < sa && Abs(cb) <= Decimal::kMaxCoefficient * 10) {
    cb *= 10;
    ++sb;
  }
  if (sa > sb) {
    ca = DivPow10HalfEven(ca, sa - sb);
    sa = sb;
  } else if (sb > sa) {
    cb = DivPow10HalfEven(cb, sb - sa);
    sb = sa;
  }
}

}  // namespace

Int128 Pow10(int n) {
  static const std::array<Int128, 39> table = [] {
    std::array<Int128, 39> t{};
    t[0] = 1;
    for (size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
    return t;
  }();
  if (n < 0 || n > 38) throw Error(kErrOverflow, "Overflow", "Decimal");
  return table[static_cast<size_t>(n)];
}

Decimal Decimal::FromInt(int64_t value) { return {value, 0}; }

Decimal Decimal::FromParts(Int128 coefficient, int scale) {
  if (scale < 0 || scale > kMaxScale || Abs(coefficient) > kMaxCoefficient) ThrowOverflow();
  return {coefficient, scale};
}

Decimal Decimal::FromDouble(double value) {
  if (!std::isfinite(value)) ThrowOverflow();
  // Whole numbers within 2^53 are exact as they stand.
  if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) {
    return FromInt(static_cast<int64_t>(value));
  }
  // Hundredths (percentages, money: the usual fractions) without the text:
  // a decimal of at most 15 digits comes back from its nearest double as
  // those digits, so when c / 100 gives this double back, c / 100 is what
  // the 15 significant digits read.
  const double hundredths = std::nearbyint(value * 100);
  if (std::fabs(hundredths) < 1e15 && hundredths / 100 == value) {
    return FromParts(static_cast<int64_t>(hundredths), 2).Normalized();
  }
  std::array<char, 40> buffer{};
  // 15 significant digits, the precision the desktop runtime keeps.
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 14);
  auto parsed = Parse(std::string_view(buffer.data(), static_cast<size_t>(result.ptr - buffer.data())));
  if (!parsed) ThrowOverflow();
  return parsed->Normalized();
}

std::optional<Decimal> Decimal::Parse(std::string_view text) {
  size_t i = 0;
  size_t end = text.size();
  while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (i == end) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  // Digits are accumulated up to 38 significant ones; later ones only move
  // the exponent (and the first dropped digit rounds).
  UInt128 coefficient = 0;
  int significant = 0;
  int exponent = 0;
  bool any_digit = false;
  bool seen_point = false;
  int dropped_first = -1;
  for (; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      any_digit = true;
      if (significant < 38) {
        coefficient = coefficient * 10 + static_cast<unsigned>(c - '0');
        if (coefficient != 0) ++significant;
        if (seen_point) --exponent;
      } else {
        if (dropped_first < 0) dropped_first = c - '0';
        if (!seen_point) ++exponent;
      }
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  if (i < end) {
    if (text[i] != 'e' && text[i] != 'E') return std::nullopt;
    ++i;
    bool exp_negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
      exp_negative = text[i] == '-';
      ++i;
    }
    if (i == end) return std::nullopt;
    int e = 0;
    for (; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      e = e * 10 + (text[i] - '0');
      if (e > 1000) return std::nullopt;
    }
    exponent += exp_negative ? -e : e;
  }
  if (dropped_first >= 5) ++coefficient;
  auto signed_coefficient = static_cast<Int128>(coefficient);
  if (negative) signed_coefficient = -signed_coefficient;
  try {
    if (coefficient == 0) return Decimal{};
    return Fit(signed_coefficient, -exponent);
  } catch (const Error&) {
    return std::nullopt;
  }
}

std::string Decimal::ToString() const {
  const Decimal n = Normalized();
  return n.ToFixed(n.Scale());
}

std::string Decimal::ToFixed(int scale) const {
  const Decimal r = Round(scale);
  // Round() keeps a smaller scale as it is; pad to the asked one.
  UInt128 magnitude = static_cast<UInt128>(Abs(r.coefficient_));
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
    magnitude /= 10;
  } while (magnitude != 0);
  const int have = r.scale_;
  digits.append(static_cast<size_t>(scale - have), '0');
  if (static_cast<int>(digits.size()) <= scale)
    digits.insert(0, static_cast<size_t>(scale + 1 - static_cast<int>(digits.size())), '0');
  if (scale > 0) digits.insert(digits.size() - static_cast<size_t>(scale), ".");
  if (r.coefficient_ < 0) digits.insert(0, "-");
  return digits;
}

double Decimal::ToDouble() const {
  // Both operands exact as doubles: one correctly rounded division.
  if (Abs(coefficient_) < (static_cast<Int128>(1) << 53) && scale_ <= 22) {
    static constexpr std::array<double, 23> kPowers{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return static_cast<double>(static_cast<int64_t>(coefficient_)) / kPowers[scale_];
  }
  const std::string text = ToFixed(scale_);
  return std::strtod(text.c_str(), nullptr);
}

int64_t Decimal::TruncToInt64() const {
  const Int128 whole = coefficient_ / Pow10(scale_);
  if (whole > INT64_MAX || whole < INT64_MIN) ThrowOverflow();
  return static_cast<int64_t>(whole);
}

Decimal Decimal::Round(int scale) const {
  if (scale < 0 || scale > kMaxScale) throw Error(kErrInvalidArgument, "Invalid scale", "Decimal");
  if (scale_ <= scale) return *this;
  const int drop = scale_ - scale;
  const Int128 divisor = Pow10(drop);
  const Int128 magnitude = Abs(coefficient_);
  Int128 quotient = magnitude / divisor;
  if ((magnitude % divisor) * 2 >= divisor) ++quotient;
  return {coefficient_ < 0 ? -quotient : quotient, scale};
}

Decimal Decimal::Trunc() const { return {coefficient_ / Pow10(scale_), 0}; }

Decimal Decimal::Floor() const {
  const Int128 divisor = Pow10(scale_);
  Int128 quotient = coefficient_ / divisor;
  if (coefficient_ < 0 && coefficient_ % divisor != 0) --quotient;
  return {quotient, 0};
}

Decimal Decimal::Normalized() const {
  int s = scale_;
  if (s == 0 || coefficient_ == 0) return {coefficient_, coefficient_ == 0 ? 0 : s};
  // Most coefficients fit 64 bits, where a division by 10 is a cheap instruction.
  if (coefficient_ >= INT64_MIN && coefficient_ <= INT64_MAX) {
    auto c = static_cast<int64_t>(coefficient_);
    while (s > 0 && c % 10 == 0) {
      c /= 10;
      --s;
    }
    return {c, s};
  }
  Int128 c = coefficient_;
  while (s > 0 && c % 10 == 0) {
    c /= 10;
    --s;
  }
  return {c, s};
}

std::optional<Int128> Decimal::CoefficientAtScale(int scale) const {
  if (scale < 0 || scale > 38) return std::nullopt;
  // At its own scale, as a column of the same scale stores it: no division.
  if (scale == scale_) return coefficient_;
  if (scale >= scale_) {
    const Int128 factor = Pow10(scale - scale_);
    const Int128 limit = (static_cast<Int128>(1) << 120) / factor;
    if (Abs(coefficient_) > limit) return std::nullopt;
    return coefficient_ * factor;
  }
  const Int128 divisor = Pow10(scale_ - scale);
  if (coefficient_ % divisor != 0) return std::nullopt;
  return coefficient_ / divisor;
}

Decimal Decimal::operator-() const { return {-coefficient_, scale_}; }

Decimal operator+(const Decimal& a, const Decimal& b) {
  Int128 ca = a.coefficient_;
  Int128 cb = b.coefficient_;
  int sa = a.scale_;
  int sb = b.scale_;
  AlignScales(ca, sa, cb, sb);
  return Fit(ca + cb, sa);
}

Decimal operator-(const Decimal& a, const Decimal& b) { return a + (-b); }

Decimal operator*(const Decimal& a, const Decimal& b) {
  // Small coefficients multiply within 128 bits.
  constexpr Int128 kSmall = static_cast<Int128>(1) << 62;
  if (Abs(a.coefficient_) < kSmall && Abs(b.coefficient_) < kSmall) {
    return Fit(a.coefficient_ * b.coefficient_, a.scale_ + b.scale_);
  }
  const bool negative = (a.coefficient_ < 0) != (b.coefficient_ < 0);
  U256 product = U256::Mul(static_cast<UInt128>(Abs(a.coefficient_)), static_cast<UInt128>(Abs(b.coefficient_)));
  int scale = a.scale_ + b.scale_;
  // Drop digits until the product fits 128 bits, remembering what was dropped
  // so that the final rounding is half to even on the exact value.
  uint32_t last_dropped = 0;
  bool sticky = false;
  while (!product.FitsIn128() || scale > Decimal::kMaxScale ||
         product.Low128() > static_cast<UInt128>(Decimal::kMaxCoefficient)) {
    if (scale == 0) ThrowOverflow();
    sticky = sticky || last_dropped != 0;
    last_dropped = product.DivTen();
    --scale;
  }
  UInt128 magnitude = product.Low128();
  if (last_dropped > 5 || (last_dropped == 5 && (sticky || (magnitude & 1U) != 0))) ++magnitude;
  auto c = static_cast<Int128>(magnitude);
  return Fit(negative ? -c : c, scale);
}

Decimal operator/(const Decimal& a, const Decimal& b) {
  if (b.coefficient_ == 0) throw Error(kErrDivisionByZero, "Division by zero", "Decimal");
  if (a.coefficient_ == 0) return {};
  if (b.coefficient_ == 1 && b.scale_ == 0) return a.Normalized();  // ÷ 1, the usual pieces per unit
  const bool negative = (a.coefficient_ < 0) != (b.coefficient_ < 0);
  const Int128 divisor = Abs(b.coefficient_);
  Int128 quotient = Abs(a.coefficient_) / divisor;
  Int128 remainder = Abs(a.coefficient_) % divisor;
  int scale = a.scale_ - b.scale_;
  // Long division up to nine decimal digits at a time: the remainder stays
  // below the 96-bit divisor, so remainder * 10^9 stays within 128 bits.
  while ((remainder != 0 && scale < Decimal::kMaxScale) || scale < 0) {
    int k = scale < 0 ? std::min(9, -scale) : std::min(9, Decimal::kMaxScale - scale);
    while (k > 0 && quotient > Decimal::kMaxCoefficient / Pow10(k)) --k;
    if (k == 0) {
      if (scale < 0) ThrowOverflow();
      break;
    }
    const Int128 factor = Pow10(k);
    remainder *= factor;
    quotient = quotient * factor + remainder / divisor;
    remainder %= divisor;
    scale += k;
  }
  if (remainder * 2 > divisor || (remainder * 2 == divisor && (quotient & 1) != 0)) ++quotient;
  Decimal r = Fit(negative ? -quotient : quotient, scale);
  return r.Normalized();
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
  // At one scale the coefficients order as the values do: most comparisons
  // (the same column's values) end here, without 128-bit divisions.
  if (a.scale_ == b.scale_) return a.coefficient_ <=> b.coefficient_;
  if (a.Sign() != b.Sign()) return a.Sign() <=> b.Sign();
  // Integer parts first, then the fractions at a common scale of 28 (below
  // 10^28, so they always fit).
  const Int128 ia = a.coefficient_ / Pow10(a.scale_);
  const Int128 ib = b.coefficient_ / Pow10(b.scale_);
  if (ia != ib) return ia <=> ib;
  const Int128 fa = (a.coefficient_ % Pow10(a.scale_)) * Pow10(Decimal::kMaxScale - a.scale_);
  const Int128 fb = (b.coefficient_ % Pow10(b.scale_)) * Pow10(Decimal::kMaxScale - b.scale_);
  return fa <=> fb;
}

}  // namespace host
