#include "engine/group_figures.h"

#include "engine/value_helpers.h"

namespace engine {

int64_t GroupKey(const host::Variant& id) {
  if (id.IsNull() || id.IsEmpty() || !id.IsNumeric()) return -1;
  return id.ToDecimal().TruncToInt64();
}

namespace {

// Two values of a field as the grouping would tell them apart: Null and
// blank alike, numbers by value, texts without trailing blanks.
bool SameValue(const host::Variant& a, const host::Variant& b) {
  const bool an = a.IsNull() || a.IsEmpty();
  const bool bn = b.IsNull() || b.IsEmpty();
  if (an || bn) return an == bn || host::RTrim((an ? b : a).JoinedText()).empty();
  if (a.IsNumber() && b.IsNumber()) return host::CompareNumbers(a, b) == 0;
  if (a.IsDate() && b.IsDate()) return a.Date().Seconds() == b.Date().Seconds();
  return host::RTrim(a.JoinedText()) == host::RTrim(b.JoinedText());
}

}  // namespace

GroupFigures::GroupFigures(Comparison& run, std::vector<std::string> shared_fields)
    : run_(run), shared_fields_(std::move(shared_fields)) {
  if (run.Empty()) {
    done_ = true;
    return;
  }
  RunRecordSets& r = run.Records();
  clones_ = RunRecordSets{r.RSCampi, r.RSTempiVer->Clone(), r.RSTempiVerDett->Clone(), r.RSTempiPrev->Clone(),
                          r.RSTempiPrevDett->Clone()};
  clones_.RSTempiVer->SetFilter("");
  total_ = clones_.RSTempiVer->RecordCount();
  for (const auto& name : shared_fields_) shared_index_.push_back(clones_.RSTempiVerDett->FieldIndex(name));
  totals_ = std::make_unique<GroupTotals>(run.Relay(), clones_, run.Reader().Phases(), run.Production(),
                                          static_cast<int16_t>(run.Unit()), run.Options(), run.GroupingColumns());
  // The booked total reads every booking again: beside the groups' figures.
  const std::string sql = run.Reader().TotalQuery();
  if (sql.empty()) return;
  try {
    sibling_ = run.Connection().OpenSibling();
  } catch (const host::Error&) {
    sibling_.reset();  // read here at the end instead
  }
  if (sibling_) {
    host::db::Connection* sibling = sibling_.get();
    booked_total_ = std::async(std::launch::async, [sibling, sql] { return sibling->Execute(sql); });
  }
}

GroupFigures::~GroupFigures() {
  // A form closed before the end does not wait for the query.
  if (booked_total_.valid()) {
    sibling_->Interrupt();
    try {
      booked_total_.get();
    } catch (...) {
      // Stopped: nobody needs it.
    }
  }
}

bool GroupFigures::Step(size_t count) {
  if (done_) return true;
  host::RecordSet& groups = *clones_.RSTempiVer;
  if (!started_) {
    groups.MoveFirst();
    started_ = true;
  }
  const auto unit = static_cast<int16_t>(run_.Unit());
  for (size_t n = 0; n < count && !groups.Eof(); ++n, groups.MoveNext()) {
    if (totals_->TempiPreventivi()) {
      done_ = true;
      return true;
    }
    const host::RecordSet& prev = *clones_.RSTempiPrev;
    if (prev.Eof()) continue;
    Entry entry;
    for (size_t c = 0; c < kCategoryNames.size(); ++c) {
      entry.figures[c] = SecondsOf(prev, {kCategoryNames[c].suffix}, unit);
    }
    entry.differ.assign(shared_index_.size(), int8_t{0});
    for (size_t f = 0; f < shared_index_.size(); ++f) {
      if (shared_index_[f] < 0) entry.differ[f] = -1;
    }
    if (!shared_index_.empty()) {
      // The group's bookings, as TempiPreventivi filtered them.
      host::RecordSet& bookings = *clones_.RSTempiVerDett;
      std::vector<host::Variant> first(shared_index_.size());
      bool at_first = true;
      for (bookings.MoveFirst(); !bookings.Eof(); bookings.MoveNext(), at_first = false) {
        for (size_t f = 0; f < shared_index_.size(); ++f) {
          if (entry.differ[f] != 0) continue;
          const host::Variant v = bookings.Value(static_cast<size_t>(shared_index_[f]));
          if (at_first) {
            first[f] = v;
          } else if (!SameValue(first[f], v)) {
            entry.differ[f] = 1;
          }
        }
      }
    }
    figures_[GroupKey(groups.Value("IDGRUPPO"))] = std::move(entry);
  }
  // Then all the bookings as one group, for the totals row, a slice at a time too.
  if (groups.Eof()) done_ = totals_->StepAllBookings(count * 64);
  return done_;
}

const CategoryFigures* GroupFigures::Of(const host::Variant& id) const {
  const auto it = figures_.find(GroupKey(id));
  return it == figures_.end() ? nullptr : &it->second.figures;
}

std::optional<bool> GroupFigures::Differ(const host::Variant& id, size_t field) const {
  const auto it = figures_.find(GroupKey(id));
  if (it == figures_.end() || field >= it->second.differ.size() || it->second.differ[field] < 0) return std::nullopt;
  return it->second.differ[field] == 1;
}

CategoryFigures GroupFigures::AllBookings() {
  if (!totals_) return {};
  CategoryFigures out = totals_->AllBookings();
  const std::string& sql = run_.Reader().TotalQuery();
  if (sql.empty()) return out;
  try {
    const host::RecordSetPtr rs = booked_total_.valid() ? booked_total_.get() : run_.Connection().Execute(sql);
    if (rs && !rs->Eof()) {
      const auto value = [&](const char* name) {
        const int i = rs->FieldIndex(name);
        return i < 0 ? host::Variant(int16_t{0}) : ValoreNumerico(rs->Value(static_cast<size_t>(i)));
      };
      out[0].booked = PlannedSeconds(value("OREVERS"), value("MINVERS"), value("SECVERS"),
                                     static_cast<int16_t>(run_.Unit()));
    }
  } catch (...) {
    ReportCurrentError(run_.Relay(), "TempiPreventivi");
  }
  return out;
}

}  // namespace engine
