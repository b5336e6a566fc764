// The planned times that the run's pass over the bookings kept, offered to
// the group totals, which would otherwise compute every phase of every group
// again from its phase row.
//
// The pass keeps one computation per phase row, quantity, article and
// variant; the group side computes a phase from the row its id finds, with
// the record's quantity. The two are the same computation only when every
// input is the same, so a kept computation is offered only where:
//  - the pass found its row with the row's own reference lot (an order
//    phase, or a cycle phase by bill of materials; the default cycle's
//    query answers lot 0, a reconfigured cycle is the booking's own), and
//    the group side's lookup by id answers that very row (TakeRow);
//  - no formula was evaluated with keys of the booking other than the
//    phase row's own (the group side reads them from the row), and none
//    failed (the group side says a failure where it computes);
//  - the group side's quantity is the same kind of number (whole or
//    decimal) as the one computed with, and of the same value: the pass
//    keeps one computation for quantities of equal value, a cycle phase's
//    quantity is the booking's on both sides, and an order phase's
//    quantity, which the group side reads from the record (rounded to its
//    field), is checked against the row's once (SameRow's caller).
// Anything else answers "not offered" and the group side computes as before.
//
// Built by one thread during the pass; afterwards only read (any thread).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "engine/phase_calculation.h"
#include "engine/planned_records.h"
#include "host/value/variant.h"

namespace engine {

class PassTimes {
 public:
  explicit PassTimes(std::shared_ptr<const PlannedRecords> records);

  // The pass kept computation `times` from `row` with `quantity`; `own_lot`:
  // the row came with its own reference lot; `formula`: a formula was
  // evaluated with keys of the booking that are not the row's, or failed.
  // Each number is noted once, when it is first kept.
  void Note(uint32_t times, const PhaseRow& row, bool order, const host::Variant& quantity, bool own_lot,
            bool formula);

  // The kept computation of the record at storage row `record` of
  // RSTempiPrevDett, if one is offered for an order phase (`order`) or a
  // cycle phase computed with a quantity of `quantity`'s kind: its number.
  [[nodiscard]] std::optional<uint32_t> Offered(size_t record, bool order, const host::Variant& quantity) const;
  // Whether computation `times` is offered at all (for some record).
  [[nodiscard]] bool Offers(uint32_t times) const { return times < origins_.size() && origins_[times].offered; }
  // Whether computation `times` was made from the row the group side found
  // (its table and row).
  [[nodiscard]] bool SameRow(uint32_t times, const PhaseRow& row) const;
  // The table and row computation `times` was made from (null table for a
  // number never noted).
  [[nodiscard]] std::pair<const host::Table*, size_t> RowOf(uint32_t times) const;
  // The seven planned times of computation `times` (total, processing,
  // set-up, machine processing, machine set-up, labour processing, labour
  // set-up), exactly as computed.
  [[nodiscard]] std::array<host::Variant, 7> Times(uint32_t times) const;
  // Numbers are below this.
  [[nodiscard]] size_t Size() const { return origins_.size(); }

 private:
  // 16 bytes per distinct computation, not per booking.
  struct Origin {
    const host::Table* table = nullptr;  // compared, never read
    uint32_t row = 0;
    bool offered = false;
    bool order = false;
    uint8_t quantity_kind = 0;  // of number (see NumberKind), 0 for none
  };
  std::shared_ptr<const PlannedRecords> records_;
  // Blocks, not one vector: millions of computations in ten years, which a
  // vector would double (and copy) into a new buffer beside the old one
  // while the planned pass is at its largest.
  std::deque<Origin> origins_;
};

}  // namespace engine
