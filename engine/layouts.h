// The five record sets of one comparison run and the fixed layouts of three
// of them: the field metadata RSCampi, the group totals RSTempiPrev and the
// per-booking comparison RSTempiPrevDett.
#pragma once

#include <array>
#include <string_view>

#include "engine/run_context.h"
#include "host/recordset/recordset.h"

namespace engine {

struct RunRecordSets {
  host::RecordSetPtr RSCampi;          // field metadata: one row per showable field
  host::RecordSetPtr RSTempiVer;       // grouped booking query
  host::RecordSetPtr RSTempiVerDett;   // per-booking query
  host::RecordSetPtr RSTempiPrev;      // group totals, keyed by IDGRUPPO
  host::RecordSetPtr RSTempiPrevDett;  // per-booking comparison, keyed by IDVERS
};

// Category suffixes, in field order: total, processing, set-up, machine and
// labour time of each.
inline constexpr std::array<std::string_view, 7> kCategorySuffixes{"",        "_LAV",    "_SET",   "_MACLAV",
                                                                   "_MACSET", "_MANLAV", "_MANSET"};
// The ten time fields of each category, in field order.
inline constexpr std::array<std::string_view, 10> kTimeFieldBases{
    "OREPREV", "MINPREV", "SECPREV", "OREVERS", "MINVERS", "SECVERS", "OMSPREV", "OMSVERS", "GAP", "GAPPERC"};

// The positions of the 70 time fields in a record set that has them:
// At(category, base) in the order of kCategorySuffixes and kTimeFieldBases.
// Made once, it spares a look-up by name for every value written.
class TimeFieldIndex {
 public:
  // Throws kErrItemNotFound, naming the field, when one is missing.
  explicit TimeFieldIndex(const host::RecordSet& records);
  [[nodiscard]] size_t At(size_t category, size_t base) const { return at_[category][base]; }

 private:
  std::array<std::array<size_t, 10>, 7> at_{};
};

// The bases' positions in kTimeFieldBases.
enum TimeFieldBase : size_t { kOrePrev, kMinPrev, kSecPrev, kOreVers, kMinVers, kSecVers, kOmsPrev, kOmsVers, kGap, kGapPerc };

// Appends the 70 time fields (7 categories × 10) to an unopened record set.
void AppendTimeFields(host::RecordSet& records);

// Field layouts (unopened record sets with their fields).
host::RecordSetPtr NewRSCampi();
host::RecordSetPtr NewRSTempiPrev();
host::RecordSetPtr NewRSTempiPrevDett();

// Releases all five record sets and creates RSCampi, RSTempiPrev and
// RSTempiPrevDett anew, open and empty. A failure is reported as
// "InizializzaRS"; what was built so far stays.
void InizializzaRS(RunContext& context, RunRecordSets& run);

}  // namespace engine
