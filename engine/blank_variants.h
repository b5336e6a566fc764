// Which bookings hold a blank variant that is not Null.
//
// The detailed booking query reads the variant as ISNULL(PD44_OPZIONE, ''),
// so its rows cannot tell a Null variant from a blank one; the grouped
// query's MAX() of an ungrouped variant passes over Nulls and answers Null
// only for a group whose bookings all hold Null. The keys of the bookings
// with a blank, non-Null variant, asked of the database beside the detailed
// read, tell the two apart group by group without touching either query.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/recordset/recordset.h"

namespace engine {

// The statement answering the booking number (PD44_PRGMVORE_PD31) of every
// booking of `company` whose variant is blank (only spaces, or none) and
// not Null. Company and number are the bookings' key: one number, one
// booking.
std::string BlankVariantQuery(const std::string& company);

class BlankVariants {
 public:
  // None: every blank variant was Null.
  BlankVariants() = default;
  // The numbers BlankVariantQuery answered in `rows` (every row it holds,
  // wherever its cursor is; a Null or a number with decimals is passed
  // over: no booking the groups are worked out from carries one).
  static BlankVariants Read(host::RecordSet& rows);

  // Whether booking `number` holds a blank variant that is not Null.
  [[nodiscard]] bool Holds(int64_t number) const;
  [[nodiscard]] bool Empty() const { return numbers_.empty(); }
  [[nodiscard]] size_t Count() const { return numbers_.size(); }

 private:
  std::vector<int64_t> numbers_;  // sorted, once each
};

}  // namespace engine
