// How a group's or a booking's planned and booked times read, category by
// category, in the chosen unit: the texts that the terminal table, the
// results form's grids, the print and the export all show. Without Qt.
//
// Seconds come back from a record's unit values (the OREPREV/MINPREV/SECPREV
// of unit 0, the unit's member otherwise), so every reader shows the figures
// that the record holds. A planned time of 0 gives an empty percent, never
// a figure that looks like data.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/layouts.h"
#include "host/recordset/recordset.h"
#include "host/value/variant.h"

namespace engine {

// The seven categories in field order: suffix and Italian caption.
struct CategoryName {
  std::string_view suffix, caption;
};
inline constexpr std::array<CategoryName, 7> kCategoryNames{{{"", "Totale"},
                                                             {"_LAV", "Lavorazione"},
                                                             {"_SET", "Setup"},
                                                             {"_MACLAV", "Macchina lavorazione"},
                                                             {"_MACSET", "Macchina setup"},
                                                             {"_MANLAV", "Manodopera lavorazione"},
                                                             {"_MANSET", "Manodopera setup"}}};

// The five blocks of the summary table: total, processing, set-up, machine
// (processing + set-up) and labour (processing + set-up).
struct SummaryBlock {
  std::string_view caption;
  std::vector<std::string_view> suffixes;
};
const std::vector<SummaryBlock>& SummaryBlocks();

// Planned and booked seconds of the categories `suffixes` added up, read
// from the current record of `rs` (a record of RSTempiPrev or
// RSTempiPrevDett). Throws like RecordSet::Value without a current record.
struct CategorySeconds {
  host::Variant planned = int16_t{0}, booked = int16_t{0};
};
CategorySeconds SecondsOf(const host::RecordSet& rs, const std::vector<std::string_view>& suffixes, int16_t unit);
// The same for one category (its position in kCategoryNames) of a record's
// values read once (`values[i]` is field i), its time fields already found:
// for readers of every record.
CategorySeconds SecondsOf(std::span<const host::Variant> values, const TimeFieldIndex& fields, size_t category,
                          int16_t unit);

// Seconds as the unit shows them: "h:mm:ss" (no sign), or hours, minutes or
// seconds with two decimals.
std::string TimeText(const host::Variant& seconds, int16_t unit);
// The seconds that TimeText shows of `seconds` in the unit (whole seconds
// under h:mm:ss, hours, minutes or seconds to two decimals otherwise). A
// gap and a gap % worked out from these are the ones a reader works out
// by hand from the texts beside them, as a group's record has them.
host::Decimal ShownSeconds(const host::Variant& seconds, int16_t unit);
// The gap booked − planned: with its sign ("+ 0:02:05", "- 1:00:00") under
// hh:mm:ss, else as TimeText.
std::string GapText(const host::Variant& planned, const host::Variant& booked, int16_t unit);
// (booked ÷ planned − 1) × 100 with two decimals, halves up as the records'
// GAPPERC (RoundHalfUp: -0.625 reads "-0.62"); "" when planned is 0.
std::string GapPercentText(const host::Variant& planned, const host::Variant& booked);
// planned ÷ booked × 100 with two decimals; "" when booked is 0, and when
// planned is: time booked without any plan has no efficiency, as it has no
// gap % (a 0.00 would read as data).
std::string EfficiencyText(const host::Variant& planned, const host::Variant& booked);
// Where a gap % as GapPercentText writes it lies against the band
// ±tolerance %: +1 beyond it over plan, -1 beyond it under plan, 0 inside
// it, on its edge or without a percent. The shown text decides, so that a
// cell reading "10.00" is never flagged against 10.
int ToleranceSide(const std::string& gap_percent_text, double tolerance);
// Where planned and booked figures lie against that band: by their gap %
// as above; time booked without any plan has no percent, and all of it lies
// beyond any band: +1 (-1 when what was booked is below 0). 0 when neither
// planned nor booked; Null reads as 0.
int FiguresSide(const host::Variant& planned, const host::Variant& booked, double tolerance);

// The four texts of a category as every output shows them (the table, the
// summary, the print; the records read through RecordDurations agree):
//   - neither planned nor booked: all four empty;
//   - no plan, something booked: planned empty, the booked time, the gap
//     (all of it booked), percent empty;
//   - a plan: the planned time, the booked time (0:00:00, or 0.00, when
//     nothing was booked), the gap and the percent.
struct FigureTexts {
  std::string planned, booked, gap, percent;
};
FigureTexts FigureTextsOf(const host::Variant& planned, const host::Variant& booked, int16_t unit);

}  // namespace engine
