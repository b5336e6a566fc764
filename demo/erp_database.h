// Creating ERP databases for SQLite: an empty one with the schema (for users
// who load their own data) and the deterministic demo.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace demo {

// The schema script (tables, views, indexes) of demo/schema.sql.
const char* ErpSchemaSql();

// Creates `path` with the empty schema. Refuses an existing file (the module
// never overwrites data); throws host::Error on failure.
void CreateErpDatabase(const std::string& path);

struct DemoOptions {
  int64_t bookings = 20000;
  uint32_t seed = 1;
};

// Counts of what the demo holds, for messages and tests.
struct DemoSummary {
  int64_t bookings = 0;
  int64_t order_lines = 0;
  int64_t order_phases = 0;
  int64_t cycle_phases = 0;
  int64_t articles = 0;
};

// Creates `path` with the schema and the demo data: two companies, articles
// with and without variants, bills of materials and default cycles, cycles
// with formulas and workers, production orders with phase details and
// workers, processing, set-up and maintenance bookings by machines and
// employees, projects and job orders, and the Nulls and blank codes a real
// ERP has. The same options always give the same data.
DemoSummary GenerateDemoDatabase(const std::string& path, const DemoOptions& options,
                                 const std::function<void(int64_t done, int64_t total)>& progress = {});

}  // namespace demo
