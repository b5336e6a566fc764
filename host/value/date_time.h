// A calendar date and time of day to the second, without time zone: the ERP
// stores local civil times and the module compares them as they stand.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

class DateTime {
 public:
  constexpr DateTime() = default;
  // Seconds since 1970-01-01 00:00:00 (civil, no zone); any int64 is valid.
  static constexpr DateTime FromSeconds(int64_t seconds) { return DateTime(seconds); }
  // Checked construction; nullopt for an impossible date or time.
  static std::optional<DateTime> FromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
  // Accepts "YYYY-MM-DD", "YYYYMMDD", "DD/MM/YYYY" (the Italian order), each
  // optionally followed by " HH:MM[:SS]" (or "T" instead of the blank), with
  // blanks around. Anything else answers nullopt.
  static std::optional<DateTime> Parse(std::string_view text);

  [[nodiscard]] constexpr int64_t Seconds() const { return seconds_; }
  [[nodiscard]] int Year() const;
  [[nodiscard]] int Month() const;
  [[nodiscard]] int Day() const;
  [[nodiscard]] int Hour() const;
  [[nodiscard]] int Minute() const;
  [[nodiscard]] int Second() const;
  [[nodiscard]] bool HasTime() const { return SecondOfDay() != 0; }

  // "YYYY-MM-DD", with " HH:MM:SS" when the time is not midnight.
  [[nodiscard]] std::string ToIsoText() const;
  // "DD/MM/YYYY", with " HH:MM:SS" when the time is not midnight.
  [[nodiscard]] std::string ToItalianText() const;

  friend constexpr auto operator<=>(const DateTime&, const DateTime&) = default;

 private:
  explicit constexpr DateTime(int64_t seconds) : seconds_(seconds) {}
  [[nodiscard]] int64_t SecondOfDay() const;
  int64_t seconds_ = 0;
};

}  // namespace host
