#include "query_form/frmpd_quarvelindo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <future>

#include "engine/field_lists.h"
#include "engine/monthly_trend.h"
#include "engine/relative_dates.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "host/db/connection_string.h"
#include "host/qt/dialog_presenter.h"
#include "host/qt/progress_bar.h"
#include "host/qt/user_settings.h"
#include "query_form/bar_progress.h"
#include "query_form/condition_model.h"
#include "query_form/grouping_model.h"
#include "query_form/run_thread.h"
#include "results_form/frmpd_mavanzordlav.h"

namespace query_form {

namespace {

constexpr const char* kModule = "FRMPD_QUARVELINDO";
// Where the results form keeps its tolerance band (a saved query carries it).
constexpr const char* kToleranceSetting = "FRMPD_MAVANZORDLAV/tolerance";

// The editor of a condition cell: a line limited to the field's length.
class ConditionDelegate : public QStyledItemDelegate {
 public:
  // `date_placeholder`: how a date is typed, in the user's language.
  ConditionDelegate(QString date_placeholder, QObject* parent)
      : QStyledItemDelegate(parent), date_placeholder_(std::move(date_placeholder)) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    auto* editor = new QLineEdit(parent);
    const auto* model = qobject_cast<const ConditionModel*>(index.model());
    if (model != nullptr && model->MaxLength(index.row()) > 0) editor->setMaxLength(model->MaxLength(index.row()));
    if (model != nullptr && model->IsDate(index.row())) editor->setPlaceholderText(date_placeholder_);
    (void)option;
    return editor;
  }

 private:
  QString date_placeholder_;
};

// The condition grid: Tab and Shift+Tab go from value to value (a row's
// from and to, then the next row's), past the captions and the
// descriptions that nobody types into, editing or not.
class ConditionTable : public QTableView {
 public:
  using QTableView::QTableView;

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    if ((action != MoveNext && action != MovePrevious) || model() == nullptr || !currentIndex().isValid()) {
      return QTableView::moveCursor(action, modifiers);
    }
    const int columns = model()->columnCount();
    const int step = action == MoveNext ? 1 : -1;
    const int last = model()->rowCount() * columns;
    for (int at = currentIndex().row() * columns + currentIndex().column() + step; at >= 0 && at < last; at += step) {
      const QModelIndex next = model()->index(at / columns, at % columns);
      if (next.flags() & Qt::ItemIsEditable) return next;
    }
    return currentIndex();  // the first or the last value already
  }
};

// A click on the cell that is already the current one edits it at once.
// (The view's own "selected clicked" waits a double-click interval first,
// and what is typed in that interval goes to its keyboard search: lost.)
class ClickToEdit : public QObject {
 public:
  explicit ClickToEdit(QTableView* view) : QObject(view), view_(view) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QModelIndex at = view_->indexAt(mouse->position().toPoint());
      pressed_on_current_ = at.isValid() && at == view_->currentIndex() && mouse->button() == Qt::LeftButton;
    } else if (event->type() == QEvent::MouseButtonRelease && pressed_on_current_) {
      pressed_on_current_ = false;
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QModelIndex at = view_->indexAt(mouse->position().toPoint());
      if (at.isValid() && at == view_->currentIndex() && (at.flags() & Qt::ItemIsEditable)) view_->edit(at);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QTableView* view_;
  bool pressed_on_current_ = false;
};

// Keys of the condition grid: F4 opens the look-up, Enter (not editing)
// runs, Delete clears the cell.
class ConditionKeys : public QObject {
 public:
  ConditionKeys(QTableView* view, std::function<void()> lookup, std::function<void()> run)
      : QObject(view), view_(view), lookup_(std::move(lookup)), run_(std::move(run)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F4) {
      lookup_();
      return true;
    }
    // While a cell is edited its editor takes the keys: these arrive only
    // from the grid itself.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      run_();
      return true;
    }
    if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
      const QModelIndex current = view_->currentIndex();
      if (current.isValid() && (current.flags() & Qt::ItemIsEditable)) view_->model()->setData(current, QString());
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QTableView* view_;
  std::function<void()> lookup_, run_;
};

}  // namespace

void FRMPD_QUARVELINDO::SetSettingsFile(const QString& path) { host::qt::SetUserSettingsFile(path); }

