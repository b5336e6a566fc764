// The request of a comparison on a database file, as the tests and the
// benchmarks make it: company 1, the form's field lists, a grouping by
// captions (the default grouping when empty).
#pragma once

#include <string>
#include <vector>

#include "engine/comparison.h"
#include "engine/field_lists.h"

namespace engine::testing {

inline ComparisonRequest RequestOn(const std::string& database, const std::vector<std::string>& grouping,
                                   TipoTempo unit = kOreMinutiSecondi) {
  ComparisonRequest request;
  request.connection = host::db::OpenConnection(database);
  request.company = "1";
  request.unit = unit;
  LoadFilterFields(request.query, false);
  LoadGroupingFields(request.order);
  if (!grouping.empty()) request.order.SetGrouping(grouping);
  return request;
}

}  // namespace engine::testing
