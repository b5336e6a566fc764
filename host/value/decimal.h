// Exact base-10 number: a signed 96-bit coefficient and a scale of 0 to 28, the
// range of the ERP's decimal columns and of the classic desktop decimal type.
//
// Why our own type: the engine stores millions of decimals in record sets and
// rounds in base 10 on every booking. A fixed 17-byte value with no heap
// allocation keeps that cheap, and exactness (1.005 stays 1.005) is what makes
// half-up rounding give 1.01. Arbitrary-precision libraries allocate per value
// and offer more range than any column needs.
//
// Contract: every operation is exact when the exact result fits 28 fractional
// digits and the 96-bit coefficient; otherwise the result is rounded half to
// even at the last digit that fits. A result whose integer part does not fit,
// or a division by zero, throws host::Error (overflow 6, division by zero 11).
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

using Int128 = __int128;

class Decimal {
 public:
  static constexpr int kMaxScale = 28;
  // 2^96 - 1: the largest coefficient.
  static constexpr Int128 kMaxCoefficient = (static_cast<Int128>(1) << 96) - 1;

  constexpr Decimal() = default;
  // From an integer; never fails.
  static Decimal FromInt(int64_t value);
  // From coefficient and scale; throws on a coefficient beyond 96 bits or a
  // scale outside 0..28.
  static Decimal FromParts(Int128 coefficient, int scale);
  // From a double keeping its 15 significant digits, as the desktop runtime
  // converts; throws on NaN, infinity or a magnitude beyond the range.
  static Decimal FromDouble(double value);
  // Text such as " -12.50 ", "1e3", ".5": blanks around are allowed; anything
  // else answers nullopt. Digits beyond 28 decimals are rounded.
  static std::optional<Decimal> Parse(std::string_view text);

  [[nodiscard]] Int128 Coefficient() const { return coefficient_; }
  [[nodiscard]] int Scale() const { return scale_; }
  [[nodiscard]] bool IsZero() const { return coefficient_ == 0; }
  [[nodiscard]] int Sign() const { return coefficient_ > 0 ? 1 : (coefficient_ < 0 ? -1 : 0); }

  // Plain text with '.' and no exponent, trailing fractional zeros removed
  // ("1.5", "-0.25", "120").
  [[nodiscard]] std::string ToString() const;
  // Text with exactly `scale` decimals after rounding half away from zero.
  [[nodiscard]] std::string ToFixed(int scale) const;
  [[nodiscard]] double ToDouble() const;
  // Integer part (towards zero); throws overflow beyond int64.
  [[nodiscard]] int64_t TruncToInt64() const;

  // Half away from zero to `scale` decimals (0..28), as SQL Server stores a
  // value into a decimal(p, s) column.
  [[nodiscard]] Decimal Round(int scale) const;
  [[nodiscard]] Decimal Floor() const;
  [[nodiscard]] Decimal Trunc() const;
  // Same value with trailing fractional zeros removed.
  [[nodiscard]] Decimal Normalized() const;
  // Same value at exactly `scale` decimals when that is exact and fits;
  // nullopt otherwise (a value with more decimals, or too large).
  [[nodiscard]] std::optional<Int128> CoefficientAtScale(int scale) const;

  friend Decimal operator+(const Decimal& a, const Decimal& b);
  friend Decimal operator-(const Decimal& a, const Decimal& b);
  friend Decimal operator*(const Decimal& a, const Decimal& b);
  friend Decimal operator/(const Decimal& a, const Decimal& b);
  Decimal operator-() const;
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
  friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == std::strong_ordering::equal; }

 private:
  constexpr Decimal(Int128 coefficient, int scale) : coefficient_(coefficient), scale_(static_cast<uint8_t>(scale)) {}

  Int128 coefficient_ = 0;
  uint8_t scale_ = 0;
};

// 10^n for n in 0..38.
Int128 Pow10(int n);

}  // namespace host