std::shared_ptr<FRMPD_QUARVELINDO> FRMPD_QUARVELINDO::Create() { return std::make_shared<FRMPD_QUARVELINDO>(); }

FRMPD_QUARVELINDO::FRMPD_QUARVELINDO() {
  component::WriteTrace(identity_, "INI", kModule);  // Form_Initialize
}

FRMPD_QUARVELINDO::~FRMPD_QUARVELINDO() {
  // A run still working is stopped before its form goes.
  if (run_thread_) run_thread_->Cancel();
  run_thread_.reset();
  if (frm_mod_) frm_mod_->CloseFormVersamenti = nullptr;
  frm_mod_.reset();
  // The window is deleted later, when the event loop comes back; its views
  // must not draw the controls of a form that is gone meanwhile.
  delete conditions_.data();
  delete grouping_.data();
  window_.reset();
  component::WriteTrace(identity_, "TER", kModule);  // Form_Terminate
}

std::string FRMPD_QUARVELINDO::Caption() const {
  return Window() != nullptr ? Window()->windowTitle().toStdString() : std::string();
}

QString FRMPD_QUARVELINDO::Tr(const std::string& italian) { return QString::fromStdString(TraduciCaption(italian)); }




void FRMPD_QUARVELINDO::SetWindowState(int16_t state) {
  if (!loaded_) Form_Load();  // the first access loads the form
  if (Window() == nullptr) return;
  Window()->setWindowState(state == 2 ? Qt::WindowMaximized
                                      : (state == 1 ? Qt::WindowMinimized : Qt::WindowNoState));
}

void FRMPD_QUARVELINDO::SetCaption(const std::string& caption) {
  // The host's caption (its menu entry) comes after Form_Load's title and
  // replaces it, as the host sets it on every module's window.
  if (Window() != nullptr && !caption.empty()) Window()->setWindowTitle(QString::fromStdString(caption));
}

namespace {

// Opens the connection on a worker while the windows go on drawing: a
// locked database or a slow server waits there, not in the window thread.
// The user's input waits meanwhile (the form is not ready for it); an
// error comes back as the open's own.
std::shared_ptr<host::db::Connection> OpenAside(const std::string& connection_string) {
  auto opening = std::async(std::launch::async, [connection_string] {
    return std::shared_ptr<host::db::Connection>(host::db::OpenConnection(connection_string));
  });
  while (opening.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
  }
  return opening.get();
}

}  // namespace

void FRMPD_QUARVELINDO::Form_Load() {
  loaded_ = true;
  window_ = std::make_unique<host::qt::FormWindow>(kModule);
  window_->query_unload = [this](int16_t& cancel, int16_t mode) { Form_QueryUnload(cancel, mode); };
  window_->unload = [this] { Form_Unload(); };
  window_->activate = [this] { Form_Activate(); };
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  const std::string language = global && global->translation ? global->translation->Language() : "it";
  // The log, and the form is the module's active one.
  std::shared_ptr<host::MessagePresenter> presenter =
      global && global->presenter ? global->presenter : std::make_shared<host::qt::DialogPresenter>(language);
  GclsLog = std::make_shared<host::LogObject>(presenter);
  window_->main_form_active = true;
  BuildWindow();
  try {
    // The connection string and the connection.
    GstrConnect = global ? global->connection_info.connection_string : std::string();
    // The company code: a whole number, checked before any SQL sees it.
    PvarCodDitta = global ? host::Trim(global->company.code) : std::string("1");
    const auto company = host::Decimal::Parse(PvarCodDitta);
    if (!company || company->Scale() != 0 || company->Sign() <= 0) {
      throw host::Error(host::kErrInvalidArgument, "The company code '" + PvarCodDitta + "' is not a whole number");
    }
    PvarCodDitta = company->ToString();
    GconConnect = OpenAside(GstrConnect);
    // The time units, the first one chosen.
    cmb_tipo_tempo_->clear();
    for (size_t i = 0; i < engine::kTipoTempoCaptions.size(); ++i) {
      cmb_tipo_tempo_->addItem(QString::fromUtf8(engine::kTipoTempoCaptions[i].data(),
                                                 static_cast<int>(engine::kTipoTempoCaptions[i].size())),
                               QString::number(i));
    }
    cmb_tipo_tempo_->setCurrentIndex(0);
    cmb_tipo_tempo_->setEditable(false);
    // The connection goes back to the program interface.
    auto handed = std::make_shared<ConnectionObject>();
    handed->connection = GconConnect;
    if (ActiveInterface != nullptr) ActiveInterface->SetConnection(handed);
    // The look-up and decode services.
    PclsLookupDb = std::make_unique<host::LookupService>(*GconConnect, PvarCodDitta);
    PclsDecodeDb = std::make_unique<host::DecodeService>(*GconConnect, PvarCodDitta);
    // The title.
    Window()->setWindowTitle(QString::fromStdString(TestoLingua("Ricerca ordini di lavorazione", 73165, 0)));
    // The fashion-attributes flag.
    fashion_ = global && global->company.fashion_attributes;
    // The conditions and the grouping are set up on the first activation.
    window_->initialised = false;
  } catch (...) {
    if (Window()->windowTitle().isEmpty()) {
      Window()->setWindowTitle(QString::fromStdString(TestoLingua("Ricerca ordini di lavorazione", 73165, 0)));
    }
    const QString reason = QString::fromStdString(UserErrorText(host::CurrentError()));
    status_->setText(reason);
    // Without a connection the form stays open and says why; Esegui waits
    // for a connection rather than doing nothing.
    if (!GconConnect) {
      status_->setText(Tr("Nessuna connessione al database:") + " " + reason);
      cmd_dupl_->setEnabled(false);
      cmd_dupl_->setToolTip(status_->text());
    }
    host::ReportCurrentError(*this, "Form_Load");
  }
}

