// The phases planned and never booked against the comparison they belong to,
// on the demo database:
//
//   unbooked_bench [--bookings N] [--db FILE] [--short]
//
// It makes the demo database when FILE does not exist (N bookings, seed 1),
// runs the comparison by department and phase with every group's totals,
// then lists the unbooked phases of the run's orders (one statement), and
// reports both times, the share the list adds (the target: at most 10 % of
// the run on the 1M demo), the statements the list ran and the phases found.
// The group trend of every group (the export's AndamentoMensile) is timed too.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/console_form.h"
#include "demo/erp_database.h"
#include "engine/comparison.h"
#include "engine/field_lists.h"
#include "engine/monthly_trend.h"
#include "engine/unbooked_phases.h"
#include "host/db/connection.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main(int argc, char** argv) {
  int64_t bookings = 1000000;
  std::string db = "build/bench-demo-1m.db";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0) {
      bookings = 20000;
      db = (std::filesystem::temp_directory_path() / "quarvelindo-unbooked-bench-short.db").string();
      std::filesystem::remove(db);
    } else if (std::strcmp(argv[i], "--bookings") == 0 && i + 1 < argc) {
      bookings = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db = argv[++i];
    }
  }
  if (!std::filesystem::exists(db)) {
    const auto start = Clock::now();
    demo::GenerateDemoDatabase(db, {bookings, 1});
    std::printf("demo database %s: %lld bookings in %.1f s\n", db.c_str(), static_cast<long long>(bookings),
                Seconds(start));
  }
  app::ConsoleForm form;
  engine::ComparisonRequest request;
  request.connection = host::db::OpenConnection(db);
  request.company = "1";
  engine::LoadFilterFields(request.query, false);
  engine::LoadGroupingFields(request.order);
  request.order.SetGrouping({"Reparto", "Fase"});
  engine::NoProgress progress;
  const auto run_start = Clock::now();
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  if (run->Failed() || run->Empty() || !run->ComputeAll(progress).ok()) {
    std::printf("the comparison failed or found nothing\n");
    return 1;
  }
  const double comparison = Seconds(run_start);
  const int64_t before = run->Connection().StatementCount();
  const auto list_start = Clock::now();
  const auto phases = engine::FasiNonVersate(*run);
  const double list = Seconds(list_start);
  const int64_t statements = run->Connection().StatementCount() - before;
  const auto trend_start = Clock::now();
  const auto trend = engine::AndamentoMensile(*run);
  const double months = Seconds(trend_start);
  std::printf("comparison of %zu bookings: %.2f s\n", run->Records().RSTempiVerDett->RecordCount(), comparison);
  std::printf("unbooked phases: %zu in %.2f s, %lld statements; adds %.1f %% to the run\n", phases->RecordCount(),
              list, static_cast<long long>(statements), 100.0 * list / comparison);
  std::printf("monthly trend of every group: %zu rows in %.2f s (%.1f %% of the run)\n", trend->RecordCount(), months,
              100.0 * months / comparison);
  return 0;
}
