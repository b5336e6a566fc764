// The print and the export on a large run: the workbook of the three tables
// against the time of the run itself (and the peak memory), and a PDF of
// the groups without their bookings.
//
//   output_bench [--bookings N] [--db FILE] [--short]
//
// Targets: the workbook in at most the run's time and under 1 GiB peak; a
// PDF of 1,000 groups without bookings in at most 10 s.
#include <sys/resource.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "demo/erp_database.h"
#include "engine/field_lists.h"
#include "engine/presentation/booking_columns.h"
#include "host/tests/fake_form.h"
#include "engine/tests/run_request.h"
#include "output/export_tables.h"
#include "output/report/comparison_report.h"
#include "output/table_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }
long PeakRssMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  int64_t bookings = 1000000;
  std::string db = "build/demo-1m.db";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--short") == 0) {
      bookings = 20000;
      db = (std::filesystem::temp_directory_path() / "quarvelindo-output-bench-short.db").string();
    } else if (std::strcmp(argv[i], "--bookings") == 0 && i + 1 < argc) {
      bookings = std::atoll(argv[++i]);
    } else if (std::strcmp(argv[i], "--db") == 0 && i + 1 < argc) {
      db = argv[++i];
    }
  }
  if (!std::filesystem::exists(db)) demo::GenerateDemoDatabase(db, {bookings, 1});
  host::testing::FakeForm form;
  engine::NoProgress progress;
  auto request = engine::testing::RequestOn(db, {"Reparto", "Fase", "Commessa"});
  auto start = Clock::now();
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  const double run_seconds = Seconds(start);
  const size_t groups = run->Records().RSTempiVer->RecordCount();
  host::DecodeService decode(run->Connection(), "1");

  start = Clock::now();
  output::PrintRecords print;
  std::vector<output::ExportTable> tables;
  const auto captions = engine::BuildCaptionDictionary(run->Records().RSTempiVerDett.get());
  if (!output::KVL_EXPTOQV1_BeforeExportToQV(*run, decode, captions, print, tables).ok()) return 1;
  const double prepared = Seconds(start);
  const std::string workbook = (std::filesystem::temp_directory_path() / "quarvelindo-output-bench.xlsx").string();
  const std::string error = output::WriteWorkbook(workbook, tables);
  const double written = Seconds(start);
  std::printf("run of %zu bookings, %zu groups: %.1f s; workbook of the three tables: %.1f s (prepare %.1f s), "
              "%.0f MiB, %.2f x the run; peak RSS %ld MiB%s\n",
              run->Records().RSTempiVerDett->RecordCount(), groups, run_seconds, written, prepared,
              static_cast<double>(std::filesystem::file_size(workbook)) / 1048576.0, written / run_seconds,
              PeakRssMiB(), error.empty() ? "" : (" ERROR " + error).c_str());

  // The PDF target is for a thousand groups: people by article give them.
  auto many = engine::Comparison::Make(form, engine::testing::RequestOn(db, {"Dipendente", "Articolo"}), progress);
  host::DecodeService many_decode(many->Connection(), "1");
  output::PrintRecords first;
  if (!output::PreparaRSStampa(*many, many_decode, false, first).ok()) return 1;
  output::ReportParameters parameters;
  parameters.titolo = "Stampa comparazione tempi lavorazione";
  parameters.ditta = "1";
  parameters.grouping = QString::fromStdString(many->DescrizioneGruppo());
  parameters.bookings = false;
  parameters.max_groups = 1000;
  const size_t drawn = std::min<size_t>(1000, first.RSStampa->RecordCount());
  start = Clock::now();
  const std::string pdf = (std::filesystem::temp_directory_path() / "quarvelindo-output-bench.pdf").string();
  const std::string pdf_error = output::WriteReportPdf(pdf, first, parameters);
  std::printf("PDF of %zu groups without bookings: %.1f s, %.1f MiB%s\n", drawn,
              Seconds(start), static_cast<double>(std::filesystem::file_size(pdf)) / 1048576.0,
              pdf_error.empty() ? "" : (" ERROR " + pdf_error).c_str());
  std::filesystem::remove(workbook);
  std::filesystem::remove(pdf);
  const bool ok = error.empty() && pdf_error.empty();
  std::printf("%s\n", ok ? "output: written" : "output: FAILED");
  return ok ? 0 : 1;
}