void FRMPD_QUARVELINDO::BuildWindow() {
  QWidget* w = Window();
  auto* layout = new QVBoxLayout(w);
  auto* bar = new QHBoxLayout();
  cmd_dupl_ = new QPushButton(Tr("&Esegui"), w);
  cmd_dupl_->setObjectName("CmdDupl");
  cmd_dupl_->setDefault(true);
  cmd_ann_ = new QPushButton(Tr("&Annulla"), w);
  cmd_ann_->setObjectName("CmdAnn");
  prog_bar_ = new host::qt::ProgressBar(w);
  prog_bar_->setMinimumWidth(260);
  cmd_stop_ = new QPushButton(Tr("&Interrompi"), w);
  cmd_stop_->setObjectName("CmdStop");
  cmd_stop_->setVisible(false);
  auto* lookup = new QPushButton(Tr("Cerca") + " (F4)", w);
  lookup->setObjectName("CmdLookup");
  bar->addWidget(cmd_dupl_);
  bar->addWidget(cmd_ann_);
  bar->addWidget(lookup);
  auto* save_query = new QPushButton(Tr("Salva ricerca…"), w);
  save_query->setObjectName("CmdSalvaRicerca");
  auto* queries = new QPushButton(Tr("Ricerche"), w);
  queries->setObjectName("CmdRicerche");
  bar->addWidget(save_query);
  bar->addWidget(queries);
  bar->addStretch();
  bar->addWidget(prog_bar_);
  bar->addWidget(cmd_stop_);
  layout->addLayout(bar);

  tabs_ = new QTabWidget(w);
  tabs_->setObjectName("SSTab1");
  // Tab 1: the conditions and the options.
  auto* general = new QWidget(tabs_);
  auto* general_layout = new QVBoxLayout(general);
  auto* frame4 = new QGroupBox(Tr("Condizioni"), general);
  frame4->setObjectName("WLFrame4");
  auto* frame4_layout = new QVBoxLayout(frame4);
  condition_view_ = new ConditionTable(frame4);
  condition_view_->setObjectName("KVL_ADVQ");
  condition_view_->setItemDelegate(new ConditionDelegate(Tr("gg/mm/aaaa"), condition_view_));
  condition_view_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed);
  condition_view_->viewport()->installEventFilter(new ClickToEdit(condition_view_));
  condition_view_->setSelectionMode(QAbstractItemView::SingleSelection);
  condition_view_->verticalHeader()->hide();
  condition_view_->verticalHeader()->setDefaultSectionSize(condition_view_->fontMetrics().height() + 8);
  condition_view_->setAlternatingRowColors(true);
  condition_view_->installEventFilter(
      new ConditionKeys(condition_view_, [this] { LookupCurrentCell(); }, [this] { CmdDupl_Click(); }));
  frame4_layout->addWidget(condition_view_);
  general_layout->addWidget(frame4, 1);
  auto* frame1 = new QGroupBox(Tr("Opzioni"), general);
  frame1->setObjectName("WLFrame1");
  auto* options = new QHBoxLayout(frame1);
  auto* label10 = new QLabel(Tr("Modalità tempo"), frame1);
  label10->setObjectName("KVL_LABEL10");
  cmb_tipo_tempo_ = new QComboBox(frame1);
  cmb_tipo_tempo_->setObjectName("CMB_TIPOTEMPO");
  cmb_tipo_tempo_->setToolTip(Tr("Modalità tipo tempo da versare"));
  label10->setBuddy(cmb_tipo_tempo_);
  chk_attesa_ = new QCheckBox(Tr("Escludi tempi attesa"), frame1);
  chk_attesa_->setObjectName("CHK_ATTESA");
  chk_coda_ = new QCheckBox(Tr("Escludi tempi coda"), frame1);
  chk_coda_->setObjectName("CHK_CODA");
  options->addWidget(label10);
  options->addWidget(cmb_tipo_tempo_);
  options->addSpacing(24);
  options->addWidget(chk_attesa_);
  options->addWidget(chk_coda_);
  options->addSpacing(24);
  auto* closed_caption = new QLabel(Tr("Stati ordine chiusi"), frame1);
  txt_stati_chiusi_ = new QLineEdit(frame1);
  txt_stati_chiusi_->setObjectName("TXT_STATICHIUSI");
  // Said as an example: a bare "9, 10" in grey reads as states already set.
  txt_stati_chiusi_->setPlaceholderText(Tr("es. 9, 10"));
  txt_stati_chiusi_->setToolTip(
      Tr("Stati dell'ordine che valgono chiusa (es. 9, 10): colonna Chiusa delle fasi senza versamenti"));
  txt_stati_chiusi_->setMaximumWidth(txt_stati_chiusi_->fontMetrics().horizontalAdvance("0000, 0000, 0000"));
  closed_caption->setBuddy(txt_stati_chiusi_);
  options->addWidget(closed_caption);
  options->addWidget(txt_stati_chiusi_);
  options->addStretch();
  general_layout->addWidget(frame1);
  tabs_->addTab(general, Tr("&Parametri generali"));

  // Tab 2: the grouping.
  auto* grouping = new QWidget(tabs_);
  auto* grouping_layout = new QVBoxLayout(grouping);
  auto* frame2 = new QGroupBox(Tr("Raggruppa per (spuntati, nell'ordine)"), grouping);
  frame2->setObjectName("WLFrame2");
  auto* frame2_layout = new QHBoxLayout(frame2);
  grouping_view_ = new QListView(frame2);
  grouping_view_->setObjectName("KVL_ADVO");
  grouping_view_->setDragDropMode(QAbstractItemView::InternalMove);
  grouping_view_->setDefaultDropAction(Qt::MoveAction);
  grouping_view_->setDragEnabled(true);
  grouping_view_->setAcceptDrops(true);
  grouping_view_->setDropIndicatorShown(true);
  auto* moves = new QVBoxLayout();
  auto* up = new QPushButton(Tr("Su"), frame2);
  up->setObjectName("CmdUp");
  up->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
  auto* down = new QPushButton(Tr("Giù"), frame2);
  down->setObjectName("CmdDown");
  down->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
  moves->addWidget(up);
  moves->addWidget(down);
  moves->addStretch();
  frame2_layout->addWidget(grouping_view_, 1);
  frame2_layout->addLayout(moves);
  grouping_layout->addWidget(frame2);
  tabs_->addTab(grouping, Tr("&Ordinamento e raggruppamento"));
  layout->addWidget(tabs_, 1);
  status_ = new QLabel(w);
  status_->setObjectName("LBL_STATO");
  status_->setWordWrap(true);
  layout->addWidget(status_);

  conditions_ = new ConditionModel(query_, [this](const std::string& s) { return Tr(s); }, w);
  condition_view_->setModel(conditions_);
  grouping_ = new GroupingModel(order_, [this](const std::string& s) { return Tr(s); }, w);
  grouping_view_->setModel(grouping_);

  QObject::connect(cmd_dupl_, &QPushButton::clicked, w, [this] { CmdDupl_Click(); });
  QObject::connect(cmd_ann_, &QPushButton::clicked, w, [this] { CmdAnn_Click(); });
  QObject::connect(cmd_stop_, &QPushButton::clicked, w, [this] { CancelRun(); });
  QObject::connect(lookup, &QPushButton::clicked, w, [this] { LookupCurrentCell(); });
  QObject::connect(save_query, &QPushButton::clicked, w, [this] { SaveQueryDialog(Window(), SavedQueryTarget()); });
  QObject::connect(queries, &QPushButton::clicked, w, [this] { SavedQueriesDialog(Window(), SavedQueryTarget()); });
  AttachRelativeDateMenu(condition_view_, conditions_, [this](const std::string& s) { return Tr(s); });
  QObject::connect(condition_view_, &QTableView::doubleClicked, w, [this](const QModelIndex& index) {
    if (index.column() == ConditionModel::kFromDescription || index.column() == ConditionModel::kToDescription ||
        index.column() == ConditionModel::kCaption) {
      LookupCurrentCell();
    }
  });
  QObject::connect(conditions_, &ConditionModel::ValueCommitted, w, [this](int, bool) {
    // A value can change the description of another field (the variant of
    // an article, the project of a node): every described field is decoded.
    for (int row = 0; row < conditions_->rowCount(); ++row) DecodeRow(row);
    ForgetProblemsOnceRight();
  });
  const auto move = [this](int delta) {
    const QModelIndex current = grouping_view_->currentIndex();
    if (!current.isValid()) return;
    const int row = grouping_->MoveRow(current.row(), delta);
    grouping_view_->setCurrentIndex(grouping_->index(row));
  };
  QObject::connect(up, &QPushButton::clicked, w, [move] { move(-1); });
  QObject::connect(down, &QPushButton::clicked, w, [move] { move(1); });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), w);
  // The window's: disabling the tabs for a run takes the focus away from
  // the control that had it, and Esc must still stop the run.
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, w, [this] {
    if (Running()) CancelRun();
  });
}

