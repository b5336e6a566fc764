// The order phases of the later bookings of the planned-times pass, worked
// out on a second core while the pass works through the earlier ones.
//
// Most bookings plan an order phase: the row of the prefetched order phases
// that the booking's order, line, department and phase find, computed for
// the order quantity. That needs nothing but the bookings' rows and the bulk
// tables, so a thread can do it for the bookings from `first` to the last
// (storage rows, which the pass visits in order), each distinct computation
// once, while the pass does the others. The pass then takes these answers
// in order and keeps each computation where it would have kept it alone:
// the same numbers, notes and records.
//
// A booking whose answer needs anything more is answered kAsk, and the pass
// works it out itself as it would alone: no bill of materials on its order
// line (a cycle phase), a key that several rows share (asked by query), a
// phase with a formula, a computation that fails (the pass says why). An
// error on the thread answers kAsk for the booking it was at.
//
// The thread reads the bookings' rows, the bulk tables and nothing else; it
// writes only its own records. One object, one use: start, Wait, read.
//
// Made without a thread, the object answers the same way on the caller's
// thread, a few bookings at a time (AnswerMore), from the first booking on
// and as far as the bookings go at the time: the read's thread answers the
// bookings read so far while it waits for the next ones.
#pragma once

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/computed_times.h"
#include "engine/phase_source.h"
#include "engine/planned_records.h"

namespace engine {

// The bookings from which a run answers order phases beside its pass when
// it is not told: 10,000 when two cores or more are free to the process,
// else never (on one core the thread would only take turns with the pass).
int64_t DefaultBesideFrom();

class OrderPhasesBeside {
 public:
  // The bookings' columns that find an order phase (-1: not there).
  struct Columns {
    int bom, numreg, order_row, department, phase, article, option;
    // The bookings' own, by name.
    static Columns Of(const host::Table& bookings);
  };
  // Answers: work it out; no order phase (nothing planned); else the number
  // of a computation + kFirstComputation.
  static constexpr uint32_t kAsk = 0, kNoPhase = 1, kFirstComputation = 2;
  // A computation: its row of the bulk order phases, and its times as kept
  // in Records().
  struct Computation {
    uint32_t row;
    uint32_t times;
  };

  // Starts the thread on the bookings from storage row `first` on; `phases`
  // has prefetched and outlives this object, as `bookings` does.
  OrderPhasesBeside(std::shared_ptr<const host::Table> bookings, Columns columns, const PhaseSource& phases,
                    PhaseOptions options, int16_t unit, size_t first);
  // Without a thread, for `bookings` still growing (a read under way):
  // nothing is answered until AnswerMore; First() is 0.
  OrderPhasesBeside(std::shared_ptr<const host::Table> bookings, Columns columns, const PhaseSource& phases,
                    PhaseOptions options, int16_t unit);
  // Stops the thread where it is and waits for it.
  ~OrderPhasesBeside();
  OrderPhasesBeside(const OrderPhasesBeside&) = delete;
  OrderPhasesBeside& operator=(const OrderPhasesBeside&) = delete;

  [[nodiscard]] size_t First() const { return first_; }
  // Waits until every booking is answered. Everything below only after.
  void Wait();
  // Without a thread: answers up to `most` more of the bookings the table
  // holds now, on this thread; false when every one it holds was answered
  // already (nothing done).
  bool AnswerMore(size_t most);
  // Without a thread: no more answers wanted. What only answering needs
  // (the texts numbered, the computations made) goes; the answers stay.
  void EndAnswering();
  // The bookings answered, from First() on: all of them once Wait returned.
  [[nodiscard]] size_t Answered() const { return answered_; }
  [[nodiscard]] const host::Table& Bookings() const { return *bookings_; }
  // The answer for storage row `row` (from First(), below First() + Answered()).
  [[nodiscard]] uint32_t AnswerAt(size_t row) const { return answers_[row - first_]; }
  [[nodiscard]] const Computation& ComputationOf(uint32_t answer) const {
    return computations_[answer - kFirstComputation];
  }
  [[nodiscard]] size_t ComputationCount() const { return computations_.size(); }
  [[nodiscard]] const PlannedRecords& Records() const { return records_; }

 private:
  // Where the answering is: the texts numbered, the computations made,
  // the last booking's keys and answer.
  struct Walk;
  void AnswerAll(const std::stop_token& stop);
  void AnswerRow(size_t row);
  // The answer for an order phase row found, article and option by number.
  uint32_t Computed(const PhaseRow& row, uint32_t article, uint32_t option, ComputedTimes& computed);

  std::shared_ptr<const host::Table> bookings_;
  Columns columns_;
  const PhaseSource& phases_;
  PhaseOptions options_;
  size_t first_;
  std::vector<uint32_t> answers_;  // per booking from first_, kAsk until answered
  size_t answered_ = 0;
  std::vector<Computation> computations_;
  PlannedRecords records_;
  std::unique_ptr<Walk> walk_;
  std::jthread thread_;
};

}  // namespace engine
