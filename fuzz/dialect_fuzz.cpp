// Fuzzes the T-SQL → SQLite rewriter: any text either translates or is
// refused with host::Error; nothing else may happen (crash, hang, other
// exception, a sanitizer report).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/db/sqlite_dialect.h"
#include "host/value/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Every other name a text column, every third a table with row ids (the
  // ORDER BY's tie-break is read and added too).
  static const host::sql::SqliteDialect dialect([](std::string_view column) { return column.size() % 2 == 0; },
                                                [](std::string_view table) { return table.size() % 3 == 0; });
  try {
    (void)dialect.Translate(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const host::Error&) {
    // A construct the dialect does not know: refused, by name.
  }
  return 0;
}
