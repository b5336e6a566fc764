// The per-booking comparison records (RSTempiPrevDett) as a run keeps them.
//
// A booking's record stores its IDVERS, IDCICLO and QTAODL; its seventy time
// figures (seven categories of ten) are worked out when something reads them,
// from the planned times of its phase and the booking's own booked time, hours
// kind, machine and employee. The planned times are kept once per distinct
// phase computation and the booking's values are read from the bookings' rows,
// which the records keep alive: a record costs 4 bytes besides its three
// stored fields, and the run does not spend its time writing figures that
// only a grid, the print, the export or the output may read.
//
// The figures are the ones the same computation gave when they were stored:
// every value passes through its field's type (see host computed fields).
// Figures that might reach the limits of the values (times beyond 10^12
// seconds, non-finite numbers) are worked out once during the run, so that a
// record that cannot be shown is found there and kept without times.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/oms.h"
#include "engine/phase_calculation.h"
#include "host/recordset/computed_fields.h"
#include "host/recordset/table.h"
#include "host/value/status.h"

namespace engine {

// The planned hours, minutes and seconds of P seconds in the chosen unit (all
// 0 when P is 0): unit 0 whole h/m/s of Arrotonda(P, 0); 1 hours, 2 minutes,
// 3 seconds with two decimals.
struct PlannedSplit {
  host::Variant hours = int16_t{0}, minutes = int16_t{0}, seconds = int16_t{0};
};
// A rounding that fails is said in the status (as "Arrotonda") and gives 0.
host::Valued<PlannedSplit> SplitPlanned(const host::Variant& planned_seconds, int16_t unit);

// The booked members, gap, percent and OMS texts of the total category for the
// unit, with planned time P in seconds (its split is the caller's to write):
// the booked value of the unit (all three under unit 0), GAP booked − planned
// (an OMS text with sign under unit 0), GAPPERC when something is planned.
// What the roundings had to say comes back; an overflow is thrown.
host::Status WriteTotalCategory(ValoriCategoria& total, int16_t unit, const host::Variant& planned_seconds,
                                const host::Variant& booked_h, const host::Variant& booked_m,
                                const host::Variant& booked_s);

class PlannedRecords final : public host::RowFormula {
 public:
  // The first computed field of RSTempiPrevDett (after IDVERS, IDCICLO, QTAODL).
  static constexpr size_t kFirstField = 3;
  // A record kept without times: every computed field Null.
  static constexpr uint32_t kWithoutTimes = UINT32_MAX;

  // `bookings`: the rows of RSTempiVerDett, read by storage row.
  PlannedRecords(int16_t unit, std::shared_ptr<const host::Table> bookings);

  // The names of the computed fields, in order.
  [[nodiscard]] static std::vector<std::string> FieldNames();

  // Keeps the planned times of one phase computation; answers their number.
  // Number 0 is kept from the start: nothing planned (every time 0).
  uint32_t KeepTimes(const PhaseTimes& times);
  // Keeps here what `other` (records of the same unit) kept as its number
  // `times`: the same values KeepTimes kept there, under a number of here.
  uint32_t KeepTimesOf(const PlannedRecords& other, uint32_t times);
  // Record `row` (a storage row of RSTempiPrevDett) is the one of booking
  // `booking_row` with planned times `times` (or kWithoutTimes).
  void Place(size_t row, size_t booking_row, uint32_t times);
  // The planned times number of record `row` (kWithoutTimes for a record
  // without times or a row never placed).
  [[nodiscard]] uint32_t TimesOf(size_t row) const {
    return row < times_.size() ? times_[row] : kWithoutTimes;
  }
  // The seven planned times kept as number `times` (below the numbers
  // KeepTimes answered), exactly as kept.
  [[nodiscard]] std::array<host::Variant, 7> KeptTimes(uint32_t times) const;
  // Room for `records` records: a run knows how many bookings it places, and
  // ten million records grown by doubling would leave up to half unused.
  void Reserve(size_t records) { times_.reserve(records); }

  // True when the figures of this booking might reach the limits of the
  // values: the run then works them out at once (Fill) to find out.
  [[nodiscard]] bool NearLimits(size_t booking_row, uint32_t times) const;
  // The computed fields of a booking with planned times `times`, in field
  // order; `values` starts all Null. What the computation had to say comes
  // back, in order; an overflow is thrown.
  host::Status Fill(size_t booking_row, uint32_t times, std::span<host::Variant> values) const;
  // Fill, and each figure stored in a cell of its field's type in `out`
  // (RSTempiPrevDett's rows): throws where storing the figures would, with
  // what Fill had to say already in `said`.
  void Check(const host::Table& out, size_t booking_row, uint32_t times, host::Status& said) const;

  void Compute(size_t row, std::span<host::Variant> values) const override;
  [[nodiscard]] size_t MemoryBytes() const override;

 private:
  // The planned times of each phase computation kept: total, machine
  // processing, machine set-up, labour processing, labour set-up, one row
  // each in compact variant columns; and the largest of its seven times.
  static constexpr size_t kStoredPlans = 5;
  host::Table plans_;
  std::vector<double> largest_;
  // Time `category` (0 total, then processing, set-up, machine processing,
  // machine set-up, labour processing, labour set-up) of computation `times`.
  [[nodiscard]] host::Variant Plan(size_t times, size_t category) const;

  int16_t unit_;
  std::shared_ptr<const host::Table> bookings_;
  int hours_, minutes_, seconds_, kind_, machine_, employee_;
  std::vector<uint32_t> times_;  // record -> its planned times' number
  // record -> its booking's row; empty while every record is placed at its
  // booking's own row, as the pass places them (4 bytes a booking saved).
  std::vector<uint32_t> booking_rows_;
};

}  // namespace engine
