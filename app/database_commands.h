// `quarvelindo init-db FILE` and `quarvelindo demo-db FILE [--bookings N]
// [--seed S]`: create an empty ERP database, or the demo one.
#pragma once

#include <CLI/CLI.hpp>

namespace app {

void AddDatabaseCommands(CLI::App& cli);

}  // namespace app
