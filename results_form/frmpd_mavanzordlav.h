// FRMPD_MAVANZORDLAV, the results form: the groups of a run (GRD_VERS), the
// label row of the current group, its planned totals by category
// (GRD_Prev) and its bookings (GRD_VERSDett). Moving to a group filters its
// bookings and computes its totals once (TempiPreventivi).
//
// The query form makes it, sets its public members (the record sets are
// the run's own, shared) and shows it modeless; closing it raises
// CloseFormVersamenti so that the query form comes back.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "component/facilities.h"
#include "component/form_port.h"
#include "engine/comparison.h"
#include "component/module_form.h"
#include "host/framework/log_object.h"
#include "host/qt/form_window.h"
#include "host/services/decode_service.h"
#include "host/services/lookup_service.h"
#include "engine/presentation/booking_columns.h"
#include "engine/presentation/group_descriptions.h"
#include "engine/presentation/result_layout.h"
#include "output/print_records.h"
#include "output/report/comparison_report.h"
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "engine/category_texts.h"
#include "results_form/booking_record_filter.h"

class QCheckBox;
namespace results_form { class ReportPreview; }
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTimer;
class QPushButton;
class QSplitter;
class QTableView;

namespace engine {
class BookingTexts;
class GroupFigures;
}

namespace results_form {

class RecordSetModel;
class CategoryModel;
class GridDefinition;
class GroupChart;
class GapChart;
class UnbookedView;
class TrendView;

class FRMPD_MAVANZORDLAV : public component::FormPort, public component::ModuleForm {
 public:
  // `run`: the comparison the form shows (null: an empty form).
  explicit FRMPD_MAVANZORDLAV(std::shared_ptr<engine::Comparison> run = nullptr);
  ~FRMPD_MAVANZORDLAV() override;
  FRMPD_MAVANZORDLAV(const FRMPD_MAVANZORDLAV&) = delete;
  FRMPD_MAVANZORDLAV& operator=(const FRMPD_MAVANZORDLAV&) = delete;

  std::string Name() const override { return "FRMPD_MAVANZORDLAV"; }
  std::string Caption() const override;

  // What the query form gives the form before showing it (GconConnect,
  // GclsLog and ActiveInterface are ModuleForm's); the rest is read from the
  // run it was made with.
  // The relative dates the run resolved ("Data reg.vers.: @mese-scorso = 2026-02-01..2026-02-28"), "" without.
  std::string GiorniRelativi;

  // The run the form shows, and what the form reads of it under the names it
  // always had. Without a run (a form made empty) the record sets are null,
  // the unit 0 and the texts empty.
  [[nodiscard]] const std::shared_ptr<engine::Comparison>& Run() const { return run_; }
  [[nodiscard]] const host::RecordSetPtr& RSTempiVer() const;
  [[nodiscard]] const host::RecordSetPtr& RSTempiPrev() const;
  [[nodiscard]] const host::RecordSetPtr& RSTempiVerDett() const;
  [[nodiscard]] const host::RecordSetPtr& RSTempiPrevDett() const;
  [[nodiscard]] const host::RecordSetPtr& RSCampi() const;
  [[nodiscard]] int16_t TipoTempo() const;
  [[nodiscard]] std::string DescrizioneGruppo() const;
  [[nodiscard]] std::string PvarCodDitta() const;
  // The decodes of the labels, the print and the export: the form's own, on
  // the run's connection and company (null without a run).
  [[nodiscard]] host::DecodeService* PclsDecodeDb() const { return decode_.get(); }
  // The event CloseFormVersamenti(Cancel), raised when the form closes.
  std::function<void(int16_t& cancel)> CloseFormVersamenti;

  // Shows the form modeless in the host's frame; the first activation lays
  // out the grids and moves to the first group.
  void Show(const host::HostObjectPtr& frame);
  // Closes the form from code (Form_QueryUnload, Form_Unload).
  void Unload();
  [[nodiscard]] bool Prepared() const { return window_ && window_->prepared; }
  // The current group's planned totals after TempiPreventivi.
  void TempiPreventivi();

  // The form's error routine: the pointer reset, then the log's report.
  void GestioneErrore(std::string_view procedure, const host::Error& error) override;
  [[nodiscard]] std::string FormCaption() const override { return Caption(); }

