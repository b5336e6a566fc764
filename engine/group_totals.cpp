#include "engine/group_totals.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/comparison_run.h"
#include "engine/cycle_formulas.h"
#include "engine/value_helpers.h"
#include "engine/whole_seconds.h"
#include "host/recordset/text_pool.h"

namespace engine {

using host::Variant;

Variant PlannedSeconds(const Variant& hours, const Variant& minutes, const Variant& seconds, int16_t unit) {
  switch (unit) {
    case kOreMinutiSecondi: {
      // Integers and decimals of moderate size (the usual case): the same
      // decimal in one integer sum.
      if (std::optional<host::Decimal> sum = DecimalSecondsOfParts(hours, minutes, seconds)) return *sum;
      const Variant h = ValoreNumerico(hours);
      const Variant m = ValoreNumerico(minutes);
      const Variant s = ValoreNumerico(seconds);
      // Numbers come back as decimals: the same sums, without the Variant
      // arithmetic's dispatch (this runs for every figure of every booking).
      if (h.Type() == host::VarType::Decimal && m.Type() == host::VarType::Decimal &&
          s.Type() == host::VarType::Decimal) {
        return h.ToDecimal() * host::Decimal::FromInt(3600) + m.ToDecimal() * host::Decimal::FromInt(60) +
               s.ToDecimal();
      }
      return host::Add(host::Add(host::Multiply(h, int16_t{3600}), host::Multiply(m, int16_t{60})), s);
    }
    case kOreDecimali: return host::Multiply(ValoreNumerico(hours), int16_t{3600});
    case kMinutiDecimali: return host::Multiply(ValoreNumerico(minutes), int16_t{60});
    case kSecondiDecimali: return ValoreNumerico(seconds);
    default: return int16_t{0};
  }
}

Variant PlannedSeconds(const ValoriCategoria& v, int16_t unit) {
  return PlannedSeconds(v.OREPREV, v.MINPREV, v.SECPREV, unit);
}

void ValorizzaOMSLavorazSetup(RunContext& context, host::RecordSet& rs, int16_t unit,
                              const std::array<ValoriCategoria, 6>& values) {
  ValorizzaOMSLavorazSetup(context, rs, TimeFieldIndex(rs), unit, values);
}

void ValorizzaOMSLavorazSetup(RunContext& context, host::RecordSet& rs, const TimeFieldIndex& fields, int16_t unit,
                              const std::array<ValoriCategoria, 6>& values) {
  // Written together: the texts of the six categories are looked up at once.
  std::vector<host::RecordSet::FieldValue> out;
  SplitCategoryFields(context, fields, unit, values, out);
  rs.SetValues(out);
}

void SplitCategoryFields(RunContext& context, const TimeFieldIndex& fields, int16_t unit,
                         const std::array<ValoriCategoria, 6>& values, std::vector<host::RecordSet::FieldValue>& out) {
  out.reserve(out.size() + values.size() * 7);
  for (size_t c = 0; c < values.size(); ++c) {
    const auto at = [&](TimeFieldBase base) { return fields.At(c + 1, base); };
    ValoriCategoria v = ResetCategory(values[c].OREVERS, values[c].MINVERS, values[c].SECVERS);
    context.Add(ConvertiOMS(PlannedSeconds(values[c], unit), unit, v));
    if (unit == kOreMinutiSecondi || unit == kOreDecimali) out.push_back({at(kOreVers), std::move(v.OREVERS)});
    if (unit == kOreMinutiSecondi || unit == kMinutiDecimali) out.push_back({at(kMinVers), std::move(v.MINVERS)});
    if (unit == kOreMinutiSecondi || unit == kSecondiDecimali) out.push_back({at(kSecVers), std::move(v.SECVERS)});
    out.push_back({at(kOmsPrev), std::move(v.OMSPREV)});
    out.push_back({at(kOmsVers), std::move(v.OMSVERS)});
    out.push_back({at(kGap), std::move(v.GAP)});
    out.push_back({at(kGapPerc), std::move(v.GAPPERC)});
  }
}

GroupTotals::GroupTotals(RunContext& context, RunRecordSets& records, PhaseSource& phases,
                         host::ProductionServices& production, int16_t unit, PhaseOptions options,
                         std::vector<std::string> grouping_columns)
    : context_(context),
      records_(records),
      phases_(phases),
      production_(production),
      unit_(unit),
      options_(options),
      grouping_columns_(std::move(grouping_columns)) {}

PhaseOutputs GroupTotals::CalcolaTempiFase(const Variant& phase_id, const Variant& order_quantity,
                                           const Variant& quantity, const std::string& article,
                                           const std::string& option) {
  PhaseStatus status = PhaseStatus::Computed;
  PhaseOutputs out = ComputeTempiFase(phase_id, order_quantity, quantity, article, option, status);
  if (status == PhaseStatus::LeftOut) ReportLeftOut(phase_id);
  return out;
}

PhaseOutputs GroupTotals::Guarded(PhaseStatus& status, const std::function<void(PhaseOutputs&)>& work) {
  PhaseOutputs out;
  for (size_t c = 0; c < 7; ++c) out.hours[c] = out.minutes[c] = out.seconds[c] = int16_t{0};
  status = PhaseStatus::Computed;
  try {
    work(out);
  } catch (const host::Error& e) {
    if (e.Number() != host::kErrOverflow) {
      status = PhaseStatus::Failed;
      context_.Caught("CalcolaTempiFase");
      return out;
    }
    // The group is still shown, without this phase's plan (the caller
    // reports it, naming the group and the phase).
    for (size_t c = 0; c < 7; ++c) out.hours[c] = out.minutes[c] = out.seconds[c] = int16_t{0};
    status = PhaseStatus::LeftOut;
  } catch (const std::exception&) {
    status = PhaseStatus::Failed;
    context_.Caught("CalcolaTempiFase");
  }
  return out;
}

void GroupTotals::SplitInto(const std::array<Variant, 7>& per_category, PhaseOutputs& out) {
  for (size_t c = 0; c < 7; ++c) {
    const PlannedSplit split = context_.Value(SplitPlanned(per_category[c], unit_));
    out.hours[c] = split.hours;
    out.minutes[c] = split.minutes;
    out.seconds[c] = split.seconds;
  }
}

PhaseOutputs GroupTotals::ComputeTempiFase(const Variant& phase_id, const Variant& order_quantity,
                                           const Variant& quantity, const std::string& article,
                                           const std::string& option, PhaseStatus& status) {
  return Guarded(status, [&](PhaseOutputs& out) {
    const bool order = host::CompareNumbers(ValoreNumerico(order_quantity), int16_t{0}) > 0;
    const auto row = order ? phases_.OrderPhaseById(phase_id) : phases_.CyclePhaseById(phase_id);
    const Variant q = order ? order_quantity : quantity;
    if (!row) return;
    const BookingKeys keys = PhaseRowKeys(*row, order ? PhaseSourceKind::Order : PhaseSourceKind::Cycle, article, option);
    const FormulaEvaluator formula = [&](const std::string& code, const std::string& cycle,
                                         const std::array<Variant, 28>& values) {
      return ElaboraFormulaCicli(context_, production_, code, article, option, cycle, values);
    };
    const PhaseTimes t = ComputePhase(*row, order ? PhaseSourceKind::Order : PhaseSourceKind::Cycle,
                                      order ? phases_.OrderWorkers(phase_id) : phases_.CycleWorkers(phase_id), q,
                                      options_, keys, formula);
    SplitInto({t.Total(), host::Add(t.TLAV, t.MLAV), host::Add(t.TSET, t.MSET), t.TLAV, t.TSET, t.MLAV, t.MSET},
              out);
  });
}

void GroupTotals::ReusePassTimes(std::shared_ptr<const PassTimes> pass) {
  pass_ = std::move(pass);
  pass_memo_.clear();
}

bool GroupTotals::FromPass(const BookingPhase& phase, const Variant& quantity, uint32_t& cached, PhaseOutputs& out) {
  const std::optional<uint32_t> times = pass_->Offered(phase.record, phase.key.order, quantity);
  if (!times) return false;
  if (pass_memo_.size() <= *times) pass_memo_.resize(pass_->Size(), kMemoUnknown);
  uint32_t& memo = pass_memo_[*times];
  if (memo == kMemoRefused) return false;
  if (memo == kMemoUnknown) {
    // Every record of this computation has the same phase row, so its id
    // finds the same row for all of them: looked at once. Mostly that is
    // known without a lookup (the id is the computation's row's own, and no
    // other row's).
    const auto [table, origin] = pass_->RowOf(*times);
    std::optional<PhaseRow> row = phases_.KnownRowById(phase.key.order, phase.id, table, origin);
    if (!row) {
      try {
        row = phase.key.order ? phases_.OrderPhaseById(phase.id) : phases_.CyclePhaseById(phase.id);
      } catch (const std::exception&) {
        return false;  // computed as before, which says what failed
      }
    }
    // An order phase's quantity as the record keeps it, rounded to its
    // field, against the row's that the pass computed with.
    const auto row_quantity = [&] { return ValoreNumerico(row->Get(&PhaseColumns::order_quantity, "DO46_QTA1ORD")); };
    if (!row || !pass_->SameRow(*times, *row) ||
        (phase.key.order && host::CompareNumbers(row_quantity(), quantity) != 0)) {
      memo = kMemoRefused;
      return false;
    }
    // Split beside already (the same split, which said nothing): read below
    // as a phase seen before.
    if (const std::optional<uint32_t> split = cache_->SplitNumber(*times)) {
      memo = *split + kMemoFirstNumber;
      ++taken_from_pass_;
    } else {
      PhaseStatus status = PhaseStatus::Computed;
      const std::array<Variant, 7> kept = pass_->Times(*times);
      out = Guarded(status, [&](PhaseOutputs& into) { SplitInto(kept, into); });
      // A failure is reported again where the phase comes back, as before.
      if (status != PhaseStatus::Failed) {
        cached = cache_->KeepUnkeyed(out, status == PhaseStatus::LeftOut);
        memo = cached + kMemoFirstNumber;
        ++taken_from_pass_;
      }
      if (status == PhaseStatus::LeftOut) ReportLeftOut(phase.id);
      return true;
    }
  }
  cached = memo - kMemoFirstNumber;
  if (cache_->Read(cached, out)) ReportLeftOut(phase.id);
  return true;
}

void GroupTotals::ReportLeftOut(const Variant& phase_id) {
  // All the bookings taken as one group have no record to name: the phase
  // was said for the group that holds it.
  const host::RecordSet& group = *records_.RSTempiVer;
  if (group.Eof() || group.Bof()) return;
  context_.Add(host::Status::Of(
      "CalcolaTempiFase",
      host::Error(host::kWarnValueLeftOut,
                  "group " + ValoreNumerico(group.Value("IDGRUPPO")).ToText() + ": the planned time of phase " +
                      ValoreNumerico(phase_id).ToText() + " is too large to show; the group is shown without it",
                  "CalcolaTempiFase")));
}

void GroupTotals::ReusePhases(std::shared_ptr<PlannedPhaseCache> shared) {
  if (shared) {
    cache_ = std::move(shared);
  } else if (!cache_) {
    cache_ = std::make_shared<PlannedPhaseCache>();
  }
}

void GroupTotals::PlannedPhase(bool order, const Variant& phase_id, const Variant& order_quantity,
                               const Variant& quantity, const std::string& article, const std::string& option,
                               uint32_t& cached, PhaseOutputs& out) {
  cached = kNotCached;
  if (!cache_) {
    out = CalcolaTempiFase(phase_id, order_quantity, quantity, article, option);
    return;
  }
  const PlannedPhaseCache::Key key = cache_->KeyOf(order, phase_id, order ? order_quantity : quantity, article, option);
  if (const std::optional<uint32_t> found = cache_->Find(key)) {
    cached = *found;
    if (cache_->Read(cached, out)) ReportLeftOut(phase_id);
    return;
  }
  PhaseStatus status = PhaseStatus::Computed;
  out = ComputeTempiFase(phase_id, order_quantity, quantity, article, option, status);
  // A failure is reported again where the phase comes back, as before.
  if (status != PhaseStatus::Failed) cached = cache_->Keep(key, out, status == PhaseStatus::LeftOut);
  if (status == PhaseStatus::LeftOut) ReportLeftOut(phase_id);
}

bool GroupTotals::TempiPreventivi() {
  try {
    const Variant group_id = records_.RSTempiVer->Value("IDGRUPPO");
    records_.RSTempiVerDett->SetFilter(GroupFilter());
    host::RecordSet& prev = *records_.RSTempiPrev;
    prev.SetFilter("IDGRUPPO = " + ValoreNumerico(group_id).ToText());
    if (prev.RecordCount() == 0) ComputeCurrentGroup(group_id);
    prev.MoveFirst();
    return false;
  } catch (const std::exception&) {
    context_.Caught("TempiPreventivi");
    return true;
  }
}

// `sums` is written whole by Settle before anything reads it: left Empty.
GroupTotals::BookingSums::BookingSums() = default;

namespace {

// A booking's class of categories: its kind (processing, set-up, neither)
// and whether it counts for machine, labour or both (a booking without an
// employee is the machine's).
size_t BookedClassOf(bool processing, bool setup, bool machine, bool labour) {
  const size_t kind = processing ? 0 : setup ? 1 : 2;
  const size_t who = !labour ? 0 : !machine ? 1 : 2;
  return kind * 3 + who;
}

// The categories (bits, in kCategoryNames' order) a booking counts in.
unsigned CategoriesOf(bool processing, bool setup, bool machine, bool labour) {
  unsigned bits = 1U;  // the total
  if (processing) bits |= 1U << 1;
  if (setup) bits |= 1U << 2;
  if (processing && machine) bits |= 1U << 3;
  if (setup && machine) bits |= 1U << 4;
  if (processing && labour) bits |= 1U << 5;
  if (setup && labour) bits |= 1U << 6;
  return bits;
}

unsigned CategoriesOfClass(size_t k) {
  const size_t kind = k / 3, who = k % 3;
  return CategoriesOf(kind == 0, kind == 1, who != 1, who != 0);
}

// A whole number: an integer type, or a decimal without a fractional part.
bool Whole(const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return true;
    case host::VarType::Decimal: {
      const host::Decimal d = v.ToDecimal();
      return d.Scale() == 0 || d.CoefficientAtScale(0).has_value();
    }
    default: return false;
  }
}

// A value whose sums are exact whatever their order: a number of at most
// 9 decimal places below a million, whose sums over up to 10^13 bookings
// stay inside a decimal's 28 digits, so no addition rounds. (A binary
// number read as a decimal has some 20 places: its sums round, and their
// order counts.) At scale s that is a coefficient below 10^(6 + s).
bool SumsExactly(const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: {
      const int64_t n = v.ToInt64();
      return n > -1'000'000 && n < 1'000'000;
    }
    case host::VarType::Decimal: {
      const host::Decimal d = v.ToDecimal();
      if (d.Scale() < 0 || d.Scale() > 9) return false;
      const host::Int128 limit = host::Pow10(6 + d.Scale());
      return d.Coefficient() > -limit && d.Coefficient() < limit;
    }
    default: return false;
  }
}

}  // namespace

