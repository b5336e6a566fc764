// A comparison record's durations as every output shows them (a record of
// RSTempiPrev or RSTempiPrevDett): every category's planned, booked and gap
// seconds, and a field's value with the booked time and gap filled in where
// the record leaves them empty. The one rule of what a user reads:
//   - a category with a plan or a booking shows its booked time, "0:00:00"
//     (0.00 in the decimal units) when nothing was booked, and its gap;
//   - a category with neither shows nothing;
//   - the gap percent is empty without a plan.
// The command line's table, CSV and JSON, the print, the workbook and the
// results form's planned grids read records through it. The fields are found once for the layout, and a
// record's seconds are worked out once for all its fields: the outputs read
// a million records this way.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/category_texts.h"
#include "engine/layouts.h"
#include "host/recordset/recordset.h"

namespace engine {

class RecordDurations {
 public:
  // Throws kErrItemNotFound when `records` lacks a time field.
  RecordDurations(const host::RecordSet& records, int16_t unit);

  // The names of the seconds fields: PREV_SEC, VERS_SEC and GAP_SEC of each
  // category, with its suffix, in category order.
  [[nodiscard]] static const std::vector<std::string>& SecondsNames();

  // Reads every field of the current record of `records` (the layout given
  // at construction) once. Throws like RecordSet::Value without a current
  // record.
  void Load(const host::RecordSet& records);
  // The same for the record at `position` (from 0, in storage order, as
  // RecordSet::ValueAt reads it): for a grid painting one row.
  void LoadAt(const host::RecordSet& records, size_t position);
  // The loaded record's seconds field `k` (a position in SecondsNames).
  [[nodiscard]] host::Variant Seconds(size_t k) const;
  // Field `field` of the loaded record as the outputs show it: a category
  // without plan still shows its booked time and gap, as the table does.
  // The reference holds until the next Load or Shown.
  [[nodiscard]] const host::Variant& Shown(size_t field) const;

 private:
  enum class Kind : uint8_t { kPlain, kBookedText, kGap };
  struct FieldRole {
    Kind kind = Kind::kPlain;
    size_t category = 0;
  };
  int16_t unit_;
  TimeFieldIndex fields_;
  std::vector<FieldRole> roles_;
  void WorkOutFigures();
  // Seconds(k) of the loaded record: planned, booked and gap of each category.
  std::array<host::Decimal, 21> figures_{};
  std::vector<host::Variant> values_;  // the loaded record, field by field
  mutable host::Variant shown_;        // a value Shown made
};

}  // namespace engine
