// The planned totals of booking groups (the computing half of the results
// form's TempiPreventivi): the group's filter on the bookings, and once per
// group the planned times of its distinct phases, summed by category, against
// its booked times, stored in RSTempiPrev.
//
// The group filter keeps exactly the bookings that the group's row summed:
// the grouping fields of the candidate list in its order, then any other
// grouping field; a Null or blank value is filtered "= NULL", and where that
// would also take in the bookings of another group (Null beside blank, or
// beside 0), the filter adds the exact "IS NULL" or "= value".
//
// A phase counts once per group. A cycle phase has no order quantity: it is
// computed with the booking quantity (NVL(PD44_QTALAV, 1)) of the group's
// first booking of that phase, as each booking of it was.
#pragma once

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/category_texts.h"
#include "engine/exact_sum.h"
#include "engine/run_context.h"
#include "engine/layouts.h"
#include "engine/oms.h"
#include "engine/pass_times.h"
#include "engine/phase_key_map.h"
#include "engine/phase_source.h"
#include "engine/planned_phase_cache.h"
#include "engine/progress.h"
#include "host/recordset/criteria.h"
#include "host/services/production_services.h"

namespace engine {

// Writes the booked values of the chosen unit and OMSPREV, OMSVERS, GAP and
// GAPPERC of the six split categories into the current record, by the rules
// of ConvertiOMS. `planned[c]` and `booked[c]` hold category c+1's values in
// the unit (their OREPREV/MINPREV/SECPREV and OREVERS/MINVERS/SECVERS).
void ValorizzaOMSLavorazSetup(RunContext& context, host::RecordSet& rs, int16_t unit,
                              const std::array<ValoriCategoria, 6>& values);
// The same with the record set's time fields already found.
void ValorizzaOMSLavorazSetup(RunContext& context, host::RecordSet& rs, const TimeFieldIndex& fields, int16_t unit,
                              const std::array<ValoriCategoria, 6>& values);

// The same as field values (appended to `out`), for a record written whole.
void SplitCategoryFields(RunContext& context, const TimeFieldIndex& fields, int16_t unit,
                         const std::array<ValoriCategoria, 6>& values, std::vector<host::RecordSet::FieldValue>& out);

// Planned seconds of a category's planned h/m/s in the chosen unit.
host::Variant PlannedSeconds(const ValoriCategoria& v, int16_t unit);
// The same from the three members themselves.
host::Variant PlannedSeconds(const host::Variant& hours, const host::Variant& minutes, const host::Variant& seconds,
                             int16_t unit);

class GroupTotals {
 public:
  // A field of the group filter: its name, and whether its value is written
  // as a number (else quoted).
  struct FilterField {
    std::string name;
    bool number;
  };

  GroupTotals(RunContext& context, RunRecordSets& records, PhaseSource& phases, host::ProductionServices& production,
              int16_t unit, PhaseOptions options, std::vector<std::string> grouping_columns);

  // The filter of RSTempiVer's current group on RSTempiVerDett.
  [[nodiscard]] std::string GroupFilter();
  // The same filter as host::ParseCriteria reads its text on `bookings`
  // (RSTempiVerDett's table), without writing and parsing it: the figures
  // of every group ask it of each. No criteria for a run without grouping
  // (the empty filter). A field `bookings` lacks throws as the parse does.
  [[nodiscard]] host::Criteria GroupCriteria(const host::Table& bookings);
  // Takes the filter's fields and which groups share an "= NULL" from
  // `other`, a GroupTotals of the same run (worked out there first if need
  // be): they depend on the run's records alone, and reading every group
  // for them once is enough.
  void ShareFilterFields(GroupTotals& other);
  // Filters the bookings to the current group and makes sure RSTempiPrev has
  // its totals (computed on the first visit), positioned on them. A failure
  // is reported as "TempiPreventivi" and answers true.
  bool TempiPreventivi();
  // Every group in turn, stopping at the first failure (answers true);
  // RSTempiVer and RSTempiVerDett end unfiltered at their first record.
  bool ComputeAll(Progress& progress);

  // One phase's planned times by category in the chosen unit; all 0 when
  // the phase row is not found. A failure is reported as "CalcolaTempiFase".
  PhaseOutputs CalcolaTempiFase(const host::Variant& phase_id, const host::Variant& order_quantity,
                                const host::Variant& quantity, const std::string& article, const std::string& option);

