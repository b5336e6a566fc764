#include "host/value/variant.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "host/value/error.h"

namespace host {
namespace {

[[noreturn]] void ThrowNull() { throw Error(kErrInvalidUseOfNull, "Invalid use of Null", "Variant"); }
[[noreturn]] void ThrowMismatch() { throw Error(kErrTypeMismatch, "Type mismatch", "Variant"); }
[[noreturn]] void ThrowOverflow() { throw Error(kErrOverflow, "Overflow", "Variant"); }

std::string DoubleText(double d) {
  // 15 significant digits, no exponent for everyday magnitudes.
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.15g", d);
  std::string text = buffer.data();
  if (text.find('e') != std::string::npos && std::fabs(d) < 1e15 && std::fabs(d) >= 1e-5) {
    text = Decimal::FromDouble(d).ToString();
  }
  return text;
}

enum class Rank { Integer, Double, Decimal };

Rank RankOf(const Variant& v) {
  switch (v.Type()) {
    case VarType::Decimal: return Rank::Decimal;
    case VarType::Double:
    case VarType::Text: return Rank::Double;
    default: return Rank::Integer;
  }
}

Rank Promote(const Variant& a, const Variant& b) { return std::max(RankOf(a), RankOf(b)); }

template <typename IntOp, typename DoubleOp, typename DecOp>
Variant Arithmetic(const Variant& a, const Variant& b, IntOp int_op, DoubleOp double_op, DecOp dec_op) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  switch (Promote(a, b)) {
    case Rank::Decimal: return dec_op(a.ToDecimal(), b.ToDecimal());
    case Rank::Double: {
      const double r = double_op(a.ToDouble(), b.ToDouble());
      if (!std::isfinite(r)) ThrowOverflow();
      return r;
    }
    case Rank::Integer: {
      int64_t r = 0;
      if (int_op(a.ToInt64(), b.ToInt64(), &r)) {
        // Past 64 bits the runtime would overflow; a decimal keeps the value.
        return dec_op(a.ToDecimal(), b.ToDecimal());
      }
      if (r >= INT32_MIN && r <= INT32_MAX) return static_cast<int32_t>(r);
      return r;
    }
  }
  return {};
}

}  // namespace

bool Variant::IsNumber() const {
  switch (Type()) {
    case VarType::Int16:
    case VarType::Int32:
    case VarType::Int64:
    case VarType::Decimal:
    case VarType::Double: return true;
    default: return false;
  }
}

bool Variant::IsNumeric() const {
  switch (Type()) {
    case VarType::Null:
    case VarType::Date: return false;
    case VarType::Text: return Decimal::Parse(Text()).has_value();
    default: return true;
  }
}

const std::string& Variant::Text() const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  ThrowMismatch();
}

DateTime Variant::Date() const {
  if (const auto* d = std::get_if<DateTime>(&value_)) return *d;
  ThrowMismatch();
}

Decimal Variant::ToDecimal() const {
  switch (Type()) {
    case VarType::Empty: return {};
    case VarType::Null: ThrowNull();
    case VarType::Boolean: return Decimal::FromInt(std::get<bool>(value_) ? -1 : 0);
    case VarType::Int16: return Decimal::FromInt(std::get<int16_t>(value_));
    case VarType::Int32: return Decimal::FromInt(std::get<int32_t>(value_));
    case VarType::Int64: return Decimal::FromInt(std::get<int64_t>(value_));
    case VarType::Decimal: return std::get<Decimal>(value_);
    case VarType::Double: return Decimal::FromDouble(std::get<double>(value_));
    case VarType::Text: {
      auto parsed = Decimal::Parse(std::get<std::string>(value_));
      if (!parsed) ThrowMismatch();
      return *parsed;
    }
    case VarType::Date: ThrowMismatch();
  }
  ThrowMismatch();
}

double Variant::ToDouble() const {
  switch (Type()) {
    case VarType::Double: return std::get<double>(value_);
    case VarType::Text: {
      auto parsed = Decimal::Parse(std::get<std::string>(value_));
      if (!parsed) ThrowMismatch();
      return parsed->ToDouble();
    }
    default: return ToDecimal().ToDouble();
  }
}

int64_t Variant::ToInt64() const {
  switch (Type()) {
    case VarType::Int16: return std::get<int16_t>(value_);
    case VarType::Int32: return std::get<int32_t>(value_);
    case VarType::Int64: return std::get<int64_t>(value_);
    default: {
      const Decimal d = ToDecimal();
      // Half to even, as the runtime's integer conversions round.
      const Decimal whole = d.Round(0);
      const Decimal diff = d - d.Trunc();
      Decimal r = whole;
      if (diff == Decimal::FromParts(d.Sign() < 0 ? -5 : 5, 1)) {
        const int64_t t = d.Trunc().TruncToInt64();
        r = Decimal::FromInt(t % 2 == 0 ? t : t + d.Sign());
      }
      return r.TruncToInt64();
    }
  }
}

