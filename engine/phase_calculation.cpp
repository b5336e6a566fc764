#include "engine/phase_calculation.h"

#include "engine/value_helpers.h"

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
std::array<Variant, 28> FormulaValues(const PhaseRow& row, PhaseSourceKind kind, const BookingKeys& booking,
                                      const Variant& base, const Variant& pieces, const Variant& quantity,
                                      int16_t time_kind) {
  std::array<Variant, 28> v;
  v[0] = base;
  v[1] = pieces;
  v[2] = quantity;
  v[3] = time_kind;
  v[4] = v[5] = v[6] = Zero();
  size_t i = 7;
  if (kind == PhaseSourceKind::Order) {
    for (const Variant& value : {booking.numreg,
                                 booking.order_row,
                                 row.Get("DO46_PROGDET"),
                                 booking.phase,
                                 booking.department,
                                 row.Get("DO46_MACCHINAALT"),
                                 row.Get("PD2A_IDENTPROG"),
                                 row.Get("PD2A_INDUMSETUP"),
                                 row.Get("PD2A_TMACSETUP"),
                                 row.Get("PD2A_NUMPEZZISETUP"),
                                 row.Get("PD2A_INDUMLAV"),
                                 row.Get("PD2A_TMACLAV"),
                                 row.Get("PD2A_INDUMTOTLAV"),
                                 row.Get("PD2A_TTOTLAV"),
                                 row.Get("PD2A_NUMPEZZIUM"),
                                 row.Get("PD2A_INDUMATTESA"),
                                 row.Get("PD2A_TATTESA"),
                                 row.Get("PD2A_INDUMCODA"),
                                 row.Get("PD2A_TCODA"),
                                 row.Get("PD2A_IDFASE"),
                                 row.lot}) {
      v[i++] = value;
    }
  } else {
    for (const Variant& value :
         {row.Get("PD48_IDCICLO"), booking.phase, booking.department, row.Get("PD48_MACCHINA_PD08"),
          row.Get("PD48_IDENTPROG"), row.Get("PD48_INDUMSETUP"), row.Get("PD48_TMACSETUP"), row.Get("PD48_NUMPEZSETUP"),
          row.Get("PD48_INDUMLAV"), row.Get("PD48_TMACLAV"), row.Get("PD48_INDUMTOTLAV"), row.Get("PD48_TTOTLAV"),
          row.Get("PD48_NUMPEZZIUM"), row.Get("PD48_INDUMATTESA"), row.Get("PD48_TATTESA"), row.Get("PD48_INDUMCODA"),
          row.Get("PD48_TCODA"), row.lot}) {
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

namespace {

// The columns the computation reads, per source (built once).
struct Columns {
  std::string formsetup, tmacsetup, setup_pieces, formlav, tmaclav, numpezzium, indumlav, indumsetup, tattesa,
      indumattesa, tcoda, indumcoda;
  explicit Columns(const std::string& p, const std::string& setup_pieces_field)
      : formsetup(p + "FORMSETUP_PD24"),
        tmacsetup(p + "TMACSETUP"),
        setup_pieces(setup_pieces_field),
        formlav(p + "FORMLAV_PD24"),
        tmaclav(p + "TMACLAV"),
        numpezzium(p + "NUMPEZZIUM"),
        indumlav(p + "INDUMLAV"),
        indumsetup(p + "INDUMSETUP"),
        tattesa(p + "TATTESA"),
        indumattesa(p + "INDUMATTESA"),
        tcoda(p + "TCODA"),
        indumcoda(p + "INDUMCODA") {}
};

const Columns& ColumnsOf(PhaseSourceKind kind) {
  static const Columns order("PD2A_", "PD2A_NUMPEZZISETUP");
  static const Columns cycle("PD48_", "PD48_NUMPEZSETUP");
  return kind == PhaseSourceKind::Order ? order : cycle;
}

}  // namespace

PhaseTimes ComputePhase(const PhaseRow& row, PhaseSourceKind kind, const std::vector<WorkerRow>& workers,
                        const Variant& quantity, const PhaseOptions& options, const BookingKeys& booking,
                        const FormulaEvaluator& formula) {
  const Columns& col = ColumnsOf(kind);
  const auto num = [&](const std::string& field) { return ValoreNumerico(row.Get(field)); };
  const std::string cycle = host::RTrim(row.Get("PD48_CICLO_PD52").JoinedText());
  PhaseTimes t;
  t.TLAV = t.TSET = t.TATT = t.TCODA = t.MLAV = t.MSET = Zero();
  const Variant lot = ValoreNumerico(row.lot);

  // Machine times, from a formula when the phase has one.
  const std::string setup_formula = host::RTrim(row.Get(col.formsetup).JoinedText());
  t.TSET = setup_formula.empty()
               ? num(col.tmacsetup)
               : formula(setup_formula, cycle,
                         FormulaValues(row, kind, booking, num(col.tmacsetup), num(col.setup_pieces), quantity, 2));
  const std::string run_formula = host::RTrim(row.Get(col.formlav).JoinedText());
  t.TLAV = run_formula.empty()
               ? num(col.tmaclav)
               : formula(run_formula, cycle,
                         FormulaValues(row, kind, booking, num(col.tmaclav), num(col.numpezzium), quantity, 1));
  // Run time in seconds, per piece, times the quantity.
  if (Variant f = UnitFactor(row.Get(col.indumlav)); !f.IsEmpty()) t.TLAV = host::Multiply(t.TLAV, f);
  t.NP = num(col.numpezzium);
  if (IsZero(t.NP)) t.NP = IsZero(lot) ? Variant(int16_t{1}) : lot;
  t.TLAV = host::Multiply(host::Divide(t.TLAV, t.NP), quantity);
  // Set-up in seconds, once per started set-up lot.
  if (Variant f = UnitFactor(row.Get(col.indumsetup)); !f.IsEmpty()) t.TSET = host::Multiply(t.TSET, f);
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
    const Variant f = UnitFactor(row.Get(col.indumattesa));
    if (!f.IsEmpty()) t.TATT = host::Multiply(num(col.tattesa), f);
  }
  if (!options.exclude_queue) {
    const Variant f = UnitFactor(row.Get(col.indumcoda));
    if (!f.IsEmpty()) t.TCODA = host::Multiply(num(col.tcoda), f);
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
