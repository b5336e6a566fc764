// The print and the export of the results form: the report's parameters,
// its preview, the PDF, and the workbook or CSV files of the run.
#include <malloc.h>

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QUrl>

#include "engine/conditions_summary.h"
#include "host/qt/work_progress.h"
#include "output/export_tables.h"
#include "output/report/report_pages.h"
#include "output/table_writer.h"
#include "output/write_status.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/recordset_model.h"
#include "results_form/report_preview.h"

namespace results_form {

output::ReportParameters FRMPD_MAVANZORDLAV::ReportParameters() {
  output::ReportParameters p;
  p.translate = [this](const std::string& s) { return Tr(s); };
  // PclsReport_BeforePrintReport.
  p.titolo = output::ShortenedTitle(
      QString::fromStdString(TestoLingua("Stampa comparazione tempi lavorazione", 74790, 0)));
  p.ditta = QString::fromStdString(PvarCodDitta());
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  const host::GlobalObject::PrintOptions options = global ? global->print_options : host::GlobalObject::PrintOptions{};
  p.desditta = global ? QString::fromStdString(global->company.description) : QString();
  // The section "RH" goes when the first option is off or the other two both are.
  const bool header = options.header && (options.company_data || options.references);
  p.report_header = header;
  // PreparaNote: the texts only with the notes option, each when it is not empty.
  const bool notes = header && options.notes;
  p.eseg = notes ? QString::fromStdString(options.executing) : QString();
  p.dest = notes ? QString::fromStdString(options.destination) : QString();
  p.note = notes ? QString::fromStdString(options.note) : QString();
  p.grouping = QString::fromStdString(DescrizioneGruppo());
  if (Run()) p.grouping_fields = Run()->GroupingColumns();
  p.tolerance = tolerance_;
  p.trend = options.trend;
  p.unbooked = options.unbooked;
  p.language = UserLanguage();
  if (!GiorniRelativi.empty()) p.grouping += " (" + QString::fromStdString(GiorniRelativi) + ")";
  // A search prints the groups it keeps: the heading says so.
  if (groups_model_ != nullptr && groups_model_->Shown() < groups_model_->Total()) {
    p.grouping += QString::fromUtf8(" \u2014 ") + ShownCount();
  }
  p.unit = TipoTempo();
  // The total of the groups printed: the totals row's figures. Printed while
  // the groups' figures still come, the report waits for them (a second or
  // two on a year) rather than leave the total out; a search's are summed
  // now if they are still being summed.
  FinishFigures();
  FinishShownTotals();
  if (const auto* totals = TotalsFigures()) p.totals = *totals;
  if (Run()) {
    p.conditions = QString::fromStdString(
        engine::ConditionsSummary(Run()->Query(), [this](const std::string& s) { return TraduciCaption(s); }));
    p.exclude_wait = Run()->ExcludeWait();
    p.exclude_queue = Run()->ExcludeQueue();
  }
  p.print_date = QDate::currentDate().toString("dd/MM/yyyy");
  return p;
}

host::Status FRMPD_MAVANZORDLAV::SavePdf(const std::string& path) {
  if (!Run() || !decode_) return output::WriteFailedUnless("no run to print");
  if (NothingToPrint()) return output::WriteFailedUnless("no group to print: the search keeps none");
  const ReleaseOnExit release{*this};
  host::Status status = output::PreparaRSStampa(*Run(), *decode_, false, print_records_, {}, PrintedGroups());
  if (!status.ok()) return status;
  const output::ReportParameters parameters = ReportParameters();
  status.Add(output::PreparaSezioniStampa(*Run(), parameters.trend, parameters.unbooked, print_records_));
  if (!status.ok()) return status;
  status.Add(output::WriteReportPdf(path, print_records_, parameters));
  return status;
}

std::unique_ptr<ReportPreview> FRMPD_MAVANZORDLAV::Anteprima() {
  if (!Run() || !decode_ || NothingToPrint()) return nullptr;
  // The preview opens on the first groups and prepares the others while it
  // is open: a year of bookings takes seconds to prepare.
  auto preparation = std::make_shared<output::PrintPreparation>(*Run(), *decode_, print_records_, PrintedGroups());
  host::ReportStatus(*this, preparation->TakeStatus());
  if (preparation->Failed()) return nullptr;
  const output::ReportParameters parameters = ReportParameters();
  // The optional sections come whole before the layout: the pages place
  // each group's months under its figures.
  const host::Status sections =
      output::PreparaSezioniStampa(*Run(), parameters.trend, parameters.unbooked, print_records_);
  host::ReportStatus(*this, sections);
  if (!sections.ok()) return nullptr;
  auto pages = std::make_shared<output::ReportPages>(print_records_, parameters, preparation->Done());
  const auto save_pdf = [this, parameters](QWidget* parent) {
    const QString file = QFileDialog::getSaveFileName(parent, Tr("Salva come PDF"), "comparazione.pdf", "PDF (*.pdf)");
    if (file.isEmpty()) return;
    host::ReportStatus(*this, output::WriteReportPdf(file.toStdString(), print_records_, parameters));
  };
  auto preview = std::make_unique<ReportPreview>(std::move(pages), preparation,
                                                 [this](const std::string& s) { return Tr(s); }, save_pdf, Window());
  host::ReportStatus(*this, preparation->TakeStatus());  // what the first pages' groups said
  if (preparation->Failed()) return nullptr;
  return preview;
}

void FRMPD_MAVANZORDLAV::ReleaseReport() {
  print_records_ = {};
  malloc_trim(0);
}

void FRMPD_MAVANZORDLAV::Stampa() {
  try {
    std::unique_ptr<ReportPreview> preview = Anteprima();
    if (!preview) return;
    preview->exec();
    host::ReportStatus(*this, preview->TakeStatus());  // what the pages prepared meanwhile said
    preview.reset();
    ReleaseReport();
  } catch (...) {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    host::ReportCurrentError(*this, "Stampa");
  }
}

host::Status FRMPD_MAVANZORDLAV::ExportTo(const std::string& path, bool csv, const output::GoingOn& preparing,
                                          const output::GoingOn& writing) {
  if (!Run() || !decode_) return output::WriteFailedUnless("no run to export");
  const ReleaseOnExit release{*this};  // after the tables are gone, so that their memory is given back too
  std::vector<output::ExportTable> tables;
  host::Status status = output::KVL_EXPTOQV1_BeforeExportToQV(*Run(), *decode_, dizionario_etichette_,
                                                              print_records_, tables, preparing);
  if (!status.ok()) return status;
  output::TableWriteOptions options{Tr("ore").toStdString(), output::kMostSheetRecords, writing};
  options.tolerance = tolerance_;  // the workbook colours the gap % as the grid does
  // CSV from the window is for the user's spreadsheet: in Italian ';' and
  // decimal commas; in English commas and points. Both with a byte order
  // mark, so that accented letters read right.
  options.csv_style = UserLanguage() == "it" ? output::kCsvItalian : output::CsvStyle{',', '.', false, true};
  status.Add(csv ? output::WriteCsvFiles(path, tables, options) : output::WriteWorkbook(path, tables, options));
  return status;
}

void FRMPD_MAVANZORDLAV::Esporta() {
  QMenu menu(Window());
  QAction* workbook = menu.addAction(Tr("Cartella di lavoro Excel") + "...");
  QAction* csv = menu.addAction(Tr("File CSV") + "...");
  QAction* chosen = menu.exec(QCursor::pos());
  if (chosen == nullptr) return;
  const QString path = chosen == workbook
                           ? QFileDialog::getSaveFileName(Window(), Tr("Esporta per analisi"), "comparazione.xlsx",
                                                          "Excel (*.xlsx)")
                           : QFileDialog::getExistingDirectory(Window(), Tr("Esporta per analisi"));
  if (path.isEmpty()) return;
  // A year of bookings takes a while to prepare and write: the count shows
  // how far it is, and Interrompi leaves nothing half written.
  host::qt::WorkProgress progress(Window(), QString::fromStdString(Caption()), Tr("&Interrompi"));
  const host::Status exported = ExportTo(path.toStdString(), chosen == csv,
                                        progress.Stage(Tr("Preparazione: versamenti")),
                                        progress.Stage(Tr("Scrittura: righe")));
  progress.Done();
  host::ReportStatus(*this, exported);  // a stop has nothing to show: nothing was written
  if (!exported.ok()) return;
  // The CSV export writes three files: the question names their folder.
  const QString question = chosen == csv ? Tr("I file CSV sono stati scritti nella cartella %1. Aprire la cartella?").arg(
                                               QDir::toNativeSeparators(path))
                                         : Tr("Il file è stato scritto. Aprirlo?");
  if (MsgBoxLingua(question.toStdString(), 0, host::kMbYesNo | host::kMbIconQuestion, Caption()) ==
      host::kMbAnswerYes) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
}

}  // namespace results_form