void GroupTotals::BookingSums::FlushBooked() {
  for (size_t k = 0; k < booked_classes.size(); ++k) {
    BookedClass& from = booked_classes[k];
    if (!from.used) continue;  // adding a 0 would turn an untouched sum's Int16 into Int32
    const host::Variant hours = from.hours.Value(), minutes = from.minutes.Value(), seconds = from.seconds.Value();
    const unsigned bits = CategoriesOfClass(k);
    for (size_t c = 0; c < running.size(); ++c) {
      if ((bits & (1U << c)) == 0) continue;
      running[c].booked_hours.Add(hours);
      running[c].booked_minutes.Add(minutes);
      running[c].booked_seconds.Add(seconds);
    }
    from = BookedClass{};
  }
}

void GroupTotals::BookingSums::Settle() {
  FlushBooked();
  for (size_t c = 0; c < sums.size(); ++c) {
    const Running& r = running[c];
    sums[c].OREPREV = r.planned_hours.Value();
    sums[c].MINPREV = r.planned_minutes.Value();
    sums[c].SECPREV = r.planned_seconds.Value();
    sums[c].OREVERS = r.booked_hours.Value();
    sums[c].MINVERS = r.booked_minutes.Value();
    sums[c].SECVERS = r.booked_seconds.Value();
  }
}

