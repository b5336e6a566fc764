// The two booking queries of a comparison run, built by concatenation of the
// exact T-SQL pieces: the grouped query (one row per group of bookings, with
// the summed booked time of the chosen unit and IDGRUPPO) and the detailed
// query (one row per booking with its descriptions).
//
// Inputs come from the order control (the selected items), the query
// control's condition, the time unit combo's code and the company. The
// condition text must start with its own connective and the grouping text
// must carry its own "GROUP BY"; both are appended as they are.
#pragma once

#include <string>
#include <vector>

#include "engine/time_unit.h"

namespace engine {

struct OrderItem {
  std::string name;     // the column, e.g. PD44_CODART_MG66
  std::string caption;  // the caption in the base language
  bool grouping = false;
};

struct BookingQueryInput {
  std::vector<OrderItem> items;  // the order control's items not left out, in order
  std::string company;           // PvarCodDitta as text
  TipoTempo unit = kOreMinutiSecondi;  // CMB_TIPOTEMPO (another value: no booked time columns)
  bool fashion = false;
  std::string condition;        // the query control's filter text
  std::string grouping;         // the order control's grouping text
  std::string ordering;         // the order control's ordering text (only tested for non-blank)
  std::string booking_columns;  // ElencoCampiDaSelect_V2 of PD44_VERSORE
};

struct BookingQueries {
  std::string grouped;
  std::string detailed;
  // The booked total of all the bookings the two select, as the grouped
  // query sums a group's (the unit's OREVERS/MINVERS/SECVERS, one row).
  std::string total;
  std::string group_list;  // after the PD44_OPZIONE replacement, with its trailing ", "
  std::string aggregate_list;
  std::string order_list;
};

BookingQueries BuildBookingQueries(const BookingQueryInput& input);

// "SELECT * FROM PD44_VERSORE WHERE 1 = 0": the select whose columns make
// the detailed query's column list.
inline constexpr const char* kBookingColumnsSelect = "SELECT * FROM PD44_VERSORE WHERE 1 = 0";

// The pieces that both queries share (document joins, attribute joins).
std::string DocumentJoins();
std::string AttributeJoins();

}  // namespace engine
