#include "engine/group_figures.h"

#include "engine/value_helpers.h"

#include <algorithm>
#include <chrono>

namespace engine {

int64_t GroupKey(const host::Variant& id) {
  if (id.IsNull() || id.IsEmpty() || !id.IsNumeric()) return -1;
  return id.ToDecimal().TruncToInt64();
}

namespace {

// Storing a group's record costs about what summing this many of its
// bookings does: the worker's batches are weighed in bookings.
constexpr size_t kStoreWeight = 16;

// Two values of a field as the grouping would tell them apart: Null and
// blank alike, numbers by value, texts without trailing blanks.
bool SameValue(const host::Variant& a, const host::Variant& b) {
  // Most bookings of a group repeat the first one's value exactly: told
  // without copying texts.
  if (a == b) return true;
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
  entries_.reserve(total_);
  {
    std::vector<int64_t> keys;
    keys.reserve(total_);
    const host::Table& groups = clones_.RSTempiVer->Storage();
    const int id_field = clones_.RSTempiVer->FieldIndex("IDGRUPPO");
    for (size_t row = 0; id_field >= 0 && row < groups.RowCount(); ++row) {
      keys.push_back(GroupKey(groups.Get(row, static_cast<size_t>(id_field))));
    }
    // IDGRUPPO is a booking's number: the groups' keys spread over the
    // bookings' numbers, a range about as wide as the bookings are many.
    const size_t width = 2 * clones_.RSTempiVerDett->Storage().RowCount();
    entry_of_ = IdSlots(keys, width);
    stored_ = IdSlots(keys, width);
  }
  for (const auto& name : shared_fields_) shared_index_.push_back(clones_.RSTempiVerDett->FieldIndex(name));
  totals_ = std::make_unique<GroupTotals>(run.Context(), clones_, run.Reader().Phases(), run.Production(),
                                          static_cast<int16_t>(run.Unit()), run.Options(), run.GroupingColumns());
  totals_->ShareFilterFields(run.Totals());
  // From now on a visit and the pass work out each phase once between them:
  // the group shown when the form opens is visited before the first step.
  totals_->ReusePhases();
  run.Totals().ReusePhases(totals_->PhaseCache());
  // Most phases' planned times were worked out by the run's pass already;
  // split into the unit's members on the second core while this thread
  // sums the bookings.
  const std::shared_ptr<const PassTimes>& pass = run.Reader().KeptPassTimes();
  totals_->ReusePassTimes(pass);
  run.Totals().ReusePassTimes(pass);
  if (pass) {
    splits_ = std::make_shared<PassSplits>(pass, static_cast<int16_t>(run.Unit()));
    totals_->PhaseCache()->UsePassSplits(splits_);
  }
  store_worker_ = std::make_unique<SerialWorker>();
  // Under h:mm:ss and seconds the database sums the bookings' own booked
  // values, which the pass sums too: the query is read only if one of them
  // is no whole number (AllBookings). Otherwise it reads every booking
  // again: beside the groups' figures.
  if (!BookedTotalFromSums()) StartBookedTotal();
}

void GroupFigures::StartBookedTotal() {
  const std::string sql = run_.Reader().TotalQuery();
  if (sql.empty() || booked_total_.valid()) return;
  try {
    sibling_ = run_.Connection().OpenSibling();
  } catch (const host::Error&) {
    sibling_.reset();  // read at the end on the run's connection instead
  }
  if (sibling_) {
    host::db::Connection* sibling = sibling_.get();
    booked_total_ = std::async(std::launch::async, [sibling, sql] { return sibling->Execute(sql); });
  }
}

GroupFigures::~GroupFigures() {
  // The splits already made stay with the phase cache (a visit uses them).
  if (splits_) splits_->Stop();
  // A form closed before the end does not wait for the query.
  if (booked_total_.valid()) {
    sibling_->Interrupt();
    try {
      booked_total_.get();
    } catch (...) {  // the worker's edge: stopped, nobody needs what it met
    }
  }
}

bool GroupFigures::Step(size_t count) {
  if (done_) return true;
  host::RecordSet& groups = *clones_.RSTempiVer;
  std::exception_ptr failure;
  try {
    if (!started_) {
      groups.MoveFirst();
      clones_.RSTempiPrev->SetFilter("");  // records are added at its end
      totals_->GatherAllBookings();
      membership_ = std::make_unique<GroupMembership>(clones_.RSTempiVerDett->Storage());
      started_ = true;
    }
    switch (stage_) {
      case Stage::Filters:
        // Each group's filter, as a visit sets it.
        for (size_t n = 0; n < count * 64 && !groups.Eof(); ++n, groups.MoveNext()) {
          membership_->AddGroup(totals_->GroupCriteria(clones_.RSTempiVerDett->Storage()));
        }
        if (groups.Eof()) {
          stage_ = Stage::Bookings;
          groups.MoveFirst();
        }
        break;
      case Stage::Bookings:
        if (membership_->Assign(count * 4096)) stage_ = Stage::Groups;
        break;
      case Stage::Groups:
        // What a visit stored since the last step (the worker is idle).
        LookAtStored();
        // About 1,024 × `count` bookings, whatever the groups' sizes.
        for (size_t budget = count * 1024; budget > 0 && !groups.Eof();) {
          budget -= std::min(budget, SumGroup(budget));
        }
        if (groups.Eof()) stage_ = Stage::AllBookings;
        break;
      case Stage::AllBookings:
        // The groups' rows stay: the totals of the groups a search keeps
        // are summed from them (GroupsAsOne).
        // Then all the bookings as one group, for the totals row; done once
        // the booked total read beside has come (AllBookings then waits for
        // nothing), waiting a little at a time meanwhile rather than spinning.
        if (!all_gathered_) {
          all_gathered_ = totals_->StepAllBookings(count * 256);
          // A booked value that is no whole number: the database's sum after all.
          if (all_gathered_ && BookedTotalFromSums() && !totals_->AllBookedWhole()) StartBookedTotal();
        }
        if (all_gathered_) {
          done_ = !booked_total_.valid() ||
                  booked_total_.wait_for(std::chrono::milliseconds(10)) == std::future_status::ready;
        }
        break;
    }
  } catch (...) {  // said below, once the groups posted before it are stored
    failure = std::current_exception();
  }
  // The groups posted are stored before the step ends; a store's failure
  // came before anything that failed here (it was posted earlier).
  try {
    FinishStores();
  } catch (...) {  // said below
    failure = std::current_exception();
  }
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception&) {
      run_.Context().Caught("TempiPreventivi");
      done_ = true;
    }
  }
  return done_;
}