const GroupTotals::BookingFields& GroupTotals::Bookings() {
  if (!booking_fields_) {
    const host::RecordSet& b = *records_.RSTempiVerDett;
    booking_fields_ = BookingFields{b.FieldIndex("PD44_PRGMVORE_PD31"), b.FieldIndex("PD44_QTALAV"),
                                    b.FieldIndex("PD44_INDORA"),        b.FieldIndex("PD44_MACCHINA_PD08"),
                                    b.FieldIndex("PD44_CODDIP_PD06"),   b.FieldIndex("PD44_CODART_MG66"),
                                    b.FieldIndex("PD44_OPZIONE"),       b.FieldIndex("OREVERS"),
                                    b.FieldIndex("MINVERS"),            b.FieldIndex("SECVERS")};
  }
  return *booking_fields_;
}

bool GroupTotals::SumBookings(host::RecordSet& bookings, BookingSums& into, size_t limit) {
  for (size_t n = 0; n < limit && !bookings.Eof(); ++n, bookings.MoveNext()) AddBooking(bookings.StorageRow(), into);
  return bookings.Eof();
}

void GroupTotals::SumRows(std::span<const uint32_t> rows, BookingSums& into) {
  for (const uint32_t row : rows) AddBooking(row, into);
}

namespace {

// A group's bookings lie all over the table: each cell a booking reads is a
// wait for memory, unless asked for this many bookings ahead.
constexpr size_t kPrefetchAhead = 12;

void PrefetchCells(const host::Table& table, size_t row, std::initializer_list<int> columns) {
  for (const int col : columns) {
    if (col >= 0) table.PrefetchCell(row, static_cast<size_t>(col));
  }
}

}  // namespace

