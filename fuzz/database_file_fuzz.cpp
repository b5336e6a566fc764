// Fuzzes the database file itself: any bytes (mutations of a small ERP
// database in fuzz/corpus/database_file) written to a file, opened through
// both back ends (directly, and through the SQLite ODBC driver) and run
// through a whole comparison, group totals included. A broken file is an
// error the run reports; never a crash, a leak or a hang (every statement
// has its 5 s deadline here).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/comparison.h"
#include "engine/field_lists.h"
#include "host/db/connection.h"
#include "host/value/error.h"
#include "host/value/language_services.h"

namespace {

// The run's language: texts as they are; what the run says is its status, unread here.
class QuietLanguage : public host::LanguageServices {
 public:
  std::string TestoLingua(std::string_view text, int32_t, int16_t) override { return std::string(text); }
  host::DateService& DateService() override { return dates_; }
  host::NumberService& NumberService() override { return numbers_; }

 private:
  host::PlainDateService dates_;
  host::PlainNumberService numbers_;
};

void RunOn(const std::string& connection_string) {
  QuietLanguage form;
  engine::NoProgress progress;
  engine::ComparisonRequest request;
  try {
    request.connection = host::db::OpenConnection(connection_string);
  } catch (const host::Error&) {
    return;  // refused when opened: not a database, not the ERP's, corrupt
  }
  request.company = "1";
  request.query.Settings(host::ControlSettings{"1", "", "", "", false, request.connection.get()});
  engine::LoadFilterFields(request.query, false);
  engine::LoadGroupingFields(request.order);
  try {
    request.order.SetGrouping({"Articolo", "Fase"});
  } catch (const host::Error&) {
  }
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  if (run->Failed() || run->Empty()) return;
  (void)run->ComputeAll(progress);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/quarvelindo-database-fuzz-" + std::to_string(getpid()) + ".db";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  RunOn("Data Source=" + path + ";QueryTimeout=5");
  RunOn("Driver=SQLite3;Database=" + path + ";QueryTimeout=5");
  std::remove(path.c_str());
  return 0;
}
