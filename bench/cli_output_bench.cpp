// The command line's JSON report on a large run, with and without the
// bookings, as a user runs it: the whole command, its CPU and its peak
// memory, each into a new file.
//
//   cli_output_bench [--bookings N] [--db FILE] [--short]
//
// Targets: with --bookings at most 1.3 × the time without, and under 1 GiB
// peak.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/erp_database.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Measure {
  double wall = 0, user = 0, system = 0;
  long peak_mib = 0;
  uintmax_t bytes = 0;
  bool ok = false;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs the command line into a new file `out` and measures the whole process.
Measure RunCli(const std::vector<std::string>& arguments, const std::string& out) {
  fs::remove(out);
  std::vector<std::string> args{QUARVELINDO_CLI};
  args.insert(args.end(), arguments.begin(), arguments.end());
  args.insert(args.end(), {"--out", out});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  Measure m;
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return m;
  m.wall = std::chrono::duration<double>(Clock::now() - start).count();
  m.user = Seconds(usage.ru_utime);
  m.system = Seconds(usage.ru_stime);
  m.peak_mib = usage.ru_maxrss / 1024;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(out);
  m.bytes = m.ok ? fs::file_size(out) : 0;
  fs::remove(out);
  return m;
}

void Print(const char* what, const Measure& m) {
  std::printf("%-22s %s: %.2f s (CPU user %.2f s, system %.2f s), peak %ld MiB, %.0f MB written\n", what,
              m.ok ? "written" : "FAILED", m.wall, m.user, m.system, m.peak_mib, static_cast<double>(m.bytes) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t bookings = 1000000;
  std::string db;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0) {
      bookings = 20000;
      db = (fs::temp_directory_path() / "quarvelindo-cli-bench-short.db").string();
    } else if (std::strcmp(argv[i], "--bookings") == 0 && i + 1 < argc) {
      bookings = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db = argv[++i];
    }
  }
  if (db.empty()) db = "bench-demo-" + std::to_string(bookings) + ".db";
  if (!fs::exists(db)) {
    const auto start = Clock::now();
    demo::GenerateDemoDatabase(db, {bookings, 1});
    std::printf("demo database %s: %lld bookings in %.1f s\n", db.c_str(), static_cast<long long>(bookings),
                std::chrono::duration<double>(Clock::now() - start).count());
  }
  const std::string out = (fs::temp_directory_path() / ("quarvelindo-cli-bench-" + std::to_string(getpid()) + ".json")).string();
  const Measure groups = RunCli({"run", "--db", db, "--format", "json"}, out);
  Print("json", groups);
  const Measure with_bookings = RunCli({"run", "--db", db, "--format", "json", "--bookings"}, out);
  Print("json --bookings", with_bookings);
  if (!groups.ok || !with_bookings.ok) return 1;
  std::printf("json --bookings / json: %.2f (target at most 1.3); peak %ld MiB (target under 1024)\n",
              with_bookings.wall / groups.wall, with_bookings.peak_mib);
  return 0;
}