  // All the run's bookings taken as one group, each phase once (not the
  // sum of the groups, which counts a phase shared by two groups twice):
  // planned and booked seconds of the seven categories, the planned ones
  // carried as a group's are. Stores nothing and moves no record set; a
  // failure of a phase is reported as CalcolaTempiFase and leaves it out.
  // StepAllBookings adds up to `count` more bookings and answers true once
  // all are in; AllBookings adds what is left and answers the figures.
  bool StepAllBookings(size_t count);
  std::array<CategorySeconds, 7> AllBookings();
  // After AllBookings: whether every booking's booked hours, minutes and
  // seconds were whole numbers (false before).
  [[nodiscard]] bool AllBookedWhole() const { return all_ && all_->done && all_->sums.booked_whole; }

  // Statements executed for the group totals (phase rows not prefetched).
  [[nodiscard]] int64_t GroupsComputed() const { return computed_; }

  // From now on a phase's planned times are worked out once for every
  // group that counts it (and for AllBookings): see PlannedPhaseCache; with
  // `shared`, the same cache as another GroupTotals of the same run. A
  // phase left out as too large is still reported for each group.
  void ReusePhases(std::shared_ptr<PlannedPhaseCache> shared = nullptr);
  [[nodiscard]] const std::shared_ptr<PlannedPhaseCache>& PhaseCache() const { return cache_; }
  // While phases are reused, a phase's planned times are taken from the
  // run's pass where it computed exactly what this would (see PassTimes).
  void ReusePassTimes(std::shared_ptr<const PassTimes> pass);
  // The pass's computations taken so far (each once).
  [[nodiscard]] int64_t TakenFromPass() const { return taken_from_pass_; }

  // Planned (each phase once) and booked sums by category of some bookings.
  // Aligned to a cache line: the booked sums of one group and the planned
  // sums of another are written on two threads at once (SumBookedRows).
  struct alignas(64) BookingSums {
    BookingSums();
    // The phases already counted (the values unused).
    using Phase = PhaseKey;
    PhaseKeyMap seen;
    // The phase added last: a group's bookings of one phase mostly come
    // one after another, and are known counted without looking it up.
    std::optional<Phase> last_seen;
    // The planned and booked hours, minutes and seconds of each category
    // as they are added up; `sums` holds them once Settle has run (its
    // other members and everything before are Empty).
    struct Running {
      ExactSum planned_hours, planned_minutes, planned_seconds;
      ExactSum booked_hours, booked_minutes, booked_seconds;
    };
    std::array<Running, 7> running;
    std::array<ValoriCategoria, 7> sums;
    // Every booked hour, minute and second added was a whole number: their
    // sums are then exactly what the database's SUM of the same values is.
    bool booked_whole = true;
    // The booked times of bookings that count in the same categories (the
    // same kind, machine and labour) summed apart and added to those
    // categories once: a booking adds three numbers instead of up to twelve.
    // The same sums while every value has at most 9 places and is below a
    // million (no addition can round, so their order cannot show); from the
    // first other value, each booking goes to its categories at once, in
    // order, as before.
    struct BookedClass {
      ExactSum hours, minutes, seconds;
      bool used = false;
    };
    std::array<BookedClass, 9> booked_classes;
    bool booked_in_order = false;
    // Adds the classes' sums to their categories and empties them.
    void FlushBooked();
    // Writes the running sums into `sums` (their planned and booked members).
    void Settle();
  };
  // Adds the bookings at storage rows `rows` of RSTempiVerDett, in that
  // order, as TempiPreventivi adds a group's filtered bookings.
  void SumRows(std::span<const uint32_t> rows, BookingSums& into);
  // The seven categories' planned and booked seconds of `sums` (settled
  // here), the planned ones carried as a group's are: what AllBookings
  // answers, for any bookings summed as one group.
  std::array<CategorySeconds, 7> FiguresOfSums(BookingSums& sums);
  // SumRows in two halves that may run at once on two threads, each adding
  // the rows in their order: the planned times of the bookings' phases into
  // `into`, and their booked times into `booked` (and, each booking once,
  // into AllBookings' gathered sums). After GatherAllBookings only. The two
  // write nothing in common: `into`'s booked members and `booked`'s planned
  // ones stay as they were, and the gathered booked sums are the booked
  // half's until it is done (the planned half notes the phases' first
  // bookings apart). TakeBooked then moves the booked members of `booked`
  // into `into`, which makes `into` what SumRows would have made of it.
  void SumPlannedRows(std::span<const uint32_t> rows, BookingSums& into);
  void SumBookedRows(std::span<const uint32_t> rows, BookingSums& booked);
  static void TakeBooked(BookingSums& into, BookingSums&& booked);
  // From now on (before any SumRows) the bookings that SumRows adds count
  // for AllBookings too, each once: StepAllBookings then reads only the
  // bookings no group took, and adds each phase's planned times in the
  // order of its first booking, as a pass over all the bookings would.
  void GatherAllBookings();
  // Stores the totals of RSTempiVer's current group, whose IDGRUPPO is
  // `group_id`, in a new record of RSTempiPrev (current afterwards) from
  // its bookings' sums, as its first visit stores them.
  void StoreTotals(const host::Variant& group_id, BookingSums& summed);
  // The same for a group whose booked hours, minutes and seconds (its row's
  // OREVERS, MINVERS, SECVERS as numbers) are given: RSTempiVer is not
  // read, so this may run on another thread while RSTempiVer moves; nothing
  // else may use this object's RSTempiPrev meanwhile.
  void StoreTotals(const host::Variant& group_id, BookingSums& summed, const std::array<host::Variant, 3>& booked);
  // RSTempiVer's current group's booked hours, minutes and seconds, as
  // StoreTotals takes them (Int16 0 for a field the groups lack).
  [[nodiscard]] std::array<host::Variant, 3> CurrentGroupBooked() const;