void FRMPD_QUARVELINDO::Show(bool modal) {
  if (!window_) return;
  const host::HostObjectPtr frame = ActiveInterface != nullptr ? ActiveInterface->GetActiveFrame() : nullptr;
  if (modal) {
    // The first activation runs before the modal loop takes over.
    QTimer::singleShot(0, Window(), [this] { Form_Activate(); });
  }
  window_->Show(frame, modal, QSize(900, 640));
  if (!modal) Form_Activate();
}

void FRMPD_QUARVELINDO::Form_Activate() {
  if (!window_ || window_->closing || !GconConnect) return;
  try {
    // The navigator takes the frame's state and refreshes.
    if (ActiveInterface != nullptr && ActiveInterface->GetActiveNavigator()) {
      ActiveInterface->GetActiveNavigator()->Refresh();
    }
    if (window_->initialised) return;
    // Only the first activation sets the form up.
    window_->closing = false;
    // The conditions.
    host::ControlSettings settings;
    settings.company = PvarCodDitta;
    settings.module = "PDXR_QUARVELINDO";
    settings.connection = GconConnect.get();
    const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
    if (global) {
      settings.environment1 = global->environment.value1;
      settings.environment2 = global->environment.value2;
    }
    query_.Settings(settings);
    engine::LoadFilterFields(query_, fashion_);
    query_.EndSetup();
    // The grouping.
    order_.Settings(settings);
    engine::LoadGroupingFields(order_);
    order_.EndSetup();
    conditions_->Reload();
    grouping_->Reload();
    condition_view_->resizeColumnToContents(ConditionModel::kCaption);
    condition_view_->setColumnWidth(ConditionModel::kFrom, 150);
    condition_view_->setColumnWidth(ConditionModel::kTo, 150);
    condition_view_->horizontalHeader()->setStretchLastSection(true);
    condition_view_->setColumnWidth(ConditionModel::kFromDescription, 220);
    // The first condition's cell has the focus, so that typing and Enter work at once.
    if (conditions_->rowCount() > 0) condition_view_->setCurrentIndex(conditions_->index(0, ConditionModel::kFrom));
    condition_view_->setFocus();
    // Scripts learn that the form is open.
    NotificaApriChiudi("znOpen");
    // What Annulla returns to.
    saved_query_state_ = query_.SaveState();
    saved_order_state_ = order_.SaveState();
    window_->initialised = true;
    // The last conditions of this database and company come back.
    RestoreRemembered();
  } catch (...) {
    host::ReportCurrentError(*this, "Form_Activate");
  }
}

