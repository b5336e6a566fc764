// The figures of every group of a run, for the groups grid of the results
// form: planned and booked seconds of the seven categories of each group,
// worked out a slice at a time (Step) so that the caller can keep its
// window answering between steps. Every group is worked out in one pass over
// the bookings (GroupMembership: each booking to the groups whose filter
// keeps it), then group by group from its bookings, each phase's planned
// times computed once for all the groups that count it. The record sets
// used are clones of the run's, so no grid moves; the totals are stored in
// RSTempiPrev as a visit stores them, and a visit reuses them (and the
// reverse: a group already visited is only read).
//
// Beside the figures, for each field of `shared_fields` (fields of both
// RSTempiVer and RSTempiVerDett that are not grouping dimensions: the
// group's row holds one booking's value of them), whether the group's
// bookings all share its value.
//
// A group's bookings are summed on two threads: their booked times on a
// thread of this object's own, their phases' planned times on the caller's.
// On that thread too, each group's record is stored and its figures read
// back, while the caller's thread sums the next groups, in the groups'
// order; a Step returns once they are all stored, so between two Steps
// RSTempiPrev is the caller's (a visit may store a group) and the thread
// touches nothing.
//
// The run must outlive this object and nothing else may use the run's
// record sets during a Step (same thread only).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/category_texts.h"
#include "engine/comparison.h"
#include "engine/group_membership.h"
#include "engine/id_slots.h"
#include "engine/layouts.h"
#include "engine/pass_splits.h"
#include "engine/serial_worker.h"

namespace engine {

using CategoryFigures = std::array<CategorySeconds, 7>;  // in kCategoryNames' order

class GroupFigures {
 public:
  explicit GroupFigures(Comparison& run, std::vector<std::string> shared_fields = {});
  ~GroupFigures();
  GroupFigures(const GroupFigures&) = delete;
  GroupFigures& operator=(const GroupFigures&) = delete;

  // Does a slice of the work: the filters of 64 × `count` groups, or
  // 4,096 × `count` bookings assigned to their groups, or 1,024 × `count`
  // bookings summed into their groups, or 256 × `count` of the bookings
  // left for AllBookings; answers true once every group and booking is done
  // and the booked total has come (waiting at most 10 ms for it per call).
  // A failure is reported as "TempiPreventivi" and ends the work (the
  // groups computed so far keep their figures).
  bool Step(size_t count);
  [[nodiscard]] bool Done() const { return done_; }
  [[nodiscard]] size_t Computed() const { return entries_.size(); }
  [[nodiscard]] size_t Total() const { return total_; }
  // The figures of the group whose IDGRUPPO is `id`; null until computed.
  [[nodiscard]] const CategoryFigures* Of(const host::Variant& id) const;
  // Whether the bookings of group `id` differ in shared_fields[field];
  // Null until the group is computed (or when the bookings lack the field).
  [[nodiscard]] std::optional<bool> Differ(const host::Variant& id, size_t field) const;
  [[nodiscard]] const std::vector<std::string>& SharedFields() const { return shared_fields_; }
  // How many phase computations of the run's pass the figures took instead
  // of computing them again.
  [[nodiscard]] int64_t TakenFromPass() const { return totals_ ? totals_->TakenFromPass() : 0; }
  // Waits until the pass's planned times are all split beside (tests).
  void WaitForPassSplits() {
    if (splits_) splits_->Wait();
  }
  // All the run's bookings taken as one group: the planned figures with
  // each phase once (GroupTotals::AllBookings), the total's booked as the
  // grouped query sums a group's, so that they equal a run without
  // grouping. Under h:mm:ss and seconds that is the sum of the bookings'
  // booked values when all are whole numbers (exact either way); otherwise,
  // and under hours and minutes (rounded after the sum), one more query
  // (ComparisonRun's TotalQuery) gives it, run from the start on a sibling
  // connection on its own thread when the back end gives one (else here, on
  // the run's). A failure of the query is reported as "TempiPreventivi" and
  // leaves the bookings' sum.
  [[nodiscard]] CategoryFigures AllBookings();

  // The bookings of the groups at `positions` (RSTempiVer's, from 0, in any
  // order; a booking of two of them counts once) taken as one group, as
  // AllBookings takes them all: each phase once, with the planned times its
  // first booking in the run's order has; the booked figures the bookings'
  // exact sum, except the total's: while no booking is in two of the
  // groups, the sum of the groups' own booked totals, which under hours and
  // minutes are rounded after each group's sum (so a group alone reads as
  // its row, and the groups' column adds up to it). For the totals row of
  // the groups a search keeps. Summed a
  // slice at a time: StartGroupsAsOne, then StepGroupsAsOne (about 1,024 ×
  // `count` bookings) until it answers true, then GroupsAsOne. After Done
  // only: before, nothing starts and GroupsAsOne answers zeros. A new start
  // drops the sum under way; a position out of range is left out. A failure
  // is reported as "TempiPreventivi" and ends the sum with what it had.
  void StartGroupsAsOne(std::vector<size_t> positions);
  bool StepGroupsAsOne(size_t count);
  [[nodiscard]] CategoryFigures GroupsAsOne();

