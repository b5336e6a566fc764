// The whole comparison against reading the detailed booking query alone, on
// the demo database, side by side in one process:
//
//   comparison_bench [--bookings N] [--db FILE] [--short] [--odbc] [--repeat R]
//
// It makes the demo database when FILE does not exist (N bookings, seed 1;
// by default build/bench-demo-1m.db, build/bench-demo-10m.db…), then
// reports: reading the detailed query's rows alone; the whole run (both
// booking queries, the planned time of every booking, the totals of every
// group); their ratio; the SQL statements executed; the peak memory, of the
// process and of the whole run alone; then, up to two million bookings, the
// whole comparison again with the default grouping, against the first.
//
// With --odbc it reads the detailed query alone and then runs the whole
// comparison (Reparto + Fase), on the embedded back end and through the
// SQLite ODBC driver (Driver=SQLite3;Database=FILE), each in a process of its
// own so that each has its own peak memory; first on every core, then kept
// to the first one (as `taskset -c 0` would); it prints each back end's
// whole / raw and ODBC / native for wall, CPU and peak. Before the ODBC
// read it fetches the detailed query's rows through the driver alone, with
// nothing bound (driver_floor.h): no ODBC reader can be faster, so the
// driver alone / native whole is the least ODBC / native there can be, and
// ODBC whole / driver alone what the module adds to the driver.
//
// With --repeat R it measures R rounds, each a read alone followed at once by
// its whole run, and prints the median of the rounds' ratios as well: the
// machine's speed drifts by tens of per cent over minutes, and a ratio of two
// steps run back to back drifts far less than either step.
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/console_form.h"
#include "bench/driver_floor.h"
#include "demo/erp_database.h"
#include "engine/booking_queries.h"
#include "engine/comparison.h"
#include "engine/field_lists.h"
#include "engine/group_totals.h"
#include "engine/value_helpers.h"
#include "host/db/connection.h"
#include "host/services/recordset_functions.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// CPU seconds of the process: steadier than the wall clock on a shared machine.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// The high-water mark of the process's resident memory since the last
// ResetPeak() (the kernel's VmHWM), so that a step is measured apart from
// the steps before it; -1 where the kernel does not say.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
long PeakSinceResetMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
  }
  return -1;
}

// Where the bookings' memory goes: the largest columns, for the next
// saving to start from.
void PrintLargestColumns(const char* name, const host::Table& t) {
  std::vector<std::pair<size_t, size_t>> sizes;  // bytes, column
  for (size_t c = 0; c < t.FieldCount(); ++c) sizes.emplace_back(t.ColumnMemoryBytes(c), c);
  std::sort(sizes.rbegin(), sizes.rend());
  size_t columns = 0;
  for (const auto& size : sizes) columns += size.first;
  std::printf("  %s: texts %.1f MiB; largest columns:", name, static_cast<double>(t.MemoryBytes() - columns) / (1 << 20));
  for (size_t k = 0; k < std::min<size_t>(sizes.size(), 10); ++k) {
    std::printf(" %s %.1f MiB%s", t.Field(sizes[k].second).name.c_str(), static_cast<double>(sizes[k].first) / (1 << 20),
                k + 1 < std::min<size_t>(sizes.size(), 10) ? "," : "\n");
  }
}

// Reads the file through once, so that the read alone and the whole run
// both find it in the page cache (at ten million bookings, cheaper than
// running the detailed query twice).
void WarmPageCache(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || file.gcount() > 0) {
  }
}

// Above this many bookings the default grouping is left out: it would double
// a run that already takes minutes (ten years of bookings).
constexpr size_t kLargestDefaultGrouping = 2000000;

// The middle value (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct BackEndRun {
  double wall = 0;  // the whole comparison, from its start to its totals
  double cpu = 0;
  double raw_wall = 0;  // reading the detailed query's rows alone, before it
  double raw_cpu = 0;
  long peak_mib = 0;  // of the whole comparison alone
  // Through ODBC: the driver alone handing over the detailed query's rows,
  // then every value of them.
  bench::DriverFloor driver;
  bench::DriverFloor driver_values;
  bool ok = false;
};

