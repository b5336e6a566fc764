// Esegui: the conditions checked on their fields, the comparison run on a
// worker while the form shows its progress, then the results form opened
// over the query form, which comes back when it closes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "engine/relative_dates.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "host/qt/dialog_presenter.h"
#include "host/qt/progress_bar.h"
#include "query_form/bar_progress.h"
#include "query_form/condition_model.h"
#include "query_form/frmpd_quarvelindo.h"
#include "query_form/run_thread.h"
#include "results_form/frmpd_mavanzordlav.h"

namespace query_form {

void FRMPD_QUARVELINDO::CmdDupl_Click() {
  if (Running() || !window_ || !window_->initialised || !GconConnect) return;
  try {
    // A value that cannot be right stops here, on its field, before any SQL.
    condition_view_->setFocus();
    // Relative dates ("@mese-scorso") become the days they name today; the form keeps them as typed.
    host::QueryControl resolved = query_;
    const auto relative = engine::ResolveRelativeDates(resolved, engine::LocalToday());
    const auto problems = resolved.Validate();
    conditions_->MarkProblems(problems);
    if (!problems.empty()) {
      const auto& first = problems.front();
      const int row = conditions_->RowOfColumn(first.column);
      tabs_->setCurrentIndex(0);
      const QModelIndex cell = conditions_->index(row, first.to_side ? ConditionModel::kTo : ConditionModel::kFrom);
      condition_view_->setCurrentIndex(cell);
      const QString field = Tr("Valore non valido nel campo") + " \"" + Tr(first.caption) + "\":";
      const QString text = field + "\n" + conditions_->Problem(row, first.to_side) + "\n\n" +
                           Tr("Correggere i valori evidenziati e premere di nuovo Esegui.");
      // One line under the form, which stays until the values are right:
      // a longer one would push the marked cell out of the grid's sight.
      status_->setText(field + " " + conditions_->Problem(row, first.to_side));
      problems_said_ = true;
      MsgBoxLingua(text.toStdString(), 0, host::kMbIconExclamation, Caption());
      // The message's line took room from the grid: the cell is brought back
      // into sight, with the focus for the correction.
      if (window_ && !window_->closing) {
        condition_view_->scrollTo(cell);
        condition_view_->setFocus();
      }
      return;
    }
    std::vector<int64_t> closed_states;
    try {
      closed_states = engine::ParseClosedStates(txt_stati_chiusi_->text().toStdString());
    } catch (const host::Error& e) {
      tabs_->setCurrentIndex(0);
      txt_stati_chiusi_->setFocus();
      const QString text = Tr("Stati chiusi non validi") + ": " + QString::fromStdString(e.what());
      status_->setText(text);
      MsgBoxLingua(text.toStdString(), 0, host::kMbIconExclamation, Caption());
      return;
    }
    engine::ComparisonRequest request;
    request.closed_states = std::move(closed_states);
    request.company = PvarCodDitta;
    request.query = resolved;
    request.order = order_;
    request.unit = static_cast<engine::TipoTempo>(cmb_tipo_tempo_->currentData().toString().toInt());
    request.exclude_wait = chk_attesa_->isChecked();
    request.exclude_queue = chk_coda_->isChecked();
    request.fashion = fashion_;
    busy_pointer_.emplace(Qt::BusyCursor);
    cmd_dupl_->setEnabled(false);
    cmd_ann_->setEnabled(false);
    tabs_->setEnabled(false);
    cmd_stop_->setVisible(true);
    cmd_stop_->setFocus();  // the focus stays in the window while the tabs are disabled
    status_->clear();
    QStringList days;
    for (const auto& line : relative) days << QString::fromStdString(line);
    status_->setText(days.join("; "));
    relative_days_ = days.join("; ").toStdString();
    prog_bar_->SetWhat(Tr("lettura versamenti"));
    prog_bar_->Start(0);
    bar_progress_ = std::make_unique<BarProgress>(
        *prog_bar_, std::array<QString, 3>{Tr("lettura versamenti"), Tr("tempi previsti"), Tr("totali dei gruppi")});
    // The run, on its own thread and connection.
    std::weak_ptr<FRMPD_QUARVELINDO> self = weak_from_this();
    run_thread_ = std::make_unique<RunThread>(*this, GstrConnect, std::move(request), *bar_progress_, Window(),
                                              [self] {
                                                if (auto form = self.lock()) form->RunFinished();
                                              });
  } catch (...) {
    host::ReportCurrentError(*this, "CmdDupl_Click");
  }
}

void FRMPD_QUARVELINDO::CancelRun() {
  if (run_thread_) run_thread_->Cancel();
}

void FRMPD_QUARVELINDO::RunFinished() {
  if (!run_thread_) return;
  const RunThread::Outcome outcome = run_thread_->Join();
  run_thread_.reset();
  // The pointer and the controls come back.
  busy_pointer_.reset();
  prog_bar_->Stop();
  cmd_dupl_->setEnabled(GconConnect != nullptr);
  cmd_ann_->setEnabled(true);
  tabs_->setEnabled(true);
  if (cmd_stop_->hasFocus()) condition_view_->setFocus();
  cmd_stop_->setVisible(false);
  if (!window_ || window_->closing) return;
  try {
    if (!outcome.run) throw outcome.open_error;
    run_ = outcome.run;
    host::ReportStatus(*this, run_->RunStatus());
    if (run_->Cancelled()) {
      status_->setText(Tr("Elaborazione interrotta dall'utente."));
      return;
    }
    if (run_->Failed()) return;
    // Nothing to show.
    if (run_->Empty()) {
      MsgBoxLingua("Non ci sono dati da elaborare", 39693, 64, Caption());
      return;
    }
    SaveRemembered();
    // The results form, over the run's own record sets.
    frm_mod_ = std::make_shared<results_form::FRMPD_MAVANZORDLAV>(run_);
    frm_mod_->GconConnect = GconConnect;
    frm_mod_->GclsLog = GclsLog;
    frm_mod_->ActiveInterface = ActiveInterface;
    frm_mod_->GiorniRelativi = relative_days_;
    std::weak_ptr<FRMPD_QUARVELINDO> self = weak_from_this();
    frm_mod_->CloseFormVersamenti = [self](int16_t& cancel) {
      if (auto form = self.lock()) form->FrmMod_CloseFormVersamenti(cancel);
    };
    // The results form takes the query form's place until it closes.
    window_->main_form_active = false;
    window_->Hide();
    frm_mod_->Show(ActiveInterface != nullptr ? ActiveInterface->GetActiveFrame() : nullptr);
  } catch (...) {
    host::ReportCurrentError(*this, "CmdDupl_Click");
  }
}

void FRMPD_QUARVELINDO::FrmMod_CloseFormVersamenti(int16_t& /*cancel*/) {
  try {
    if (frm_mod_) {
      frm_mod_->GconConnect.reset();
      frm_mod_->GclsLog.reset();
      frm_mod_->ActiveInterface = nullptr;
      // The results form is closing from inside its own call: it is released
      // once that call has returned.
      auto closing = std::move(frm_mod_);
      QTimer::singleShot(0, [closing] {});
    }
    if (ActiveInterface != nullptr && ActiveInterface->GetActiveNavigator()) {
      ActiveInterface->GetActiveNavigator()->Refresh();
    }
    if (window_ && !window_->closing) {
      window_->main_form_active = true;
      if (ActiveInterface != nullptr && ActiveInterface->GetActiveNavigator()) {
        ActiveInterface->GetActiveNavigator()->FormActiveAgain();
      }
      window_->ShowAgain();
    }
  } catch (...) {
    // Errors are suppressed.
  }
}

}  // namespace query_form