 private:
  Comparison& run_;
  RunRecordSets clones_;
  std::unique_ptr<GroupTotals> totals_;
  std::shared_ptr<PassSplits> splits_;  // shared with the phase cache
  struct Entry {
    CategoryFigures figures;
    std::vector<int8_t> differ;  // per shared field: 1 differ, 0 all the same, -1 unknown
  };
  // The groups' figures in the order computed, found by the group's key
  // (the grid asks for them for every cell it paints and every row it sorts).
  std::vector<Entry> entries_;
  IdSlots entry_of_;  // key -> index in entries_ + 1, 0 while not computed
  [[nodiscard]] const Entry* EntryOf(int64_t key) const;
  void Keep(int64_t key, Entry entry);
  enum class Stage : uint8_t { Filters, Bookings, Groups, AllBookings };
  Stage stage_ = Stage::Filters;
  std::unique_ptr<GroupMembership> membership_;
  size_t next_group_ = 0;  // in the order of RSTempiVer's clone
  // RSTempiPrev's records by IDGRUPPO (GroupKey): storage row + 1, 0 for
  // none; and how many rows of it were looked at: a visit may add one
  // between two steps. A record posted to the store worker counts from
  // then on, at the row it will be appended to (each store appends one).
  IdSlots stored_;
  size_t stored_seen_ = 0;
  std::optional<TimeFieldIndex> prev_fields_;
  std::vector<host::Variant> prev_values_;  // FiguresAt's, kept between groups
  // The group being summed, a slice of its bookings at a time.
  struct Current {
    // Said, not defaulted: clang cannot use a nested class's member
    // initialisers before the enclosing class is complete (optional::emplace).
    Current() {}  // NOLINT(modernize-use-equals-default)
    host::Variant id;
    bool summing = true;  // false: a visit had stored it, it is only read
    size_t done = 0;      // its bookings summed so far
    GroupTotals::BookingSums sums;  // its planned times, summed here
    // Its booked times, summed on the store worker meanwhile (until the
    // group is stored, only the worker's jobs touch them).
    std::shared_ptr<GroupTotals::BookingSums> booked;
    std::vector<host::Variant> first;  // per shared field: the first booking's value
    std::vector<int8_t> differ;
  };
  std::optional<Current> current_;
  // Sums up to `budget` more bookings of the current group (at least one
  // step for an empty group) and, once it is whole, posts its store to the
  // worker; answers the bookings summed.
  size_t SumGroup(size_t budget);
  // Notes the records of RSTempiPrev added since the last look (only while
  // the store worker is idle).
  void LookAtStored();
  // Waits for the groups posted to the store worker and keeps their
  // figures; rethrows a store's failure once the groups before it are kept.
  void FinishStores();
  // The figures of the groups stored beside, in their order (the worker's
  // until FinishStores takes them).
  std::vector<std::pair<int64_t, Entry>> stored_entries_;
  [[nodiscard]] CategoryFigures FiguresAt(size_t prev_row);
  // The unit's booked total may be the bookings' sum (see AllBookings).
  [[nodiscard]] bool BookedTotalFromSums() const;
  // Starts the booked total's query on a sibling connection, if the back
  // end gives one and it has not started yet.
  void StartBookedTotal();
  std::vector<std::string> shared_fields_;
  std::vector<int> shared_index_;  // in RSTempiVerDett
  std::unique_ptr<host::db::Connection> sibling_;
  std::future<host::RecordSetPtr> booked_total_;  // the booked total, read beside
  size_t total_ = 0;
  bool started_ = false;
  bool all_gathered_ = false;
  bool done_ = false;
  // The sum of StartGroupsAsOne under way: its bookings' rows, increasing.
  struct AsOne {
    std::vector<uint32_t> rows;
    std::vector<host::Variant> ids;  // of the groups, for their booked totals
    // No booking in two of the groups, each group's id known: the total's
    // booked time is the sum of theirs.
    bool booked_from_groups = true;
    size_t next = 0;
    GroupTotals::BookingSums sums;
    std::optional<CategoryFigures> figures;  // once summed
  };
  std::unique_ptr<AsOne> as_one_;
  // Last: stopped before anything its jobs use goes.
  std::unique_ptr<SerialWorker> store_worker_;
};

// The key of an IDGRUPPO value in GroupFigures.
int64_t GroupKey(const host::Variant& id);

// All the run's bookings taken as one group, as the results form's totals
// row and the report's total read them (GroupFigures::AllBookings says
// how): `totals`' AllBookings, the total's booked time from the run's total
// query where the bookings' own sums may differ from it. `read_beside`
// answers that query's rows when they are being read already (null, or
// answering null: read here on the run's connection). A failure of the
// query is reported as "TempiPreventivi" and leaves the bookings' sum.
CategoryFigures RunAsOneGroup(Comparison& run, GroupTotals& totals,
                              const std::function<host::RecordSetPtr()>& read_beside = {});

}  // namespace engine