// A benchmark measures how long a statement takes: ten years of bookings on
// a busy machine read for longer than the default query timeout of a minute.
std::string Unhurried(const std::string& connection_string) { return connection_string + ";QueryTimeout=86400"; }

// The detailed booking query of company 1 grouped by `order`, as the run builds it.
std::string DetailedQuery(host::db::Connection& connection, const host::OrderControl& order) {
  host::RecordSetFunctions functions;
  functions.SetConnessione(&connection);
  engine::BookingQueryInput in;
  in.booking_columns = functions.ElencoCampiDaSelect_V2(engine::kBookingColumnsSelect);
  for (const auto& item : order.Items()) {
    if (item.use != host::OrderControl::Use::LeftOut) {
      in.items.push_back({item.column, item.caption, item.use == host::OrderControl::Use::Grouping});
    }
  }
  in.company = "1";
  in.unit = engine::kOreMinutiSecondi;
  in.grouping = order.GroupingText();
  in.ordering = order.OrderingText();
  return engine::BuildBookingQueries(in).detailed;
}

// In a child process through `connection_string` (on the first core only
// when `one_core`): through ODBC the driver alone on `db`, then the detailed
// query's rows read alone, then the whole comparison (Reparto + Fase).
BackEndRun RunInChild(const std::string& connection_string, const std::string& db, bool one_core = false) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    BackEndRun run;
    const bool through_driver = connection_string.rfind("Driver=", 0) == 0;
    try {
      if (one_core) {
        cpu_set_t first{};
        CPU_ZERO(&first);
        CPU_SET(0, &first);
        if (sched_setaffinity(0, sizeof first, &first) != 0) throw std::runtime_error("cannot keep to one core");
      }
      app::ConsoleForm form;
      std::shared_ptr<host::db::Connection> connection = host::db::OpenConnection(connection_string);
      host::QueryControl query;
      host::OrderControl order;
      engine::LoadFilterFields(query, false);
      engine::LoadGroupingFields(order);
      order.SetGrouping({"Reparto", "Fase"});
      {
        const std::string detailed = DetailedQuery(*connection, order);
        if (through_driver) {
          run.driver = bench::FetchThroughDriverAlone(db, detailed, false);
          run.driver_values = bench::FetchThroughDriverAlone(db, detailed, true);
        }
        const auto start = Clock::now();
        const double cpu_start = CpuSeconds();
        connection->Execute(detailed).reset();
        run.raw_wall = Seconds(start);
        run.raw_cpu = CpuSeconds() - cpu_start;
      }
      ResetPeak();
      engine::ComparisonRequest request;
      request.connection = connection;
      request.company = "1";
      request.query = query;
      request.order = order;
      engine::NoProgress progress;
      const auto start = Clock::now();
      const double cpu_start = CpuSeconds();
      auto comparison = engine::Comparison::Make(form, request, progress);
      comparison->ComputeAll(progress);
      run.wall = Seconds(start);
      run.cpu = CpuSeconds() - cpu_start;
      run.peak_mib = PeakSinceResetMiB();
      run.ok =
          !comparison->Failed() && form.Errors() == 0 && (!through_driver || (run.driver.ok && run.driver_values.ok));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
    }
    if (write(pipe_ends[1], &run, sizeof run) != static_cast<ssize_t>(sizeof run)) _exit(2);
    _exit(0);
  }
  close(pipe_ends[1]);
  BackEndRun run;
  if (read(pipe_ends[0], &run, sizeof run) != static_cast<ssize_t>(sizeof run)) run.ok = false;
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return run;
}

void PrintBackEndRun(const char* name, const BackEndRun& run) {
  std::printf(
      "  %s whole comparison: %.2f s wall, %.2f s CPU, peak RSS %ld MiB; raw step-and-read %.2f s wall, %.2f s "
      "CPU; ratio whole / raw %.2f wall, %.2f CPU%s\n",
      name, run.wall, run.cpu, run.peak_mib, run.raw_wall, run.raw_cpu, run.wall / run.raw_wall, run.cpu / run.raw_cpu,
      run.ok ? "" : " (FAILED)");
}

