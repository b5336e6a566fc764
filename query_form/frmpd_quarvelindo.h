// FRMPD_QUARVELINDO, the query form: the conditions (KVL_ADVQ) with their
// descriptions and look-ups, the grouping (KVL_ADVO), the time unit and the
// two exclusions, and the run command that opens the results form over the
// run it made.
//
// Its life cycle is the ERP form's: Form_Load when the host first sets its
// window state, Form_Activate on every activation (the first one sets the
// controls up), Form_QueryUnload and Form_Unload on every close (the X, the
// host, or code), the trace lines at creation and termination.
//
// The run works on a worker thread with its own connection; the form stays
// usable, shows the progress and can stop the run (Esc or "Interrompi").
// Errors go through GestioneErrore, which answers the log's choice; the
// data layer never opens a dialog.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "component/facilities.h"
#include "component/form_port.h"
#include "engine/comparison.h"
#include "component/module_form.h"
#include "host/controls/order_control.h"
#include "host/controls/query_control.h"
#include "host/db/connection.h"
#include "host/framework/log_object.h"
#include "host/qt/form_window.h"
#include "host/qt/wait_pointer.h"
#include "host/services/decode_service.h"
#include "host/services/lookup_service.h"
#include "query_form/condition_model.h"
#include "query_form/grouping_model.h"
#include "query_form/saved_queries_ui.h"

class QComboBox;
class QCheckBox;
class QPushButton;
class QTabWidget;
class QTableView;
class QListView;
class QLabel;

namespace host::qt {
class ProgressBar;
}
namespace results_form {
class FRMPD_MAVANZORDLAV;
}

