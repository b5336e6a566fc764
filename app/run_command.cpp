#include "app/run_command.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <charconv>
#include <chrono>
#include <cmath>
#include <set>
#include <fstream>
#include <iostream>
#include <functional>
#include <memory>
#include <optional>

#include "app/cli_language.h"
#include "app/console_form.h"
#include "app/exit_status.h"
#include "output/output_file.h"
#ifdef QUARVELINDO_WITH_PDF
#include "output/report/pdf_report.h"
#endif
#include "app/query_argument.h"
#include "output/run_report.h"
#include "output/unbooked_report.h"
#include "engine/presentation/booking_columns.h"
#include "output/export_tables.h"
#include "output/table_writer.h"
#include "engine/comparison.h"
#include "engine/field_lists.h"
#include "app/password_source.h"
#include "engine/monthly_trend.h"
#include "engine/relative_dates.h"
#include "engine/unbooked_phases.h"
#include "host/db/connection.h"
#include "host/db/data_messages.h"
#include "host/services/companies.h"

namespace app {
namespace {

struct RunArgs {
  std::string db;
  std::string password_file;
  std::string company = "1";
  std::vector<std::string> where;
  std::vector<std::string> group;
  std::string unit;  // hh:mm:ss unless given, or the saved query's
  std::string query;  // a saved query: its name or its file
  bool exclude_wait = false;
  bool exclude_queue = false;
  bool show_sql = false;
  bool verbose = false;
  bool bookings = false;
  bool unbooked = false;  // the table or CSV lists the phases planned and never booked instead
  std::string format = "table";
  std::string out;
  std::string xlsx;
  std::string csv_dir;
  std::string csv_locale = "c";
  std::string pdf;
  bool pdf_trend = false;     // the PDF's optional sections: each group's months,
  bool pdf_unbooked = false;  // and the phases planned and never booked
  std::vector<std::string> columns;
  std::string closed_states;         // "9,10": the order states that mean closed
  std::string tolerance;             // the band's half width in percent; else the saved query's, else 10
  bool timing = false;
  std::string language = "it";
};

// A progress line on a terminal, nothing elsewhere.
class TerminalProgress : public engine::Progress {
 public:
  explicit TerminalProgress(std::string what) : what_(std::move(what)), on_(isatty(STDERR_FILENO) != 0) {}
  void Show(int64_t maximum) override { maximum_ = maximum; }
  void Set(int64_t value) override {
    if (value % 1000 == 0 || value == maximum_) Line(value);
  }
  void Line(int64_t value) {
    if (on_ && maximum_ > 0) std::cerr << "\r" << what_ << " " << value << " / " << maximum_ << std::flush;
  }
  void Hide() override {
    if (on_) std::cerr << "\r" << std::string(what_.size() + 30, ' ') << "\r" << std::flush;
  }

