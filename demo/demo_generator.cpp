// The deterministic demo: a small manufacturing company (and a second, smaller
// one) with a year of bookings against production orders and routing cycles.
// Booked times scatter around the planned ones so that the comparison has
// something to show: most phases near plan, some slow, a few far off.
#include "demo/demo_generator.h"

#include <filesystem>

namespace demo {
namespace generation {

DemoSummary Generator::Run(const std::function<void(int64_t, int64_t)>& progress) {
  w_.Exec("BEGIN");
  // Rows go into bare tables and each index is built once at the end, from
  // sorted keys, instead of a search and an insert in every index for every
  // row. The views go and come back with them, so that the schema keeps its
  // order (a dump of the file is the same as before).
  const std::string later = " FROM sqlite_schema WHERE type IN ('index', 'view') AND sql IS NOT NULL ORDER BY rowid";
  const std::vector<std::string> built_later = w_.Texts("SELECT sql" + later);
  for (const std::string& drop : w_.Texts("SELECT 'DROP ' || upper(type) || ' \"' || name || '\"'" + later)) {
    w_.Exec(drop);
  }
  Company main{1};
  Company small{2};
  MasterData(main, 30, 40);
  MasterData(small, 8, 8);
  Orders(main, std::max<int64_t>(30, options_.bookings / 25));
  Orders(small, std::max<int64_t>(6, options_.bookings / 500));
  const int64_t small_share = options_.bookings / 20;
  Bookings(main, options_.bookings - small_share, 1, progress);
  Bookings(small, small_share, options_.bookings - small_share + 1, progress);
  ExternalPlans();
  // In their first order: the same schema as an empty database's.
  for (const std::string& sql : built_later) w_.Exec(sql);
  w_.Exec("COMMIT");
  summary_.bookings = options_.bookings;
  return summary_;
}

}  // namespace generation

DemoSummary GenerateDemoDatabase(const std::string& path, const DemoOptions& options,
                                 const std::function<void(int64_t, int64_t)>& progress) {
  CreateErpDatabase(path);
  sqlite3* db = nullptr;
  // One thread writes: no locking of the connection's mutex per call.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw host::Error(host::kErrDatabase, "Cannot open '" + path + "'", "demo");
  }
  // No journal, no syncs, no locks taken again and a large page cache: a
  // fresh file filled at once by this connection alone. (The indexes sorted
  // on a second core took more time at ten million bookings, not less: the
  // second core inserts instead.)
  sqlite3_exec(db,
               "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE; "
               "PRAGMA cache_size=-262144",
               nullptr, nullptr, nullptr);
  try {
    DemoSummary summary = generation::Generator(db, options).Run(progress);
    sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return summary;
  } catch (...) {
    sqlite3_close(db);
    std::filesystem::remove(path);
    throw;
  }
}

}  // namespace demo
