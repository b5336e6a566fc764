// The condition list of KVL_ADVQ and the grouping list of KVL_ADVO, loaded
// once when the query form loads: captions, columns, settings and running
// numbers as the module passes them. Errors are suppressed: an entry that a
// control refuses is skipped and the next ones are still added.
#pragma once

#include "host/controls/order_control.h"
#include "host/controls/query_control.h"

namespace engine {

// 18 fields, "Categorie" (number 20), two states, four attribute sources,
// and with the fashion flag three fashion entries.
void LoadFilterFields(host::QueryControl& query, bool fashion);

// 22 grouping fields (default grouping: article, variant, order code, date,
// section, number and line; the last three are the year, month and ISO week
// of registration) and four attribute sources.
void LoadGroupingFields(host::OrderControl& order);

}  // namespace engine
