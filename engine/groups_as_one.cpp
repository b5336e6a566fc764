// The totals row of the groups a search keeps: their bookings taken as one
// group, from the rows the pass gave each group (GroupFigures::GroupsAsOne).
#include <algorithm>
#include <limits>

#include "engine/group_figures.h"

namespace engine {

void GroupFigures::StartGroupsAsOne(std::vector<size_t> positions) {
  as_one_.reset();
  if (!done_ || !membership_ || !membership_->Done()) return;
  as_one_ = std::make_unique<AsOne>();
  // In the run's order the groups' rows mostly follow one another already.
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  const host::RecordSet& groups = *clones_.RSTempiVer;
  const int id_field = groups.FieldIndex("IDGRUPPO");
  as_one_->booked_from_groups = id_field >= 0;
  for (const size_t group : positions) {
    if (group >= membership_->Groups() || group >= groups.RecordCount()) continue;
    const std::span<const uint32_t> rows = membership_->RowsOf(group);
    as_one_->rows.insert(as_one_->rows.end(), rows.begin(), rows.end());
    if (id_field >= 0) as_one_->ids.push_back(groups.ValueAt(group, static_cast<size_t>(id_field)));
  }
  // Each phase's first booking is its first in the run's order, as for
  // all the bookings; a booking that two groups' filters keep counts once.
  std::vector<uint32_t>& rows = as_one_->rows;
  if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
  const size_t kept = rows.size();
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.size() != kept) as_one_->booked_from_groups = false;
}

bool GroupFigures::StepGroupsAsOne(size_t count) {
  if (!as_one_ || as_one_->next >= as_one_->rows.size()) return true;
  AsOne& sum = *as_one_;
  const size_t take = std::min(count * 1024, sum.rows.size() - sum.next);
  try {
    totals_->SumRows(std::span<const uint32_t>(sum.rows).subspan(sum.next, take), sum.sums);
    sum.next += take;
  } catch (const std::exception&) {
    run_.Context().Caught("TempiPreventivi");
    sum.next = sum.rows.size();
  }
  return sum.next >= sum.rows.size();
}

CategoryFigures GroupFigures::GroupsAsOne() {
  if (!as_one_) return {};
  while (!StepGroupsAsOne(std::numeric_limits<size_t>::max() / 2048)) {
  }
  // The sums are settled once.
  if (as_one_->figures) return *as_one_->figures;
  CategoryFigures out = totals_->FiguresOfSums(as_one_->sums);
  const auto known = [&](const host::Variant& id) { return Of(id) != nullptr; };
  if (as_one_->booked_from_groups && std::all_of(as_one_->ids.begin(), as_one_->ids.end(), known)) {
    host::Decimal booked;
    for (const host::Variant& id : as_one_->ids) booked = booked + (*Of(id))[0].booked.ToDecimal();
    out[0].booked = booked;
  }
  as_one_->figures = out;
  return out;
}

}  // namespace engine
