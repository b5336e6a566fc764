// The five record sets of one comparison run and the fixed layouts of three
// of them: the field metadata RSCampi, the group totals RSTempiPrev and the
// per-booking comparison RSTempiPrevDett.
#pragma once

#include <array>
#include <string_view>

#include "engine/form_services.h"
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

// Appends the 70 time fields (7 categories × 10) to an unopened record set.
void AppendTimeFields(host::RecordSet& records);

// Field layouts (unopened record sets with their fields).
host::RecordSetPtr NewRSCampi();
host::RecordSetPtr NewRSTempiPrev();
host::RecordSetPtr NewRSTempiPrevDett();

// Releases all five record sets and creates RSCampi, RSTempiPrev and
// RSTempiPrevDett anew, open and empty. A failure is reported as
// "InizializzaRS"; what was built so far stays.
void InizializzaRS(FormServices& form, RunRecordSets& run);

}  // namespace engine
