#include "engine/planned_records.h"

#include <cmath>
#include <numeric>

#include "engine/layouts.h"
#include "engine/value_helpers.h"
#include "host/value/error.h"

namespace engine {

using host::Variant;

namespace {

// Beyond this many seconds a figure might leave the range of the values
// (whole seconds are 64-bit, percents are worked out with 28 digits); below
// it, nothing the computation does can overflow.
constexpr double kSafeSeconds = 1e12;

bool Blank(const Variant& v) { return host::RTrim(v.JoinedText()).empty(); }

// The size of a value as a number; a double keeps NaN and infinity (which
// ValoreNumerico would turn into 0), so that they count as beyond the limits.
double Magnitude(const Variant& v) {
  if (v.Type() == host::VarType::Double) return std::fabs(v.ToDouble());
  return std::fabs(ValoreNumerico(v).ToDouble());
}

}  // namespace

host::Valued<PlannedSplit> SplitPlanned(const Variant& planned_seconds, int16_t unit) {
  host::Valued<PlannedSplit> out;
  PlannedSplit& split = out.value;
  const auto round = [&out](const Variant& value) {
    auto rounded = Arrotonda(value, 2);
    out.status.Add(rounded.status);
    return rounded.value;
  };
  if (host::CompareNumbers(planned_seconds, int16_t{0}) == 0) return out;
  switch (unit) {
    case kOreMinutiSecondi: {
      int64_t s = WholeSecondsOf(planned_seconds);
      if (s >= 3600) {
        split.hours = s / 3600;
        s %= 3600;
      }
      if (s >= 60) {
        split.minutes = s / 60;
        s %= 60;
      }
      split.seconds = s;
      break;
    }
    case kOreDecimali: split.hours = round(host::Divide(planned_seconds, int16_t{3600})); break;
    case kMinutiDecimali: split.minutes = round(host::Divide(planned_seconds, int16_t{60})); break;
    case kSecondiDecimali: split.seconds = round(planned_seconds); break;
    default: break;
  }
  return out;
}

host::Status WriteTotalCategory(ValoriCategoria& total, int16_t unit, const Variant& planned_seconds,
                                const Variant& booked_h, const Variant& booked_m, const Variant& booked_s) {
  // Not a structured binding: a lambda captures the status below.
  host::Valued<PlannedSplit> planned_split = SplitPlanned(planned_seconds, unit);
  const PlannedSplit& split = planned_split.value;
  host::Status& status = planned_split.status;
  const auto percent = [&status](const Variant& booked, const Variant& planned) {
    auto rounded = Arrotonda(host::Multiply(host::Subtract(host::Divide(booked, planned), int16_t{1}), int16_t{100}), 2);
    status.Add(rounded.status);
    return Variant(rounded.value);
  };
  const auto is_zero = [](const Variant& v) { return host::CompareNumbers(v, int16_t{0}) == 0; };
  // A decimal unit: the booked value in the unit's member, the gap and the
  // percent against the planned value in the same unit.
  const auto decimal_unit = [&](const Variant& booked_value, Variant& member, const Variant& planned) {
    const Variant booked = ValoreNumerico(booked_value);
    member = booked;
    total.GAP = host::Subtract(booked, planned);
    if (!is_zero(planned)) total.GAPPERC = percent(booked, planned);
  };
  switch (unit) {
    case kSecondiDecimali: decimal_unit(booked_s, total.SECVERS, split.seconds); break;
    case kOreDecimali: decimal_unit(booked_h, total.OREVERS, split.hours); break;
    case kMinutiDecimali: decimal_unit(booked_m, total.MINVERS, split.minutes); break;
    case kOreMinutiSecondi: {
      total.OREVERS = booked_h;
      total.MINVERS = booked_m;
      total.SECVERS = booked_s;
      const Variant planned =
          host::Add(host::Add(host::Multiply(split.hours, int16_t{3600}), host::Multiply(split.minutes, int16_t{60})),
                    split.seconds);
      const Variant booked = host::Add(host::Add(host::Multiply(ValoreNumerico(booked_h), int16_t{3600}),
                                                 host::Multiply(ValoreNumerico(booked_m), int16_t{60})),
                                       ValoreNumerico(booked_s));
      if (!is_zero(planned)) total.OMSPREV = OmsText(planned.ToInt64(), false);
      if (!is_zero(booked)) total.OMSVERS = OmsText(WholeSecondsOf(booked), false);
      total.GAP = OmsText(WholeSecondsOf(host::Subtract(booked, planned)), true);
      if (!is_zero(planned)) total.GAPPERC = percent(booked, planned);
      break;
    }
    default: break;
  }
  return status;
}

PlannedRecords::PlannedRecords(int16_t unit, std::shared_ptr<const host::Table> bookings)
    : unit_(unit), bookings_(std::move(bookings)) {
  const auto at = [&](const char* name) { return bookings_->FieldIndex(name); };
  hours_ = at("OREVERS");
  minutes_ = at("MINVERS");
  seconds_ = at("SECVERS");
  kind_ = at("PD44_INDORA");
  machine_ = at("PD44_MACCHINA_PD08");
  employee_ = at("PD44_CODDIP_PD06");
  for (size_t c = 0; c < kStoredPlans; ++c) plans_.AddField(host::VariantField("P" + std::to_string(c)));
  PhaseTimes none;
  none.TLAV = none.TSET = none.TATT = none.TCODA = none.MLAV = none.MSET = int16_t{0};
  KeepTimes(none);
}

std::vector<std::string> PlannedRecords::FieldNames() {
  std::vector<std::string> names;
  for (const std::string_view suffix : kCategorySuffixes) {
    for (const std::string_view base : kTimeFieldBases) names.push_back(std::string(base) + std::string(suffix));
  }
  return names;
}

uint32_t PlannedRecords::KeepTimes(const PhaseTimes& t) {
  // Processing and set-up are not kept: each is the sum of its machine and
  // labour times, added again when read (the same sum of the same values).
  const Variant stored[kStoredPlans] = {t.Total(), t.TLAV, t.TSET, t.MLAV, t.MSET};
  const size_t row = plans_.AppendRow();
  double largest = 0;
  for (size_t c = 0; c < kStoredPlans; ++c) plans_.Set(row, c, stored[c]);
  for (size_t c = 0; c < 7; ++c) {
    const double m = Magnitude(Plan(row, c));
    // NaN compares false: it counts as beyond every limit.
    largest = m <= largest ? largest : m;
  }
  largest_.push_back(largest);
  return static_cast<uint32_t>(row);
}

uint32_t PlannedRecords::KeepTimesOf(const PlannedRecords& other, uint32_t times) {
  const size_t row = plans_.AppendRow();
  for (size_t c = 0; c < kStoredPlans; ++c) plans_.Set(row, c, other.plans_.Get(times, c));
  largest_.push_back(other.largest_[times]);
  return static_cast<uint32_t>(row);
}

Variant PlannedRecords::Plan(size_t times, size_t category) const {
  switch (category) {
    case 0: return plans_.Get(times, 0);
    case 1: return host::Add(plans_.Get(times, 1), plans_.Get(times, 3));  // machine + labour processing
    case 2: return host::Add(plans_.Get(times, 2), plans_.Get(times, 4));  // machine + labour set-up
    default: return plans_.Get(times, category - 2);
  }
}

std::array<Variant, 7> PlannedRecords::KeptTimes(uint32_t times) const {
  std::array<Variant, 7> out;
  for (size_t c = 0; c < out.size(); ++c) out[c] = Plan(times, c);
  return out;
}

void PlannedRecords::Place(size_t row, size_t booking_row, uint32_t times) {
  if (times_.size() <= row) times_.resize(row + 1, kWithoutTimes);
  times_[row] = times;
  if (booking_rows_.empty() && booking_row == row) return;
  // The first record that is not its booking's own row: from here on each
  // record says its booking's row.
  const size_t known = booking_rows_.size();
  if (known < times_.size()) {
    booking_rows_.resize(times_.size());
    std::iota(booking_rows_.begin() + static_cast<ptrdiff_t>(known), booking_rows_.end(), static_cast<uint32_t>(known));
  }
  booking_rows_[row] = static_cast<uint32_t>(booking_row);
}

bool PlannedRecords::NearLimits(size_t booking_row, uint32_t times) const {
  if (times == kWithoutTimes) return false;
  const auto read = [&](int col) { return col < 0 ? Variant() : bookings_->Get(booking_row, static_cast<size_t>(col)); };
  const double booked = Magnitude(read(hours_)) * 3600 + Magnitude(read(minutes_)) * 60 + Magnitude(read(seconds_));
  return !(largest_[times] <= kSafeSeconds) || !(booked <= kSafeSeconds);
}

host::Status PlannedRecords::Fill(size_t booking_row, uint32_t times, std::span<Variant> values) const {
  const auto read = [&](int col) { return col < 0 ? Variant() : bookings_->Get(booking_row, static_cast<size_t>(col)); };
  const Variant planned = Plan(times, 0);
  host::Valued<PlannedSplit> planned_split = SplitPlanned(planned, unit_);
  const PlannedSplit& split = planned_split.value;
  host::Status& status = planned_split.status;
  values[0] = split.hours;
  values[1] = split.minutes;
  values[2] = split.seconds;
  const Variant h = read(hours_);
  const Variant m = read(minutes_);
  const Variant s = read(seconds_);
  ValoriCategoria total;
  for (Variant* v : InFieldOrder(total)) *v = Variant::Null();
  status.Add(WriteTotalCategory(total, unit_, planned, h, m, s));
  const auto total_values = InFieldOrder(total);
  for (size_t b = 3; b < total_values.size(); ++b) values[b] = *total_values[b];
  // The six split categories.
  const Variant kind = ValoreNumerico(read(kind_));
  const bool processing = host::CompareNumbers(kind, int16_t{0}) == 0;
  const bool setup = host::CompareNumbers(kind, int16_t{1}) == 0;
  const bool machine = !Blank(read(machine_)) || Blank(read(employee_));
  const bool labour = !Blank(read(employee_));
  const bool belongs[6] = {processing, setup, processing && machine, setup && machine, processing && labour,
                           setup && labour};
  const bool always[6] = {true, true, false, false, false, false};
  const Variant zero = int16_t{0};
  for (size_t c = 0; c < 6; ++c) {
    ValoriCategoria v = belongs[c] ? ResetCategory(ValoreNumerico(h), ValoreNumerico(m), ValoreNumerico(s))
                                   : ResetCategory(zero, zero, zero);
    if (always[c] || belongs[c]) status.Add(ConvertiOMS(Plan(times, c + 1), unit_, v));
    const auto category = InFieldOrder(v);
    for (size_t b = 0; b < category.size(); ++b) values[(c + 1) * 10 + b] = *category[b];
  }
  return status;
}

void PlannedRecords::Check(const host::Table& out, size_t booking_row, uint32_t times, host::Status& said) const {
  std::vector<Variant> values(out.FieldCount() - kFirstField, Variant::Null());
  said.Add(Fill(booking_row, times, values));
  host::TextPool pool;
  for (size_t k = 0; k < values.size(); ++k) {
    const auto cell = host::MakeColumn(out.Field(kFirstField + k), pool);
    cell->AppendNull();
    cell->Set(0, values[k]);
  }
}

void PlannedRecords::Compute(size_t row, std::span<Variant> values) const {
  if (row >= times_.size() || times_[row] == kWithoutTimes) return;
  // A figure worked out when read has nobody to report to: its first
  // error reaches the reader (the run found none for these figures).
  const size_t booking_row = booking_rows_.empty() ? row : booking_rows_[row];
  const host::Status said = Fill(booking_row, times_[row], values);
  for (const host::Diagnostic& d : said.diagnostics()) {
    if (d.kind == host::Diagnostic::Kind::kError) throw d.error;
  }
}

size_t PlannedRecords::MemoryBytes() const {
  return (times_.capacity() + booking_rows_.capacity()) * sizeof(uint32_t) + largest_.capacity() * sizeof(double) + plans_.MemoryBytes();
}

}  // namespace engine
