#include "engine/phase_calculation.h"

#include "engine/value_helpers.h"

#include <optional>

namespace engine {

using host::Variant;

namespace {

Variant Zero() { return int16_t{0}; }
bool IsZero(const Variant& v) { return host::CompareNumbers(v, Zero()) == 0; }
bool Positive(const Variant& v) { return host::CompareNumbers(v, Zero()) > 0; }

// The 28 formula values: the call's seven, then the phase row's fields in
// the order each source gives them. The call's seven are the base time and
// the pieces of the kind computed, the quantity, the kind (1 processing,
// 2 set-up) and three zeros.
std::array<Variant, 28> FormulaValues(const PhaseRow& row, const PhaseColumns& at, PhaseSourceKind kind,
                                      const BookingKeys& booking, const Variant& base, const Variant& pieces,
                                      const Variant& quantity, int16_t time_kind) {
  const auto get = [&](int index) { return ColumnValue(row.table, row.row, index); };
  std::array<Variant, 28> v;
  v[0] = base;
  v[1] = pieces;
  v[2] = quantity;
  v[3] = time_kind;
  v[4] = v[5] = v[6] = Zero();
  size_t i = 7;
  if (kind == PhaseSourceKind::Order) {
    const PhaseColumns::Kind& c = at.order;
    for (const Variant& value : {booking.numreg,
                                 booking.order_row,
                                 get(at.detail),
                                 booking.phase,
                                 booking.department,
                                 get(at.alternative_machine),
                                 get(c.ident),
                                 get(c.setup_unit),
                                 get(c.setup_time),
                                 get(c.setup_pieces),
                                 get(c.run_unit),
                                 get(c.run_time),
                                 get(c.total_unit),
                                 get(c.total_time),
                                 get(c.pieces_per_unit),
                                 get(c.wait_unit),
                                 get(c.wait),
                                 get(c.queue_unit),
                                 get(c.queue),
                                 get(at.phase_id),
                                 row.lot}) {
      v[i++] = value;
    }
  } else {
    const PhaseColumns::Kind& c = at.cycle;
    for (const Variant& value :
         {get(at.cycle_id), booking.phase, booking.department, get(at.machine), get(c.ident), get(c.setup_unit),
          get(c.setup_time), get(c.setup_pieces), get(c.run_unit), get(c.run_time), get(c.total_unit),
          get(c.total_time), get(c.pieces_per_unit), get(c.wait_unit), get(c.wait), get(c.queue_unit), get(c.queue),
          row.lot}) {
      v[i++] = value;
    }
  }
  return v;
}

}  // namespace

Variant PhaseRow::Get(std::string_view column) const {
  if (column == "PD95_LOTTORIF") return lot;
  if (table == nullptr) return {};
  const int index = table->FieldIndex(column);
  return index < 0 ? Variant() : table->Get(row, static_cast<size_t>(index));
}

Variant PhaseRow::Get(int PhaseColumns::*position, std::string_view name) const {
  return columns != nullptr ? ColumnValue(table, row, columns->*position) : Get(name);
}

Variant PhaseTimes::Total() const {
  return host::Add(host::Add(host::Add(host::Add(host::Add(TLAV, TSET), TATT), TCODA), MLAV), MSET);
}

Variant UnitFactor(const Variant& indicator) {
  const Variant n = ValoreNumerico(indicator);
  switch (n.IsNumber() ? n.ToInt64() : -1) {
    case 0: return int32_t{1};
    case 1: return int32_t{60};
    case 2: return int32_t{3600};
    case 3: return int32_t{86400};
    case 4: return host::Decimal::FromInt(3) / host::Decimal::FromInt(5);
    default: return {};
  }
}

BookingKeys PhaseRowKeys(const PhaseRow& row, PhaseSourceKind kind, std::string article, std::string option) {
  BookingKeys keys;
  keys.article = std::move(article);
  keys.option = std::move(option);
  std::optional<PhaseColumns> found;
  const PhaseColumns& at = row.columns != nullptr ? *row.columns : found.emplace(row.table);
  const auto get = [&](int index) { return ColumnValue(row.table, row.row, index); };
  if (kind == PhaseSourceKind::Order) {
    keys.numreg = get(at.order_numreg);
    keys.order_row = get(at.order_line);
    keys.phase = get(at.order_phase);
    keys.department = get(at.order_department);
  } else {
    keys.phase = get(at.cycle_phase);
    keys.department = get(at.cycle_department);
  }
  return keys;
}

bool SameFormulaKeys(const BookingKeys& a, const BookingKeys& b, PhaseSourceKind kind) {
  // FormulaValues reads the order and line of an order phase only.
  if (kind == PhaseSourceKind::Order && !(a.numreg == b.numreg && a.order_row == b.order_row)) return false;
  return a.phase == b.phase && a.department == b.department;
}

PhaseTimes ComputePhase(const PhaseRow& row, PhaseSourceKind kind, const std::vector<WorkerRow>& workers,
                        const Variant& quantity, const PhaseOptions& options, const BookingKeys& booking,
                        const FormulaEvaluator& formula) {
  return ComputePhase(row, kind, workers, quantity, options, [&]() -> const BookingKeys& { return booking; }, formula);
}

PhaseTimes ComputePhase(const PhaseRow& row, PhaseSourceKind kind, const std::vector<WorkerRow>& workers,
                        const Variant& quantity, const PhaseOptions& options, const BookingKeysReader& booking,
                        const FormulaEvaluator& formula) {
  // The columns' positions: the row's own, else found here.
  std::optional<PhaseColumns> found;
  const PhaseColumns& at = row.columns != nullptr ? *row.columns : found.emplace(row.table);
  const PhaseColumns::Kind& col = kind == PhaseSourceKind::Order ? at.order : at.cycle;
  const auto get = [&](int index) { return ColumnValue(row.table, row.row, index); };
  const auto num = [&](int index) { return ValoreNumerico(get(index)); };
  const std::string cycle = host::RTrim(get(at.cycle_code).JoinedText());
  PhaseTimes t;
  t.TLAV = t.TSET = t.TATT = t.TCODA = t.MLAV = t.MSET = Zero();
  const Variant lot = ValoreNumerico(row.lot);

  // Machine times, from a formula when the phase has one.
  const std::string setup_formula = host::RTrim(get(col.setup_formula).JoinedText());
  t.TSET = setup_formula.empty() ? num(col.setup_time)
                                 : formula(setup_formula, cycle,
                                           FormulaValues(row, at, kind, booking(), num(col.setup_time),
                                                         num(col.setup_pieces), quantity, 2));
  const std::string run_formula = host::RTrim(get(col.run_formula).JoinedText());
  t.TLAV = run_formula.empty() ? num(col.run_time)
                               : formula(run_formula, cycle,
                                         FormulaValues(row, at, kind, booking(), num(col.run_time),
                                                       num(col.pieces_per_unit), quantity, 1));
  // Run time in seconds, per piece, times the quantity.
  if (Variant f = UnitFactor(get(col.run_unit)); !f.IsEmpty()) t.TLAV = host::Multiply(t.TLAV, f);
  t.NP = num(col.pieces_per_unit);
  if (IsZero(t.NP)) t.NP = IsZero(lot) ? Variant(int16_t{1}) : lot;
  t.TLAV = host::Multiply(host::Divide(t.TLAV, t.NP), quantity);
  // Set-up in seconds, once per started set-up lot.
  if (Variant f = UnitFactor(get(col.setup_unit)); !f.IsEmpty()) t.TSET = host::Multiply(t.TSET, f);
  t.NPS = num(col.setup_pieces);
  if (!IsZero(lot) && IsZero(t.NPS)) t.NPS = lot;
  t.NS = int16_t{1};
  if (Positive(t.NPS)) {
    Variant r = host::Divide(quantity, t.NPS);
    const host::Decimal whole = r.ToDecimal().Floor();
    if (host::CompareNumbers(host::Subtract(r, whole), Zero()) > 0) r = whole + host::Decimal::FromInt(1);
    t.TSET = host::Multiply(t.TSET, r);
    t.NS = r;
  }
  // Wait and queue, unless left out.
  if (!options.exclude_wait) {
    const Variant f = UnitFactor(get(col.wait_unit));
    if (!f.IsEmpty()) t.TATT = host::Multiply(num(col.wait), f);
  }
  if (!options.exclude_queue) {
    const Variant f = UnitFactor(get(col.queue_unit));
    if (!f.IsEmpty()) t.TCODA = host::Multiply(num(col.queue), f);
  }
  // Workers, split by operation.
  for (const WorkerRow& w : workers) {
    const Variant f = UnitFactor(w.unit);
    if (f.IsEmpty()) continue;
    const Variant v = host::Multiply(ValoreNumerico(w.total), f);
    if (host::CompareNumbers(ValoreNumerico(w.operation), int16_t{1}) == 0) {
      t.MLAV = host::Add(t.MLAV, v);
    } else {
      t.MSET = host::Add(t.MSET, v);
    }
  }
  t.MLAV = host::Multiply(host::Divide(t.MLAV, t.NP), quantity);
  if (Positive(t.NPS)) t.MSET = host::Multiply(t.MSET, t.NS);
  return t;
}

}  // namespace engine