void GroupTotals::SumPlannedRows(std::span<const uint32_t> rows, BookingSums& into) {
  const BookingFields& f = Bookings();
  const host::Table& bookings = records_.RSTempiVerDett->Storage();
  // The per-booking records' table once PhaseOf has cloned it (the first
  // booking summed).
  const host::Table* planned = nullptr;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (planned == nullptr && prev_dett_lookup_) planned = &prev_dett_lookup_->Storage();
    if (i + kPrefetchAhead < rows.size()) {
      const uint32_t ahead = rows[i + kPrefetchAhead];
      PrefetchCells(bookings, ahead, {f.id, f.qty, f.article, f.option});
      if (planned != nullptr && ahead < planned->RowCount()) {
        PrefetchCells(*planned, ahead, {0, 1, 2});  // IDVERS, IDCICLO, QTAODL
      }
    }
    AddBookingPlanned(rows[i], into);
  }
}

void GroupTotals::SumBookedRows(std::span<const uint32_t> rows, BookingSums& booked) {
  const BookingFields& f = Bookings();
  const host::Table& bookings = records_.RSTempiVerDett->Storage();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i + kPrefetchAhead < rows.size()) {
      PrefetchCells(bookings, rows[i + kPrefetchAhead], {f.hours, f.minutes, f.seconds, f.kind, f.employee, f.machine});
    }
    AddBookingBooked(rows[i], booked);
  }
}

