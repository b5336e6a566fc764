// Appends rows to a table one cell after another, left to right, each cell
// written once: what Table::AppendRow and a Set of each cell would leave,
// in half the writes (a year of bookings is a million rows of a hundred
// columns, stored as they are read).
//
// Each row gets one call per field, in field order (Null, Integer, Text or
// Value), then EndRow. A value its field refuses leaves the cell Null and
// throws that field's host::Error; the row stays open and the next call
// gives the next cell. Should the appender go with a row open, that row's
// cells are taken back: the table then holds the rows ended, no more.
// Nothing else may change the table while the appender has a row open.
//
// Errors: the constructor throws kErrOperationNotAllowed for a table with
// computed fields (they keep no cells); EndRow throws kErrInvalidArgument
// before every field has its cell, and a cell past the last field is
// refused the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/recordset/table.h"

namespace host {

class RowAppender {
 public:
  explicit RowAppender(Table& table);
  ~RowAppender();
  RowAppender(const RowAppender&) = delete;
  RowAppender& operator=(const RowAppender&) = delete;

  // Inline: called for every cell of every row read.
  void Null() { NextColumn().AppendNull(); }
  // As Table::SetInteger, SetText and Set would store them.
  void Integer(int64_t value) { NextColumn().AppendInteger(table_.rows_, value); }
  void Text(std::string_view text) { NextColumn().AppendText(table_.rows_, text); }
  void Value(const Variant& value) { NextColumn().AppendValue(table_.rows_, value); }
  // Closes the row; answers its number.
  size_t EndRow();

 private:
  // The column of the next cell, counted as given before it is written: a
  // refused value leaves its cell there.
  Column& NextColumn() {
    if (next_ >= table_.columns_.size()) RefuseCell();
    return *table_.columns_[next_++];
  }
  [[noreturn]] static void RefuseCell();

  Table& table_;
  size_t next_ = 0;  // the next cell's field
};

}  // namespace host
