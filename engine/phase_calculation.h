// The planned time of one production phase, in seconds, from its phase row
// (order phase details or routing cycle), its workers, the quantity and the
// exclusion options: machine processing and set-up, wait, queue, labour
// processing and set-up.
//
//   TLAV = run time (or its formula) × unit factor ÷ pieces per unit × Q
//          (pieces per unit 0: the reference lot, else 1)
//   TSET = set-up time (or formula) × unit factor × set-ups, where set-ups =
//          Q ÷ set-up pieces rounded up (set-up pieces 0: the lot) when > 0
//   TATT, TCODA = wait, queue × unit factor, unless excluded
//   MLAV = Σ processing workers' times × factor ÷ pieces per unit × Q
//   MSET = Σ set-up workers' times × factor × set-ups (when set-up pieces > 0)
// Unit factors: 0 s 1, 1 min 60, 2 h 3600, 3 days 86400, 4 hundredths of a
// minute 3 ÷ 5; another indicator leaves run and set-up times unconverted
// and makes wait, queue and that worker's time count 0.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/phase_columns.h"
#include "host/recordset/table.h"
#include "host/value/variant.h"

namespace engine {

// One phase row as a planned-time query answers it. `lot` stands for the
// PD95_LOTTORIF column (0 from the default-cycle query). `columns`, when
// given, are the positions of `table`'s columns, found once for the table
// (it outlives the row); without them the calculation finds its columns
// by name, once per call.
struct PhaseRow {
  const host::Table* table = nullptr;
  size_t row = 0;
  host::Variant lot;
  const PhaseColumns* columns = nullptr;
  // The value of a column; Empty when the row has no such column.
  [[nodiscard]] host::Variant Get(std::string_view column) const;
  // The same for a column whose position `columns` knows (found once per
  // table), by `name` when the row came without them.
  [[nodiscard]] host::Variant Get(int PhaseColumns::*position, std::string_view name) const;
};

struct WorkerRow {
  host::Variant total;      // TTOTADDETTI: workers × time
  host::Variant unit;       // INDUMTEMPO
  host::Variant operation;  // INDOPERAZIONE: 1 processing, else set-up
};

enum class PhaseSourceKind { Order, Cycle };

// What the booking gives to the formula evaluator besides the phase row.
struct BookingKeys {
  host::Variant numreg, order_row, phase, department;
  std::string article, option;
};

// Evaluates a cycle formula: code, then the 28 values; answers a number in
// the phase's unit (0 when it cannot).
using FormulaEvaluator = std::function<host::Variant(const std::string& formula, const std::string& cycle,
                                                     const std::array<host::Variant, 28>& values)>;

struct PhaseTimes {
  host::Variant TLAV, TSET, TATT, TCODA, MLAV, MSET;
  host::Variant NP, NPS, NS;
  [[nodiscard]] host::Variant Total() const;
};

// What a phase's formulas see when the phase is computed from its row alone
// (a group's figures, which have no one booking): the row's own order,
// line, phase and department (a cycle row: phase and department), with
// `article` and `option`.
BookingKeys PhaseRowKeys(const PhaseRow& row, PhaseSourceKind kind, std::string article, std::string option);

// Whether a formula of a `kind` phase sees the same values under keys `a`
// as under `b`: the keys it reads are equal, of the same type (article and
// option are not compared).
bool SameFormulaKeys(const BookingKeys& a, const BookingKeys& b, PhaseSourceKind kind);

struct PhaseOptions {
  bool exclude_wait = false;   // EscludiAttesa
  bool exclude_queue = false;  // EscludiCoda
};

// Seconds per unit indicator, or Empty for an unknown indicator.
host::Variant UnitFactor(const host::Variant& indicator);

PhaseTimes ComputePhase(const PhaseRow& row, PhaseSourceKind kind, const std::vector<WorkerRow>& workers,
                        const host::Variant& quantity, const PhaseOptions& options, const BookingKeys& booking,
                        const FormulaEvaluator& formula);
// The same, with the booking's keys read only if a formula is evaluated
// (most phases have none, and the pass computes a phase for every few
// bookings): `booking` is called at most once for each formula.
using BookingKeysReader = std::function<const BookingKeys&()>;
PhaseTimes ComputePhase(const PhaseRow& row, PhaseSourceKind kind, const std::vector<WorkerRow>& workers,
                        const host::Variant& quantity, const PhaseOptions& options, const BookingKeysReader& booking,
                        const FormulaEvaluator& formula);

}  // namespace engine