void GroupTotals::TakeBooked(BookingSums& into, BookingSums&& booked) {
  for (size_t c = 0; c < into.running.size(); ++c) {
    BookingSums::Running& to = into.running[c];
    BookingSums::Running& from = booked.running[c];
    to.booked_hours = std::move(from.booked_hours);
    to.booked_minutes = std::move(from.booked_minutes);
    to.booked_seconds = std::move(from.booked_seconds);
  }
  into.booked_classes = std::move(booked.booked_classes);
  into.booked_in_order = booked.booked_in_order;
  into.booked_whole = booked.booked_whole;
}

std::optional<GroupTotals::BookingPhase> GroupTotals::PhaseOf(size_t row) {
  if (!prev_dett_lookup_) {
    prev_dett_lookup_ = records_.RSTempiPrevDett->Clone();
    prev_dett_lookup_->SetFilter("");
  }
  const BookingFields& f = Bookings();
  const host::Table& bookings = records_.RSTempiVerDett->Storage();
  const host::Table& planned_rows = prev_dett_lookup_->Storage();
  // The per-booking records were written in the bookings' order: the same
  // storage row holds this booking's record, unless something reordered
  // them, when the search by IDVERS finds it.
  const Variant booking_id = f.id < 0 ? Variant() : bookings.Get(row, static_cast<size_t>(f.id));
  std::optional<size_t> planned;
  if (row < planned_rows.RowCount() && planned_rows.Get(row, 0) == booking_id) {
    planned = row;
  } else {
    prev_dett_lookup_->MoveFirst();
    prev_dett_lookup_->Find("IDVERS = " + ValoreNumerico(booking_id).ToText());
    if (!prev_dett_lookup_->Eof()) planned = prev_dett_lookup_->StorageRow();
  }
  if (!planned) return std::nullopt;
  BookingPhase phase;
  phase.id = planned_rows.Get(*planned, 1);  // IDCICLO
  if (phase.id.IsNull() || phase.id.IsEmpty()) return std::nullopt;
  phase.order_quantity = planned_rows.Get(*planned, 2);  // QTAODL
  phase.record = *planned;
  const bool order = CompareValueWith(phase.order_quantity, 0) > 0;
  const host::Decimal decimal = phase.id.ToDecimal();
  phase.key = {order, decimal.Coefficient(), decimal.Scale()};
  return phase;
}

