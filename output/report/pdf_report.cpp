#include "output/report/pdf_report.h"

#include <QDate>
#include <QGuiApplication>
#include <QLocale>
#include <memory>

#include "engine/conditions_summary.h"
#include "engine/group_figures.h"
#include "output/report/comparison_report.h"

namespace output {

host::Status WritePdfReport(const std::string& path, const output::PrintRecords& print, engine::Comparison& run,
                            const std::string& company, const OutputLanguage& language,
                            const PdfSections& sections) {
  // Fonts need a Qt application; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "quarvelindo";
  char* argv[] = {name, nullptr};
  // Made for this report and gone before the process ends.
  std::unique_ptr<QGuiApplication> application;
  if (QGuiApplication::instance() == nullptr) application = std::make_unique<QGuiApplication>(argc, argv);
  // The report in the command line's language: its captions, and its
  // figures with the language's separators, as the window prints them.
  QLocale::setDefault(language.English() ? QLocale(QLocale::English, QLocale::UnitedKingdom)
                                          : QLocale(QLocale::Italian, QLocale::Italy));
  output::ReportParameters parameters;
  parameters.translate = [language](const std::string& italian) {
    return QString::fromStdString(language.Caption(italian));
  };
  parameters.titolo = QString::fromStdString(language.Caption("Stampa comparazione tempi lavorazione"));
  parameters.ditta = QString::fromStdString(company);
  parameters.grouping = QString::fromStdString(run.DescrizioneGruppo());
  parameters.grouping_fields = run.GroupingColumns();  // headings name the grouping dimensions only
  parameters.unit = static_cast<int16_t>(run.Unit());
  parameters.conditions = QString::fromStdString(
      engine::ConditionsSummary(run.Query(), [language](const std::string& s) { return language.Caption(s); }));
  parameters.exclude_wait = run.ExcludeWait();
  parameters.exclude_queue = run.ExcludeQueue();
  parameters.trend = sections.trend;
  parameters.unbooked = sections.unbooked;
  parameters.tolerance = sections.tolerance;
  // The groups' total as the results form's totals row reads it.
  parameters.totals = engine::RunAsOneGroup(run, run.Totals());
  parameters.language = language.English() ? "en" : "it";
  parameters.print_date = QDate::currentDate().toString("dd/MM/yyyy");
  return output::WriteReportPdf(path, print, parameters);
}

}  // namespace output