void GroupFigures::FinishStores() {
  if (!store_worker_) return;
  std::exception_ptr failed;
  try {
    store_worker_->Drain();
  } catch (...) {  // rethrown below, once the groups stored before it are kept
    failed = std::current_exception();
  }
  for (auto& [key, entry] : stored_entries_) Keep(key, std::move(entry));
  stored_entries_.clear();
  if (failed) std::rethrow_exception(failed);
}

void GroupFigures::LookAtStored() {
  const host::RecordSet& prev = *clones_.RSTempiPrev;
  const host::Table& stored = prev.Storage();
  const auto id_field = static_cast<size_t>(prev.FieldIndex("IDGRUPPO"));
  for (; stored_seen_ < stored.RowCount(); ++stored_seen_) {
    uint32_t& slot = stored_[GroupKey(stored.Get(stored_seen_, id_field))];
    if (slot == 0) slot = static_cast<uint32_t>(stored_seen_ + 1);
  }
}

size_t GroupFigures::SumGroup(size_t budget) {
  host::RecordSet& groups = *clones_.RSTempiVer;
  const std::span<const uint32_t> rows = membership_->RowsOf(next_group_);
  if (!current_) {
    current_.emplace();
    current_->id = groups.Value("IDGRUPPO");
    current_->differ.assign(shared_index_.size(), int8_t{0});
    current_->first.resize(shared_index_.size());
    for (size_t f = 0; f < shared_index_.size(); ++f) {
      if (shared_index_[f] < 0) current_->differ[f] = -1;
    }
    // A group already visited (or stored by a group of the same key) is only read.
    current_->summing = stored_.Find(GroupKey(current_->id)) == 0;
    if (current_->summing) current_->booked = std::make_shared<GroupTotals::BookingSums>();
  }
  Current& group = *current_;
  const size_t take = std::min(budget, rows.size() - group.done);
  const std::span<const uint32_t> slice = rows.subspan(group.done, take);
  if (group.summing) {
    // The booked half first, so that the worker sums it while this thread
    // sums the planned half; the rows stay until the step's end, which
    // waits for the worker.
    store_worker_->Post([this, slice, booked = group.booked] { totals_->SumBookedRows(slice, *booked); },
                        slice.size());
    totals_->SumPlannedRows(slice, group.sums);
  }
  // Whether the bookings share each field beside the grouping.
  const host::Table& bookings = clones_.RSTempiVerDett->Storage();
  for (size_t f = 0; f < shared_index_.size() && !slice.empty(); ++f) {
    if (group.differ[f] != 0) continue;
    const auto field = static_cast<size_t>(shared_index_[f]);
    size_t r = 0;
    if (group.done == 0) group.first[f] = bookings.Get(slice[r++], field);
    for (; r < slice.size(); ++r) {
      if (!SameValue(group.first[f], bookings.Get(slice[r], field))) {
        group.differ[f] = 1;
        break;
      }
    }
  }
  group.done += take;
  if (group.done < rows.size()) return take;
  // The whole group: stored unless a visit stored it meanwhile, and its
  // figures read back, on the worker while this thread sums the next groups.
  struct Store {
    bool store = false;
    host::Variant id;
    GroupTotals::BookingSums sums;
    std::shared_ptr<GroupTotals::BookingSums> summed_booked;
    std::array<host::Variant, 3> booked;
    size_t row = 0;
    int64_t key = 0;
    Entry entry;
  };
  auto job = std::make_shared<Store>();
  job->key = GroupKey(group.id);
  uint32_t& slot = stored_[job->key];
  if (slot == 0) {
    // Appended next: every row before it was looked at or posted.
    slot = static_cast<uint32_t>(++stored_seen_);
    job->store = true;
    job->id = group.id;
    job->sums = std::move(group.sums);
    job->summed_booked = std::move(group.booked);
    job->booked = totals_->CurrentGroupBooked();
  }
  job->row = slot - 1;
  job->entry.differ = std::move(group.differ);
  store_worker_->Post([this, job] {
    // After the group's booked half: the worker runs its jobs in order.
    if (job->store) {
      if (job->summed_booked) GroupTotals::TakeBooked(job->sums, std::move(*job->summed_booked));
      totals_->StoreTotals(job->id, job->sums, job->booked);
    }
    job->entry.figures = FiguresAt(job->row);
    stored_entries_.emplace_back(job->key, std::move(job->entry));
  }, kStoreWeight);
  current_.reset();
  ++next_group_;
  groups.MoveNext();
  return std::max<size_t>(take, 1);
}

