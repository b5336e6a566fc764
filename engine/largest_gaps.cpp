#include "engine/largest_gaps.h"

#include <algorithm>
#include <cmath>

#include "engine/category_texts.h"
#include "engine/value_helpers.h"

namespace engine {

std::vector<GroupGap> LargestGaps(Comparison& run, size_t count, Progress& progress) {
  std::vector<GroupGap> gaps;
  if (run.Empty()) return gaps;
  RunRecordSets& r = run.Records();
  RunRecordSets clones{r.RSCampi, r.RSTempiVer->Clone(), r.RSTempiVerDett->Clone(), r.RSTempiPrev->Clone(),
                       r.RSTempiPrevDett->Clone()};
  clones.RSTempiVer->SetFilter("");
  GroupTotals totals(run.Context(), clones, run.Reader().Phases(), run.Production(), static_cast<int16_t>(run.Unit()),
                     run.Options(), run.GroupingColumns());
  host::RecordSet& groups = *clones.RSTempiVer;
  progress.Show(static_cast<int64_t>(groups.RecordCount()));
  for (groups.MoveFirst(); !groups.Eof(); groups.MoveNext()) {
    progress.Set(groups.AbsolutePosition());
    if (totals.TempiPreventivi()) break;
    if (clones.RSTempiPrev->Eof()) continue;
    const CategorySeconds s = SecondsOf(*clones.RSTempiPrev, {""}, static_cast<int16_t>(run.Unit()));
    GroupGap gap;
    gap.id = groups.Value("IDGRUPPO");
    for (const auto& column : run.GroupingColumns()) {
      const host::Variant v = groups.Value(column);
      std::string text = v.IsNull() ? std::string() : host::RTrim(v.JoinedText());
      if (v.IsNumber()) text = v.ToDecimal().Normalized().ToString();
      if (v.IsDate()) text = v.Date().ToIsoText().substr(0, 10);
      // No value reads as a dash: "R04/-", not "R04/" as if cut.
      if (text.empty()) text.push_back('-');
      gap.label += (gap.label.empty() ? "" : "/") + text;
    }
    gap.planned = s.planned.ToDecimal().ToDouble();
    gap.booked = s.booked.ToDecimal().ToDouble();
    gaps.push_back(std::move(gap));
  }
  progress.Hide();
  const size_t keep = std::min(count, gaps.size());
  std::partial_sort(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(keep), gaps.end(),
                    [](const GroupGap& a, const GroupGap& b) { return std::fabs(a.Gap()) > std::fabs(b.Gap()); });
  gaps.resize(keep);
  return gaps;
}

}  // namespace engine
