#include "engine/relative_dates.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace engine {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

enum class Kind { Today, ThisMonth, LastMonth, LastWeek, ThisYear, Last30Days };

struct Name {
  const char* italian;
  const char* english;
  Kind kind;
};

constexpr std::array<Name, 6> kNames{{{"@oggi", "@today", Kind::Today},
                                      {"@mese-corrente", "@this-month", Kind::ThisMonth},
                                      {"@mese-scorso", "@last-month", Kind::LastMonth},
                                      {"@settimana-scorsa", "@last-week", Kind::LastWeek},
                                      {"@anno-corrente", "@this-year", Kind::ThisYear},
                                      {"@ultimi-30-giorni", "@last-30-days", Kind::Last30Days}}};

DayRange WholeMonth(std::chrono::year_month ym) {
  return {ym / std::chrono::day{1}, year_month_day{ym / std::chrono::last}};
}

}  // namespace

std::optional<DayRange> ResolveRelativeDate(std::string_view text, year_month_day today) {
  const std::string name = host::UpperAscii(host::Trim(text));
  for (const Name& n : kNames) {
    if (name != host::UpperAscii(n.italian) && name != host::UpperAscii(n.english)) continue;
    const sys_days day{today};
    switch (n.kind) {
      case Kind::Today: return DayRange{today, today};
      case Kind::ThisMonth: return WholeMonth(today.year() / today.month());
      case Kind::LastMonth: return WholeMonth(today.year() / today.month() - std::chrono::months{1});
      case Kind::LastWeek: {
        // Days since Monday (ISO: Monday 0 … Sunday 6).
        const auto since_monday = (std::chrono::weekday{day}.iso_encoding() + 6) % 7;
        const sys_days monday = day - days{since_monday} - days{7};
        return DayRange{year_month_day{monday}, year_month_day{monday + days{6}}};
      }
      case Kind::ThisYear:
        return DayRange{today.year() / std::chrono::January / 1, today.year() / std::chrono::December / 31};
      case Kind::Last30Days: return DayRange{year_month_day{day - days{29}}, today};
    }
  }
  return std::nullopt;
}

const std::vector<std::string>& RelativeDateNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const Name& n : kNames) out.emplace_back(n.italian);
    for (const Name& n : kNames) out.emplace_back(n.english);
    return out;
  }();
  return names;
}

std::string IsoDay(year_month_day day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()), static_cast<unsigned>(day.month()),
                static_cast<unsigned>(day.day()));
  return text;
}

year_month_day LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} / std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
         std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

std::vector<std::string> ResolveRelativeDates(host::QueryControl& query, year_month_day today) {
  std::vector<std::string> resolved;
  for (const auto& field : query.Fields()) {
    if (!field.IsDate()) continue;
    const host::Variant from = query.FromValue(field.column);
    const host::Variant to = query.ToValue(field.column);
    const auto text = [](const host::Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); };
    const auto from_range = ResolveRelativeDate(text(from), today);
    const auto to_range = ResolveRelativeDate(text(to), today);
    if (!from_range && !to_range) continue;
    const bool alone = from_range && text(to).empty() && !query.Onwards(field.column);
    std::string first = text(from), last = text(to);
    if (from_range) first = IsoDay(from_range->first);
    if (alone) last = IsoDay(from_range->last);
    if (to_range) last = IsoDay(to_range->last);
    query.SetFrom(field.column, first.empty() ? host::Variant() : host::Variant(first));
    query.SetTo(field.column, last.empty() ? host::Variant() : host::Variant(last));
    std::string written = host::Trim(text(from));
    if (!text(to).empty() || query.Onwards(field.column)) written += ".." + host::Trim(text(to));
    resolved.push_back(field.caption + ": " + written + " = " + first + ".." + last);
  }
  return resolved;
}

}  // namespace engine
