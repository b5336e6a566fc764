// How this process uses the SQLite library, for its own connections and the
// SQLite ODBC driver's alike (the driver loads the same library).
//
// Multi-thread mode: no connection of the process is used by two threads at
// once (each statement runs on the thread that executes it; a stop from
// another thread goes through sqlite3_interrupt, which SQLite allows from any
// thread), so SQLite takes no lock of its own around every call. Our own
// connections open so anyway; the driver opens its connections in the
// library's default mode, where each value read would take and release a
// lock. SQLite keeps no count of the memory it holds either (a lock at
// every allocation; nothing here asks for it). Its sorter writes sorted runs
// of at least 8,192 pages (32 MiB of 4 KiB pages) before it merges them:
// with the default runs of 2 MiB, a year's bookings made hundreds of runs and
// ten years thousands, merged in three rounds through temporary files (runs
// of 64 MiB were no faster and held 70 MiB more through a year's run). These
// are set as the library loads, before anything opens a database; should
// SQLite be in use already, its defaults stay and nothing else changes.
#pragma once

struct sqlite3;

namespace host::db {

// Lets the next statements on `db` sort on one helper thread beside their
// own when `total_order` (their ORDER BY leaves no ties, stored_order.h) and
// a second core is free to the process; else they sort on their own thread
// (a GROUP BY's sums then add up in the order they always did).
void SortWorkers(sqlite3* db, bool total_order);

// Notes the SQLite connection that a driver opens on this thread while it
// lives (the last one, should there be more); none when nothing opened one.
// Called for every connection opened in the process once
// RegisterSqliteFunctionsEverywhere has run.
class SqliteOpenWatch {
 public:
  SqliteOpenWatch();
  ~SqliteOpenWatch();
  SqliteOpenWatch(const SqliteOpenWatch&) = delete;
  SqliteOpenWatch& operator=(const SqliteOpenWatch&) = delete;

  [[nodiscard]] sqlite3* Opened() const { return opened_; }

  // Called as SQLite opens `db` on this thread.
  static void NoteOpened(sqlite3* db);

 private:
  SqliteOpenWatch* outer_;
  sqlite3* opened_ = nullptr;
};

}  // namespace host::db
