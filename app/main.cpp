// quarvelindo: the command line of the planned-versus-booked comparison.
#include <CLI/CLI.hpp>
#include <iostream>

#include "app/database_commands.h"
#include "app/examples.h"
#include "app/run_command.h"

int main(int argc, char** argv) {
  CLI::App cli{"quarvelindo: compares planned and booked working times of production work"};
  cli.require_subcommand(1);
  cli.set_version_flag("--version", std::string("quarvelindo ") + QUARVELINDO_VERSION);
  auto* examples = cli.add_subcommand("examples", "Show the time comparison on worked examples, under each unit");
  app::AddDatabaseCommands(cli);
  app::AddRunCommand(cli);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::RuntimeError& e) {
    return e.get_exit_code();  // a command's own status (app/exit_status.h)
  } catch (const CLI::Error& e) {
    // Help and version answer 0; every usage error is status 2, as the
    // command's own refusals are.
    const int status = cli.exit(e);
    return status == 0 ? 0 : 2;
  }
  if (*examples) return app::RunExamples(std::cout);
  return 0;
}
