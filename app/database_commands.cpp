#include "app/database_commands.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <memory>

#include "demo/erp_database.h"
#include "host/value/error.h"

namespace app {
namespace {

struct DemoArgs {
  std::string file;
  int64_t bookings = 20000;
  uint32_t seed = 1;
};

}  // namespace

void AddDatabaseCommands(CLI::App& cli) {
  auto init_file = std::make_shared<std::string>();
  auto* init = cli.add_subcommand("init-db", "Create an empty ERP database (SQLite) with the schema the module reads");
  init->add_option("FILE", *init_file, "New database file")->required();
  init->callback([init_file] {
    try {
      demo::CreateErpDatabase(*init_file);
      std::cout << "Created " << *init_file << "\n";
    } catch (const host::Error& e) {
      std::cerr << "quarvelindo: " << e.what() << "\n";
      throw CLI::RuntimeError(1);
    }
  });

  auto args = std::make_shared<DemoArgs>();
  auto* demo_db =
      cli.add_subcommand("demo-db", "Create the demo ERP database (SQLite): two companies, a year of bookings");
  demo_db->add_option("FILE", args->file, "New database file")->required();
  demo_db->add_option("--bookings", args->bookings, "Number of bookings")
      ->check(CLI::Range(int64_t{1}, int64_t{50000000}));
  demo_db->add_option("--seed", args->seed, "Seed of the generator (same seed, same data)");
  demo_db->callback([args] {
    const auto start = std::chrono::steady_clock::now();
    const bool terminal = isatty(STDERR_FILENO) != 0;
    try {
      const demo::DemoSummary summary =
          demo::GenerateDemoDatabase(args->file, {args->bookings, args->seed}, [terminal](int64_t done, int64_t total) {
            if (terminal) std::cerr << "\rbookings " << done << " / " << total << std::flush;
          });
      if (terminal) std::cerr << "\r";
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::cout << "Created " << args->file << ": " << summary.bookings << " bookings, " << summary.order_lines
                << " order lines with " << summary.order_phases << " order phases, " << summary.articles
                << " articles with " << summary.cycle_phases << " cycle phases, in " << seconds << " s\n";
    } catch (const host::Error& e) {
      std::cerr << "quarvelindo: " << e.what() << "\n";
      throw CLI::RuntimeError(1);
    }
  });
}

}  // namespace app
