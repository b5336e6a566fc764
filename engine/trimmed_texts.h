// A text column of the bookings as the planned-time pass reads it for every
// booking: right-trimmed, each distinct text kept once and numbered.
//
// The pass looks a booking's article, option, department, order and cycle
// up a million times; reading them through the row copied each text three
// times (cell, joined text, trimmed text) and keyed its computed times by
// the texts themselves. Here a pooled text cell is found by its pool id, and
// equal trimmed texts answer equal numbers, which key the times instead.
//
// A Null cell reads "" (as Variant::JoinedText gives it); a column that is
// not there (-1) reads "" for every row. A column without pooled texts
// (numbers, variants) is read through its values, more slowly, to the same
// numbers. Not for use from two threads at once.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/recordset/table.h"

namespace engine {

class TrimmedTexts {
 public:
  TrimmedTexts(const host::Table& table, int column);

  // The number of the trimmed text at storage row `row`: equal numbers,
  // equal texts. Number 0 is "".
  uint32_t NumberAt(size_t row);
  [[nodiscard]] const std::string& Text(uint32_t number) const { return texts_[number]; }
  // NumberAt and Text at once.
  const std::string& At(size_t row) { return texts_[NumberAt(row)]; }

 private:
  uint32_t NumberOf(std::string text);

  const host::Table& table_;
  int column_;
  bool pooled_ = false;
  // Pool id → number. A map, not a vector by id: the pool is the whole
  // row's, and its ids grow with every booking's other texts.
  std::unordered_map<uint32_t, uint32_t> number_of_id_;
  // The rows come grouped: the last booking's text is most often the next's.
  uint32_t last_id_ = 0, last_number_ = 0;
  std::vector<std::string> texts_{std::string()};
  std::unordered_map<std::string, uint32_t> numbers_{{std::string(), 0}};
};

}  // namespace engine