void GroupTotals::PlannedOf(const BookingPhase& phase, size_t row, uint32_t& cached, PhaseOutputs& out) {
  const BookingFields& f = Bookings();
  const host::Table& bookings = records_.RSTempiVerDett->Storage();
  const auto read = [&](int index) { return index < 0 ? Variant() : bookings.Get(row, static_cast<size_t>(index)); };
  const Variant quantity = context_.Value(NVL(read(f.qty), int16_t{1}));
  if (cache_ && pass_) {
    cached = kNotCached;
    if (FromPass(phase, phase.key.order ? phase.order_quantity : quantity, cached, out)) return;
  }
  PlannedPhase(phase.key.order, phase.id, phase.order_quantity, quantity, host::RTrim(read(f.article).JoinedText()),
               host::RTrim(read(f.option).JoinedText()), cached, out);
}

namespace {

// Whether a cell's text is blank (Null, empty or spaces only), as
// RTrim(JoinedText()).empty() tells it; a text column answers without
// copying its text (this runs for two fields of every booking).
bool BlankAt(const host::Table& table, int index, size_t row) {
  if (index < 0) return true;
  const auto col = static_cast<size_t>(index);
  const host::FieldType type = table.Field(col).type;
  if (type == host::FieldType::Text || type == host::FieldType::Char) return table.ColumnAt(col).IsNullLike(row);
  return host::RTrim(table.Get(row, col).JoinedText()).empty();
}

}  // namespace

