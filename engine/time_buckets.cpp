#include "engine/time_buckets.h"

#include <array>
#include <cctype>

#include "host/recordset/table.h"

namespace engine {
namespace {

// The ISO week's year: the calendar year, less one for the last days of
// a week 52/53 that spill into January, plus one for the first days of a
// week 1 that begin in December.
#define QV_DATAREG "PD44_DATAREG"
constexpr const char* kIsoWeek = "DATEPART(ISO_WEEK, " QV_DATAREG ")";

constexpr std::array<TimeBucket, 3> kBuckets{{
    {"Anno reg.vers.", kYearColumn, "CAST(YEAR(" QV_DATAREG ") AS CHAR(4))"},
    {"Mese reg.vers.", kMonthColumn,
     "CAST(YEAR(" QV_DATAREG ") AS CHAR(4)) + '-' + RIGHT('0' + CAST(MONTH(" QV_DATAREG ") AS VARCHAR(2)), 2)"},
    {"Settimana reg.vers.", kWeekColumn,
     "CAST(YEAR(" QV_DATAREG ") + CASE WHEN MONTH(" QV_DATAREG ") = 1 AND DATEPART(ISO_WEEK, " QV_DATAREG
     ") > 50 THEN -1 WHEN MONTH(" QV_DATAREG ") = 12 AND DATEPART(ISO_WEEK, " QV_DATAREG
     ") = 1 THEN 1 ELSE 0 END AS CHAR(4)) + '-W' + RIGHT('0' + CAST(DATEPART(ISO_WEEK, " QV_DATAREG
     ") AS VARCHAR(2)), 2)"},
}};
#undef QV_DATAREG

constexpr std::array<const char*, 12> kItalianMonths{"gen", "feb", "mar", "apr", "mag", "giu",
                                                     "lug", "ago", "set", "ott", "nov", "dic"};

}  // namespace

const TimeBucket* FindTimeBucket(std::string_view column) {
  const std::string upper = host::UpperAscii(std::string(column));
  for (const auto& b : kBuckets) {
    if (upper == b.column) return &b;
  }
  return nullptr;
}

const TimeBucket* TimeBuckets(size_t* count) {
  *count = kBuckets.size();
  return kBuckets.data();
}

std::string TimeBucketText(std::string_view column, std::string_view value, std::string_view language) {
  const std::string text(value);
  const TimeBucket* bucket = FindTimeBucket(column);
  if (bucket == nullptr || std::string_view(bucket->column) != kMonthColumn || language != "it") return text;
  const auto digits = [&](size_t from, size_t n) {
    for (size_t i = from; i < from + n; ++i) {
      if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) return false;
    }
    return true;
  };
  if (text.size() != 7 || text[4] != '-' || !digits(0, 4) || !digits(5, 2)) return text;
  const int month = std::stoi(text.substr(5, 2));
  if (month < 1 || month > 12) return text;
  return std::string(kItalianMonths[static_cast<size_t>(month - 1)]) + " " + text.substr(0, 4);
}

}  // namespace engine