namespace query_form {

class RunThread;
class BarProgress;

// The open connection handed back to the host through Cinterface.
struct ConnectionObject : host::HostObject {
  std::shared_ptr<host::db::Connection> connection;
};

class FRMPD_QUARVELINDO : public component::QueryFormPort,
                          public component::ModuleForm,
                          public std::enable_shared_from_this<FRMPD_QUARVELINDO> {
 public:
  static std::shared_ptr<FRMPD_QUARVELINDO> Create();
  FRMPD_QUARVELINDO();
  ~FRMPD_QUARVELINDO() override;
  FRMPD_QUARVELINDO(const FRMPD_QUARVELINDO&) = delete;
  FRMPD_QUARVELINDO& operator=(const FRMPD_QUARVELINDO&) = delete;

  // The host's side (QueryFormPort).
  std::string Name() const override { return "FRMPD_QUARVELINDO"; }
  std::string Caption() const override;
  void SetActiveInterface(host::Cinterface* program) override { ActiveInterface = program; }
  void SetWindowState(int16_t state) override;
  void SetCaption(const std::string& caption) override;
  void Show(bool modal) override;
  void Unload() override;
  bool MainFormActive() const override;
  std::shared_ptr<component::FormPort> ResultsForm() const override;

  // The form's error routine: the pointer and the progress bar reset, then
  // the log's report (ModuleForm).
  void GestioneErrore(std::string_view procedure, const host::Error& error) override;
  [[nodiscard]] std::string FormCaption() const override { return Caption(); }

  // The form's procedures.
  void Form_Activate();
  void Form_QueryUnload(int16_t& cancel, int16_t unload_mode);
  void CmdAnn_Click();
  // Starts the run; the results form opens when it ends (RunFinished).
  void CmdDupl_Click();
  void FrmMod_CloseFormVersamenti(int16_t& cancel);
  // Tells the navigator's scripts "znOpen" or "znClose".
  void NotificaApriChiudi(const std::string& action);
  // The descriptions of a field's from and to values.
  void KVL_ADVQ_StartDecode(int16_t& cancel, const std::string& caption, const host::Variant& from_value,
                            QString& from_description, const host::Variant& to_value, QString& to_description);
  // Opens the look-up of a field for side 5 (from) or another (to); the
  // choice fills the value and its description.
  void KVL_ADVQ_StartLookup(int16_t& cancel, const std::string& caption, int16_t side);
  // The document look-up's choice: the order's section and number.
  void PclsLookupDoc_OnSelection(int16_t& cancel, const host::RecordSetPtr& rsetRigaDoc,
                                 const host::RecordSetPtr& RsetTestateDoc);

  // Public members that the host, the class and the results form reach
  // (ActiveInterface, GclsLog and GconConnect are ModuleForm's).
  std::string GstrConnect;
  std::string PvarCodDitta;

  // The window and its controls (tests drive them).
  [[nodiscard]] QWidget* Window() const { return window_ ? window_->Widget() : nullptr; }
  [[nodiscard]] host::qt::FormWindow* Frame() const { return window_.get(); }
  [[nodiscard]] host::QueryControl& KVL_ADVQ() { return query_; }
  [[nodiscard]] host::OrderControl& KVL_ADVO() { return order_; }
  [[nodiscard]] ConditionModel* Conditions() const { return conditions_; }
  [[nodiscard]] GroupingModel* Grouping() const { return grouping_; }
  [[nodiscard]] QComboBox* CMB_TIPOTEMPO() const { return cmb_tipo_tempo_; }
  [[nodiscard]] QCheckBox* CHK_ATTESA() const { return chk_attesa_; }
  [[nodiscard]] QCheckBox* CHK_CODA() const { return chk_coda_; }
  // Whether the line under the form names a value that cannot be right;
  // once every value is right again, the line is cleared.
  bool problems_said_ = false;
  void ForgetProblemsOnceRight();
  // The order states that mean closed ("9, 10"), for the phases never booked.
  [[nodiscard]] QLineEdit* TXT_STATICHIUSI() const { return txt_stati_chiusi_; }
  [[nodiscard]] QPushButton* CmdDupl() const { return cmd_dupl_; }
  [[nodiscard]] QPushButton* CmdAnn() const { return cmd_ann_; }
  [[nodiscard]] QPushButton* CmdStop() const { return cmd_stop_; }
  [[nodiscard]] QTableView* ConditionView() const { return condition_view_; }
  [[nodiscard]] QTabWidget* SSTab1() const { return tabs_; }
  [[nodiscard]] bool Initialised() const { return window_ && window_->initialised; }
  [[nodiscard]] bool Running() const { return static_cast<bool>(run_thread_); }
  void CancelRun();
  // The results form while it is open.
  [[nodiscard]] std::shared_ptr<results_form::FRMPD_MAVANZORDLAV> FrmMod() const { return frm_mod_; }
  // The last run that ended (its record sets stay until the next run).
  [[nodiscard]] std::shared_ptr<engine::Comparison> LastRun() const { return run_; }
  // The status line under the buttons (what the last run did).
  [[nodiscard]] QString StatusText() const;
  // Where the remembered conditions are kept (tests point it elsewhere).
  static void SetSettingsFile(const QString& path);

 private:
  void Form_Load();
  void Form_Unload();
  void BuildWindow();
  void RunFinished();
  void SaveRemembered();
  void RestoreRemembered();
  void DecodeRow(int row);
  // Salva ricerca… and Ricerche: what they save from and open into.
  SavedQueryForm SavedQueryTarget();
  std::string relative_days_;  // the relative dates of the last run, as resolved
  void LookupCurrentCell();
  QString Tr(const std::string& italian);
  [[nodiscard]] std::string RememberKey() const;

  component::InstanceIdentity identity_;
  std::unique_ptr<host::qt::FormWindow> window_;
  bool loaded_ = false;
  bool fashion_ = false;
  host::QueryControl query_;
  host::OrderControl order_;
  std::string saved_query_state_, saved_order_state_;
  std::unique_ptr<host::DecodeService> PclsDecodeDb;
  std::unique_ptr<host::LookupService> PclsLookupDb;
  std::string chosen_section_, chosen_number_;  // from the document look-up
  std::shared_ptr<engine::Comparison> run_;
  std::unique_ptr<RunThread> run_thread_;
  std::unique_ptr<BarProgress> bar_progress_;
  // The busy pointer while a run works (an arrow with it: the form can still stop the run).
  std::optional<host::qt::WaitPointer> busy_pointer_;
  std::shared_ptr<results_form::FRMPD_MAVANZORDLAV> frm_mod_;

  QTabWidget* tabs_ = nullptr;
  QTableView* condition_view_ = nullptr;
  QListView* grouping_view_ = nullptr;
  // Children of the window, which outlives the form until its deferred
  // deletion: the form deletes them when it goes (they read its controls).
  QPointer<ConditionModel> conditions_;
  QPointer<GroupingModel> grouping_;
  QComboBox* cmb_tipo_tempo_ = nullptr;
  QCheckBox* chk_attesa_ = nullptr;
  QCheckBox* chk_coda_ = nullptr;
  QLineEdit* txt_stati_chiusi_ = nullptr;
  QPushButton* cmd_dupl_ = nullptr;
  QPushButton* cmd_ann_ = nullptr;
  QPushButton* cmd_stop_ = nullptr;
  host::qt::ProgressBar* prog_bar_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace query_form
