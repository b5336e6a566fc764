// The two texts that the booking detail grid reads from the database while
// it paints: the order's own description of a booked phase, and the text of
// the supplier cost of a cost code. Each answer is remembered for the life
// of the object (the form), so a row painted again asks nothing.
//
// Errors are swallowed, as the grid's events do: the cell keeps the text it
// had.
#pragma once

#include <map>
#include <string>

#include "host/db/connection.h"
#include "host/services/decode_service.h"
#include "host/value/variant.h"

namespace engine {

class BookingTexts {
 public:
  BookingTexts(host::db::Connection& connection, std::string company, host::DecodeService* decode)
      : connection_(connection), company_(std::move(company)), decode_(decode) {}

  // The order phase's description, or `current` (the phase master's) when
  // the booking has no order or order row 0, or the order has none.
  std::string DescrizioneFase(const host::Variant& numreg, const host::Variant& order_row, const host::Variant& phase,
                              const std::string& current);
  // " Costo ordinario: " + cost + " x " + unit + " - Val: " + from + " - " +
  // to, or the cost code when no cost record answers.
  std::string CostoFornitore(const std::string& cost_code, const host::Variant& supplier, const host::Variant& unit);

  [[nodiscard]] static std::string PhaseDescriptionSql(const std::string& company, const std::string& numreg,
                                                       const host::Variant& order_row, const host::Variant& phase);
  [[nodiscard]] int64_t Queries() const { return queries_; }

 private:
  host::db::Connection& connection_;
  std::string company_;
  host::DecodeService* decode_;
  std::map<std::string, std::string> phases_, costs_;
  int64_t queries_ = 0;
};

}  // namespace engine
