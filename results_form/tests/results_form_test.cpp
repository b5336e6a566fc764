// The results form as a controller reads it (offscreen), opened by a real
// run from the query form: the grids' captions and formats, the label row,
// the planned grids under each unit, the booking detail's texts, the saved
// layouts, sorting and copying, and the group totals it shows against those
// of an independent run.
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <QApplication>
#include <filesystem>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "demo/erp_database.h"
#include "engine/tests/tiny_erp.h"
#include "output/tests/pdf_text.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/tests/written.h"
#include "host/framework/translation_service.h"
#include "results_form/category_model.h"
#include "results_form/gap_chart.h"
#include "results_form/report_preview.h"
#include "results_form/group_chart.h"
#include "results_form/grid_definition.h"
#include "results_form/recordset_model.h"

using query_form::FRMPD_QUARVELINDO;
using query_form::testing::FormHarness;
using results_form::FRMPD_MAVANZORDLAV;
using results_form::RecordSetModel;

namespace {

int ColumnOf(const QAbstractItemModel* model, const QString& caption) {
  for (int c = 0; c < model->columnCount(); ++c) {
    if (model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == caption) return c;
  }
  return -1;
}

int FieldColumn(const QTableView* view, const std::string& field) {
  const auto* model = dynamic_cast<const RecordSetModel*>(view->model());
  for (size_t c = 0; c < model->Columns().size(); ++c) {
    if (model->Columns()[c].field == field) return static_cast<int>(c);
  }
  return -1;
}

// The last row of the view whose `field` reads `text`; -1 when none does.
int RowWith(const QTableView* view, const std::string& field, const QString& text) {
  int row = -1;
  for (int r = 0; r < view->model()->rowCount(); ++r) {
    if (view->model()->index(r, FieldColumn(view, field)).data().toString() == text) row = r;
  }
  return row;
}

}  // namespace

class ResultsFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    tiny_ = engine::testing::TinyErp(dir_);
    // A booking of 1:02:05 on article A1, and its order phase's own description.
    engine::testing::ExecOn(tiny_, R"(
INSERT INTO PD44_VERSORE (PD44_DITTA_CG18, PD44_PRGMVORE_PD31, PD44_DATAREG, PD44_CODART_MG66, PD44_CODFASE_PD12,
  PD44_SEQFASE, PD44_CODFORNREP, PD44_MACCHINA_PD08, PD44_QTALAV, PD44_INDORA, PD44_INDTIPOCOSDQR, PD44_OREORD,
  PD44_MINORD, PD44_SECORD) VALUES (1, 9, '2026-03-09 00:00:00', 'A1', 10, 10, 'R01', 'M1', 1, 0, 3, 1, 2, 5);
)");
    demo_ = dir_.File("demo.db");
    demo::GenerateDemoDatabase(demo_, {2000, 11});
    FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  void theGroupedGridTakesItsCaptionsAndFormatsFromTheRun() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo", "Variante"}, 1);
    QVERIFY(results != nullptr);
    QVERIFY(results->Prepared());
    // Registered in the host's window list while open.
    QCOMPARE(harness.navigator->Windows(), std::vector<std::string>{"FRMPD_MAVANZORDLAV"});
    auto* grid = results->GRD_VERS();
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Articolo"));
    QVERIFY(grid->isColumnHidden(FieldColumn(grid, "IDGRUPPO")));
    QVERIFY(grid->isColumnHidden(FieldColumn(grid, "OREVERS")));
    // Booked hours with two decimals, right-aligned.
    const int hours = FieldColumn(grid, "OREVERS");
    const int a1 = 1;  // Null article first, then A1
    // 25 + 40 + 12 minutes and 1:02:05: 139.08 minutes, 2.32 hours.
    QCOMPARE(grid->model()->index(a1, hours).data().toString(), QString("2.32"));
    QCOMPARE(grid->model()->index(a1, hours).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
             Qt::AlignRight);
    // The article pair shows once, for article and variant.
    QVERIFY(!results->Window()->findChild<QLabel*>("LBL_cArticolo")->isHidden());
    QVERIFY(results->Window()->findChild<QLabel*>("LBL_cMacchina")->isHidden());
    // The planned grid: hours with two decimals too, no minute or second columns.
    auto* prev = results->GRD_Prev();
    const int planned = ColumnOf(prev->model(), "Previsto");
    const int booked = ColumnOf(prev->model(), "Versato");
    QVERIFY(planned >= 0 && booked >= 0);
    QVERIFY(!prev->isColumnHidden(planned));
    for (int c = 0; c < prev->model()->columnCount(); ++c) {
      const auto& field = dynamic_cast<const RecordSetModel*>(prev->model())->Columns()[static_cast<size_t>(c)].field;
      if (field.rfind("MIN", 0) == 0 || field.rfind("SEC", 0) == 0) QVERIFY2(prev->isColumnHidden(c), field.c_str());
    }
    // Group A1 (the current one after moving there): 4200 s planned, 4620 + 3725 s booked.
    grid->selectRow(a1);
    QCOMPARE(prev->model()->rowCount(), 1);
    QCOMPARE(prev->model()->index(0, planned).data().toString(), QString("1.17"));
    QCOMPARE(prev->model()->index(0, booked).data().toString(), QString("2.32"));
    harness.form->Unload();
    QVERIFY(harness.navigator->Windows().empty());  // and out of it once closed
  }

  void theLabelRowReadsTheCurrentGroup() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Reparto", "Fase", "Sequenza fase"}, 0);
    QVERIFY(results != nullptr);
    auto* groups = results->GRD_VERS();
    const int row = RowWith(groups, "PD44_CODFASE_PD12", "10");
    QVERIFY(row >= 0);
    groups->selectRow(row);
    // In the grouping's order, as the grid's columns.
    QVERIFY2(results->LabelRowText().startsWith("Reparto: R01 Taglio"), qPrintable(results->LabelRowText()));
    QVERIFY2(results->LabelRowText().contains("Fase: 10 Taglio barre seq. 10"), qPrintable(results->LabelRowText()));
    // The fields beside the grouping hold one booking's value: the label row
    // names none of them.
    QVERIFY2(!results->LabelRowText().contains("Articolo") && !results->LabelRowText().contains("Ordine"),
             qPrintable(results->LabelRowText()));
  }

  // The bookings without an article are a group of their own: the label
  // row says it has none rather than showing an empty box.
  void byArticleTheLabelRowTheBookingDetailAndThePlannedGridRead() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    auto* groups = results->GRD_VERS();
    groups->selectRow(0);  // the Null article sorts first
    QCOMPARE(groups->model()->index(0, FieldColumn(groups, "PD44_CODART_MG66")).data().toString(), QString());
    QVERIFY2(results->LabelRowText().contains("Articolo: (nessuno)"), qPrintable(results->LabelRowText()));
    groups->selectRow(1);  // A1: bookings 1, 2, 5 and 9
    QVERIFY2(results->LabelRowText().contains("Articolo: A1"), qPrintable(results->LabelRowText()));
    // The booking detail's texts.
    auto* detail = results->GRD_VERSDett();
    QCOMPARE(detail->model()->rowCount(), 4);
    const auto* model = dynamic_cast<const RecordSetModel*>(detail->model());
    const int booking9 = RowWith(detail, "PD44_PRGMVORE_PD31", "9");
    QVERIFY(booking9 >= 0);
    QCOMPARE(model->index(booking9, FieldColumn(detail, "VERSTOTSEC")).data().toString(), QString("1:02:05"));
    QCOMPARE(model->index(booking9, FieldColumn(detail, "PD44_INDTIPOCOSDQR")).data().toString(),
             QString("Straord. festivo"));
    QCOMPARE(model->index(booking9, FieldColumn(detail, "PD44_INDORA")).data().toString(), QString("Lavorazione"));
    // The selected booking's planned phases.
    detail->selectRow(booking9);
    QCOMPARE(results->GRD_PrevDett()->model()->rowCount(), 1);
    // A category booked without any plan: the planned grid shows its booked
    // time and gap as the groups grid, the summary and the print do, not an
    // empty cell (A2's labour processing: 1:35:00 booked on no plan; the
    // booking without an article: 1:00:00 in the total only).
    results->FinishFigures();
    auto* planned = results->GRD_Prev();
    const auto cell = [&](const std::string& field) {
      return planned->model()->index(0, FieldColumn(planned, field)).data().toString();
    };
    groups->selectRow(RowWith(groups, "PD44_CODART_MG66", "A2"));
    QCOMPARE(planned->model()->rowCount(), 1);
    QCOMPARE(cell("OMSPREV_MANLAV"), QString());
    QCOMPARE(cell("OMSVERS_MANLAV"), QString("1:35:00"));
    QCOMPARE(cell("GAP_MANLAV"), QString("+ 1:35:00"));
    QCOMPARE(cell("GAPPERC_MANLAV"), QString());
    QCOMPARE(cell("OMSVERS_MACSET"), QString("0:00:00"));  // planned and never booked, as the print reads it
    QCOMPARE(cell("GAP_MACSET"), QString("- 0:30:00"));
    QCOMPARE(cell("OMSVERS_MANSET"), QString());  // neither planned nor booked
    QCOMPARE(cell("GAP_MANSET"), QString());
    groups->selectRow(RowWith(groups, "PD44_CODART_MG66", ""));
    QCOMPARE(cell("OMSPREV"), QString());
    QCOMPARE(cell("OMSVERS"), QString("1:00:00"));
    QCOMPARE(cell("GAP"), QString("+ 1:00:00"));
    QCOMPARE(cell("OMSVERS_LAV"), QString());
    // In decimal hours the gap reads as the record's own gaps do: 95 min.
    FormHarness hours(tiny_);
    auto decimal = hours.Run({"Articolo"}, 1);
    QVERIFY(decimal != nullptr);
    decimal->FinishFigures();
    decimal->GRD_VERS()->selectRow(RowWith(decimal->GRD_VERS(), "PD44_CODART_MG66", "A2"));
    const auto hours_cell = [&](const std::string& field) {
      return decimal->GRD_Prev()->model()->index(0, FieldColumn(decimal->GRD_Prev(), field)).data().toString();
    };
    QCOMPARE(hours_cell("GAP_MANLAV"), QString("1.58"));
  }

  void englishColumnsAndValueLists() {
    FormHarness harness(tiny_, "en");
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    QCOMPARE(results->Caption(), std::string("Working times by Article"));
    QVERIFY(ColumnOf(results->GRD_Prev()->model(), "Gap proc. mach. %") >= 0);
    auto* detail = results->GRD_VERSDett();
    QVERIFY(ColumnOf(detail->model(), "Employee name") >= 0);
    results->GRD_VERS()->selectRow(1);
    QVERIFY(RowWith(detail, "PD44_INDORA", "Processing") >= 0);
    QVERIFY2(results->LabelRowText().startsWith("Article: A1"), qPrintable(results->LabelRowText()));
    harness.form->Unload();
    // The figures, the totals row and "(various)" in English; no caption cut.
    auto other = harness.Run({"Dipendente"}, 0);
    QVERIFY(other != nullptr);
    other->FinishFigures();
    auto* groups = other->GRD_VERS();
    QVERIFY(ColumnOf(groups->model(), "Efficiency %") >= 0);
    QCOMPARE(other->ShownCount(), QString("2 of 2 groups"));
    QVERIFY(RowWith(groups, "PD44_CODART_MG66", "(various)") >= 0);
    auto* prev = other->GRD_Prev();
    for (int c = 0; c < prev->model()->columnCount(); ++c) {
      if (prev->isColumnHidden(c)) continue;
      QVERIFY2(prev->columnWidth(c) >= prev->horizontalHeader()->sectionSizeHint(c),
               qPrintable(prev->model()->headerData(c, Qt::Horizontal).toString()));
    }
  }

  void theLargestGapsAndAClickOnOne() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    // A group visited again is not computed again, nor by the chart.
    results->GRD_VERS()->selectRow(1);
    results->GRD_VERS()->selectRow(2);
    const int64_t computed = results->GroupsComputed();
    results->GRD_VERS()->selectRow(1);
    results->GRD_VERS()->selectRow(2);
    // Tall enough for every bar's label.
    results->Gaps()->resize(600, 400);
    results->LoadLargestGaps();
    const auto& gaps = results->Gaps()->Gaps();
    // A1: 77 min and 1:02:05 booked against 4200 s planned, + 4145 s; the
    // booking without article: + 3600 s; A2: + 120 s.
    QCOMPARE(gaps.size(), size_t{3});
    QCOMPARE(QString::fromStdString(gaps[0].label), QString("A1"));
    QCOMPARE(gaps[0].Gap(), 4145.0);
    QCOMPARE(QString::fromStdString(gaps[1].label), QString("-"));
    QCOMPARE(gaps[1].Gap(), 3600.0);
    QCOMPARE(gaps[2].Gap(), 120.0);
    QCOMPARE(results->GroupsComputed(), computed);
    // The bars read as the groups' values and their gap in hours, top first.
    const QStringList labels = results->Gaps()->AxisLabels();
    QCOMPARE(labels.size(), 3);
    QCOMPARE(labels[0], QString("A1  +1.2 h"));
    QCOMPARE(labels[1], QString("-  +1.0 h"));
    QVERIFY(results->Gaps()->ToolTip(0).startsWith("A1\n"));
    results->Gaps()->Choose(2);
    QCOMPARE(QString::fromStdString(results->RSTempiVer()->Value("PD44_CODART_MG66").JoinedText()), QString("A2"));
    QVERIFY(results->LabelRowText().contains("A2"));
  }

  void printAndExportFromTheButtonsCode() {
    FormHarness harness(tiny_);
    harness.global->company.description = "Officine Demo";
    harness.global->print_options.notes = true;
    harness.global->print_options.executing = "Rossi";
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    auto parameters = results->ReportParameters();
    QCOMPARE(parameters.titolo, QString("Stampa comparazione tempi lavorazione"));
    QCOMPARE(parameters.desditta, QString("Officine Demo"));
    QVERIFY(parameters.report_header);
    QCOMPARE(parameters.eseg, QString("Rossi"));
    // The first option off (or the other two): no "RH", no notes.
    harness.global->print_options.header = false;
    parameters = results->ReportParameters();
    QVERIFY(!parameters.report_header);
    QCOMPARE(parameters.eseg, QString());
    harness.global->print_options.header = true;
    harness.global->print_options.company_data = false;
    harness.global->print_options.references = false;
    QVERIFY(!results->ReportParameters().report_header);

    const std::string pdf = dir_.File("results.pdf");
    QVERIFY(Written(results->SavePdf(pdf)));
    QVERIFY(std::filesystem::file_size(pdf) > 1000);
    const std::string xlsx = dir_.File("results.xlsx");
    QVERIFY(Written(results->ExportTo(xlsx, false)));
    QVERIFY(std::filesystem::exists(xlsx));
    const std::string csv = dir_.File("csv");
    QVERIFY(Written(results->ExportTo(csv, true)));
    QVERIFY(std::filesystem::exists(csv + "/TempiDiLavorazioneDettaglioVersamenti.csv"));
    // Interrompi while preparing or while writing: nothing written, no message.
    const std::string stopped = dir_.File("stopped.xlsx");
    const output::GoingOn stop = [](size_t, size_t) { return false; };
    QVERIFY(results->ExportTo(stopped, false, stop).cancelled());
    QVERIFY(results->ExportTo(stopped, false, {}, stop).cancelled());
    QVERIFY(!std::filesystem::exists(stopped));
    // A place that cannot take the workbook: failed with why, left for the
    // button to show.
    const host::Status refused = results->ExportTo(csv, false);
    QVERIFY(refused.failed());
    QCOMPARE(QString::fromStdString(output::ReasonOf(refused)), QString::fromStdString("the output file " + csv + " is a folder"));
    QCOMPARE(harness.Shown(), QStringList());
    // The workbook's gap % coloured beyond the form's tolerance.
    results->SetTolerance(7.5);
    QVERIFY(Written(results->ExportTo(xlsx, false)));
    const QString rules = QString::fromStdString(output::testing::Command(
        "/usr/bin/python3 -c \"import sys, openpyxl; ws = openpyxl.load_workbook(sys.argv[1])['TempiDiLavorazione']; "
        "print([(str(c.sqref).split()[0], [r.formula[0] for r in c.rules]) for c in ws.conditional_formatting][:2])\" " +
        xlsx));
    // AM: the total's gap %, after the 26 fields of the group and 10 of its
    // figures, three of them durations with their hours beside; three groups.
    // Its empty cells (no plan) by the gap's hours in AL.
    QCOMPARE(rules.trimmed(), QString("[('AM2:AM4', ['7.5', '-7.5']), ('AM2:AM4', ['AND(LEN(AM2)=0,N(AL2)>0)', "
                                      "'AND(LEN(AM2)=0,N(AL2)<0)'])]"));
    results->SetTolerance(10);
    // The grids did not move.
    QCOMPARE(results->RSTempiVer()->AbsolutePosition(), int64_t{1});
  }

  void layoutsAreKeptPerTimeUnit() {
    for (int unit : {0, 1}) {
      FormHarness harness(tiny_);
      auto results = harness.Run({"Articolo"}, unit);
      QVERIFY(results != nullptr);
      auto* prev = results->GRD_Prev();
      const int gap = ColumnOf(prev->model(), "Scostamento");
      QVERIFY(!prev->isColumnHidden(gap));
      if (unit == 0) {
        prev->setColumnHidden(gap, true);
        results->Definition("GRD_Prev")->Save();
      }
    }
    // Reopened: hidden under hh:mm:ss, shown under hh,hh.
    for (int unit : {0, 1}) {
      FormHarness harness(tiny_);
      auto results = harness.Run({"Articolo"}, unit);
      auto* prev = results->GRD_Prev();
      QCOMPARE(prev->isColumnHidden(ColumnOf(prev->model(), "Scostamento")), unit == 0);
      if (unit == 0) results->Definition("GRD_Prev")->RestoreDefault();
    }
  }

  // A column resized just before the form closes: the layout's delayed
  // save finds the grid gone and does nothing (no read of a freed model).
  void aResizeJustBeforeClosingIsHarmless() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    results->GRD_Prev()->setColumnWidth(0, results->GRD_Prev()->columnWidth(0) + 30);
    harness.form->Unload();
    // Events as a busy window handles them (deferred deletions wait): the
    // save falls due while the grids are still there, their models gone.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 700) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }

  void aCloseBeforeThePreparationIsRefused() {
    auto results = std::make_shared<FRMPD_MAVANZORDLAV>();
    results->Show(nullptr);  // no record sets: nothing to prepare
    QVERIFY(!results->Prepared());
    QVERIFY(!results->Frame()->Close(host::qt::FormWindow::kFromControlMenu));
    QVERIFY(results->Frame()->Close(host::qt::FormWindow::kFromCode));
  }

  // By hand on the small database, grouped by article: A1 has 4200 s
  // planned and 77 min + 1:02:05 booked (+ 98.69 %, efficiency 50.33 %);
  // A2 + 120 s; the booking without article has no plan (no percent).
  void figuresSortByGapFlagTheToleranceAndKeepTheCursorInStep() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    results->SetTolerance(10);
    results->FinishFigures();
    auto* groups = results->GRD_VERS();
    const int article = FieldColumn(groups, "PD44_CODART_MG66");
    const int percent = FieldColumn(groups, "FIG_GAPPERC");
    const int marker = FieldColumn(groups, "FIG_MARK");
    // The figures stand beside the grouping values.
    QCOMPARE(FieldColumn(groups, "FIG_MARK"), article + 1);
    // A first click on a figure's header sorts it largest first.
    QHeaderView* header = groups->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(percent) + header->sectionSize(percent) / 2,
                             header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), percent);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(groups->model()->index(0, article).data().toString(), QString("A1"));
    QCOMPARE(groups->model()->index(0, FieldColumn(groups, "FIG_PREV")).data().toString(), QString("1:10:00"));
    QCOMPARE(groups->model()->index(0, FieldColumn(groups, "FIG_VERS")).data().toString(), QString("2:19:05"));
    QCOMPARE(groups->model()->index(0, FieldColumn(groups, "FIG_GAP")).data().toString(), QString("+ 1:09:05"));
    QCOMPARE(groups->model()->index(0, percent).data().toString(), QString("98.69"));
    QCOMPARE(groups->model()->index(0, FieldColumn(groups, "FIG_EFF")).data().toString(), QString("50.33"));
    QCOMPARE(groups->model()->index(0, marker).data().toString(), QString::fromUtf8("▲"));
    QVERIFY(groups->model()->index(0, percent).data(Qt::BackgroundRole).isValid());
    // No plan, no percent: last in a descending sort, and flagged over plan
    // (all its time was booked without a plan).
    QCOMPARE(groups->model()->index(2, percent).data().toString(), QString());
    QCOMPARE(groups->model()->index(2, marker).data().toString(), QString::fromUtf8("▲"));
    QVERIFY(groups->model()->index(2, FieldColumn(groups, "FIG_GAP")).data(Qt::BackgroundRole).isValid());
    // The planned grid of the group flags the same gap %.
    groups->selectRow(0);  // A1
    auto* prev = results->GRD_Prev();
    const QModelIndex prev_percent = prev->model()->index(0, FieldColumn(prev, "GAPPERC"));
    QCOMPARE(prev_percent.data().toString(), QString("98.69"));
    QVERIFY(prev_percent.data(Qt::BackgroundRole).isValid());
    // The band's edge is inside it.
    results->SetTolerance(98.69);
    QCOMPARE(groups->model()->index(0, marker).data().toString(), QString());
    QVERIFY(!groups->model()->index(0, percent).data(Qt::BackgroundRole).isValid());
    QVERIFY(!prev_percent.data(Qt::BackgroundRole).isValid());
    results->SetTolerance(98.68);
    QCOMPARE(groups->model()->index(0, marker).data().toString(), QString::fromUtf8("▲"));
    // The summary of the current group flags its gap % too.
    QVERIFY(results->Summary()->data(results->Summary()->index(0, 3), Qt::DisplayRole).toString().startsWith(
        QString::fromUtf8("▲ ")));
    // The group without a plan: its planned grid and its summary flag it too.
    groups->selectRow(2);
    const QModelIndex unplanned = prev->model()->index(0, FieldColumn(prev, "GAPPERC"));
    QCOMPARE(unplanned.data().toString(), QString());
    QVERIFY(unplanned.data(Qt::BackgroundRole).isValid());
    QCOMPARE(results->Summary()->data(results->Summary()->index(0, 3), Qt::DisplayRole).toString(),
             QString::fromUtf8("▲"));
    groups->selectRow(0);
    // The summary selects and copies with its captions.
    auto* summary = results->Window()->findChild<QTableView*>("GRD_Riepilogo");
    summary->selectionModel()->select(summary->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    summary->selectionModel()->select(summary->model()->index(0, 3), QItemSelectionModel::Select);
    QTest::keyClick(summary, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QString::fromUtf8("\tPrevisto\tScost. %\nTotale\t1:10:00\t▲ 98.69"));
    // Ctrl+End and Ctrl+Home select the row they reach, and move the run there.
    QTest::keyClick(groups, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(groups->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(groups->selectionModel()->selectedRows().front().row(), 2);
    QTest::keyClick(groups, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(groups->selectionModel()->selectedRows().front().row(), 0);
    // Nothing to edit: Tab leaves the grid for the next control, the row stays.
    QApplication::setActiveWindow(results->Window()->window());
    groups->setFocus();
    QVERIFY(groups->hasFocus());
    QTest::keyClick(groups, Qt::Key_Tab);
    QVERIFY(!groups->hasFocus());
    QCOMPARE(groups->selectionModel()->selectedRows().front().row(), 0);
    QCOMPARE(QString::fromStdString(results->RSTempiVer()->Value("PD44_CODART_MG66").JoinedText()), QString("A1"));
    // (The grid's copy after a sort: grid_behaviour_test.)
    harness.form->Unload();
    // The band is remembered.
    auto reopened = harness.Run({"Articolo"}, 0);
    QVERIFY(reopened != nullptr);
    QCOMPARE(reopened->Tolerance(), 98.68);
    reopened->SetTolerance(10);
  }

  void theSearchBoxAndOnlyOutsideToleranceKeepTheirGroupsInTheGridAndThePrint() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    results->SetTolerance(10);
    results->FinishFigures();
    auto* groups = results->GRD_VERS();
    const int article = FieldColumn(groups, "PD44_CODART_MG66");
    QCOMPARE(results->ShownCount(), QString("3 di 3 gruppi"));
    const QString run_planned = results->TotalsText(0);
    // Another group current first (whatever order a saved layout gave the rows).
    groups->selectRow(RowWith(groups, "PD44_CODART_MG66", "A1"));
    QTest::keyClicks(results->FilterBox(), "a2");
    QCOMPARE(groups->model()->rowCount(), 1);
    QCOMPARE(groups->model()->index(0, article).data().toString(), QString("A2"));
    QCOMPARE(results->ShownCount(), QString("1 di 3 gruppi"));
    // The totals row is then A2's: 5580 s planned, 120 s more booked.
    results->FinishShownTotals();
    QCOMPARE(results->TotalsText(0), QString("1:33:00"));
    QCOMPARE(results->TotalsText(1), QString("1:35:00"));
    QCOMPARE(results->TotalsText(2), QString("+ 0:02:00"));
    QCOMPARE(results->TotalsText(3), QString("2.15"));
    QCOMPARE(results->TotalsText(4), QString("97.89"));
    // In an Italian interface the totals row reads as the grid: decimal comma.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(results->TotalsText(3), QString("2,15"));
    QLocale::setDefault(QLocale::c());
    // The group current before is hidden: the one kept is current, in the
    // grid and in the details.
    QCOMPARE(QString::fromStdString(results->RSTempiVer()->Value("PD44_CODART_MG66").JoinedText()), QString("A2"));
    QVERIFY2(results->LabelRowText().contains("A2"), qPrintable(results->LabelRowText()));
    QCOMPARE(groups->selectionModel()->selectedRows().size(), 1);
    // By the name the window shows beside the code, too: A2 is "Flangia".
    results->FilterBox()->setText("FLANG");
    QCOMPARE(groups->model()->rowCount(), 1);
    QCOMPARE(groups->model()->index(0, article).data().toString(), QString("A2"));
    results->FilterBox()->setText("nessuno");
    QCOMPARE(groups->model()->rowCount(), 0);
    QCOMPARE(results->TotalsText(0), QString());
    results->FilterBox()->clear();
    QCOMPARE(groups->model()->rowCount(), 3);
    QCOMPARE(results->TotalsText(0), run_planned);
    // A1 at + 98.69 % is outside ±10 %, A2 at + 2.15 % (120 s over 5580 s)
    // is not; the group without a plan has no percent, but every second of
    // it is over plan: outside too.
    results->OutsideOnly()->setChecked(true);
    QCOMPARE(groups->model()->rowCount(), 2);
    QCOMPARE(groups->model()->index(0, article).data().toString(), QString("A1"));
    QCOMPARE(groups->model()->index(1, FieldColumn(groups, "FIG_PREV")).data().toString(), QString());
    QVERIFY(!groups->model()->index(1, FieldColumn(groups, "FIG_VERS")).data().toString().isEmpty());
    QCOMPARE(results->ShownCount(), QString("2 di 3 gruppi"));
    // Planned: A1's 4200 s alone.
    results->FinishShownTotals();
    QCOMPARE(results->TotalsText(0), QString("1:10:00"));
    results->OutsideOnly()->setChecked(false);

    // The print lists the groups as the grid shows them: sorted by gap %, A1
    // (+ 98.69 %) before A2 (+ 2.15 %); searched, the one kept, and its
    // heading says of how many; a search that keeps none leaves nothing to
    // print. Unsorted and unsearched: the run's order again.
    const auto headings = [&](const std::string& pdf) {
      QStringList found;
      for (const QString& line : QString::fromStdString(output::testing::PdfText(pdf)).split('\n')) {
        // "▲ Articolo A1 Albero": the band's marker, the article, its description.
        QString heading = line.simplified();
        if (heading.startsWith(QString::fromUtf8("\u25b2 ")) || heading.startsWith(QString::fromUtf8("\u25bc "))) {
          heading = heading.mid(2);
        }
        if (heading.startsWith("Articolo ")) found << heading.section(' ', 1, 1);
      }
      return found;
    };
    const std::string unsorted = dir_.File("unsorted.pdf");
    groups->sortByColumn(-1, Qt::AscendingOrder);  // as an earlier case's layout may have kept it
    QVERIFY(results->PrintedGroups().empty());
    QVERIFY(Written(results->SavePdf(unsorted)));
    const QStringList run_order = headings(unsorted);
    QCOMPARE(run_order, QStringList({"(nessuno)", "A1", "A2"}));  // the group without an article says so

    groups->sortByColumn(FieldColumn(groups, "FIG_GAPPERC"), Qt::DescendingOrder);
    const std::string sorted = dir_.File("sorted.pdf");
    QVERIFY(Written(results->SavePdf(sorted)));
    QCOMPARE(headings(sorted), QStringList({"A1", "A2", "(nessuno)"}));
    QVERIFY(output::testing::PdfText(sorted).find("di 3 gruppi") == std::string::npos);

    QTest::keyClicks(results->FilterBox(), "a2");
    const std::string searched = dir_.File("searched.pdf");
    QVERIFY(Written(results->SavePdf(searched)));
    QCOMPARE(headings(searched), QStringList({"A2"}));
    QVERIFY(output::testing::PdfText(searched).find("1 di 3 gruppi") != std::string::npos);
    // The report's total is the totals row's: A2's figures alone, then
    // every group's.
    const auto total_of = [](const std::string& pdf, const std::string& groups) {
      const std::string text = output::testing::PdfText(pdf);
      const size_t heading = text.find("Totale \u2014 " + groups);
      return heading == std::string::npos ? std::string()
                                          : QString::fromStdString(output::testing::LineOf(text, "Totale ", text.find('\n', heading)))
                                                .simplified()
                                                .toStdString();
    };
    QCOMPARE(total_of(searched, "1 gruppo"), std::string("Totale 1:33:00 1:35:00 + 0:02:00 2.15"));
    auto* stampa = results->Window()->findChild<QPushButton*>("CmdStampa");
    QVERIFY(stampa->isEnabled());
    QTest::keyClicks(results->FilterBox(), "zz");
    QVERIFY(!stampa->isEnabled());
    QVERIFY(results->Anteprima() == nullptr);
    QVERIFY(!results->SavePdf(dir_.File("none.pdf")).ok());
    QVERIFY(!std::filesystem::exists(dir_.File("none.pdf")));

    results->FilterBox()->clear();
    QVERIFY(stampa->isEnabled());
    groups->sortByColumn(-1, Qt::AscendingOrder);
    QVERIFY(results->PrintedGroups().empty());
    const std::string again = dir_.File("again.pdf");
    QVERIFY(Written(results->SavePdf(again)));
    QCOMPARE(headings(again), run_order);
    // 1:00:00 + 2:19:05 + 1:35:00 booked on 1:10:00 + 1:33:00 planned.
    QCOMPARE(total_of(again, "3 gruppi"), std::string("Totale 2:43:00 4:54:05 + 2:11:05 \u25b2 80.42"));
  }

  // A field beside the grouping holds one booking's value: the grid shows
  // it only when the group's bookings share it (the label row not at all).
  void aGroupIsLabelledOnlyByWhatItsBookingsShare() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Dipendente"}, 0);
    QVERIFY(results != nullptr);
    results->FinishFigures();
    auto* groups = results->GRD_VERS();
    const int employee = FieldColumn(groups, "PD44_CODDIP_PD06");
    const int article = FieldColumn(groups, "PD44_CODART_MG66");
    QVERIFY(employee >= 0 && article >= 0);
    QCOMPARE(groups->model()->rowCount(), 2);
    // Sized to "(vari)" and the article once they are known.
    QVERIFY(groups->columnWidth(article) >= static_cast<QAbstractItemView*>(groups)->sizeHintForColumn(article));
    for (int r = 0; r < 2; ++r) {
      const QString who = groups->model()->index(r, employee).data().toString();
      // E1 booked A1, A2 and no article; the bookings without employee all A1.
      QCOMPARE(groups->model()->index(r, article).data().toString(), QString(who == "E1" ? "(vari)" : "A1"));
    }
  }

  // At the size the form opens with in the shell, every tab of the summary
  // reads whole (no scroll arrows, no cut names).
  void theSummaryTabsReadWholeAtTheOpeningSize() {
    FormHarness harness(tiny_);
    auto results = harness.Run({"Articolo"}, 0);
    QVERIFY(results != nullptr);
    QWidget* window = results->Window();
    window->resize(1170, 730);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    const QTabBar* bar = window->findChild<QTabWidget*>("SummaryTabs")->tabBar();
    QCOMPARE(bar->count(), 5);
    for (int i = 0; i < bar->count(); ++i) {
      QVERIFY2(bar->tabRect(i).right() < bar->width(), qPrintable(bar->tabText(i)));
    }
  }

  // Twenty groups at the size the tab has at the shell's default size: the
  // bars shown are as many as the chart labels whole, the largest gaps'.
  void theLargestGapsChartReadsEveryLabelWhole() {
    std::vector<engine::GroupGap> gaps;
    for (int i = 0; i < 20; ++i) {
      gaps.push_back({host::Variant(int32_t{i + 1}),
                      "ART00" + std::to_string(10 + i) + "/ODL/19/01/2026/A/" + std::to_string(400 + i) + "/3",
                      3600.0 * 100, 3600.0 * (100 - 60 + 3 * i)});
    }
    std::sort(gaps.begin(), gaps.end(), [](const auto& a, const auto& b) { return std::fabs(a.Gap()) > std::fabs(b.Gap()); });
    results_form::GapChart chart([](const std::string& s) { return QString::fromStdString(s); }, nullptr);
    chart.resize(600, 285);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.Load(gaps);
    QTest::qWait(300);
    QVERIFY(!chart.LabelsCut());
    const QStringList labels = chart.AxisLabels();
    QVERIFY2(labels.size() >= 3, qPrintable(QString::number(labels.size())));
    QVERIFY2(labels[0].startsWith("ART0010/") && labels[0].endsWith("60" + QLocale().decimalPoint() + "0 h"),
             qPrintable(labels[0]));
  }

  void theCategoryChartReadsEveryLabelWhole() {
    // The size the form gives it at the shell's default size (410 × 330),
    // less the value axis' labels that a group's figures add.
    const std::pair<const char*, QStringList> languages[] = {
        {"it", {"Lav.", "Set.", "Lav. mac.", "Set. mac.", "Lav. man.", "Set. man."}},
        {"en", {"Proc.", "Setup", "Proc. mach.", "Setup mach.", "Proc. lab.", "Setup lab."}}};
    for (const auto& [language, expected] : languages) {
      const host::TranslationService texts(host::MessageCatalog::BuiltIn(), language, nullptr);
      results_form::GroupChart chart([&texts](const std::string& s) { return QString::fromStdString(texts.Caption(s)); });
      chart.resize(360, 330);
      chart.show();
      QVERIFY(QTest::qWaitForWindowExposed(&chart));
      QApplication::processEvents();
      QCOMPARE(chart.Categories(), expected);
      QVERIFY2(!chart.LabelsCut(), language);
    }
  }

 private:
  engine::testing::TempDir dir_;
  std::string tiny_, demo_;
};

QTEST_MAIN(ResultsFormTest)
#include "results_form_test.moc"