// Native against ODBC, side by side, on every core and on one, `rounds` times each.
int CompareBackEnds(const std::string& db, int rounds) {
  WarmPageCache(db);
  bool ok = true;
  const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
  for (const bool one_core : {false, true}) {
    std::printf("%s:\n", one_core ? "one core (the first)" : (std::to_string(cores) + " cores").c_str());
    std::vector<double> native_wall, native_cpu, odbc_wall, odbc_cpu, between_wall, between_cpu, between_peak;
    std::vector<double> floor_wall, over_floor_wall, values_floor_wall, over_values_floor_wall;
    for (int round = 1; round <= rounds; ++round) {
      const BackEndRun native = RunInChild(Unhurried("Data Source=" + db), db, one_core);
      const BackEndRun odbc = RunInChild(Unhurried("Driver=SQLite3;Database=" + db), db, one_core);
      if (rounds > 1) std::printf(" round %d\n", round);
      PrintBackEndRun("native", native);
      PrintBackEndRun("ODBC  ", odbc);
      std::printf("  ratio ODBC / native: %.2f wall, %.2f CPU, %.2f peak memory\n", odbc.wall / native.wall,
                  odbc.cpu / native.cpu, static_cast<double>(odbc.peak_mib) / static_cast<double>(native.peak_mib));
      std::printf(
          "  the driver alone (%ld rows fetched, nothing bound): %.2f s wall, %.2f s CPU; driver alone / native "
          "whole %.2f wall (the least ODBC / native can be); ODBC whole / driver alone %.2f wall, %.2f CPU\n",
          odbc.driver.rows, odbc.driver.wall, odbc.driver.cpu, odbc.driver.wall / native.wall,
          odbc.wall / odbc.driver.wall, odbc.cpu / odbc.driver.cpu);
      std::printf(
          "  the driver alone handing over every value (%ld rows, every column bound): %.2f s wall, %.2f s CPU; "
          "/ native whole %.2f wall (the least ODBC / native of a reader that gets the values); ODBC whole / it "
          "%.2f wall, %.2f CPU\n",
          odbc.driver_values.rows, odbc.driver_values.wall, odbc.driver_values.cpu,
          odbc.driver_values.wall / native.wall, odbc.wall / odbc.driver_values.wall,
          odbc.cpu / odbc.driver_values.cpu);
      std::fflush(stdout);
      native_wall.push_back(native.wall / native.raw_wall);
      native_cpu.push_back(native.cpu / native.raw_cpu);
      odbc_wall.push_back(odbc.wall / odbc.raw_wall);
      odbc_cpu.push_back(odbc.cpu / odbc.raw_cpu);
      between_wall.push_back(odbc.wall / native.wall);
      between_cpu.push_back(odbc.cpu / native.cpu);
      between_peak.push_back(static_cast<double>(odbc.peak_mib) / static_cast<double>(native.peak_mib));
      floor_wall.push_back(odbc.driver.wall / native.wall);
      over_floor_wall.push_back(odbc.wall / odbc.driver.wall);
      values_floor_wall.push_back(odbc.driver_values.wall / native.wall);
      over_values_floor_wall.push_back(odbc.wall / odbc.driver_values.wall);
      ok = ok && native.ok && odbc.ok;
    }
    if (rounds > 1) {
      std::printf(
          "  median of %d rounds: native whole / raw %.2f wall, %.2f CPU; ODBC whole / raw %.2f wall, %.2f CPU; "
          "ODBC / native %.2f wall, %.2f CPU, %.2f peak memory; driver alone / native whole %.2f wall, with every "
          "value %.2f wall; ODBC whole / driver alone %.2f wall, / driver alone with every value %.2f wall\n",
          rounds, Median(native_wall), Median(native_cpu), Median(odbc_wall), Median(odbc_cpu), Median(between_wall),
          Median(between_cpu), Median(between_peak), Median(floor_wall), Median(values_floor_wall),
          Median(over_floor_wall), Median(over_values_floor_wall));
      std::fflush(stdout);
    }
  }
  return ok ? 0 : 1;
}

}  // namespace