GroupTotals::Booked GroupTotals::BookedOf(size_t row) {
  const BookingFields& f = Bookings();
  const host::Table& bookings = records_.RSTempiVerDett->Storage();
  const auto read = [&](int index) { return index < 0 ? Variant() : bookings.Get(row, static_cast<size_t>(index)); };
  Booked b;
  b.hours = ValoreNumerico(read(f.hours));
  b.minutes = ValoreNumerico(read(f.minutes));
  b.seconds = ValoreNumerico(read(f.seconds));
  const Variant kind = read(f.kind);
  b.processing = CompareValueWith(kind, 0) == 0;
  b.setup = CompareValueWith(kind, 1) == 0;
  b.labour = !BlankAt(bookings, f.employee, row);
  b.machine = !BlankAt(bookings, f.machine, row) || !b.labour;
  b.whole = Whole(b.hours) && Whole(b.minutes) && Whole(b.seconds);
  b.sums_exactly = SumsExactly(b.hours) && SumsExactly(b.minutes) && SumsExactly(b.seconds);
  return b;
}

void GroupTotals::AddPlanned(BookingSums& into, const PhaseOutputs& o) {
  for (size_t c = 0; c < 7; ++c) {
    BookingSums::Running& sum = into.running[c];
    sum.planned_hours.Add(o.hours[c]);
    sum.planned_minutes.Add(o.minutes[c]);
    sum.planned_seconds.Add(o.seconds[c]);
  }
}

void GroupTotals::AddBooked(BookingSums& into, const Booked& b) {
  into.booked_whole = into.booked_whole && b.whole;
  if (!into.booked_in_order && b.sums_exactly) {
    BookingSums::BookedClass& k = into.booked_classes[BookedClassOf(b.processing, b.setup, b.machine, b.labour)];
    k.hours.Add(b.hours);
    k.minutes.Add(b.minutes);
    k.seconds.Add(b.seconds);
    k.used = true;
    return;
  }
  // What came before is exact: its sums first, then this value and every
  // later one in order.
  into.FlushBooked();
  into.booked_in_order = true;
  const unsigned bits = CategoriesOf(b.processing, b.setup, b.machine, b.labour);
  for (size_t c = 0; c < into.running.size(); ++c) {
    if ((bits & (1U << c)) == 0) continue;
    BookingSums::Running& sum = into.running[c];
    sum.booked_hours.Add(b.hours);
    sum.booked_minutes.Add(b.minutes);
    sum.booked_seconds.Add(b.seconds);
  }
}

void GroupTotals::AddBooking(size_t row, BookingSums& into) {
  AddBookingPlanned(row, into);
  AddBookingBooked(row, into);
}

void GroupTotals::AddBookingPlanned(size_t row, BookingSums& into) {
  const std::optional<BookingPhase> phase = PhaseOf(row);
  if (!phase || phase->key == into.last_seen) return;
  into.last_seen = phase->key;
  if (into.seen.TryEmplace(phase->key).second) {
    uint32_t cached = kNotCached;
    PlannedOf(*phase, row, cached, planned_);
    AddPlanned(into, planned_);
    // The first booking of a phase in all the bookings is the first of its
    // phase in whichever group holds it.
    if (gathered_) NoteFirst(phase->key, row, cached);
  }
}

void GroupTotals::AddBookingBooked(size_t row, BookingSums& into) {
  const Booked booked = BookedOf(row);
  AddBooked(into, booked);
  if (gathered_ && !gathered_->counted[row]) {
    gathered_->counted[row] = true;
    AddBooked(gathered_->sums, booked);
  }
}

void GroupTotals::ComputeCurrentGroup(const Variant& group_id) {
  auto bookings = records_.RSTempiVerDett->Clone();
  BookingSums summed;
  SumBookings(*bookings, summed);
  StoreTotals(group_id, summed);
}

std::array<Variant, 3> GroupTotals::CurrentGroupBooked() const {
  const host::RecordSet& group = *records_.RSTempiVer;
  const auto value = [&](const char* name) {
    return group.FieldIndex(name) < 0 ? Variant(int16_t{0}) : ValoreNumerico(group.Value(name));
  };
  return {value("OREVERS"), value("MINVERS"), value("SECVERS")};
}

void GroupTotals::StoreTotals(const Variant& group_id, BookingSums& summed) {
  StoreTotals(group_id, summed, CurrentGroupBooked());
}