  // The window and its grids (tests drive them).
  [[nodiscard]] QWidget* Window() const { return window_ ? window_->Widget() : nullptr; }
  [[nodiscard]] host::qt::FormWindow* Frame() const { return window_.get(); }
  [[nodiscard]] QTableView* GRD_VERS() const { return grd_vers_; }
  [[nodiscard]] QTableView* GRD_Prev() const { return grd_prev_; }
  [[nodiscard]] QTableView* GRD_VERSDett() const { return grd_vers_dett_; }
  [[nodiscard]] QTableView* GRD_PrevDett() const { return grd_prev_dett_; }
  [[nodiscard]] CategoryModel* Summary() const { return categories_model_; }
  [[nodiscard]] GroupChart* Chart() const { return chart_; }
  [[nodiscard]] GapChart* Gaps() const { return gap_chart_; }
  [[nodiscard]] UnbookedView* Unbooked() const { return unbooked_; }
  [[nodiscard]] TrendView* Trend() const { return trend_; }
  // The twenty groups with the largest gap, into their chart (on demand).
  void LoadLargestGaps();
  // Makes the group of IDGRUPPO `id` current (a click on its bar).
  void MakeGroupCurrent(const host::Variant& id);
  // The label row as it reads ("Reparto: R01 Taglio    Fase: 10 ...").
  [[nodiscard]] QString LabelRowText() const;
  [[nodiscard]] GridDefinition* Definition(const QString& grid) const;
  // The figures of every group, computed a slice at a time after the form
  // opens while the grid stays usable; true once all are there.
  [[nodiscard]] bool FiguresDone() const;
  // Computes the remaining figures at once (tests, the bench).
  void FinishFigures();
  // Whether the look-up of the bookings' planned records, built beside once
  // the figures are there, has come (or is not needed): for measurements.
  [[nodiscard]] bool BookingLookUpReady() const;
  // The tolerance band's half width in percent (default 10, remembered).
  [[nodiscard]] double Tolerance() const { return tolerance_; }
  void SetTolerance(double percent);
  // The groups grid's search text and "only outside tolerance".
  [[nodiscard]] QLineEdit* FilterBox() const { return filter_box_; }
  [[nodiscard]] QCheckBox* OutsideOnly() const { return outside_only_; }
  // The totals row: the texts of the bookings of the groups shown taken as
  // one group, each phase once (planned, booked, gap, gap %, efficiency %;
  // all the run's bookings while every group shows; empty until computed,
  // and while none shows) and the count of the groups shown ("123 di 60.426
  // gruppi"). A search's totals come a slice at a time after its rows.
  [[nodiscard]] QString TotalsText(int figure) const;
  [[nodiscard]] QString ShownCount();
  // Sums the totals of the groups shown now (tests, the bench).
  void FinishShownTotals();
  // The booking detail texts read so far (phase descriptions, supplier costs).
  [[nodiscard]] int64_t DetailQueries() const;
  // Groups whose totals were computed (a revisit computes nothing).
  [[nodiscard]] int64_t GroupsComputed() const { return groups_computed_; }
  // CmdStampa: the report in a print preview (print, or save as PDF), of
  // the groups as the grid shows them: in its order, only those the search
  // and "only outside tolerance" keep (the heading then says how many of
  // all); disabled while the grid shows none.
  void Stampa();
  // The groups the print lists, as RSTempiVer's positions in the grid's
  // order; empty when the grid shows every group in the run's order.
  [[nodiscard]] std::vector<size_t> PrintedGroups() const;
  // The grid shows no group (a search that keeps none): Stampa and SavePdf
  // have nothing to print.
  [[nodiscard]] bool NothingToPrint() const;
  // What Stampa shows: the print record sets prepared (with a count and
  // Interrompi) and the report laid out; the preview, not shown yet, or
  // null when the preparation failed (reported) or the user stopped it.
  std::unique_ptr<ReportPreview> Anteprima();
  // Once the preview is closed (a PDF or an export written): the print
  // record sets go with the pages (each print and export makes them anew;
  // a year's are some 80 MiB), and the freed memory goes back to the
  // system.
  void ReleaseReport();
  // ReleaseReport however a print or an export leaves.
  struct ReleaseOnExit {
    FRMPD_MAVANZORDLAV& form;
    ~ReleaseOnExit() { form.ReleaseReport(); }
  };
  // The report's parameters as PclsReport_BeforePrintReport sets them: the
  // title with every "ordine" shortened, the company, the section "RH" and
  // the notes by the user's print options (PreparaNote).
  [[nodiscard]] output::ReportParameters ReportParameters();
  // The report as a PDF file without the preview. Answers how it went and
  // shows nothing: the caller shows it (host::ReportStatus).
  host::Status SavePdf(const std::string& path);
  // KVL_EXPTOQV1: the three tables into an XLSX workbook, or CSV files in a
  // folder. Answers how the preparation and the writing went, and shows
  // nothing: cancelled when `preparing` or `writing` stopped it (nothing is
  // then written), failed with the preparation's error or the reason the
  // files could not be written. The button asks where, shows the progress
  // with a button to stop, shows what came back, and offers to open what it
  // wrote.
  host::Status ExportTo(const std::string& path, bool csv, const output::GoingOn& preparing = {},
                        const output::GoingOn& writing = {});
  void Esporta();
  // The export's caption of a booking field (the dictionary's, else the name).
  [[nodiscard]] std::string EtichettaCampo(const std::string& field) const;

