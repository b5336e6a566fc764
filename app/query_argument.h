// The saved query that `quarvelindo run --query NAME|FILE` runs: a file of
// that name (an exported query), else the query of that name saved for the
// database and company (engine::SavedQueryStore, in its default folder).
// Throws host::Error naming the saved queries there when there is none.
#pragma once

#include <string>

#include "engine/saved_query.h"

namespace app {

engine::SavedQuery QueryArgument(const std::string& argument, const std::string& database, const std::string& company);

}  // namespace app
