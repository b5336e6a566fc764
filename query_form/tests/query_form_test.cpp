// The query form driven as a user drives it (offscreen): decodes with their
// parent fields, look-ups by side, validation before any SQL, the run on its
// thread with its four endings (no data, results, stopped, failed), the reset, the
// closing rules, the remembered conditions, and a database that cannot be
// opened (missing, not a database, locked) without holding the windows.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "demo/erp_database.h"
#include "engine/tests/tiny_erp.h"
#include "query_form/condition_model.h"
#include "query_form/grouping_model.h"
#include "query_form/lookup_dialog.h"
#include "query_form/tests/form_harness.h"
#include "results_form/frmpd_mavanzordlav.h"

using query_form::ConditionModel;
using query_form::FRMPD_QUARVELINDO;
using query_form::testing::FormHarness;
using query_form::testing::WaitForRun;

// Reads the look-up dialog about to open (column `column` of each row into
// `rows`) and chooses its current row.
void ReadNextLookUp(QStringList& rows, int column) {
  QTimer::singleShot(0, [&rows, column] {
    auto* dialog = dynamic_cast<query_form::LookupDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    for (int r = 0; r < dialog->Rows().rowCount(); ++r) rows << dialog->Rows().item(r, column)->text();
    dialog->Choose();
  });
}

class QueryFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    tiny_ = engine::testing::TinyErp(dir_);
    engine::testing::ExecOn(tiny_, R"(
INSERT INTO MG87_ARTDESC VALUES (1, 'A1', 'V1', '', 'Albero variante 1', 'G-D3');
INSERT INTO PD25_COMMESSA VALUES (1, 'C1', 0, 'Commessa uno'), (1, 'C1', 1, 'Prima di C1'),
  (1, 'C2', 0, 'Commessa due'), (1, 'C2', 2, 'Seconda di C2'), (1, 'C2', 3, 'Terza di C2');
)");
    demo_ = dir_.File("demo.db");
    demo::GenerateDemoDatabase(demo_, {300, 3});
    FRMPD_QUARVELINDO::SetSettingsFile(QString::fromStdString(dir_.File("settings.ini")));
  }

  void theFormOpensWithItsControlsSetUp() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    QVERIFY(form->Initialised());
    QCOMPARE(form->Conditions()->rowCount(), 33);  // 18 fields, 2 states, the category, 4 sources × 3 attributes
    QCOMPARE(form->SSTab1()->tabText(0), QString("&Parametri generali"));
    QCOMPARE(form->CMB_TIPOTEMPO()->count(), 4);
    QCOMPARE(form->CMB_TIPOTEMPO()->itemText(1), QString("hh,hh"));
    QCOMPARE(form->CHK_ATTESA()->text(), QString("Escludi tempi attesa"));
    QCOMPARE(form->CmdDupl()->text(), QString("&Esegui"));
    // (The default grouping, as the reset brings it back:
    // aRunOpensTheResultsFormAndTheResetReturnsToTheFirstState.)
  }

  void englishReadsEnglish() {
    FormHarness harness(tiny_, "en");
    auto form = harness.Open();
    auto* model = form->Conditions();
    const int phase = model->RowOfColumn("PD44_CODFASE_PD12");
    model->setData(model->index(phase, ConditionModel::kFrom), "1O", Qt::EditRole);
    QCOMPARE(model->Problem(phase, false), QString("'1O' is not a number"));
    QCOMPARE(form->SSTab1()->tabText(0), QString("&General parameters"));
    QCOMPARE(form->Conditions()->index(0, ConditionModel::kCaption).data().toString(), QString("Booking date"));
    QCOMPARE(form->Conditions()->headerData(ConditionModel::kFrom, Qt::Horizontal, Qt::DisplayRole).toString(),
             QString("From"));
  }

  void groupingFieldsAreCheckedAndOrderedAtTheTop() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto* model = form->Grouping();
    const auto row_of = [model](const QString& caption) {
      for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r).data().toString() == caption) return r;
      }
      return -1;
    };
    // Uncheck the default ones, then choose Fase and Reparto in that order.
    for (const char* caption : {"Articolo", "Variante", "Codice ordine", "Data ordine", "Sezionale ordine",
                                "Numero ordine", "Riga ordine"}) {
      model->setData(model->index(row_of(caption)), Qt::Unchecked, Qt::CheckStateRole);
    }
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string());
    model->setData(model->index(row_of("Fase")), Qt::Checked, Qt::CheckStateRole);
    model->setData(model->index(row_of("Reparto")), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(row_of("Fase"), 0);
    QCOMPARE(row_of("Reparto"), 1);
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string("GROUP BY PD44_CODFASE_PD12, PD44_CODFORNREP"));
    // The others keep the order of the list as loaded (Articolo was first).
    QCOMPARE(row_of("Articolo"), 2);
    QCOMPARE(row_of("Variante"), 3);
    QCOMPARE(row_of("Settimana reg.vers."), model->rowCount() - 1);
    // Moving up changes the grouping's order.
    QCOMPARE(model->MoveRow(1, -1), 0);
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string("GROUP BY PD44_CODFORNREP, PD44_CODFASE_PD12"));
  }

  void decodesAndLookUpsPairTheParentFieldBySide() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto& query = form->KVL_ADVQ();
    query.SetFrom("PD44_OPZIONE", std::string("V1"));
    QString from, to;
    int16_t cancel = 7;
    form->KVL_ADVQ_StartDecode(cancel, "Articolo", std::string("A1"), from, std::string("A1"), to);
    QCOMPARE(cancel, int16_t{0});
    QCOMPARE(from, QString("Albero variante 1"));  // with the variant's from value
    QCOMPARE(to, QString("Albero"));               // with its (empty) to value
    // A sub-order without its job order asks the database nothing.
    const int64_t statements = form->GconConnect->StatementCount();
    from.clear();
    form->KVL_ADVQ_StartDecode(cancel, "Sottocommessa", std::string("1"), from, host::Variant(), to);
    QCOMPARE(from, QString());
    QCOMPARE(form->GconConnect->StatementCount(), statements);
    // Typed into the grid, a machine gets its description beside it.
    auto* model = form->Conditions();
    const int machine = model->RowOfColumn("PD44_MACCHINA_PD08");
    model->setData(model->index(machine, ConditionModel::kFrom), "M1", Qt::EditRole);
    QCOMPARE(model->index(machine, ConditionModel::kFromDescription).data().toString(), QString("Sega a nastro"));
    // Blanks are no value: no description and no condition.
    model->setData(model->index(machine, ConditionModel::kFrom), "   ", Qt::EditRole);
    QCOMPARE(model->index(machine, ConditionModel::kFromDescription).data().toString(), QString());
    QVERIFY(query.ConditionText().find("PD44_MACCHINA_PD08") == std::string::npos);
    // The sub-order look-up takes the job order of its side.
    form->KVL_ADVQ().SetFrom("PD44_CODCOMM", std::string("C1"));
    form->KVL_ADVQ().SetTo("PD44_CODCOMM", std::string("C2"));
    QStringList from_rows, to_rows;
    cancel = 0;
    ReadNextLookUp(from_rows, 1);
    form->KVL_ADVQ_StartLookup(cancel, "Sottocommessa", 5);
    ReadNextLookUp(to_rows, 1);
    form->KVL_ADVQ_StartLookup(cancel, "Sottocommessa", 1);
    QCOMPARE(from_rows, QStringList({"Prima di C1"}));
    QCOMPARE(to_rows, QStringList({"Seconda di C2", "Terza di C2"}));
    // The choice fills the field, and its description beside it.
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("PD44_CODSCOM").JoinedText()), QString("1"));
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().ToValue("PD44_CODSCOM").JoinedText()), QString("2"));
    const int row = form->Conditions()->RowOfColumn("PD44_CODSCOM");
    QCOMPARE(form->Conditions()->index(row, ConditionModel::kToDescription).data().toString(),
             QString("Seconda di C2"));
  }

  void theCategoriesHaveTheirLookUpAndALookUpSearches() {
    FormHarness harness(demo_);
    auto form = harness.Open();
    QStringList codes;
    ReadNextLookUp(codes, 0);
    int16_t cancel = 0;
    form->KVL_ADVQ_StartLookup(cancel, "Categorie", 5);
    QCOMPARE(codes, QStringList({"ASSEMB", "ELETTR", "MECC", "SPECIALE", "VERNIC"}));  // each code once
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("CO5C_CODCAT").JoinedText()), QString("ASSEMB"));
    // The look-up searches as the user types.
    host::LookupService service(*form->GconConnect, "1");
    query_form::LookupDialog dialog(
        service, *service.Definition("Macchina"), [](const std::string& s) { return QString::fromStdString(s); }, {},
        "", nullptr);
    const int all = dialog.Rows().rowCount();
    QVERIFY(all > 3);
    QCOMPARE(dialog.StatusText(), QString("%1 righe").arg(all));
    QTest::keyClicks(dialog.SearchBox(), "M03");
    dialog.Search();
    QCOMPARE(dialog.Rows().rowCount(), 1);
    QCOMPARE(dialog.Rows().item(0, 0)->text(), QString("M03"));
    QCOMPARE(dialog.StatusText(), QString("1 riga"));
    QTest::keyClicks(dialog.SearchBox(), "X");
    dialog.Search();
    QCOMPARE(dialog.StatusText(), QString("Nessuna riga trovata"));
    // An order's date reads as a date is typed in the conditions.
    query_form::LookupDialog orders(
        service, service.Documents(), [](const std::string& s) { return QString::fromStdString(s); },
        {}, "", nullptr);
    QVERIFY(orders.Rows().rowCount() > 0);
    QCOMPARE(orders.Rows().horizontalHeaderItem(3)->text(), QString("Data"));
    QVERIFY2(QRegularExpression("^\\d{2}/\\d{2}/\\d{4}$").match(orders.Rows().item(0, 3)->text()).hasMatch(),
             qPrintable(orders.Rows().item(0, 3)->text()));
    // (A quote or a LIKE character searched as typed: services_test.)
  }

  void aBadValueIsRefusedOnItsFieldWithoutSqlAndStaysInSight() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto* model = form->Conditions();
    const int date = model->RowOfColumn("PD44_DATAREG");
    model->setData(model->index(date, ConditionModel::kFrom), "30/02/2026", Qt::EditRole);
    QVERIFY(!model->Problem(date, false).isEmpty());  // marked as soon as it is typed
    QCOMPARE(model->index(date, ConditionModel::kFrom).data(Qt::ToolTipRole).toString(), model->Problem(date, false));
    QTest::mouseClick(form->CmdDupl(), Qt::LeftButton);
    QVERIFY(form->LastRun() == nullptr);
    QCOMPARE(harness.Shown().size(), 1);
    QVERIFY(harness.Shown()[0].contains("\"Data reg.vers.\""));
    QVERIFY(harness.Shown()[0].contains("'30/02/2026' non è una data valida (usare GG/MM/AAAA o AAAA-MM-GG)"));
    model->setData(model->index(date, ConditionModel::kFrom), "", Qt::EditRole);
    // A bad value far down the grid: after the message its cell is current
    // and in sight, the line under the form names it in one line, and the
    // line goes once the value is right.
    auto* view = form->ConditionView();
    const int number = model->RowOfColumn("DO11_NUMDOC");
    const QModelIndex cell = model->index(number, ConditionModel::kFrom);
    model->setData(cell, "12a", Qt::EditRole);
    view->scrollToTop();
    QTest::mouseClick(form->CmdDupl(), Qt::LeftButton);
    QVERIFY(form->LastRun() == nullptr);
    QCOMPARE(view->currentIndex(), cell);
    QVERIFY(view->viewport()->rect().contains(view->visualRect(cell)));
    QVERIFY2(form->StatusText().startsWith("Valore non valido nel campo \"Numero ordine\": '12a'"),
             qPrintable(form->StatusText()));
    QVERIFY(!form->StatusText().contains('\n'));
    // Another value, still wrong: the line stays; right: it goes.
    model->setData(cell, "12b", Qt::EditRole);
    QVERIFY(!form->StatusText().isEmpty());
    model->setData(cell, "12", Qt::EditRole);
    QCOMPARE(form->StatusText(), QString());
  }

  void aRunWithoutBookingsSaysSoAndKeepsTheForm() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    form->KVL_ADVQ().SetFrom("PD44_CODART_MG66", std::string("NOPE"));
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    QCOMPARE(harness.Shown(), QStringList({"Non ci sono dati da elaborare"}));
    QCOMPARE(harness.presenter->shown[0].buttons, 64);
    QVERIFY(form->FrmMod() == nullptr);
    QVERIFY(form->MainFormActive());
    QVERIFY(form->Window()->isVisible());
  }

  // The planned times cannot be read (their table is gone): the run answers
  // failed, and the form shows it once through its error routine, under the
  // procedure that met it, with the database's own message; no results.
  void aRunThatFailsHalfWayIsShownThroughTheErrorRoutine() {
    const std::string broken = dir_.File("broken.db");
    std::filesystem::copy_file(tiny_, broken, std::filesystem::copy_options::overwrite_existing);
    engine::testing::ExecOn(broken, "DROP TABLE PD48_CICLI");
    FormHarness harness(broken);
    auto form = harness.Open();
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    QCOMPARE(harness.presenter->shown.size(), size_t{1});
    const auto& shown = harness.presenter->shown[0];
    QVERIFY2(shown.text.find("CalcolaTempiPreventiviDettagliati") != std::string::npos, shown.text.c_str());
    QVERIFY2(shown.text.find("PD48_CICLI") != std::string::npos, shown.text.c_str());
    QCOMPARE(shown.buttons, 4370);
    QVERIFY(form->FrmMod() == nullptr);
    QVERIFY(form->CmdDupl()->isEnabled());
  }

  void aRunOpensTheResultsFormAndTheResetReturnsToTheFirstState() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    auto* model = form->Conditions();
    model->setData(model->index(model->RowOfColumn("PD44_CODFORNREP"), ConditionModel::kFrom), "R01", Qt::EditRole);
    form->CMB_TIPOTEMPO()->setCurrentIndex(3);  // ss,ss
    form->CHK_CODA()->setChecked(true);
    form->KVL_ADVO().SetGrouping({"Reparto", "Fase"});
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    QVERIFY2(harness.Shown().isEmpty(), qPrintable(harness.Shown().join("; ")));
    auto results = form->FrmMod();
    QVERIFY(results != nullptr);
    QCOMPARE(results->TipoTempo(), int16_t{3});
    QVERIFY(results->Run()->ExcludeQueue());
    QVERIFY(!results->Run()->ExcludeWait());
    // The run handed whole: its record sets shared, not copied.
    QCOMPARE(results->Run(), form->LastRun());
    QCOMPARE(results->RSTempiVer().get(), form->LastRun()->Records().RSTempiVer.get());
    QVERIFY(!form->MainFormActive());
    QVERIFY(!form->Window()->isVisible());
    QCOMPARE(results->Caption(), std::string("Tempi di lavorazione per Reparto/Fase"));
    // Closing the results brings the query form back.
    results->Unload();
    QVERIFY(form->FrmMod() == nullptr);
    QVERIFY(form->MainFormActive());
    QVERIFY(form->Window()->isVisible());
    // Annulla: the state of the first activation, not of the last run.
    form->CmdAnn_Click();
    QVERIFY(form->KVL_ADVQ().FromValue("PD44_CODFORNREP").IsEmpty());
    QCOMPARE(form->CMB_TIPOTEMPO()->currentIndex(), 0);
    QVERIFY(!form->CHK_CODA()->isChecked());
    QCOMPARE(form->KVL_ADVO().GroupingText(),
             std::string("GROUP BY PD44_CODART_MG66, PD44_OPZIONE, DO11_DOCUM_MG36, DO11_DATADOC, DO11_SEZDOC, "
                         "DO11_NUMDOC, DO30_PROGRIGA"));
    // Closing the query form closes the results, and they stay closed.
    form->CmdDupl_Click();
    QVERIFY(WaitForRun(*form));
    QVERIFY(form->FrmMod() != nullptr);
    QPointer<QWidget> results_window = form->FrmMod()->Window();
    form->Unload();
    QVERIFY(form->FrmMod() == nullptr);
    QVERIFY(!form->Window() || !form->Window()->isVisible());
    QVERIFY(form->GconConnect == nullptr);  // the database is let go at once
    QTRY_VERIFY(results_window.isNull() || !results_window->isVisible());
  }

  void theLastConditionsComeBackAtTheNextOpening() {
    {
      FormHarness harness(tiny_);
      auto form = harness.Open();
      form->KVL_ADVQ().SetFrom("PD44_CODFORNREP", std::string("R01"));
      form->CMB_TIPOTEMPO()->setCurrentIndex(2);
      form->KVL_ADVO().SetGrouping({"Fase"});
      form->CmdDupl_Click();
      QVERIFY(WaitForRun(*form));
      QVERIFY(form->FrmMod() != nullptr);
    }
    FormHarness harness(tiny_);
    auto form = harness.Open();
    QCOMPARE(QString::fromStdString(form->KVL_ADVQ().FromValue("PD44_CODFORNREP").JoinedText()), QString("R01"));
    QCOMPARE(form->CMB_TIPOTEMPO()->currentIndex(), 2);
    QCOMPARE(form->KVL_ADVO().GroupingText(), std::string("GROUP BY PD44_CODFASE_PD12"));
    // The reset still returns to the plain first state.
    form->CmdAnn_Click();
    QVERIFY(form->KVL_ADVQ().FromValue("PD44_CODFORNREP").IsEmpty());
    form->Unload();
    QSettings(QString::fromStdString(dir_.File("settings.ini")), QSettings::IniFormat).clear();
  }

  void aCloseBeforeTheFirstActivationIsRefused() {
    FormHarness harness(tiny_);
    auto form = FRMPD_QUARVELINDO::Create();
    form->SetActiveInterface(harness.module.get());
    form->SetWindowState(0);  // loads, not activated
    QVERIFY(!form->Initialised());
    QVERIFY(!form->Frame()->Close(host::qt::FormWindow::kFromControlMenu));
    QVERIFY(!form->Frame()->Unloaded());
    // From code the form closes.
    QVERIFY(form->Frame()->Close(host::qt::FormWindow::kFromCode));
  }

  void stopEndsALongRunAndLeavesTheFormUsable() {
    const std::string big = dir_.File("big.db");
    demo::GenerateDemoDatabase(big, {200000, 5});
    FormHarness harness(big);
    auto form = harness.Open();
    form->CmdDupl_Click();
    QVERIFY(form->Running());
    QTest::qWait(1500);
    QVERIFY(form->Running());  // a 200,000-booking run takes longer
    const qint64 allowed = 1000 * (qEnvironmentVariableIsSet("QUARVELINDO_SLOW") ? 10 : 1);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(form->CmdStop(), Qt::LeftButton);
    QVERIFY(WaitForRun(*form, 10000));
    QVERIFY2(timer.elapsed() < allowed, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(harness.Shown().isEmpty());  // a stop is no error
    QVERIFY(form->FrmMod() == nullptr);
    QCOMPARE(form->StatusText(), QString("Elaborazione interrotta dall'utente."));
    QVERIFY(form->CmdDupl()->isEnabled());
    // Esc stops it too, from whichever control has the focus while the
    // tabs are disabled, or from the window itself.
    form->Window()->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form->Window()->window()));
    for (const bool on_window : {false, true}) {
      form->CmdDupl_Click();
      QVERIFY(form->Running());
      QTest::qWait(1500);
      QVERIFY(form->Running());
      QWidget* target = on_window ? form->Window() : QApplication::focusWidget();
      QVERIFY(target != nullptr);
      QVERIFY(target->window() == form->Window()->window());
      timer.restart();
      QTest::keyClick(target, Qt::Key_Escape);
      QVERIFY(WaitForRun(*form, 10000));
      QVERIFY2(timer.elapsed() < allowed, qPrintable(QString::number(timer.elapsed())));
      QCOMPARE(form->StatusText(), QString("Elaborazione interrotta dall'utente."));
    }
  }

  // After opening, the first condition's cell has the focus: Enter runs.
  void theFirstConditionHasTheFocusAndEnterRuns() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    form->Window()->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form->Window()->window()));
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr);
    auto* view = qobject_cast<QTableView*>(focus);
    QVERIFY(view != nullptr);
    QCOMPARE(view->currentIndex().row(), 0);
    QTest::keyClick(focus, Qt::Key_Return);
    QVERIFY(WaitForRun(*form));
    QVERIFY(form->FrmMod() != nullptr);
  }

  // A locked database is waited for on a worker: the windows go on (a
  // timer fires meanwhile), and then the form says why it has no connection.
  void aLockedDatabaseDoesNotHoldTheWindows() {
    const std::string locked = dir_.File("locked.db");
    std::filesystem::copy_file(tiny_, locked);
    sqlite3* writer = nullptr;
    sqlite3_open(locked.c_str(), &writer);
    engine::testing::Exec(writer, "BEGIN EXCLUSIVE; DELETE FROM PD07_REPARTO;");
    QElapsedTimer clock;
    clock.start();
    qint64 ticked = -1;
    QTimer::singleShot(200, [&] { ticked = clock.elapsed(); });
    FormHarness harness(locked);
    auto form = harness.Open();
    const qint64 opened = clock.elapsed();
    engine::testing::Exec(writer, "ROLLBACK");
    sqlite3_close(writer);
    QVERIFY2(opened >= 4000, qPrintable(QString::number(opened)));  // the 5 s a locked database is given
    QVERIFY2(ticked >= 0 && ticked < 1500, qPrintable(QString::number(ticked)));
    QCOMPARE(form->StatusText(), QString("Nessuna connessione al database: il database è bloccato da un altro "
                                         "programma; riprovare quando è libero"));
    QVERIFY(!form->CmdDupl()->isEnabled());
  }

  // A click on the selected cell, then typing at once: every key typed is
  // kept, none lost in the moment before the editor opens; Tab then goes on
  // to the next value.
  void typingRightAfterAClickOnTheSelectedCellIsKept() {
    FormHarness harness(tiny_);
    auto form = harness.Open();
    QTableView* view = form->ConditionView();
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    auto* model = form->Conditions();
    const QModelIndex cell = model->index(model->RowOfColumn("PD44_CODART_MG66"), ConditionModel::kFrom);
    const QPoint at = view->visualRect(cell).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);  // selects the cell
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);  // on the selected cell: an editor later
    // Each key to whatever has the focus, as the keyboard sends it.
    const auto type = [](const char* text) {
      for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    };
    type("A1");
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    type("X");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // leaves the cell
    QCOMPARE(model->data(cell, Qt::EditRole).toString(), QString("A1X"));
    // Tab and Shift+Tab go from value to value, past the descriptions, as
    // well from an editor (which keeps what was typed) as from the grid.
    const int row = cell.row();
    const auto cell_at = [&](int r, int column) { return model->index(r, column); };
    QCOMPARE(view->currentIndex(), cell_at(row, ConditionModel::kTo));
    type("A2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(model->data(cell_at(row, ConditionModel::kTo), Qt::EditRole).toString(), QString("A2"));
    QCOMPARE(view->currentIndex(), cell_at(row + 1, ConditionModel::kFrom));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // the next value's editor, if open
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Backtab);
    QCOMPARE(view->currentIndex(), cell_at(row, ConditionModel::kTo));
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(view->currentIndex(), cell_at(row + 1, ConditionModel::kFrom));
  }

  // Without a connection the form opens, says why in the user's language,
  // and Esegui waits for one; the error report says it in the same words.
  void aConnectionErrorIsShownAndEseguiWaits() {
    const std::string missing = dir_.File("missing.db");
    const std::string text = dir_.File("text.db");
    std::ofstream(text) << "not a database\n";
    for (const auto& [database, reason, language] :
         {std::tuple{missing, "database non trovato: " + missing, "it"},
          std::tuple{text, text + " non è un database dell'ERP (non è un file di database SQLite)", "it"},
          std::tuple{missing, "database not found: " + missing, "en"}}) {
      FormHarness harness(database, language);
      auto form = harness.Open();
      const std::string said = std::string(language) == "en" ? "No connection to the database: " : "Nessuna connessione al database: ";
      QCOMPARE(form->StatusText(), QString::fromStdString(said + reason));
      QVERIFY(!harness.presenter->shown.empty());
      QVERIFY2(harness.presenter->shown.front().text.find(reason) != std::string::npos,
               harness.presenter->shown.front().text.c_str());
      QVERIFY(!form->CmdDupl()->isEnabled());
      QCOMPARE(form->CmdDupl()->toolTip(), form->StatusText());
      form->CmdDupl_Click();  // does nothing, and says nothing more
      QVERIFY(!form->Running());
    }
  }

 private:
  engine::testing::TempDir dir_;
  std::string tiny_, demo_;
};

QTEST_MAIN(QueryFormTest)
#include "query_form_test.moc"
