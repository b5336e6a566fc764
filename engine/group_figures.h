// The figures of every group of a run, for the groups grid of the results
// form: planned and booked seconds of the seven categories of each group,
// worked out a few groups at a time (Step) so that the caller can keep its
// window answering between steps. The groups are computed on clones of the
// run's record sets, so no grid moves; their totals are stored in
// RSTempiPrev as a visit stores them, and a visit reuses them (and the
// reverse: a group already visited is only read).
//
// Beside the figures, for each field of `shared_fields` (fields of both
// RSTempiVer and RSTempiVerDett that are not grouping dimensions: the
// group's row holds one booking's value of them), whether the group's
// bookings all share its value.
//
// The run must outlive this object and nothing else may use the run's
// record sets during a Step (same thread only).
#pragma once

#include <array>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/category_texts.h"
#include "engine/comparison.h"

namespace engine {

using CategoryFigures = std::array<CategorySeconds, 7>;  // in kCategoryNames' order

class GroupFigures {
 public:
  explicit GroupFigures(Comparison& run, std::vector<std::string> shared_fields = {});
  ~GroupFigures();
  GroupFigures(const GroupFigures&) = delete;
  GroupFigures& operator=(const GroupFigures&) = delete;

  // Computes up to `count` more groups (then 64 × `count` more bookings of
  // AllBookings); answers true once every group and booking is done. A failure is reported as "TempiPreventivi" and ends the work (the
  // groups computed so far keep their figures).
  bool Step(size_t count);
  [[nodiscard]] bool Done() const { return done_; }
  [[nodiscard]] size_t Computed() const { return figures_.size(); }
  [[nodiscard]] size_t Total() const { return total_; }
  // The figures of the group whose IDGRUPPO is `id`; null until computed.
  [[nodiscard]] const CategoryFigures* Of(const host::Variant& id) const;
  // Whether the bookings of group `id` differ in shared_fields[field];
  // Null until the group is computed (or when the bookings lack the field).
  [[nodiscard]] std::optional<bool> Differ(const host::Variant& id, size_t field) const;
  [[nodiscard]] const std::vector<std::string>& SharedFields() const { return shared_fields_; }
  // All the run's bookings taken as one group: the planned figures with
  // each phase once (GroupTotals::AllBookings), the total's booked as the
  // grouped query sums a group's (one more query, ComparisonRun's
  // TotalQuery), so that they equal a run without grouping. That query
  // runs from the start on a sibling connection on its own thread when the
  // back end gives one (else here, on the run's). A failure of the query
  // is reported as "TempiPreventivi" and leaves the bookings' sum.
  [[nodiscard]] CategoryFigures AllBookings();

 private:
  Comparison& run_;
  RunRecordSets clones_;
  std::unique_ptr<GroupTotals> totals_;
  struct Entry {
    CategoryFigures figures;
    std::vector<int8_t> differ;  // per shared field: 1 differ, 0 all the same, -1 unknown
  };
  std::unordered_map<int64_t, Entry> figures_;
  std::vector<std::string> shared_fields_;
  std::vector<int> shared_index_;  // in RSTempiVerDett
  std::unique_ptr<host::db::Connection> sibling_;
  std::future<host::RecordSetPtr> booked_total_;  // the booked total, read beside
  size_t total_ = 0;
  bool started_ = false;
  bool done_ = false;
};

// The key of an IDGRUPPO value in GroupFigures.
int64_t GroupKey(const host::Variant& id);

}  // namespace engine