 private:
  std::string what_;
  bool on_;
  int64_t maximum_ = 0;
};

// A stage of the print and export on the terminal line, at most ten times a
// second (a workbook's pieces come faster).
output::GoingOn OnTerminal(TerminalProgress& line) {
  return [&line, last = std::chrono::steady_clock::time_point{}](size_t done, size_t total) mutable {
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - last < std::chrono::milliseconds(100)) return true;
    last = now;
    line.Show(static_cast<int64_t>(total));
    line.Line(static_cast<int64_t>(done));
    return true;
  };
}

int Fail(const std::string& message, int status = kExitRefused) {
  std::cerr << "quarvelindo: " << CliMessage(message) << "\n";
  return status;
}

// An error of the data layer, in the command line's language.
int Fail(const host::Error& error, int status = 2) {
  std::cerr << "quarvelindo: " << CliErrorText(error) << "\n";
  return status;
}

// What running out of memory is called where it happens: an allocation, or
// a thread that could not be started.
bool IsOutOfMemory(const std::string& what) {
  return what == std::bad_alloc().what() || what == std::strerror(EAGAIN) || what == std::strerror(ENOMEM);
}

// The message for a run that ran out of memory, `bookings` read so far (-1
// before the bookings were read).
std::string OutOfMemory(int64_t bookings) {
  const std::string advice = ": narrow the conditions (--where) or free some memory, and try again";
  if (bookings < 0) return "not enough memory to read the bookings" + advice;
  return "not enough memory for " + std::to_string(bookings) + " bookings" + advice;
}

// A step of a run answers nothing to go on, or the status to stop with
// (its message already written).
using Stop = std::optional<int>;

// A writer's answer: nothing when it wrote; a failure's reasons, one line
// each; a stop, which the user asked for, is still no success.
Stop FailUnlessWritten(const host::Status& written) {
  if (written.cancelled()) return kExitFailure;
  if (written.ok()) return std::nullopt;
  for (const auto& d : written.diagnostics()) {
    if (d.kind == host::Diagnostic::Kind::kMessage) {
      Fail(d.text);
    } else {
      Fail(d.error);
    }
  }
  return kExitFailure;
}

// What is refused before anything is read: the bookings in a table, an
// unknown block, and every output's place (no output goes over the
// database, another database, a device or a folder, and a run that cannot
// write its last output has not replaced its first).
Stop RefusedBeforeReading(const RunArgs& args) {
  // The table has no place for the bookings: refused rather than ignored.
  if (args.bookings && args.format == "table") return Fail("--bookings needs --format csv or json");
  if (const std::string wrong = output::CheckColumns(args.columns); !wrong.empty()) return Fail(wrong);
  for (const std::string* place : {&args.out, &args.xlsx, &args.pdf}) {
    if (const std::string refused = output::RefuseOutput(*place, args.db); !refused.empty()) return Fail(refused);
  }
  if (!args.csv_dir.empty()) {
    const std::string refused = output::RefuseCsvFolder(args.csv_dir, output::DatabaseFile(args.db));
    if (!refused.empty()) return Fail(refused);
  }
  return std::nullopt;
}

// The connection, its password from a private file or the environment,
// never the command line.
Stop OpenDatabase(const RunArgs& args, std::shared_ptr<host::db::Connection>& connection) {
  try {
    const PasswordOutcome password = WithPassword(args.db, args.password_file, PasswordFromEnvironment());
    if (!password.refused.empty()) return Fail(password.refused);
    connection = host::db::OpenConnection(password.connection);
  } catch (const host::Error& e) {
    // A timeout that is no number of seconds is a refusal of what was asked;
    // anything else, a database that cannot be read.
    return Fail(e, e.Key().number == host::db::kMsgBadTimeout ? kExitRefused : kExitFailure);
  }
  return std::nullopt;
}

// The company: a whole number that the database knows.
Stop CheckCompany(const RunArgs& args, host::db::Connection& connection) {
  const auto number = host::Decimal::Parse(args.company);
  const bool digits = !args.company.empty() && args.company.find_first_not_of("0123456789") == std::string::npos;
  std::vector<std::string> companies;
  try {
    companies = host::CompaniesOf(connection);
  } catch (const host::Error& e) {
    // Said by the run, with the database's own words; but a database that
    // does not answer is said now, not after a second wait.
    if (e.Key().number == host::db::kMsgDatabaseDeadline) return Fail(e, kExitFailure);
  }
  std::string known;
  for (const auto& c : companies) known += (known.empty() ? "" : ", ") + c;
  if (!number || !digits || args.company.size() > 6 || number->Sign() <= 0) {
    return Fail("--company takes the company's whole number" + (known.empty() ? "" : " (" + known + ")") + ": '" +
                host::ShortenedForMessage(args.company) + "' is not one");
  }
  if (!companies.empty() && std::find(companies.begin(), companies.end(), number->ToString()) == companies.end()) {
    return Fail("company " + number->ToString() + " is not in this database; its companies are " + known);
  }
  return std::nullopt;
}

// The --where conditions into the query control, one per field.
Stop ApplyConditions(const std::vector<std::string>& where, host::QueryControl& query) {
  std::set<std::string> given;
  for (const auto& condition : where) {
    const size_t eq = condition.find('=');
    if (eq == std::string::npos) {
      return Fail("--where takes CAPTION=FROM or CAPTION=FROM..TO: " + host::ShortenedForMessage(condition));
    }
    const std::string caption = host::Trim(condition.substr(0, eq));
    const std::string value = condition.substr(eq + 1);
    std::string column;
    if (const auto* field = query.FieldByCaption(caption)) column = field->column;
    if (const auto* state = query.StateByCaption(caption)) column = state->column;
    if (column.empty()) {
      std::string known;
      for (const auto& f : query.Fields()) known += "\n  " + f.caption;
      for (const auto& f : query.ExtraFields()) known += "\n  " + f.caption;
      for (const auto& s : query.States()) known += "\n  " + s.caption;
      return Fail("unknown condition \"" + host::ShortenedForMessage(caption) + "\"; the conditions are:" + known);
    }
    // One condition per field: a second one would silently replace the first.
    if (!given.insert(host::UpperAscii(column)).second) {
      return Fail("the condition \"" + caption + "\" is given twice; give it once, as FROM..TO for a range");
    }
    const size_t range = value.find("..");
    const std::string from = host::Trim(range == std::string::npos ? value : value.substr(0, range));
    const std::string to = range == std::string::npos ? std::string() : host::Trim(value.substr(range + 2));
    if (from.empty() && to.empty()) {
      return Fail("the condition \"" + caption + "\" has no value: give FROM, FROM..TO, FROM.. or ..TO");
    }
    if (!from.empty()) query.SetFrom(column, from);
    if (!to.empty()) query.SetTo(column, to);
    // "FROM.." is open upwards; "..TO" open downwards; "FROM" alone one value.
    query.SetOnwards(column, range != std::string::npos && to.empty());
  }
  return std::nullopt;
}

// The run's request from the arguments: a saved query first (--where and
// --group given beside it replace its own), then the conditions, the
// relative dates resolved today, the grouping; a value that cannot be right
// is refused on its field before any SQL.
Stop BuildRequest(const RunArgs& args, engine::TipoTempo unit, engine::ComparisonRequest& request,
                  std::optional<double>& tolerance) {
  host::ControlSettings settings;
  settings.company = args.company;
  settings.module = "PDXR_QUARVELINDO";
  settings.connection = request.connection.get();
  host::QueryControl query;
  host::OrderControl order;
  query.Settings(settings);
  order.Settings(settings);
  engine::LoadFilterFields(query, false);
  engine::LoadGroupingFields(order);
  request.exclude_wait = args.exclude_wait;
  request.exclude_queue = args.exclude_queue;
  if (!args.query.empty()) {
    try {
      const engine::SavedQuery saved = QueryArgument(args.query, args.db, args.company);
      engine::ApplyQuery(saved, query, order);
      if (args.unit.empty()) unit = saved.unit;
      request.exclude_wait = request.exclude_wait || saved.exclude_wait;
      request.exclude_queue = request.exclude_queue || saved.exclude_queue;
      request.closed_states = saved.closed_states;
      tolerance = saved.tolerance;
    } catch (const host::Error& e) {
      return Fail(e.what());
    }
  }
  if (!args.tolerance.empty()) {
    // With a decimal point whatever the locale, as the other numbers given here.
    double given = -1;
    const char* end = args.tolerance.data() + args.tolerance.size();
    const auto [stop, error] = std::from_chars(args.tolerance.data(), end, given);
    if (error != std::errc() || stop != end || !(given >= 0) || !std::isfinite(given)) {
      return Fail("--tolerance takes a percentage of at least 0, e.g. 10");
    }
    tolerance = given;
  }
  if (!args.closed_states.empty()) {
    try {
      request.closed_states = engine::ParseClosedStates(args.closed_states);
    } catch (const host::Error& e) {
      return Fail(std::string("--closed-states takes state numbers, e.g. 9,10: ") + e.what());
    }
  }
  if (const Stop stop = ApplyConditions(args.where, query)) return stop;
  // Relative dates ("@mese-scorso") become the days they name today, before anything is checked.
  for (const auto& line : engine::ResolveRelativeDates(query, engine::LocalToday())) {
    std::cerr << "quarvelindo: " << line << "\n";
  }
  try {
    if (!args.group.empty()) order.SetGrouping(args.group);
  } catch (const host::Error& e) {
    std::string known;
    for (const auto& item : order.Items()) known += "\n  " + item.caption;
    return Fail(std::string(e.what()) + "; the grouping fields are:" + known);
  }
  const auto problems = query.Validate();
  if (!problems.empty()) {
    std::string message = "the conditions cannot be applied:";
    for (const auto& p : problems) message += "\n  " + p.message;
    return Fail(message);
  }
  request.company = args.company;
  request.query = query;
  request.order = order;
  request.unit = unit;
  return std::nullopt;
}

// The report asked for (--format), to the standard output or --out. Into a
// file that is put in place only once whole, the report is written while
// the group totals are worked out; elsewhere (the standard output, a pipe)
// nothing is written unless they were.
Stop WriteMainReport(const RunArgs& args, engine::Comparison& run, const output::ReportOptions& report,
                     const std::function<bool()>& compute_totals) {
  if (!args.out.empty() && !(args.unbooked && args.format != "json")) {
    return FailUnlessWritten(output::WriteOutputUnlessGivenUp(
        args.out, [&](std::ostream& out) { return output::WriteReportComputing(out, run, report, compute_totals); }));
  }
  if (args.unbooked && args.format != "json") {
    return FailUnlessWritten(
        output::WriteOutput(args.out, [&](std::ostream& out) { output::WriteUnbooked(out, run, report); }));
  }
  if (!compute_totals()) return kExitFailure;
  return FailUnlessWritten(
      output::WriteOutput(args.out, [&](std::ostream& out) { output::WriteReport(out, run, report); }));
}

// The print and the export for analysis (--xlsx, --csv-dir, --pdf), through
// the same record sets and tables as the results form's.
Stop WriteExports(const RunArgs& args, engine::Comparison& run, ConsoleForm& form,
                  const output::OutputLanguage& language, const std::optional<double>& tolerance) {
  if (args.xlsx.empty() && args.csv_dir.empty() && args.pdf.empty()) return std::nullopt;
  host::DecodeService decode(run.Connection(), args.company);
  output::PrintRecords print;
  std::vector<output::ExportTable> tables;
  const auto captions = engine::BuildCaptionDictionary(run.Records().RSTempiVerDett.get());
  TerminalProgress preparing(CliText("preparazione: versamenti", "preparing: bookings"));
  const host::Status prepared =
      output::KVL_EXPTOQV1_BeforeExportToQV(run, decode, captions, print, tables, OnTerminal(preparing));
  preparing.Hide();
  host::ReportStatus(form, prepared);
  if (!prepared.ok()) return kExitFailure;
  // The report's optional sections, whole before its pages are laid out.
  if (!args.pdf.empty()) {
    const host::Status sections = output::PreparaSezioniStampa(run, args.pdf_trend, args.pdf_unbooked, print);
    host::ReportStatus(form, sections);
    if (!sections.ok()) return kExitFailure;
  }
  TerminalProgress writing(CliText("scrittura: righe", "writing: rows"));
  output::TableWriteOptions options;
  options.going_on = OnTerminal(writing);
  options.csv_style = *output::CsvStyleOf(args.csv_locale);
  options.tolerance = tolerance.value_or(engine::kTrendTolerancePercent);
  if (!args.xlsx.empty()) {
    const host::Status written = output::WriteWorkbook(args.xlsx, tables, options);
    writing.Hide();
    if (Stop stop = FailUnlessWritten(written)) return stop;
  }
  if (!args.csv_dir.empty()) {
    const host::Status written = output::WriteCsvFiles(args.csv_dir, tables, options);
    writing.Hide();
    if (Stop stop = FailUnlessWritten(written)) return stop;
  }
  if (!args.pdf.empty()) {
#ifdef QUARVELINDO_WITH_PDF
    const host::Status written = output::WritePdfReport(
        args.pdf, print, run, args.company, language, {args.pdf_trend, args.pdf_unbooked, tolerance.value_or(0)});
    if (Stop stop = FailUnlessWritten(written)) return stop;
#else
    (void)language;
    return Fail("this build has no PDF report (it was built without the windows)");
#endif
  }
  return std::nullopt;
}

// The report's options from the arguments; a terminal's width decides which
// blocks of the table fit.
output::ReportOptions ReportOptionsOf(const RunArgs& args) {
  output::ReportOptions report{args.format, args.bookings, args.columns, 0};
  report.language = output::OutputLanguage(CliLanguage());
  report.csv_style = *output::CsvStyleOf(args.csv_locale);
  if (args.out.empty() && isatty(STDOUT_FILENO) != 0) {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) report.terminal_width = size.ws_col;
  }
  return report;
}