void FRMPD_QUARVELINDO::CmdAnn_Click() {
  try {
    query_.ClearConditions();
    query_.RestoreState(saved_query_state_);
    order_.RestoreState(saved_order_state_);
    conditions_->Reload();
    grouping_->Reload();
    cmb_tipo_tempo_->setCurrentIndex(0);
    chk_attesa_->setChecked(false);
    chk_coda_->setChecked(false);
    status_->clear();
  } catch (...) {
    // Errors are suppressed: the reset does what it can.
  }
}

void FRMPD_QUARVELINDO::ForgetProblemsOnceRight() {
  if (!problems_said_) return;
  host::QueryControl resolved = query_;
  engine::ResolveRelativeDates(resolved, engine::LocalToday());
  if (!resolved.Validate().empty()) return;
  problems_said_ = false;
  status_->clear();
}

SavedQueryForm FRMPD_QUARVELINDO::SavedQueryTarget() {
  SavedQueryForm target;
  target.translate = [this](const std::string& s) { return Tr(s); };
  target.capture = [this](const std::string& name) {
    auto saved = engine::CaptureQuery(name, query_, order_,
                                      static_cast<engine::TipoTempo>(cmb_tipo_tempo_->currentData().toString().toInt()),
                                      chk_attesa_->isChecked(), chk_coda_->isChecked());
    try {
      saved.closed_states = engine::ParseClosedStates(txt_stati_chiusi_->text().toStdString());
    } catch (const host::Error&) {
      // Not numbers: the query is kept without them (a run says what is wrong).
    }
    // The results form's tolerance goes with the query, the default one too:
    // the query then shows its groups flagged as when it was saved.
    saved.tolerance = host::qt::UserSettings()->value(kToleranceSetting, engine::kTrendTolerancePercent).toDouble();
    return saved;
  };
  target.apply = [this](const engine::SavedQuery& saved) {
    engine::ApplyQuery(saved, query_, order_);
    conditions_->Reload();
    grouping_->Reload();
    cmb_tipo_tempo_->setCurrentIndex(std::max(0, cmb_tipo_tempo_->findData(QString::number(saved.unit))));
    chk_attesa_->setChecked(saved.exclude_wait);
    chk_coda_->setChecked(saved.exclude_queue);
    txt_stati_chiusi_->setText(QString::fromStdString(engine::ClosedStatesText(saved.closed_states)));
    if (saved.tolerance) host::qt::UserSettings()->setValue(kToleranceSetting, *saved.tolerance);
    for (int row = 0; row < conditions_->rowCount(); ++row) DecodeRow(row);
    status_->setText(QString::fromStdString(saved.name));
  };
  target.database = GstrConnect;
  target.company = PvarCodDitta;
  return target;
}

