// The filter of the per-booking planned records to the current booking
// ("IDVERS = n"), for the grid beside the bookings, without making the
// form wait while it opens.
//
// An equality filter builds its column's index the first time: over a run
// of a million bookings that is half a second, spent in the middle of
// opening the form, on the window's thread. Here the index is built on a
// second thread once the owner says the cores are free (the form: after the
// groups' figures, which use both); until it is there, a filter is answered
// by one scan of the column, a few milliseconds. Either way the record set
// gets exactly the rows its own filter would select, in the same order
// (handed over as the table's remembered selection for that filter text),
// and its Filter() reads the same text.
//
// A filter of any other shape (not one equality on the column) is the
// record set's own SetFilter. The record set's rows must not change while
// this object lives (the planned records of a finished run do not); the
// destructor waits for the thread.
#pragma once

#include <future>
#include <memory>
#include <string>

#include "host/recordset/column_index.h"
#include "host/recordset/recordset.h"

namespace results_form {

class BookingRecordFilter {
 public:
  // Filters `field` of `records` by scanning until StartIndex().
  BookingRecordFilter(host::RecordSetPtr records, const std::string& field);
  ~BookingRecordFilter();
  BookingRecordFilter(const BookingRecordFilter&) = delete;
  BookingRecordFilter& operator=(const BookingRecordFilter&) = delete;

  // Filters the record set with `criteria`, as SetFilter does (throws as it
  // would).
  void Apply(const std::string& criteria);

  // Starts building the index on a second thread (nothing when the record
  // set is empty or lacks the field, or when it is started already).
  void StartIndex();

  // Whether the index built beside has come (for measurements and tests).
  [[nodiscard]] bool IndexReady();

 private:
  host::RecordSetPtr records_;
  std::shared_ptr<const host::Table> table_;  // kept alive for the thread
  int column_ = -1;
  size_t rows_ = 0;
  host::ColumnIndex index_;
  std::future<void> building_;
  bool ready_ = false;
};

}  // namespace results_form