// The run from the arguments to the last output; `bookings` is set once
// they are read (for the message of a run that ran out of memory).
int Run(const RunArgs& args, int64_t& bookings) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  SetCliLanguage(args.language);
  ConsoleForm form;
  form.SetVerbose(args.verbose);
  // An error the engine reports from deep down reads as what it means.
  // Too little memory for the bookings asked for is said as a refusal
  // (status 2: narrow the conditions), wherever the run ran out.
  bool out_of_memory = false;
  form.message = [&bookings, &out_of_memory](const host::Error& error) {
    if (!IsOutOfMemory(error.what())) return CliErrorText(error);
    out_of_memory = true;
    return CliMessage(OutOfMemory(bookings));
  };
  form.text = CliNumberedText;
  if (const Stop stop = RefusedBeforeReading(args)) return *stop;
  engine::ComparisonRequest request;
  if (const Stop stop = OpenDatabase(args, request.connection)) return *stop;
  const auto unit = engine::TipoTempoFromCaption(args.unit.empty() ? std::string("hh:mm:ss") : args.unit);
  if (!unit) return Fail("--unit takes hh:mm:ss, hh,hh, mm,mm or ss,ss");
  if (const Stop stop = CheckCompany(args, *request.connection)) return *stop;
  std::optional<double> tolerance;
  if (const Stop stop = BuildRequest(args, *unit, request, tolerance)) return *stop;

  TerminalProgress progress(CliText("versamenti", "bookings"));
  auto run = engine::Comparison::Make(form, std::move(request), progress);
  host::ReportStatus(form, run->RunStatus());
  if (args.show_sql) {
    std::cerr << "-- grouped query\n"
              << run->Reader().GroupedQuery() << "\n-- detailed query\n"
              << run->Reader().DetailedQuery() << "\n";
  }
  if (run->Failed()) return out_of_memory ? kExitRefused : kExitFailure;
  if (run->Empty()) {
    form.MsgBoxLingua("Non ci sono dati da elaborare", 39693, 64, form.FormCaption());
    return kExitNoData;
  }
  auto& records = run->Records();
  bookings = static_cast<int64_t>(records.RSTempiVerDett->RecordCount());
  const auto read = Clock::now();
  TerminalProgress group_progress(CliText("gruppi", "groups"));
  auto computed = read;
  const auto compute_totals = [&] {
    const host::Status totals = run->ComputeAll(group_progress);
    computed = Clock::now();
    host::ReportStatus(form, totals);
    return totals.ok();
  };
  const output::ReportOptions report = ReportOptionsOf(args);
  if (const Stop stop = WriteMainReport(args, *run, report, compute_totals)) return *stop;
  if (const Stop stop = WriteExports(args, *run, form, report.language, tolerance)) return *stop;
  if (args.timing) {
    const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    std::cerr << "bookings " << records.RSTempiVerDett->RecordCount() << ", groups "
              << records.RSTempiVer->RecordCount() << "; read and planned " << ms(start, read) << " ms (";
    const auto& steps = run->Reader().LastTimings();
    std::cerr << "detailed query " << steps.detailed * 1000 << " ms, groups " << steps.grouped * 1000
              << " ms, planned times " << steps.planned * 1000 << " ms, order phases of "
              << steps.answered_while_reading << " bookings answered while reading), group totals "
              << ms(read, computed) << " ms; statements " << run->Connection().StatementCount() << "\n";
  }
  return 0;
}

