#include "results_form/frmpd_mavanzordlav.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "engine/oms.h"
#include "engine/value_helpers.h"
#include "host/qt/dialog_presenter.h"
#include "results_form/category_model.h"
#include "results_form/recordset_model.h"

namespace results_form {
namespace {

constexpr const char* kModule = "FRMPD_MAVANZORDLAV";

QTableView* NewGrid(const char* name, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setAlternatingRowColors(true);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->horizontalHeader()->setHighlightSections(false);
  return grid;
}

QGroupBox* Framed(const QString& title, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  return box;
}

}  // namespace

FRMPD_MAVANZORDLAV::FRMPD_MAVANZORDLAV() {
  component::WriteTrace(identity_, "INI", kModule);  // Form_Initialize
}

FRMPD_MAVANZORDLAV::~FRMPD_MAVANZORDLAV() {
  if (RSTempiVer && subscription_ != 0) RSTempiVer->Unsubscribe(subscription_);
  window_.reset();
  component::WriteTrace(identity_, "TER", kModule);  // Form_Terminate
}

std::string FRMPD_MAVANZORDLAV::Caption() const {
  return Window() != nullptr ? Window()->windowTitle().toStdString() : std::string();
}

QString FRMPD_MAVANZORDLAV::Tr(const std::string& italian) { return QString::fromStdString(TraduciCaption(italian)); }

std::string FRMPD_MAVANZORDLAV::TraduciCaption(std::string_view caption) {
  const auto global = ActiveInterface != nullptr ? ActiveInterface->GetClsGlobal() : nullptr;
  if (global && global->translation) return global->translation->Caption(std::string(caption));
  return std::string(caption);
}

std::string FRMPD_MAVANZORDLAV::TestoLingua(std::string_view text, int32_t number, int16_t quote) {
  return component::TestoLingua(ActiveInterface, std::string(text), number, std::nullopt, quote);
}

int32_t FRMPD_MAVANZORDLAV::MsgBoxLingua(std::string_view text, int32_t number, int32_t buttons,
                                         std::string_view title) {
  return component::MsgBoxLingua(ActiveInterface, standalone_, std::string(text), number, buttons,
                                 std::string(title));
}

void FRMPD_MAVANZORDLAV::GestioneErrore(std::string_view procedure, const host::Error& error) {
  QApplication::restoreOverrideCursor();
  auto log = GclsLog ? GclsLog : std::make_shared<host::LogObject>(std::make_shared<host::qt::DialogPresenter>());
  log->TakeError(error);
  if (GconConnect) log->TakeConnectionErrors(GconConnect->Errors());
  log->Report("quarvelindo", Caption(), std::string(procedure), engine::kMbErrorReportStyle);
}

void FRMPD_MAVANZORDLAV::Show(const host::HostObjectPtr& frame) {
  window_ = std::make_unique<host::qt::FormWindow>(kModule);
  QWidget* w = window_->Widget();
  w->setWindowTitle(Tr("Tempi di lavorazione") + " " + Tr("per") + " " + QString::fromStdString(DescrizioneGruppo));
  window_->query_unload = [this](int16_t& cancel, int16_t mode) { Form_QueryUnload(cancel, mode); };
  window_->unload = [this] { Form_Unload(); };
  window_->activate = [this] { Form_Activate(); };

  auto* layout = new QVBoxLayout(w);
  auto* buttons = new QHBoxLayout();
  auto* stampa = new QPushButton(Tr("&Stampa"), w);
  stampa->setObjectName("CmdStampa");
  stampa->setEnabled(false);  // the print comes with the report layout
  auto* esporta = new QPushButton(Tr("&Esporta"), w);
  esporta->setObjectName("KVL_EXPTOQV1");
  esporta->setEnabled(false);
  cmd_exit_ = new QPushButton(Tr("&Chiudi"), w);
  cmd_exit_->setObjectName("CmdExit");
  buttons->addWidget(stampa);
  buttons->addWidget(esporta);
  buttons->addStretch();
  buttons->addWidget(cmd_exit_);
  layout->addLayout(buttons);
  label_row_ = new QLabel(w);
  label_row_->setObjectName("LBL_GRUPPO");
  label_row_->setTextFormat(Qt::PlainText);
  label_row_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont bold = label_row_->font();
  bold.setBold(true);
  label_row_->setFont(bold);
  layout->addWidget(label_row_);

  grd_vers_ = NewGrid("GRD_VERS", w);
  grd_prev_ = NewGrid("GRD_Prev", w);
  grd_vers_dett_ = NewGrid("GRD_VERSDett", w);
  auto* top = new QSplitter(Qt::Vertical, w);
  top->addWidget(Framed(Tr("Gruppi"), grd_vers_, w));
  auto* bottom = new QSplitter(Qt::Horizontal, w);
  bottom->addWidget(Framed(Tr("Tempi previsti"), grd_prev_, w));
  bottom->addWidget(Framed(Tr("Dettaglio versamenti"), grd_vers_dett_, w));
  bottom->setSizes({520, 640});
  top->addWidget(bottom);
  layout->addWidget(top, 1);
  QObject::connect(cmd_exit_, &QPushButton::clicked, w, [this] { window_->Close(host::qt::FormWindow::kFromCode); });

  window_->Show(frame, false, QSize(1180, 720));
  Form_Activate();
}

void FRMPD_MAVANZORDLAV::Form_Activate() {
  if (!window_ || window_->prepared || window_->closing) return;
  PreparaForm();
}

// The grids' columns from RSCampi and the layouts; the first group made current.
void FRMPD_MAVANZORDLAV::PreparaForm() {
  try {
    if (!RSTempiVer || !RSCampi) return;
    std::vector<RecordSetModel::Column> groups;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto campi = RSCampi->Clone();
    for (campi->MoveFirst(); !campi->Eof(); campi->MoveNext()) {
      const std::string name = host::RTrim(campi->Value("NOME").JoinedText());
      if (name == "IDGRUPPO" || name == "OREVERS" || name == "MINVERS" || name == "SECVERS") continue;
      if (RSTempiVer->FieldIndex(name) < 0) continue;
      const auto type = RSTempiVer->Field(static_cast<size_t>(RSTempiVer->FieldIndex(name))).type;
      const bool number = type != host::FieldType::Text && type != host::FieldType::Char &&
                          type != host::FieldType::Date && type != host::FieldType::Variant;
      groups.push_back({name, QString::fromStdString(host::RTrim(campi->Value("ALIASLINGUA").JoinedText())),
                        number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter, nullptr});
    }
    groups_model_ = new RecordSetModel(RSTempiVer, groups, grd_vers_);
    groups_model_->Bind(grd_vers_);
    grd_vers_->resizeColumnsToContents();

    categories_model_ = new CategoryModel(TipoTempo, [this](const std::string& s) { return Tr(s); }, grd_prev_);
    grd_prev_->setModel(categories_model_);
    grd_prev_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grd_prev_->setSelectionMode(QAbstractItemView::NoSelection);

    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    const auto left = Qt::AlignLeft | Qt::AlignVCenter;
    std::vector<RecordSetModel::Column> bookings{
        {"PD44_PRGMVORE_PD31", Tr("Id"), right, nullptr},
        {"PD44_DATAREG", Tr("Data reg."), left, nullptr},
        {"PD44_CODDIP_PD06", Tr("Dipendente"), left, nullptr},
        {"DESCRDIP", Tr("Desc. dipendente"), left, nullptr},
        {"PD44_MACCHINA_PD08", Tr("Macchina"), left, nullptr},
        {"PD44_CODFASE_PD12", Tr("Fase"), right, nullptr},
        {"PD44_INDORA", Tr("Tipo ore"), right, nullptr},
        {"PD44_QTALAV", Tr("Quantità"), right, nullptr},
        {"VERSTOTSEC", Tr("Tempo versato"), right,
         [](const host::Variant& v) { return QString::fromStdString(engine::FormattaOMS(v)); }}};
    if (RSTempiVerDett) {
      bookings_model_ = new RecordSetModel(RSTempiVerDett, bookings, grd_vers_dett_);
      bookings_model_->Bind(grd_vers_dett_);
    }

    // Every move of the groups shows the group: its bookings and totals.
    subscription_ = RSTempiVer->Subscribe([this](host::RecordSet&) { TempiPreventivi(); });
    window_->prepared = true;
    RSTempiVer->MoveFirst();
    grd_vers_->setFocus();
  } catch (...) {
    engine::ReportCurrentError(*this, "PreparaForm");
  }
}

void FRMPD_MAVANZORDLAV::TempiPreventivi() {
  if (in_move_ || !Run || !window_ || !window_->prepared || RSTempiVer->Bof() || RSTempiVer->Eof()) return;
  in_move_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // The totals are computed once per group; a revisit only filters.
  Run->Relay().Attach(*this);
  Run->Totals().TempiPreventivi();
  groups_computed_ = Run->Totals().GroupsComputed();
  if (bookings_model_) bookings_model_->Refresh();
  if (grd_vers_dett_ && bookings_model_ && groups_computed_ > 0) grd_vers_dett_->resizeColumnsToContents();
  categories_model_->Load(RSTempiPrev.get());
  FillLabelRow();
  QApplication::restoreOverrideCursor();
  in_move_ = false;
}

void FRMPD_MAVANZORDLAV::FillLabelRow() {
  QString text;
  try {
    auto campi = RSCampi->Clone();
    for (const std::string& name : Run->GroupingColumns()) {
      campi->MoveFirst();
      campi->Find("NOME = '" + host::ReplaceAll(name, "'", "''") + "'");
      const QString caption =
          campi->Eof() ? QString::fromStdString(name)
                       : QString::fromStdString(host::RTrim(campi->Value("ALIASLINGUA").JoinedText()));
      text += (text.isEmpty() ? "" : "    ") + caption + ": " + CellText(RSTempiVer->Value(name));
    }
  } catch (const host::Error&) {
    // A label row without a value reads as empty.
  }
  label_row_->setText(text);
}

void FRMPD_MAVANZORDLAV::Unload() {
  if (window_) window_->Close(host::qt::FormWindow::kFromCode);
}

void FRMPD_MAVANZORDLAV::Form_QueryUnload(int16_t& cancel, int16_t unload_mode) {
  // A close by the window's X before the grids are laid out is refused.
  if (unload_mode == host::qt::FormWindow::kFromControlMenu && !window_->prepared) {
    cancel = 1;
    return;
  }
  if (CloseFormVersamenti) CloseFormVersamenti(cancel);
}

void FRMPD_MAVANZORDLAV::Form_Unload() {
  if (RSTempiVer && subscription_ != 0) RSTempiVer->Unsubscribe(subscription_);
  subscription_ = 0;
  // The grids let go of the record sets before the form does.
  if (grd_vers_) grd_vers_->setModel(nullptr);
  if (grd_vers_dett_) grd_vers_dett_->setModel(nullptr);
  delete groups_model_;
  delete bookings_model_;
  groups_model_ = nullptr;
  bookings_model_ = nullptr;
}

}  // namespace results_form