void FRMPD_QUARVELINDO::Form_QueryUnload(int16_t& cancel, int16_t unload_mode) {
  try {
    // A close by the window before the first set-up finished is refused.
    if (unload_mode == host::qt::FormWindow::kFromControlMenu && !window_->initialised) {
      cancel = 1;
      return;
    }
    // The navigator refreshes before the scripts are asked.
    if (ActiveInterface != nullptr && ActiveInterface->GetActiveNavigator()) {
      ActiveInterface->GetActiveNavigator()->Refresh();
    }
    // Scripts may refuse the close.
    if (cancel == 0) {
      NotificaApriChiudi("znClose");
      if (ActiveInterface != nullptr && ActiveInterface->GetActiveNavigator()) {
        if (auto script = ActiveInterface->GetActiveNavigator()->Script()) {
          cancel = script->QueryCancel(Name()) ? 1 : 0;
        }
      }
    }
  } catch (...) {
    // Errors are suppressed.
  }
}

void FRMPD_QUARVELINDO::Form_Unload() {
  window_->closing = true;
  // The results form goes first; its closing event finds the flag set.
  if (frm_mod_) frm_mod_->Unload();
  frm_mod_.reset();
  // A run still working stops.
  if (run_thread_) {
    run_thread_->Cancel();
    run_thread_->Join();
    run_thread_.reset();
    busy_pointer_.reset();
  }
  // Everything the form holds is released; the connection is closed.
  run_.reset();
  PclsLookupDb.reset();
  PclsDecodeDb.reset();
  if (ActiveInterface != nullptr) ActiveInterface->SetConnection(nullptr);
  if (GconConnect) GconConnect->Close();
  GconConnect.reset();
  GclsLog.reset();
}