void GroupTotals::StoreTotals(const Variant& group_id, BookingSums& summed, const std::array<Variant, 3>& booked) {
  summed.Settle();
  std::array<ValoriCategoria, 7>& sums = summed.sums;
  host::RecordSet& prev = *records_.RSTempiPrev;
  if (!prev_fields_) prev_fields_.emplace(prev);
  const TimeFieldIndex& fields = *prev_fields_;
  // The record's values in field order, added at once (every field once).
  std::vector<host::RecordSet::FieldValue>& out = store_values_;
  out.clear();
  out.reserve(prev.FieldCount());
  if (id_field_ < 0) id_field_ = prev.FieldIndex("IDGRUPPO");
  if (id_field_ < 0) {
    throw host::Error(host::kErrItemNotFound, "Item cannot be found in the collection: IDGRUPPO", "Recordset");
  }
  out.push_back({static_cast<size_t>(id_field_), group_id});
  // The planned sums; under unit 0 carried over into whole h:mm:ss.
  for (size_t c = 0; c < 7; ++c) {
    if (unit_ == kOreMinutiSecondi) {
      const PlannedSplit split = context_.Value(SplitPlanned(PlannedSeconds(sums[c], unit_), unit_));
      sums[c].OREPREV = split.hours;
      sums[c].MINPREV = split.minutes;
      sums[c].SECPREV = split.seconds;
    }
    out.push_back({fields.At(c, kOrePrev), sums[c].OREPREV});
    out.push_back({fields.At(c, kMinPrev), sums[c].MINPREV});
    out.push_back({fields.At(c, kSecPrev), sums[c].SECPREV});
  }
  // The total: booked from the group's row.
  ValoriCategoria total = ResetCategory(booked[0], booked[1], booked[2]);
  total.OREPREV = sums[0].OREPREV;
  total.MINPREV = sums[0].MINPREV;
  total.SECPREV = sums[0].SECPREV;
  context_.Add(ConvertiOMS(PlannedSeconds(sums[0], unit_), unit_, total));
  if (unit_ == kOreMinutiSecondi || unit_ == kOreDecimali) out.push_back({fields.At(0, kOreVers), total.OREVERS});
  if (unit_ == kOreMinutiSecondi || unit_ == kMinutiDecimali) out.push_back({fields.At(0, kMinVers), total.MINVERS});
  if (unit_ == kOreMinutiSecondi || unit_ == kSecondiDecimali) out.push_back({fields.At(0, kSecVers), total.SECVERS});
  out.push_back({fields.At(0, kOmsPrev), total.OMSPREV});
  out.push_back({fields.At(0, kOmsVers), total.OMSVERS});
  out.push_back({fields.At(0, kGap), total.GAP});
  out.push_back({fields.At(0, kGapPerc), total.GAPPERC});
  std::array<ValoriCategoria, 6> split;
  std::copy(sums.begin() + 1, sums.end(), split.begin());
  SplitCategoryFields(context_, fields, unit_, split, out);
  // A field never written is Null, as a new record has it; a field written
  // twice keeps its last value.
  std::vector<Variant>& row = store_row_;
  row.assign(prev.FieldCount(), Variant::Null());
  for (host::RecordSet::FieldValue& v : out) row[v.field] = std::move(v.value);
  prev.AddRecord(row);
  ++computed_;
}

bool GroupTotals::ComputeAll(Progress& progress) {
  host::RecordSet& groups = *records_.RSTempiVer;
  progress.Show(static_cast<int64_t>(groups.RecordCount()));
  bool failed = false;
  for (groups.MoveFirst(); !groups.Eof() && !failed; groups.MoveNext()) {
    progress.Set(groups.AbsolutePosition());
    failed = TempiPreventivi();
  }
  groups.MoveFirst();
  records_.RSTempiVerDett->SetFilter("");
  records_.RSTempiPrev->SetFilter("");
  progress.Hide();
  return failed;
}

}  // namespace engine