// The figures the benchmark prints must add up: every booking in exactly
// one group, and the groups' booked seconds the bookings' own.
bool Consistent(engine::Comparison& run) {
  auto& r = run.Records();
  const auto seconds = [](const host::RecordSet& rs) {
    return engine::ValoreNumerico(rs.Value("OREVERS")).ToDecimal() * host::Decimal::FromInt(3600) +
           engine::ValoreNumerico(rs.Value("MINVERS")).ToDecimal() * host::Decimal::FromInt(60) +
           engine::ValoreNumerico(rs.Value("SECVERS")).ToDecimal();
  };
  size_t covered = 0;
  host::Decimal group_seconds;
  for (r.RSTempiVer->MoveFirst(); !r.RSTempiVer->Eof(); r.RSTempiVer->MoveNext()) {
    run.Totals().TempiPreventivi();
    covered += r.RSTempiVerDett->RecordCount();
    group_seconds = group_seconds + seconds(*r.RSTempiVer);
  }
  r.RSTempiVerDett->SetFilter("");
  host::Decimal booking_seconds;
  for (r.RSTempiVerDett->MoveFirst(); !r.RSTempiVerDett->Eof(); r.RSTempiVerDett->MoveNext()) {
    booking_seconds = booking_seconds + seconds(*r.RSTempiVerDett);
  }
  const size_t bookings = r.RSTempiVerDett->RecordCount();
  const bool ok = covered == bookings && group_seconds == booking_seconds && bookings > 0;
  std::printf("consistency: groups cover %zu of %zu bookings; booked seconds of the groups %s, of the bookings %s: %s\n",
              covered, bookings, group_seconds.ToString().c_str(), booking_seconds.ToString().c_str(),
              ok ? "consistent" : "INCONSISTENT");
  return ok;
}