void FRMPD_QUARVELINDO::Unload() {
  if (window_) window_->Close(host::qt::FormWindow::kFromCode);
}

bool FRMPD_QUARVELINDO::MainFormActive() const { return window_ && window_->main_form_active; }

std::shared_ptr<component::FormPort> FRMPD_QUARVELINDO::ResultsForm() const { return frm_mod_; }

void FRMPD_QUARVELINDO::NotificaApriChiudi(const std::string& action) {
  try {
    if (ActiveInterface == nullptr || !ActiveInterface->GetActiveNavigator()) return;
    if (auto script = ActiveInterface->GetActiveNavigator()->Script()) script->Notify(Name(), action);
  } catch (...) {
    // Errors are suppressed.
  }
}

void FRMPD_QUARVELINDO::GestioneErrore(std::string_view procedure, const host::Error& error) {
  // The pointer and the progress bar.
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  if (prog_bar_ != nullptr) prog_bar_->Stop();
  // The log reports the error and the database's.
  ReportToLog(procedure, error, std::make_shared<host::qt::DialogPresenter>());
}

QString FRMPD_QUARVELINDO::StatusText() const { return status_ != nullptr ? status_->text() : QString(); }

std::string FRMPD_QUARVELINDO::RememberKey() const {
  // Per database (its connection string without a password) and company.
  const std::string where = host::db::ConnectionString::Redacted(GstrConnect) + "|" + PvarCodDitta;
  return "query/" + QCryptographicHash::hash(QByteArray::fromStdString(where), QCryptographicHash::Sha1)
                        .toHex()
                        .left(16)
                        .toStdString();
}

void FRMPD_QUARVELINDO::SaveRemembered() {
  auto settings = host::qt::UserSettings();
  const QString key = QString::fromStdString(RememberKey());
  settings->setValue(key + "/conditions", QString::fromStdString(query_.SaveState()));
  settings->setValue(key + "/grouping", QString::fromStdString(order_.SaveState()));
  settings->setValue(key + "/unit", cmb_tipo_tempo_->currentIndex());
  settings->setValue(key + "/exclude_wait", chk_attesa_->isChecked());
  settings->setValue(key + "/exclude_queue", chk_coda_->isChecked());
  settings->setValue(key + "/closed_states", txt_stati_chiusi_->text());
}

void FRMPD_QUARVELINDO::RestoreRemembered() {
  auto settings = host::qt::UserSettings();
  const QString key = QString::fromStdString(RememberKey());
  if (!settings->contains(key + "/conditions")) return;
  query_.RestoreState(settings->value(key + "/conditions").toString().toStdString());
  order_.RestoreState(settings->value(key + "/grouping").toString().toStdString());
  const int unit = settings->value(key + "/unit", 0).toInt();
  if (unit >= 0 && unit < cmb_tipo_tempo_->count()) cmb_tipo_tempo_->setCurrentIndex(unit);
  chk_attesa_->setChecked(settings->value(key + "/exclude_wait", false).toBool());
  chk_coda_->setChecked(settings->value(key + "/exclude_queue", false).toBool());
  txt_stati_chiusi_->setText(settings->value(key + "/closed_states", QString()).toString());
  conditions_->Reload();
  grouping_->Reload();
  for (int row = 0; row < conditions_->rowCount(); ++row) DecodeRow(row);
}

}  // namespace query_form
