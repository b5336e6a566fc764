#include "engine/category_texts.h"

#include <charconv>

#include "engine/group_totals.h"
#include "engine/oms.h"
#include "engine/time_unit.h"
#include "engine/value_helpers.h"

namespace engine {

using host::Variant;

const std::vector<SummaryBlock>& SummaryBlocks() {
  static const std::vector<SummaryBlock> kBlocks{{"Totale", {""}},
                                                 {"Lavorazione", {"_LAV"}},
                                                 {"Setup", {"_SET"}},
                                                 {"Macchina", {"_MACLAV", "_MACSET"}},
                                                 {"Manodopera", {"_MANLAV", "_MANSET"}}};
  return kBlocks;
}

namespace {

// Adds a category's planned and booked values (in the unit's members) as seconds.
void AddCategory(CategorySeconds& out, const Variant& planned_h, const Variant& planned_m, const Variant& planned_s,
                 const Variant& booked_h, const Variant& booked_m, const Variant& booked_s, int16_t unit) {
  out.planned = host::Add(out.planned, PlannedSeconds(planned_h, planned_m, planned_s, unit));
  out.booked = host::Add(out.booked, PlannedSeconds(booked_h, booked_m, booked_s, unit));
}

}  // namespace

CategorySeconds SecondsOf(const host::RecordSet& rs, const std::vector<std::string_view>& suffixes, int16_t unit) {
  CategorySeconds out;
  for (const auto suffix : suffixes) {
    const std::string s(suffix);
    AddCategory(out, rs.Value("OREPREV" + s), rs.Value("MINPREV" + s), rs.Value("SECPREV" + s),
                rs.Value("OREVERS" + s), rs.Value("MINVERS" + s), rs.Value("SECVERS" + s), unit);
  }
  return out;
}

CategorySeconds SecondsOf(std::span<const Variant> values, const TimeFieldIndex& fields, size_t category,
                          int16_t unit) {
  CategorySeconds out;
  const auto at = [&](TimeFieldBase base) -> const Variant& { return values[fields.At(category, base)]; };
  AddCategory(out, at(kOrePrev), at(kMinPrev), at(kSecPrev), at(kOreVers), at(kMinVers), at(kSecVers), unit);
  return out;
}

std::string TimeText(const Variant& seconds, int16_t unit) {
  const host::Decimal s = seconds.ToDecimal();
  switch (unit) {
    case kOreMinutiSecondi: return OmsText(RoundHalfUp(s, 0).TruncToInt64(), false);
    case kOreDecimali: return (s / host::Decimal::FromInt(3600)).ToFixed(2);
    case kMinutiDecimali: return (s / host::Decimal::FromInt(60)).ToFixed(2);
    default: return s.ToFixed(2);
  }
}

host::Decimal ShownSeconds(const Variant& seconds, int16_t unit) {
  const host::Decimal s = seconds.ToDecimal();
  // The roundings of TimeText, so that the text of the result is the text.
  switch (unit) {
    case kOreMinutiSecondi: return RoundHalfUp(s, 0);
    case kOreDecimali: return (s / host::Decimal::FromInt(3600)).Round(2) * host::Decimal::FromInt(3600);
    case kMinutiDecimali: return (s / host::Decimal::FromInt(60)).Round(2) * host::Decimal::FromInt(60);
    default: return s.Round(2);
  }
}

std::string GapText(const Variant& planned, const Variant& booked, int16_t unit) {
  const host::Decimal gap = booked.ToDecimal() - planned.ToDecimal();
  // Whole seconds half up, as the records' GAP (WholeSecondsOf): -2.5 s reads "- 0:00:02".
  if (unit == kOreMinutiSecondi) return OmsText(RoundHalfUp(gap, 0).TruncToInt64(), true);
  return TimeText(gap, unit);
}

std::string GapPercentText(const Variant& planned, const Variant& booked) {
  if (planned.ToDecimal().IsZero()) return "";
  const host::Decimal p =
      (booked.ToDecimal() / planned.ToDecimal() - host::Decimal::FromInt(1)) * host::Decimal::FromInt(100);
  // Half up, as the records' GAPPERC: one figure, one text in every output.
  return RoundHalfUp(p, 2).ToFixed(2);
}

FigureTexts FigureTextsOf(const Variant& planned, const Variant& booked, int16_t unit) {
  const bool has_plan = !planned.ToDecimal().IsZero();
  if (!has_plan && booked.ToDecimal().IsZero()) return {};
  return {has_plan ? TimeText(planned, unit) : std::string(), TimeText(booked, unit), GapText(planned, booked, unit),
          GapPercentText(planned, booked)};
}

std::string EfficiencyText(const Variant& planned, const Variant& booked) {
  if (booked.ToDecimal().IsZero() || planned.ToDecimal().IsZero()) return "";
  const host::Decimal p = planned.ToDecimal() / booked.ToDecimal() * host::Decimal::FromInt(100);
  return p.Round(2).ToFixed(2);
}

int ToleranceSide(const std::string& gap_percent_text, double tolerance) {
  if (gap_percent_text.empty()) return 0;
  // Not strtod: the user's locale may read "10.01" as 10.
  double percent = 0;
  const char* first = gap_percent_text.data();
  if (std::from_chars(first, first + gap_percent_text.size(), percent).ec != std::errc()) return 0;
  if (percent > tolerance) return 1;
  if (percent < -tolerance) return -1;
  return 0;
}

int FiguresSide(const Variant& planned, const Variant& booked, double tolerance) {
  const auto number = [](const Variant& v) { return v.IsNull() || v.IsEmpty() ? host::Decimal() : v.ToDecimal(); };
  if (number(planned).IsZero()) {
    const host::Decimal b = number(booked);
    return b.IsZero() ? 0 : (b < host::Decimal::FromInt(0) ? -1 : 1);
  }
  return ToleranceSide(GapPercentText(planned, booked), tolerance);
}

}  // namespace engine