CategoryFigures GroupFigures::FiguresAt(size_t prev_row) {
  const host::RecordSet& prev = *clones_.RSTempiPrev;
  const host::Table& table = prev.Storage();
  if (!prev_fields_) prev_fields_.emplace(prev);
  const TimeFieldIndex& fields = *prev_fields_;
  const auto unit = static_cast<int16_t>(run_.Unit());
  // One row's worth of values for every group: SecondsOf reads by position.
  std::vector<host::Variant>& values = prev_values_;
  values.resize(prev.FieldCount());
  CategoryFigures figures;
  for (size_t c = 0; c < kCategoryNames.size(); ++c) {
    for (const TimeFieldBase base : {kOrePrev, kMinPrev, kSecPrev, kOreVers, kMinVers, kSecVers}) {
      const size_t at = fields.At(c, base);
      values[at] = table.Get(prev_row, at);
    }
    figures[c] = SecondsOf(values, fields, c, unit);
  }
  return figures;
}

void GroupFigures::Keep(int64_t key, Entry entry) {
  uint32_t& slot = entry_of_[key];
  if (slot != 0) {
    entries_[slot - 1] = std::move(entry);  // the same key twice: the last one, as a map keeps it
    return;
  }
  entries_.push_back(std::move(entry));
  slot = static_cast<uint32_t>(entries_.size());
}

const GroupFigures::Entry* GroupFigures::EntryOf(int64_t key) const {
  const uint32_t slot = entry_of_.Find(key);
  return slot == 0 ? nullptr : &entries_[slot - 1];
}

const CategoryFigures* GroupFigures::Of(const host::Variant& id) const {
  const Entry* entry = EntryOf(GroupKey(id));
  return entry == nullptr ? nullptr : &entry->figures;
}

std::optional<bool> GroupFigures::Differ(const host::Variant& id, size_t field) const {
  const Entry* entry = EntryOf(GroupKey(id));
  if (entry == nullptr || field >= entry->differ.size() || entry->differ[field] < 0) return std::nullopt;
  return entry->differ[field] == 1;
}

namespace {

// Under h:mm:ss and seconds a total booked time is the exact sum of the
// bookings' own; under decimal hours and minutes each sum is rounded.
bool BookedTotalFromSums(int16_t unit) { return unit == kOreMinutiSecondi || unit == kSecondiDecimali; }

}  // namespace

bool GroupFigures::BookedTotalFromSums() const { return engine::BookedTotalFromSums(static_cast<int16_t>(run_.Unit())); }

CategoryFigures GroupFigures::AllBookings() {
  if (!totals_) return {};
  return RunAsOneGroup(run_, *totals_, [this]() -> host::RecordSetPtr {
    return booked_total_.valid() ? booked_total_.get() : nullptr;
  });
}

CategoryFigures RunAsOneGroup(Comparison& run, GroupTotals& totals,
                              const std::function<host::RecordSetPtr()>& read_beside) {
  CategoryFigures out = totals.AllBookings();
  const std::string& sql = run.Reader().TotalQuery();
  const auto unit = static_cast<int16_t>(run.Unit());
  if (sql.empty() || (BookedTotalFromSums(unit) && totals.AllBookedWhole())) return out;
  try {
    host::RecordSetPtr rs = read_beside ? read_beside() : nullptr;
    if (!rs) rs = run.Connection().Execute(sql);
    if (rs && !rs->Eof()) {
      const auto value = [&](const char* name) {
        const int i = rs->FieldIndex(name);
        return i < 0 ? host::Variant(int16_t{0}) : ValoreNumerico(rs->Value(static_cast<size_t>(i)));
      };
      out[0].booked = PlannedSeconds(value("OREVERS"), value("MINVERS"), value("SECVERS"), unit);
    }
  } catch (const std::exception&) {
    run.Context().Caught("TempiPreventivi");
  }
  return out;
}

}  // namespace engine
