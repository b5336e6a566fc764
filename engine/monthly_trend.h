// The trend of the current group: its planned and booked times and the gap
// per month of registration (PD44_DATAREG), from the group's bookings in
// memory (no statement; the phase rows come from the run's phase source).
//
// The months add up to the group's figures for the whole period. Booked:
// each booking's seconds (VERSTOTSEC) in its month. Planned: each phase of
// the group planned once, as the group totals plan it (with the quantity of
// the first of its bookings in the group's order), and counted in the
// earliest month of registration among its bookings. So a phase booked in
// March and April is planned in March only, and a month
// whose bookings are all of phases begun earlier shows booked time without a
// plan; grouping by "Mese reg.vers." instead plans such a phase in every
// month of its own. Months come in order; a month without bookings is not
// listed.
#pragma once

#include <string>
#include <vector>

#include "engine/group_totals.h"
#include "engine/layouts.h"

namespace engine {

struct MonthFigures {
  std::string month;         // "2026-03"
  host::Variant planned;     // seconds (Decimal)
  host::Variant booked;      // seconds (Decimal)
  int64_t bookings = 0;
};

// The band drawn around the plan when no tolerance is chosen: ±10 %.
inline constexpr double kTrendTolerancePercent = 10.0;

// The months of the bookings that RSTempiVerDett holds now (the current
// group's, once GroupTotals::TempiPreventivi filtered them). Throws
// host::Error when a phase's planned time cannot be read.
std::vector<MonthFigures> MonthlyTrend(GroupTotals& totals, RunRecordSets& records, int16_t unit);

// The export's table "AndamentoMensile": one row per group and month with
// IDGRUPPO, MESE, PREVISTO, VERSATO, SCOST (texts as the unit shows them),
// PREV_SEC, VERS_SEC, SCOST_SEC (seconds) and SCOSTPERC (two decimals,
// Null without a plan); SCOST and SCOSTPERC are those of PREVISTO and
// VERSATO as shown (ShownSeconds), as a group's are. Visits every group
// (RSTempiVer ends on its first).
host::RecordSetPtr AndamentoMensile(GroupTotals& totals, RunRecordSets& records, int16_t unit);

class Comparison;
// The same for a run, on clones of its record sets: the grids over the run's
// own do not move. What it has to say goes to the run's context.
host::RecordSetPtr AndamentoMensile(Comparison& run);

}  // namespace engine
