#include "host/value/date_time.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace host {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

std::chrono::year_month_day CivilDay(int64_t seconds) {
  const std::chrono::sys_days day{std::chrono::days{FloorDiv(seconds, kSecondsPerDay)}};
  return std::chrono::year_month_day{day};
}

// Reads exactly `count` digits at text[pos]; advances pos.
std::optional<int> Digits(std::string_view text, size_t& pos, size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[pos + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  pos += count;
  return value;
}

// Reads one or two digits (day and month in the Italian form may be short).
std::optional<int> ShortDigits(std::string_view text, size_t& pos) {
  auto first = Digits(text, pos, 1);
  if (!first) return std::nullopt;
  size_t probe = pos;
  if (auto second = Digits(text, probe, 1)) {
    pos = probe;
    return *first * 10 + *second;
  }
  return first;
}

bool Expect(std::string_view text, size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

}  // namespace

std::optional<DateTime> DateTime::FromParts(int year, int month, int day, int hour, int minute, int second) {
  const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                        std::chrono::day{static_cast<unsigned>(day)}};
  if (!ymd.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  const int64_t days = std::chrono::sys_days{ymd}.time_since_epoch().count();
  return DateTime(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

std::optional<DateTime> DateTime::Parse(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t pos = 0;
  std::optional<int> year;
  std::optional<int> month;
  std::optional<int> day;
  if (text.size() >= 5 && text[2] != '/' && text[1] != '/') {
    year = Digits(text, pos, 4);
    if (!year) return std::nullopt;
    if (Expect(text, pos, '-')) {
      month = Digits(text, pos, 2);
      if (!Expect(text, pos, '-')) return std::nullopt;
      day = Digits(text, pos, 2);
    } else {
      month = Digits(text, pos, 2);
      day = Digits(text, pos, 2);
    }
  } else {
    day = ShortDigits(text, pos);
    if (!Expect(text, pos, '/')) return std::nullopt;
    month = ShortDigits(text, pos);
    if (!Expect(text, pos, '/')) return std::nullopt;
    year = Digits(text, pos, 4);
  }
  if (!year || !month || !day) return std::nullopt;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (pos < text.size()) {
    if (!Expect(text, pos, ' ') && !Expect(text, pos, 'T')) return std::nullopt;
    auto h = ShortDigits(text, pos);
    if (!h || !Expect(text, pos, ':')) return std::nullopt;
    auto m = Digits(text, pos, 2);
    if (!m) return std::nullopt;
    hour = *h;
    minute = *m;
    if (Expect(text, pos, ':')) {
      auto s = Digits(text, pos, 2);
      if (!s) return std::nullopt;
      second = *s;
      // Fractions of a second (".000") from database texts are dropped.
      if (Expect(text, pos, '.')) {
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
      }
    }
    if (pos != text.size()) return std::nullopt;
  }
  return FromParts(*year, *month, *day, hour, minute, second);
}

int DateTime::Year() const { return static_cast<int>(CivilDay(seconds_).year()); }
int DateTime::Month() const { return static_cast<int>(static_cast<unsigned>(CivilDay(seconds_).month())); }
int DateTime::Day() const { return static_cast<int>(static_cast<unsigned>(CivilDay(seconds_).day())); }
int64_t DateTime::SecondOfDay() const { return seconds_ - FloorDiv(seconds_, kSecondsPerDay) * kSecondsPerDay; }
int DateTime::Hour() const { return static_cast<int>(SecondOfDay() / 3600); }
int DateTime::Minute() const { return static_cast<int>(SecondOfDay() % 3600 / 60); }
int DateTime::Second() const { return static_cast<int>(SecondOfDay() % 60); }

std::string DateTime::ToIsoText() const {
  std::array<char, 48> buffer{};
  if (HasTime()) {
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d %02d:%02d:%02d", Year(), Month(), Day(), Hour(),
                  Minute(), Second());
  } else {
    std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02d", Year(), Month(), Day());
  }
  return buffer.data();
}

std::string DateTime::ToItalianText() const {
  std::array<char, 48> buffer{};
  if (HasTime()) {
    std::snprintf(buffer.data(), buffer.size(), "%02d/%02d/%04d %02d:%02d:%02d", Day(), Month(), Year(), Hour(),
                  Minute(), Second());
  } else {
    std::snprintf(buffer.data(), buffer.size(), "%02d/%02d/%04d", Day(), Month(), Year());
  }
  return buffer.data();
}

}  // namespace host
