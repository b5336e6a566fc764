#include "host/db/sqlite_library.h"

#include <sqlite3.h>

#include "host/framework/free_cores.h"

namespace host::db {

namespace {

// Before main and before anything opens a database: SQLite accepts its
// threading mode only until it is first used (then it answers SQLITE_MISUSE
// and keeps its mode).
[[maybe_unused]] const int kMultiThreadMode = sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
// Nothing here asks SQLite how much memory it holds: counting it would take
// a lock at every allocation, and the driver allocates for every value.
[[maybe_unused]] const int kNoMemoryCount = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
constexpr unsigned kSortRunPages = 8192;
[[maybe_unused]] const int kSortRuns = sqlite3_config(SQLITE_CONFIG_PMASZ, kSortRunPages);

thread_local SqliteOpenWatch* current_watch = nullptr;

}  // namespace

void SortWorkers(sqlite3* db, bool total_order) {
  if (db == nullptr) return;
  sqlite3_limit(db, SQLITE_LIMIT_WORKER_THREADS, total_order && FreeCores() >= 2 ? 1 : 0);
}

SqliteOpenWatch::SqliteOpenWatch() : outer_(current_watch) { current_watch = this; }

SqliteOpenWatch::~SqliteOpenWatch() { current_watch = outer_; }

void SqliteOpenWatch::NoteOpened(sqlite3* db) {
  if (current_watch != nullptr) current_watch->opened_ = db;
}

}  // namespace host::db
