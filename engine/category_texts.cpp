#include "engine/category_texts.h"

#include "engine/group_totals.h"
#include "engine/oms.h"
#include "engine/time_unit.h"

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

CategorySeconds SecondsOf(const host::RecordSet& rs, const std::vector<std::string_view>& suffixes, int16_t unit) {
  CategorySeconds out;
  for (const auto suffix : suffixes) {
    const std::string s(suffix);
    ValoriCategoria planned;
    planned.OREPREV = rs.Value("OREPREV" + s);
    planned.MINPREV = rs.Value("MINPREV" + s);
    planned.SECPREV = rs.Value("SECPREV" + s);
    ValoriCategoria booked;
    booked.OREPREV = rs.Value("OREVERS" + s);
    booked.MINPREV = rs.Value("MINVERS" + s);
    booked.SECPREV = rs.Value("SECVERS" + s);
    out.planned = host::Add(out.planned, PlannedSeconds(planned, unit));
    out.booked = host::Add(out.booked, PlannedSeconds(booked, unit));
  }
  return out;
}

std::string TimeText(const Variant& seconds, int16_t unit) {
  const host::Decimal s = seconds.ToDecimal();
  switch (unit) {
    case kOreMinutiSecondi: return OmsText(s.Round(0).TruncToInt64(), false);
    case kOreDecimali: return (s / host::Decimal::FromInt(3600)).ToFixed(2);
    case kMinutiDecimali: return (s / host::Decimal::FromInt(60)).ToFixed(2);
    default: return s.ToFixed(2);
  }
}

std::string GapText(const Variant& planned, const Variant& booked, int16_t unit) {
  const host::Decimal gap = booked.ToDecimal() - planned.ToDecimal();
  if (unit == kOreMinutiSecondi) return OmsText(gap.Round(0).TruncToInt64(), true);
  return TimeText(gap, unit);
}

std::string GapPercentText(const Variant& planned, const Variant& booked) {
  if (planned.ToDecimal().IsZero()) return "";
  const host::Decimal p =
      (booked.ToDecimal() / planned.ToDecimal() - host::Decimal::FromInt(1)) * host::Decimal::FromInt(100);
  return p.Round(2).ToFixed(2);
}

}  // namespace engine