// The run's edge: running out of memory anywhere is said plainly, with
// status 2; an output file being written was removed on the way out.
int Run(const RunArgs& args) {
  int64_t bookings = -1;
  try {
    return Run(args, bookings);
  } catch (const std::bad_alloc&) {
    return Fail(OutOfMemory(bookings), kExitRefused);
  } catch (const std::system_error& e) {
    if (e.code() == std::errc::resource_unavailable_try_again || e.code() == std::errc::not_enough_memory) {
      return Fail(OutOfMemory(bookings), kExitRefused);
    }
    throw;
  }
}

}  // namespace

void AddRunCommand(CLI::App& cli) {
  auto args = std::make_shared<RunArgs>();
  auto* run = cli.add_subcommand("run", "Compare planned and booked times on a database and print the groups");
  run->add_option("--db", args->db, "Database file (SQLite) or ODBC connection string")->required();
  run->add_option("--password-file", args->password_file,
                  "File (mode 0600) whose first line is the ODBC password; else QUARVELINDO_PWD is used");
  run->add_option("--company", args->company, "Company number (default 1)");
  run->add_option("--where", args->where, "Condition CAPTION=FROM or CAPTION=FROM..TO (repeatable), e.g. \"Fase=20\"");
  run->add_option("--group", args->group, "Grouping fields by caption, e.g. Reparto,Fase")->delimiter(',');
  run->add_option("--unit", args->unit, "Time unit: hh:mm:ss, hh,hh, mm,mm or ss,ss");
  run->add_option("--query", args->query,
                  "Run a saved query: its file (exported from Ricerche) or its name, as saved for this database "
                  "and company");
  run->add_flag("--exclude-wait", args->exclude_wait, "Leave wait times out of the plan");
  run->add_flag("--exclude-queue", args->exclude_queue, "Leave queue times out of the plan");
  run->add_flag("--verbose", args->verbose, "Name the procedure and the error number in error messages");
  run->add_flag("--show-sql", args->show_sql, "Print the two booking queries (T-SQL) on the error stream");
  run->add_flag("--bookings", args->bookings, "Add one record per booking and each group's bookings");
  run->add_flag("--unbooked", args->unbooked,
                "Table or CSV: list the phases planned and never booked of the run's orders instead of the groups "
                "(the JSON always has them as unbooked_phases)");
  run->add_option("--format", args->format, "table, csv or json")->check(CLI::IsMember({"table", "csv", "json"}));
  run->add_option("--out", args->out, "Write to FILE instead of the standard output");
  run->add_option("--xlsx", args->xlsx, "Also write the export's three tables as an XLSX workbook");
  run->add_option("--columns", args->columns, "The table's blocks: total,lav,set,mac,man (default: all that fit)")
      ->delimiter(',');
  run->add_option("--pdf", args->pdf, "Also write the comparison report as a PDF file");
  run->add_flag("--pdf-trend", args->pdf_trend,
                "The PDF shows each group's months as a chart and a table (planned, booked, gap, gap % beyond the "
                "±10 % band, or --tolerance, marked)");
  run->add_flag("--pdf-unbooked", args->pdf_unbooked,
                "The PDF ends with the section of the phases planned and never booked");
  run->add_option("--tolerance", args->tolerance,
                  "Tolerance band ±N % of the gap % (default 10, as in the results form): the workbook colours the "
                  "gap % beyond it; given (or saved with --query), the PDF marks such groups ▲/▼ and bands the months");
  run->add_option("--closed-states", args->closed_states,
                  "Order states that mean closed, e.g. 9,10: the phases planned and never booked say whether their "
                  "order is closed (Chiusa); without it that column stays empty");
  run->add_option("--csv-dir", args->csv_dir, "Also write the export's three tables as CSV files into DIR");
  run->add_option("--csv-locale", args->csv_locale,
                  "CSV for tools (c: ',' and decimal points, the default) or for an Italian spreadsheet (it: ';', "
                  "decimal commas, dd/mm/yyyy)")
      ->check(CLI::IsMember({"c", "it"}));
  run->add_option("--language", args->language, "Language of the table and the messages: it (default) or en")
      ->check(CLI::IsMember({"it", "en"}));
  run->add_flag("--timing", args->timing, "Print timings and the number of SQL statements on the error stream");
  run->callback([args] {
    const int status = Run(*args);
    if (status != 0) throw CLI::RuntimeError(status);
  });
}

}  // namespace app
