// The least time any reader takes to get a statement's rows through the
// SQLite ODBC driver: every row fetched with no column bound and no value
// read, so that what is measured is the driver's own work (with its step
// API it turns every value of a row into text and copies it at each fetch,
// whatever the caller reads) and SQLite's; and, as a reader that wants the
// values must, with every column bound as the ODBC back end binds them
// (whole numbers, doubles, the rest as text; odbc_bound_rows.h), each value
// then put into its buffer by the driver and read by no one. The ODBC back
// end's whole comparison, set against these, says how much the module adds
// to the driver.
#pragma once

#include <string>

namespace bench {

struct DriverFloor {
  double wall = 0;  // seconds, from the statement's start to its last row
  double cpu = 0;   // CPU seconds of the process meanwhile
  long rows = 0;
  bool ok = false;  // false when the driver or the statement failed (said on stderr)
};

// Runs `tsql` (the module's T-SQL, put into SQLite's dialect as the ODBC
// back end does) on the database file `path` through the driver named
// "SQLite3", the way the back end connects to it; with `bind_every_column`
// the driver hands over every value.
DriverFloor FetchThroughDriverAlone(const std::string& path, const std::string& tsql, bool bind_every_column);

}  // namespace bench