int main(int argc, char** argv) {
  int64_t bookings = 1000000;
  std::string db;
  bool is_short = false;
  bool odbc = false;
  int rounds = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0) {
      is_short = true;
      bookings = 20000;
      // One file per process: two builds may run their short benchmarks at once.
      db = (std::filesystem::temp_directory_path() / ("quarvelindo-bench-short-" + std::to_string(getpid()) + ".db"))
               .string();
      std::filesystem::remove(db);
    } else if (std::strcmp(argv[i], "--bookings") == 0 && i + 1 < argc) {
      bookings = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--odbc") == 0) {
      odbc = true;
    } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db = argv[++i];
    }
  }
  if (db.empty()) {
    // One file per size: build/bench-demo-1m.db, build/bench-demo-10m.db…
    const std::string size =
        bookings % 1000000 == 0 ? std::to_string(bookings / 1000000) + "m" : std::to_string(bookings);
    db = "build/bench-demo-" + size + ".db";
  }
  if (!std::filesystem::exists(db)) {
    const auto start = Clock::now();
    demo::GenerateDemoDatabase(db, {bookings, 1});
    std::printf("demo database %s: %lld bookings in %.1f s\n", db.c_str(), static_cast<long long>(bookings),
                Seconds(start));
  }
  if (odbc) {
    std::fflush(stdout);
    const int status = CompareBackEnds(db, rounds);
    if (is_short) std::filesystem::remove(db);
    return status;
  }
  app::ConsoleForm form;
  std::shared_ptr<host::db::Connection> connection = host::db::OpenConnection(Unhurried("Data Source=" + db));
  host::QueryControl query;
  host::OrderControl order;
  engine::LoadFilterFields(query, false);
  engine::LoadGroupingFields(order);
  order.SetGrouping({"Reparto", "Fase"});

  engine::NoProgress progress;
  const auto request_for = [&](const host::OrderControl& grouping) {
    engine::ComparisonRequest request;
    request.connection = connection;
    request.company = "1";
    request.query = query;
    request.order = grouping;
    return request;
  };
  const std::string detailed = DetailedQuery(*connection, order);
  WarmPageCache(db);  // the run finds the file in the page cache, as the read alone did
  std::vector<double> ratios_wall, ratios_cpu;
  std::unique_ptr<engine::Comparison> run;
  double last_whole = 0;  // of the last round, for the default grouping's
  for (int round = 1; round <= rounds; ++round) {
    const bool last = round == rounds;
    if (rounds > 1) std::printf("round %d\n", round);
    // 1. The detailed booking query alone, read into a record set.
    const auto start = Clock::now();
    const double cpu_start = CpuSeconds();
    auto rows = connection->Execute(detailed);
    const double read = Seconds(start);
    const double read_cpu = CpuSeconds() - cpu_start;
    std::printf("read the detailed query alone: %zu rows x %zu columns in %.2f s (peak RSS %ld MiB)\n",
                rows->RecordCount(), rows->FieldCount(), read, PeakRssMiB());
    rows.reset();
    std::fflush(stdout);
    const int64_t before = connection->StatementCount();

    // 2. The whole comparison, through the run object.
    run.reset();
    ResetPeak();
    const auto run_start = Clock::now();
    const double run_cpu_start = CpuSeconds();
    run = engine::Comparison::Make(form, request_for(order), progress);
    const double planned = Seconds(run_start);
    run->ComputeAll(progress);
    const double whole = Seconds(run_start);
    const double whole_cpu = CpuSeconds() - run_cpu_start;
    const long whole_peak = PeakSinceResetMiB();
    const int64_t statements = connection->StatementCount() - before;
    std::printf("whole comparison: %.2f s (booking queries and planned times %.2f s, totals of %zu groups %.2f s)\n",
                whole, planned, run->Records().RSTempiVer->RecordCount(), whole - planned);
    const auto& t = run->Reader().LastTimings();
    std::printf(
        "  grouped query %.2f s, detailed query %.2f s, planned times %.2f s (order phases of %zu bookings answered "
        "while reading)\n",
        t.grouped, t.detailed, t.planned, t.answered_while_reading);
    std::printf(
        "ratio whole / raw step-and-read: %.2f wall, %.2f CPU (%.2f s / %.2f s); SQL statements executed: %lld "
        "(phase rows %lld); errors %d\n",
        whole / read, whole_cpu / read_cpu, whole_cpu, read_cpu, static_cast<long long>(statements),
        static_cast<long long>(run->Reader().Phases().Statements()), form.Errors());
    last_whole = whole;
    ratios_wall.push_back(whole / read);
    ratios_cpu.push_back(whole_cpu / read_cpu);
    if (last && rounds > 1) {
      std::printf("median of %d rounds: ratio whole / raw %.2f wall, %.2f CPU\n", rounds, Median(ratios_wall),
                  Median(ratios_cpu));
    }
    if (last) std::printf("peak RSS of the whole comparison alone %ld MiB\n", whole_peak);
    std::fflush(stdout);
  }
  const bool consistent = Consistent(*run);
  auto& r = run->Records();
  std::printf("storage: RSTempiVerDett %zu MiB, RSTempiPrevDett %zu MiB, RSTempiVer %zu MiB, RSTempiPrev %zu MiB\n",
              r.RSTempiVerDett->Storage().MemoryBytes() >> 20, r.RSTempiPrevDett->Storage().MemoryBytes() >> 20,
              r.RSTempiVer->Storage().MemoryBytes() >> 20, r.RSTempiPrev->Storage().MemoryBytes() >> 20);
  PrintLargestColumns("RSTempiVerDett", r.RSTempiVerDett->Storage());
  PrintLargestColumns("RSTempiPrevDett", r.RSTempiPrevDett->Storage());
  std::printf("peak RSS %ld MiB\n", PeakRssMiB());
  const bool run_ok = !run->Failed();
  std::fflush(stdout);

  // 3. The same comparison grouped as the query form starts (every grouping
  //    field it proposes): many more, smaller groups.
  if (r.RSTempiVerDett->RecordCount() > kLargestDefaultGrouping) {
    std::printf("default grouping left out above %zu bookings\n", kLargestDefaultGrouping);
    const int status = form.Errors() == 0 && run_ok && consistent ? 0 : 1;
    run.reset();
    connection.reset();
    return status;
  }
  run.reset();
  host::OrderControl default_order;
  engine::LoadGroupingFields(default_order);
  const auto default_start = Clock::now();
  auto by_default = engine::Comparison::Make(form, request_for(default_order), progress);
  by_default->ComputeAll(progress);
  const double default_whole = Seconds(default_start);
  std::printf("default grouping: %zu groups, whole comparison %.2f s = %.2f x the Reparto + Fase grouping\n",
              by_default->Records().RSTempiVer->RecordCount(), default_whole, default_whole / last_whole);
  const int status = form.Errors() == 0 && run_ok && !by_default->Failed() && consistent ? 0 : 1;
  by_default.reset();
  connection.reset();
  if (is_short) std::filesystem::remove(db);
  return status;
}