int32_t Variant::ToInt32() const {
  const int64_t v = ToInt64();
  if (v < INT32_MIN || v > INT32_MAX) ThrowOverflow();
  return static_cast<int32_t>(v);
}

int16_t Variant::ToInt16() const {
  const int64_t v = ToInt64();
  if (v < INT16_MIN || v > INT16_MAX) ThrowOverflow();
  return static_cast<int16_t>(v);
}

bool Variant::ToBool() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b;
  if (IsText()) {
    const std::string t = Trim(Text());
    if (t == "True" || t == "true" || t == "TRUE") return true;
    if (t == "False" || t == "false" || t == "FALSE") return false;
  }
  return !ToDecimal().IsZero();
}

DateTime Variant::ToDate() const {
  if (IsDate()) return Date();
  if (IsNull()) ThrowNull();
  if (IsText()) {
    if (auto d = DateTime::Parse(Text())) return *d;
  }
  ThrowMismatch();
}

std::string Variant::ToText() const {
  switch (Type()) {
    case VarType::Empty: return {};
    case VarType::Null: ThrowNull();
    case VarType::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case VarType::Int16: return std::to_string(std::get<int16_t>(value_));
    case VarType::Int32: return std::to_string(std::get<int32_t>(value_));
    case VarType::Int64: return std::to_string(std::get<int64_t>(value_));
    case VarType::Decimal: return std::get<Decimal>(value_).ToString();
    case VarType::Double: return DoubleText(std::get<double>(value_));
    case VarType::Text: return std::get<std::string>(value_);
    case VarType::Date: return std::get<DateTime>(value_).ToIsoText();
  }
  return {};
}

std::string Variant::JoinedText() const { return IsNull() ? std::string() : ToText(); }

std::string RTrim(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string LTrim(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  return begin == std::string_view::npos ? std::string() : std::string(text.substr(begin));
}

std::string Trim(std::string_view text) { return LTrim(RTrim(text)); }

std::string ShortenedForMessage(std::string_view text, size_t characters) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (count++ == characters) return std::string(text.substr(0, i)) + "…";
  }
  return std::string(text);
}

std::string FillPlaces(std::string_view text, const std::vector<std::string>& values) {
  std::string out;
  out.reserve(text.size());
  const auto digit = [&text](size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && digit(i + 1) && text[i + 1] != '0') {
      // The longest place that has a value: %10 before %1.
      const size_t two = digit(i + 2) ? static_cast<size_t>((text[i + 1] - '0') * 10 + (text[i + 2] - '0')) : 0;
      const auto one = static_cast<size_t>(text[i + 1] - '0');
      if (two >= 10 && two <= values.size()) {
        out += values[two - 1];
        i += 2;
        continue;
      }
      if (one <= values.size()) {
        out += values[one - 1];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  size_t pos = 0;
  for (;;) {
    const size_t hit = text.find(what, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(with);
    pos = hit + what.size();
  }
  out.append(text.substr(pos));
  return out;
}

Variant JoinTexts(const Variant& a, const Variant& b) {
  if (a.IsNull() && b.IsNull()) return Variant::Null();
  return a.JoinedText() + b.JoinedText();
}

Variant Add(const Variant& a, const Variant& b) {
  return Arithmetic(
      a, b, [](int64_t x, int64_t y, int64_t* r) { return __builtin_add_overflow(x, y, r); },
      [](double x, double y) { return x + y; }, [](Decimal x, Decimal y) { return Variant(x + y); });
}

Variant Subtract(const Variant& a, const Variant& b) {
  return Arithmetic(
      a, b, [](int64_t x, int64_t y, int64_t* r) { return __builtin_sub_overflow(x, y, r); },
      [](double x, double y) { return x - y; }, [](Decimal x, Decimal y) { return Variant(x - y); });
}

Variant Multiply(const Variant& a, const Variant& b) {
  return Arithmetic(
      a, b, [](int64_t x, int64_t y, int64_t* r) { return __builtin_mul_overflow(x, y, r); },
      [](double x, double y) { return x * y; }, [](Decimal x, Decimal y) { return Variant(x * y); });
}

Variant Divide(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return Variant::Null();
  if (Promote(a, b) == Rank::Decimal) return a.ToDecimal() / b.ToDecimal();
  const double divisor = b.ToDouble();
  if (divisor == 0) throw Error(kErrDivisionByZero, "Division by zero", "Variant");
  return a.ToDouble() / divisor;
}

int CompareNumbers(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) ThrowNull();
  if (a.Type() == VarType::Double && b.Type() == VarType::Double) {
    const double x = a.ToDouble();
    const double y = b.ToDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  const auto order = a.ToDecimal() <=> b.ToDecimal();
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace host
