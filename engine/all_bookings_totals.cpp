// The totals row of the results form: all the run's bookings taken as one
// group, each phase once (GroupTotals::AllBookings and the gathering that
// lets the groups' own sums count for it).
#include "engine/group_totals.h"

#include <algorithm>
#include <limits>

#include "engine/whole_seconds.h"

namespace engine {

using host::Variant;

void GroupTotals::GatherAllBookings() {
  if (gathered_) return;
  gathered_.emplace();
  // Found now, not by whichever half of SumRows reads them first.
  Bookings();
  gathered_->counted.assign(records_.RSTempiVerDett->Storage().RowCount(), false);
  // A phase is booked a few times at least: room for a quarter as many
  // phases as bookings spares the table most of its growing.
  gathered_->first.Reserve(gathered_->counted.size() / 4);
}

void GroupTotals::NoteFirst(const BookingSums::Phase& key, size_t row, uint32_t cached) {
  const auto [first, added] = gathered_->first.TryEmplace(key, {static_cast<uint32_t>(row), cached});
  if (!added && row < first->first) *first = {static_cast<uint32_t>(row), cached};
}

bool GroupTotals::StepGathered(size_t count) {
  Gathered& g = *gathered_;
  const size_t rows = g.counted.size();
  // The bookings no group took (nor a visit's, which the pass did not
  // sum), in their order.
  for (size_t n = 0, scanned = 0; g.next_row < rows && n < count && scanned < count * 16; ++g.next_row, ++scanned) {
    const size_t row = g.next_row;
    if (g.counted[row]) continue;
    ++n;
    g.counted[row] = true;
    if (const std::optional<BookingPhase> phase = PhaseOf(row)) {
      const PhaseKeyMap::Value* first = g.first.Find(phase->key);
      if (first == nullptr || row < first->first) {
        uint32_t cached = kNotCached;
        PlannedOf(*phase, row, cached, planned_);
        NoteFirst(phase->key, row, cached);
      }
    }
    AddBooked(g.sums, BookedOf(row));
  }
  if (g.next_row < rows) return false;
  // Then each phase once, in the order of its first booking.
  if (!g.ordered) {
    g.in_order.reserve(g.first.Size());
    g.first.ForEach([&](const PhaseKeyMap::Value& first) { g.in_order.emplace_back(first.first, first.second); });
    g.first.Clear();
    std::sort(g.in_order.begin(), g.in_order.end());
    g.ordered = true;
  }
  for (size_t n = 0; g.next_phase < g.in_order.size() && n < count; ++n, ++g.next_phase) {
    const auto [row, cached] = g.in_order[g.next_phase];
    if (cached != kNotCached) {
      if (cache_->Read(cached, planned_)) ReportLeftOut(PhaseOf(row)->id);
      AddPlanned(g.sums, planned_);
    } else if (const std::optional<BookingPhase> phase = PhaseOf(row)) {
      uint32_t again = kNotCached;
      PlannedOf(*phase, row, again, planned_);
      AddPlanned(g.sums, planned_);
    }
  }
  return g.next_phase >= g.in_order.size();
}

bool GroupTotals::StepAllBookings(size_t count) {
  if (gathered_ && !all_) {
    if (!StepGathered(count)) return false;
    all_.emplace();
    all_->sums = std::move(gathered_->sums);
    all_->done = true;
    gathered_.reset();
    return true;
  }
  if (!all_) {
    all_.emplace();
    all_->bookings = records_.RSTempiVerDett->Clone();
    all_->bookings->SetFilter("");
    if (all_->bookings->RecordCount() == 0) return all_->done = true;
    all_->bookings->MoveFirst();
  }
  if (!all_->done) all_->done = SumBookings(*all_->bookings, all_->sums, count);
  return all_->done;
}

std::array<CategorySeconds, 7> GroupTotals::AllBookings() {
  while (!StepAllBookings(std::numeric_limits<size_t>::max())) {
  }
  return FiguresOfSums(all_->sums);
}

std::array<CategorySeconds, 7> GroupTotals::FiguresOfSums(BookingSums& summed) {
  std::array<CategorySeconds, 7> out;
  summed.Settle();
  const std::array<ValoriCategoria, 7>& sums = summed.sums;
  // The planned members pass through the fields of a group's record, as a
  // run without grouping stores them (hours and minutes to two decimals):
  // the sums of decimal hours are binary numbers.
  const host::RecordSetPtr record = NewRSTempiPrev();
  record->Open();
  record->AddNew();
  const TimeFieldIndex fields(*record);
  for (size_t c = 0; c < 7; ++c) {
    Variant hours = sums[c].OREPREV, minutes = sums[c].MINPREV, seconds = sums[c].SECPREV;
    if (unit_ == kOreMinutiSecondi) {
      const PlannedSplit split = context_.Value(SplitPlanned(PlannedSeconds(sums[c], unit_), unit_));
      hours = split.hours;
      minutes = split.minutes;
      seconds = split.seconds;
    }
    record->SetValue(fields.At(c, kOrePrev), hours);
    record->SetValue(fields.At(c, kMinPrev), minutes);
    record->SetValue(fields.At(c, kSecPrev), seconds);
    out[c].planned = PlannedSeconds(record->Value(fields.At(c, kOrePrev)), record->Value(fields.At(c, kMinPrev)),
                                    record->Value(fields.At(c, kSecPrev)), unit_);
    out[c].booked = PlannedSeconds(sums[c].OREVERS, sums[c].MINVERS, sums[c].SECVERS, unit_);
  }
  return out;
}

}  // namespace engine