 private:
  void ComputeCurrentGroup(const host::Variant& group_id);
  // Adds at most `limit` bookings of `bookings` from its current record on;
  // answers true at its end.
  bool SumBookings(host::RecordSet& bookings, BookingSums& into,
                   size_t limit = std::numeric_limits<size_t>::max());
  // Adds the booking at storage row `row` of RSTempiVerDett: its phase's
  // planned times (once per phase) and its booked time.
  void AddBooking(size_t row, BookingSums& into);
  void AddBookingPlanned(size_t row, BookingSums& into);
  void AddBookingBooked(size_t row, BookingSums& into);
  // The phase of the booking at `row` (its per-booking record's IDCICLO and
  // QTAODL), if it has one.
  struct BookingPhase {
    BookingSums::Phase key;
    host::Variant id, order_quantity;
    size_t record = 0;  // its storage row in RSTempiPrevDett
  };
  std::optional<BookingPhase> PhaseOf(size_t row);
  // The phase's planned times as the booking at `row` has them computed,
  // into `out`; `cached` is their number in the cache (kNotCached without).
  static constexpr uint32_t kNotCached = UINT32_MAX;
  void PlannedOf(const BookingPhase& phase, size_t row, uint32_t& cached, PhaseOutputs& out);
  // PlannedOf's outputs for the phase being added: read into the same
  // variants each time instead of making 21 new ones.
  PhaseOutputs planned_;
  // The booked time of a booking and the categories it counts in.
  struct Booked {
    host::Variant hours, minutes, seconds;
    bool processing = false, setup = false, machine = false, labour = false;
    // Told once per booking, which may be added to two sums: all three
    // are whole numbers; all three sum exactly in any order (BookedClass).
    bool whole = true, sums_exactly = false;
  };
  Booked BookedOf(size_t row);
  static void AddPlanned(BookingSums& into, const PhaseOutputs& o);
  static void AddBooked(BookingSums& into, const Booked& b);
  // CalcolaTempiFase through the cache when phases are reused, into `out`.
  void PlannedPhase(bool order, const host::Variant& phase_id, const host::Variant& order_quantity,
                    const host::Variant& quantity, const std::string& article, const std::string& option,
                    uint32_t& cached, PhaseOutputs& out);
  enum class PhaseStatus : uint8_t { Computed, LeftOut, Failed };
  // Runs `work` on outputs that start at 0, as a phase's computation:
  // an overflow leaves them 0 (LeftOut), another failure is reported as
  // "CalcolaTempiFase" (Failed).
  PhaseOutputs Guarded(PhaseStatus& status, const std::function<void(PhaseOutputs&)>& work);
  // The seven planned times split into the unit's members.
  void SplitInto(const std::array<host::Variant, 7>& per_category, PhaseOutputs& out);
  // The phase's planned times from the pass into `out`, when it offers them
  // for this booking's record and quantity (answers whether it did);
  // `cached` their number in the cache.
  bool FromPass(const BookingPhase& phase, const host::Variant& quantity, uint32_t& cached, PhaseOutputs& out);
  std::shared_ptr<const PassTimes> pass_;
  // Per pass computation: not looked at yet, refused, or its number in the
  // cache + kMemoFirstNumber.
  static constexpr uint32_t kMemoUnknown = 0, kMemoRefused = 1, kMemoFirstNumber = 2;
  std::vector<uint32_t> pass_memo_;
  int64_t taken_from_pass_ = 0;
  PhaseOutputs ComputeTempiFase(const host::Variant& phase_id, const host::Variant& order_quantity,
                                const host::Variant& quantity, const std::string& article, const std::string& option,
                                PhaseStatus& status);
  // The warning of a phase whose planned time is too large to show, naming
  // RSTempiVer's current group.
  void ReportLeftOut(const host::Variant& phase_id);
  // RSTempiVerDett's fields that a booking's sums read, found once.
  struct BookingFields {
    int id, qty, kind, machine, employee, article, option, hours, minutes, seconds;
  };
  const BookingFields& Bookings();
  std::optional<BookingFields> booking_fields_;
  std::shared_ptr<PlannedPhaseCache> cache_;
  struct AllBookingsState {
    // Said, not defaulted: clang cannot use a nested class's member
    // initialisers before the enclosing class is complete (optional::emplace).
    AllBookingsState() {}  // NOLINT(modernize-use-equals-default)
    host::RecordSetPtr bookings;
    BookingSums sums;
    bool done = false;
  };
  std::optional<AllBookingsState> all_;
  // All the bookings gathered while groups are summed (GatherAllBookings).
  struct Gathered {
    Gathered() {}  // NOLINT(modernize-use-equals-default)
    std::vector<bool> counted;  // per booking row: its booked time is in `sums`
    BookingSums sums;
    // Per phase: its first booking's row and its planned times' number in
    // the cache (kNotCached without). Written by the planned half of SumRows
    // while the booked half writes `sums`: on a cache line of its own.
    alignas(64) PhaseKeyMap first;
    size_t next_row = 0;                                   // the bookings no group took
    std::vector<std::pair<uint32_t, uint32_t>> in_order;  // (row, cached) by first booking
    size_t next_phase = 0;
    bool ordered = false;
  };
  std::optional<Gathered> gathered_;
  void NoteFirst(const BookingSums::Phase& key, size_t row, uint32_t cached);
  bool StepGathered(size_t count);
  void PrepareCollisions();
  // The run's filter fields, worked out once (RSCampi does not change).
  const std::vector<FilterField>& Fields();
  std::optional<std::vector<FilterField>> fields_;
  std::vector<int> filter_positions_;          // Fields()' positions in RSTempiVer
  std::vector<host::Variant> filter_values_;  // GroupTerms' values, kept between groups
  // One term of the current group's filter: FIELD = value, = NULL, IS NULL.
  struct FilterTerm {
    const FilterField* field;
    enum class Kind : uint8_t { Value, Null, IsNull } kind;
    const host::Variant* value;  // in filter_values_ (Value only)
  };
  std::vector<FilterTerm> filter_terms_;
  // The terms of the current group's filter in its order: each value, then
  // each "= NULL", then, when another group shares those "= NULL", the exact
  // value ("IS NULL" for Null and Empty) of each. Valid until the next call.
  const std::vector<FilterTerm>& GroupTerms();
  static std::string CollisionClass(const std::vector<FilterField>& fields, const std::vector<host::Variant>& values);

  RunContext& context_;
  RunRecordSets& records_;
  PhaseSource& phases_;
  host::ProductionServices& production_;
  int16_t unit_;
  PhaseOptions options_;
  std::vector<std::string> grouping_columns_;
  host::RecordSetPtr prev_dett_lookup_;
  std::optional<TimeFieldIndex> prev_fields_;  // RSTempiPrev's, found on the first group
  // StoreTotals' values and record, kept between groups (no allocation per group).
  std::vector<host::RecordSet::FieldValue> store_values_;
  std::vector<host::Variant> store_row_;
  int id_field_ = -1;                          // RSTempiPrev's IDGRUPPO
  // Groups whose "= NULL" filter would take in another group's bookings.
  std::unordered_map<std::string, int> groups_per_class_;
  bool collisions_ready_ = false;
  int64_t computed_ = 0;
};

}  // namespace engine
