// quarvelindo: the command line of the planned-versus-booked comparison.
#include <CLI/CLI.hpp>
#include <iostream>

#include "app/database_commands.h"
#include "app/examples.h"
#include "app/run_command.h"

int main(int argc, char** argv) {
  CLI::App cli{"quarvelindo: compares planned and booked working times of production work"};
  cli.require_subcommand(1);
  auto* examples = cli.add_subcommand("examples", "Show the time comparison on worked examples, under each unit");
  app::AddDatabaseCommands(cli);
  app::AddRunCommand(cli);
  CLI11_PARSE(cli, argc, argv);
  if (*examples) return app::RunExamples(std::cout);
  return 0;
}
