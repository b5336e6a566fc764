// `quarvelindo run`: the comparison on a database, without windows, through
// the same control models and engine as the forms.
#pragma once

#include <CLI/CLI.hpp>

namespace app {

void AddRunCommand(CLI::App& cli);

}  // namespace app