 private:
  void Form_Activate();
  void PreparaForm();
  // "znOpen" registers the form in the host's window list, "znClose"
  // takes it out; nothing else.
  void ApriChiudiForm(const std::string& action);
  void Form_QueryUnload(int16_t& cancel, int16_t unload_mode);
  void Form_Unload();
  void FillLabelRow();
  void CaricaQGridVERSDett();
  // The band side of a category without a gap % in a record of the planned
  // grids: over plan when time was booked without any plan (FiguresSide).
  [[nodiscard]] int UnplannedSide(const host::RecordSet& rs, size_t position, size_t category) const;
  void InitQGrid();
  void BookingRowChanged();
  // The current group's months into "Andamento"; a month chosen there keeps its bookings in GRD_VERSDett.
  void LoadTrend();
  void ShowMonth(const std::string& month);
  QString Tr(const std::string& italian);
  void StepFigures();
  void ApplyRowFilter();
  void UpdateTotalsRow();
  // The totals row's figures: the run's while every group shows, else
  // those of the groups shown once summed; null while there are none.
  [[nodiscard]] const std::array<engine::CategorySeconds, 7>* TotalsFigures() const;
  // Starts summing the groups shown as one (once the figures are done and
  // a search hides some) and sums a first slice at once.
  void SumShownTotals();
  // Sums for about `budget_ms`; the timer goes on with the rest.
  void StepShownTotals(qint64 budget_ms);
  QString LayoutKey(const char* grid) const;

  std::shared_ptr<engine::Comparison> run_;
  std::unique_ptr<host::DecodeService> decode_;  // made with the run, used on the window's thread and the print's
  component::InstanceIdentity identity_;
  std::unique_ptr<host::qt::FormWindow> window_;
  QWidget* label_row_ = nullptr;
  std::vector<std::pair<engine::LabelPair, std::pair<QLabel*, QLabel*>>> labels_;  // in the row's order
  // Shows the pairs of pairs_ in their order, and hides the others.
  void OrderLabelRow();
  std::vector<engine::LabelPair> pairs_;
  std::vector<std::string> grouping_fields_;
  QTableView* grd_vers_ = nullptr;
  QTableView* grd_prev_ = nullptr;
  QTableView* grd_prev_dett_ = nullptr;
  QTableView* grd_vers_dett_ = nullptr;
  QSplitter* outer_splitter_ = nullptr;
  QPushButton* cmd_exit_ = nullptr;
  QPushButton* cmd_stampa_ = nullptr;
  output::PrintRecords print_records_;  // while a print or an export is prepared and written
  RecordSetModel* groups_model_ = nullptr;
  RecordSetModel* bookings_model_ = nullptr;
  RecordSetModel* prev_model_ = nullptr;
  RecordSetModel* prev_dett_model_ = nullptr;
  CategoryModel* categories_model_ = nullptr;
  GroupChart* chart_ = nullptr;
  GapChart* gap_chart_ = nullptr;
  UnbookedView* unbooked_ = nullptr;  // "Fasi senza versamenti", read on its first showing
  TrendView* trend_ = nullptr;        // "Andamento" of the current group, made when it shows
  std::map<QString, GridDefinition*> definitions_;
  std::unique_ptr<engine::BookingTexts> booking_texts_;
  engine::DizionarioEtichette dizionario_etichette_;
  host::RecordSetPtr subscribed_;
  int subscription_ = 0;
  bool in_move_ = false;
  int64_t groups_computed_ = 0;
  std::unique_ptr<engine::GroupFigures> figures_;
  // The names beside the grouping codes, for the search: read from the
  // bookings the first time a search is typed.
  std::unique_ptr<engine::GroupDescriptions> descriptions_;
  // The planned record of the current booking, its index built beside.
  std::unique_ptr<BookingRecordFilter> booking_filter_;
  QTimer* figures_timer_ = nullptr;
  std::optional<std::array<engine::CategorySeconds, 7>> run_totals_;
  // The groups a search keeps, as one: summed by `shown_timer_`.
  QTimer* shown_timer_ = nullptr;
  std::optional<std::array<engine::CategorySeconds, 7>> shown_totals_;
  double tolerance_ = 10;
  QDoubleSpinBox* tolerance_box_ = nullptr;
  QLineEdit* filter_box_ = nullptr;
  QCheckBox* outside_only_ = nullptr;
  QWidget* totals_row_ = nullptr;
  std::vector<QLabel*> totals_labels_;  // planned, booked, gap, gap %, efficiency %, count
  bool figure_widths_set_ = false;
  QElapsedTimer last_refresh_;
};

}  // namespace results_form
