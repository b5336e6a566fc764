#include "results_form/frmpd_mavanzordlav.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <set>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include "engine/group_figures.h"
#include "engine/largest_gaps.h"
#include "engine/monthly_trend.h"
#include "engine/oms.h"
#include "engine/presentation/booking_texts.h"
#include "engine/presentation/planned_columns.h"
#include "engine/presentation/record_durations.h"
#include "engine/time_buckets.h"
#include "engine/unbooked_phases.h"
#include "engine/value_helpers.h"
#include "host/qt/dialog_presenter.h"
#include "host/qt/user_settings.h"
#include "host/qt/wait_pointer.h"
#include "host/value/scoped_flag.h"
#include "results_form/category_model.h"
#include "results_form/figure_columns.h"
#include "results_form/gap_chart.h"
#include "results_form/grid_columns.h"
#include "results_form/grid_definition.h"
#include "results_form/group_chart.h"
#include "results_form/recordset_model.h"
#include "results_form/tolerance_style.h"
#include "results_form/trend_view.h"
#include "results_form/unbooked_view.h"

namespace results_form {
namespace {

constexpr const char* kModule = "FRMPD_MAVANZORDLAV";

QTableView* NewGrid(const char* name, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Nothing to edit: Tab goes on to the next control, not to the next cell.
  grid->setTabKeyNavigation(false);
  grid->setAlternatingRowColors(true);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setHighlightSections(false);
  return grid;
}

QGroupBox* Framed(const char* name, const QString& title, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(content);
  return box;
}

// The summary's selected cells as tab-separated text: a line of column
// captions, then each row with its category first.
QString SummarySelectionText(const QTableView& view) {
  const QModelIndexList cells = view.selectionModel()->selectedIndexes();
  if (cells.isEmpty()) return {};
  std::set<int> rows;
  std::set<int> columns;
  for (const QModelIndex& i : cells) {
    rows.insert(i.row());
    columns.insert(i.column());
  }
  const QAbstractItemModel& model = *view.model();
  QStringList header{QString()};
  for (const int c : columns) header << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  QStringList lines{header.join('\t')};
  for (const int r : rows) {
    QStringList line{model.headerData(r, Qt::Vertical, Qt::DisplayRole).toString()};
    for (const int c : columns) {
      line << (view.selectionModel()->isSelected(model.index(r, c)) ? model.index(r, c).data().toString() : QString());
    }
    lines << line.join('\t');
  }
  return lines.join('\n');
}

// No caption cut: a column narrower than its caption (the English ones are
// longer than the widths the column tables give) is widened to it, and with
// `contents` to the widest text of the rows in view too.
void WidenToCaptions(QTableView* grid, bool contents = false) {
  QHeaderView* header = grid->horizontalHeader();
  for (int c = 0; c < header->count(); ++c) {
    if (grid->isColumnHidden(c)) continue;
    const int needed = std::max(header->sectionSizeHint(c), contents ? static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c) : 0);
    if (header->sectionSize(c) < needed) grid->setColumnWidth(c, needed);
  }
}

// Ctrl+C on the summary grid copies SummarySelectionText.
class CopyKey : public QObject {
 public:
  explicit CopyKey(QTableView* view) : QObject(view), view_(view) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
      QApplication::clipboard()->setText(SummarySelectionText(*view_));
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QTableView* view_;
};

}  // namespace

FRMPD_MAVANZORDLAV::FRMPD_MAVANZORDLAV(std::shared_ptr<engine::Comparison> run) : run_(std::move(run)) {
  if (run_) decode_ = std::make_unique<host::DecodeService>(run_->Connection(), run_->Company());
  component::WriteTrace(identity_, "INI", kModule);  // Form_Initialize
}

namespace {
const host::RecordSetPtr kNoRecords;
}  // namespace

const host::RecordSetPtr& FRMPD_MAVANZORDLAV::RSTempiVer() const { return run_ ? run_->Records().RSTempiVer : kNoRecords; }
const host::RecordSetPtr& FRMPD_MAVANZORDLAV::RSTempiPrev() const {
  return run_ ? run_->Records().RSTempiPrev : kNoRecords;
}
const host::RecordSetPtr& FRMPD_MAVANZORDLAV::RSTempiVerDett() const {
  return run_ ? run_->Records().RSTempiVerDett : kNoRecords;
}
const host::RecordSetPtr& FRMPD_MAVANZORDLAV::RSTempiPrevDett() const {
  return run_ ? run_->Records().RSTempiPrevDett : kNoRecords;
}
const host::RecordSetPtr& FRMPD_MAVANZORDLAV::RSCampi() const { return run_ ? run_->Records().RSCampi : kNoRecords; }
int16_t FRMPD_MAVANZORDLAV::TipoTempo() const { return run_ ? static_cast<int16_t>(run_->Unit()) : int16_t{0}; }
std::string FRMPD_MAVANZORDLAV::DescrizioneGruppo() const { return run_ ? run_->DescrizioneGruppo() : std::string(); }
std::string FRMPD_MAVANZORDLAV::PvarCodDitta() const { return run_ ? run_->Company() : std::string(); }

FRMPD_MAVANZORDLAV::~FRMPD_MAVANZORDLAV() {
  if (subscribed_ && subscription_ != 0) subscribed_->Unsubscribe(subscription_);
  window_.reset();
  component::WriteTrace(identity_, "TER", kModule);  // Form_Terminate
}

std::string FRMPD_MAVANZORDLAV::Caption() const {
  return Window() != nullptr ? Window()->windowTitle().toStdString() : std::string();
}

QString FRMPD_MAVANZORDLAV::Tr(const std::string& italian) { return QString::fromStdString(TraduciCaption(italian)); }

void FRMPD_MAVANZORDLAV::GestioneErrore(std::string_view procedure, const host::Error& error) {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  ReportToLog(procedure, error, std::make_shared<host::qt::DialogPresenter>());
}

QString FRMPD_MAVANZORDLAV::LayoutKey(const char* grid) const {
  return QString("%1.%2%3").arg(kModule, grid).arg(TipoTempo());
}

void FRMPD_MAVANZORDLAV::Show(const host::HostObjectPtr& frame) {
  // The look-up of the bookings' planned records is built on a second core
  // once the groups' figures, which take both, are there.
  if (RSTempiPrevDett() && !booking_filter_) {
    booking_filter_ = std::make_unique<BookingRecordFilter>(RSTempiPrevDett(), "IDVERS");
  }
  window_ = std::make_unique<host::qt::FormWindow>(kModule);
  QWidget* w = window_->Widget();
  // Form_Load: "Tempi di lavorazione" per the grouping.
  QString caption = Tr("Tempi di lavorazione");
  if (!DescrizioneGruppo().empty()) caption += " " + Tr("per") + " " + QString::fromStdString(DescrizioneGruppo());
  if (!GiorniRelativi.empty()) caption += " (" + QString::fromStdString(GiorniRelativi) + ")";
  w->setWindowTitle(caption);
  window_->query_unload = [this](int16_t& cancel, int16_t mode) { Form_QueryUnload(cancel, mode); };
  window_->unload = [this] { Form_Unload(); };
  window_->activate = [this] { Form_Activate(); };

  auto* layout = new QVBoxLayout(w);
  auto* buttons = new QHBoxLayout();
  auto* stampa = new QPushButton(Tr("&Stampa"), w);
  stampa->setObjectName("CmdStampa");
  cmd_stampa_ = stampa;
  QObject::connect(stampa, &QPushButton::clicked, w, [this] { Stampa(); });
  auto* esporta = new QPushButton(Tr("&Esporta"), w);
  esporta->setObjectName("KVL_EXPTOQV1");
  QObject::connect(esporta, &QPushButton::clicked, w, [this] { Esporta(); });
  cmd_exit_ = new QPushButton(Tr("&Chiudi"), w);
  cmd_exit_->setObjectName("CmdExit");
  buttons->addWidget(stampa);
  buttons->addWidget(esporta);
  buttons->addStretch();
  buttons->addWidget(cmd_exit_);
  layout->addLayout(buttons);

  // The label row: a caption and a framed value per grouping dimension.
  label_row_ = new QWidget(w);
  label_row_->setObjectName("LabelRow");
  auto* labels = new QHBoxLayout(label_row_);
  labels->setContentsMargins(0, 0, 0, 0);
  const char* const kNames[] = {"Articolo", "Fase",     "Reparto", "Macchina", "Dipendente",
                                "Progetto", "Commessa", "Ordine",  "DataCons", "DataIniLav"};
  for (int i = 0; i < 10; ++i) {
    const auto pair = static_cast<engine::LabelPair>(i);
    auto* caption_label = new QLabel(Tr(engine::LabelCaption(pair)), label_row_);
    caption_label->setObjectName(QString("LBL_c") + kNames[i]);
    auto* value = new QLabel(label_row_);
    value->setObjectName(QString("LBL_") + kNames[i]);
    value->setFrameShape(QFrame::StyledPanel);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    caption_label->hide();
    value->hide();
    labels->addWidget(caption_label);
    labels->addWidget(value);
    labels->addSpacing(16);
    labels_.push_back({pair, {caption_label, value}});
  }
  labels->addStretch();
  layout->addWidget(label_row_);

  grd_vers_ = NewGrid("GRD_VERS", w);
  grd_prev_ = NewGrid("GRD_Prev", w);
  grd_prev_->setMaximumHeight(grd_prev_->fontMetrics().height() * 5);
  grd_prev_dett_ = NewGrid("GRD_PrevDett", w);
  grd_vers_dett_ = NewGrid("GRD_VERSDett", w);
  outer_splitter_ = new QSplitter(Qt::Vertical, w);
  outer_splitter_->setObjectName("Splitter");
  // The groups: a search box, "only outside tolerance" and the band above
  // the grid; the totals row pinned under it.
  auto* groups_pane = new QWidget(w);
  auto* groups_layout = new QVBoxLayout(groups_pane);
  groups_layout->setContentsMargins(0, 0, 0, 0);
  auto* tools = new QHBoxLayout();
  filter_box_ = new QLineEdit(groups_pane);
  filter_box_->setObjectName("TXT_Cerca");
  filter_box_->setPlaceholderText(Tr("Cerca nei gruppi"));
  filter_box_->setClearButtonEnabled(true);
  outside_only_ = new QCheckBox(Tr("Solo fuori tolleranza"), groups_pane);
  outside_only_->setObjectName("CHK_FuoriTolleranza");
  tolerance_box_ = new QDoubleSpinBox(groups_pane);
  tolerance_box_->setObjectName("SPN_Tolleranza");
  tolerance_box_->setRange(0, 1000);
  tolerance_box_->setDecimals(2);
  tolerance_box_->setSuffix(" %");
  tolerance_box_->setPrefix(QString::fromUtf8("± "));
  tolerance_ = host::qt::UserSettings()->value(QString(kModule) + "/tolerance", 10.0).toDouble();
  tolerance_box_->setValue(tolerance_);
  auto* tolerance_caption = new QLabel(Tr("Tolleranza"), groups_pane);
  tolerance_caption->setBuddy(tolerance_box_);
  tools->addWidget(filter_box_, 1);
  tools->addWidget(outside_only_);
  tools->addSpacing(12);
  tools->addWidget(tolerance_caption);
  tools->addWidget(tolerance_box_);
  groups_layout->addLayout(tools);
  groups_layout->addWidget(grd_vers_, 1);
  totals_row_ = new QWidget(groups_pane);
  totals_row_->setObjectName("TotalsRow");
  auto* totals = new QHBoxLayout(totals_row_);
  totals->setContentsMargins(2, 0, 2, 0);
  auto* totals_caption = new QLabel("<b>" + Tr("Totale").toHtmlEscaped() + "</b>", totals_row_);
  totals->addWidget(totals_caption);
  const char* const kTotals[] = {"Previsto", "Versato", "Scostamento", "Scost. %", "Efficienza %"};
  for (const char* caption : kTotals) {
    totals->addSpacing(10);
    totals->addWidget(new QLabel(Tr(caption) + ":", totals_row_));
    auto* value = new QLabel(totals_row_);
    value->setObjectName(QString("LBL_Tot_%1").arg(totals_labels_.size()));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setAutoFillBackground(true);
    totals->addWidget(value);
    totals_labels_.push_back(value);
  }
  totals->addStretch();
  auto* count = new QLabel(totals_row_);
  count->setObjectName("LBL_Conteggio");
  totals->addWidget(count);
  totals_labels_.push_back(count);
  groups_layout->addWidget(totals_row_);
  QObject::connect(filter_box_, &QLineEdit::textChanged, w, [this] { ApplyRowFilter(); });
  QObject::connect(outside_only_, &QCheckBox::toggled, w, [this] { ApplyRowFilter(); });
  QObject::connect(tolerance_box_, &QDoubleSpinBox::valueChanged, w, [this](double v) { SetTolerance(v); });
  outer_splitter_->addWidget(Framed("WLF_Gruppi", Tr("Gruppi"), groups_pane, w));
  outer_splitter_->addWidget(Framed("WLF_Prev", Tr("Tempi previsti"), grd_prev_, w));
  auto* bottom = new QSplitter(Qt::Horizontal, w);
  auto* summary_tabs = new QTabWidget(w);
  summary_tabs->setObjectName("SummaryTabs");
  auto* summary = NewGrid("GRD_Riepilogo", w);
  summary->verticalHeader()->show();
  summary->setSelectionBehavior(QAbstractItemView::SelectItems);
  categories_model_ = new CategoryModel(TipoTempo(), [this](const std::string& s) { return Tr(s); }, summary);
  categories_model_->SetTolerance(tolerance_);
  summary->setModel(categories_model_);
  // Every figure whole: the columns follow their content.
  summary->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  summary->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // Ctrl+C: the selected cells with their row and column captions.
  summary->installEventFilter(new CopyKey(summary));
  summary_tabs->addTab(summary, Tr("Gruppo corrente"));
  chart_ = new GroupChart([this](const std::string& s) { return Tr(s); }, summary_tabs);
  summary_tabs->addTab(chart_, Tr("Grafico"));
  gap_chart_ = new GapChart([this](const std::string& s) { return Tr(s); },
                            [this](const host::Variant& id) { MakeGroupCurrent(id); }, summary_tabs);
  summary_tabs->addTab(gap_chart_, Tr("Scostamento maggiore"));
  unbooked_ = new UnbookedView([this](const std::string& s) { return Tr(s); }, LayoutKey("GRD_FasiNonVersate"),
                               summary_tabs);
  summary_tabs->addTab(unbooked_, Tr(engine::kUnbookedTitle));
  trend_ = new TrendView([this](const std::string& s) { return Tr(s); }, UserLanguage(),
                         [this](const std::string& month) { ShowMonth(month); }, summary_tabs);
  trend_->SetTolerance(tolerance_);
  summary_tabs->addTab(trend_, Tr("Andamento"));
  QObject::connect(summary_tabs, &QTabWidget::currentChanged, summary_tabs, [this] {
    if (chart_->isVisible()) chart_->Load(*categories_model_);
    if (gap_chart_->isVisible() && !gap_chart_->Loaded()) LoadLargestGaps();
    if (unbooked_->isVisible() && Run()) host::ReportStatus(*this, unbooked_->Load(*Run()));
    if (trend_->isVisible()) LoadTrend();
  });
  bottom->addWidget(summary_tabs);
  auto* details = new QSplitter(Qt::Vertical, w);
  details->addWidget(Framed("WLF_VersOre", Tr("Dettaglio versamenti"), grd_vers_dett_, w));
  details->addWidget(grd_prev_dett_);
  bottom->addWidget(details);
  bottom->setSizes({620, 740});
  // The summary's five tabs whole, however narrow the window opens: the
  // splitter would share a smaller width out and cut the last tabs' names.
  summary_tabs->setMinimumWidth(summary_tabs->tabBar()->sizeHint().width() + 8);
  outer_splitter_->addWidget(bottom);
  outer_splitter_->setSizes({260, 90, 360});
  layout->addWidget(outer_splitter_, 1);
  QObject::connect(cmd_exit_, &QPushButton::clicked, w, [this] { window_->Close(host::qt::FormWindow::kFromCode); });

  window_->Show(frame, false, QSize(1180, 760));
  Form_Activate();
}

void FRMPD_MAVANZORDLAV::Form_Activate() {
  if (!window_ || window_->prepared || window_->closing) return;
  PreparaForm();
  if (window_->prepared) ApriChiudiForm("znOpen");
}

void FRMPD_MAVANZORDLAV::ApriChiudiForm(const std::string& action) {
  const auto navigator = ActiveInterface != nullptr ? ActiveInterface->GetActiveNavigator() : nullptr;
  if (!navigator) return;
  if (action == "znOpen") navigator->RegisterWindow(Name());
  if (action == "znClose") navigator->UnregisterWindow(Name());
}

void FRMPD_MAVANZORDLAV::PreparaForm() {
  try {
    if (!RSTempiVer() || !RSCampi()) return;
    const Translate translate = [this](const std::string& s) { return Tr(s); };
    // GRD_VERS: the groups, with captions and formats from RSCampi.
    const engine::ResultLayout layout = engine::PreparaFormLayout(*RSTempiVer(), *RSCampi());
    std::vector<engine::GridColumn> group_columns = layout.columns;
    for (auto& c : group_columns) c.width = 0;  // the content decides, until the user sizes them
    auto model_columns = ModelColumns(group_columns, [](const std::string& s) {
      return QString::fromStdString(s);  // RSCampi's captions are translated
    }, nullptr);
    if (Run()) {
      // The fields shown beside the grouping hold one booking's value: a
      // group shows it only when all its bookings share it.
      std::vector<std::string> shared;
      for (const auto& item : Run()->Order().Items()) {
        if (item.use == host::OrderControl::Use::Selected && RSTempiVer()->FieldIndex(item.column) >= 0) {
          shared.push_back(item.column);
        }
      }
      // The figures of every group, beside the grouping values.
      figures_ = std::make_unique<engine::GroupFigures>(*Run(), shared);
      run_totals_.reset();  // of the run before, if any
      shown_totals_.reset();
      if (shown_timer_ != nullptr) shown_timer_->stop();
      descriptions_.reset();
      for (auto& column : model_columns) {
        const auto at = std::find_if(shared.begin(), shared.end(), [&](const std::string& name) {
          return host::UpperAscii(name) == host::UpperAscii(column.field);
        });
        if (at == shared.end()) continue;
        const auto field = static_cast<size_t>(at - shared.begin());
        const int id = RSTempiVer()->FieldIndex("IDGRUPPO");
        const QString various = Tr("(vari)");
        auto text = column.text;
        column.row_text = [this, field, id, various, text](const host::RecordSet& rs, size_t position,
                                                           const host::Variant& v) {
          const auto differ = figures_ && id >= 0 ? figures_->Differ(rs.ValueAt(position, static_cast<size_t>(id)), field)
                                                  : std::optional<bool>();
          if (!differ) return QString();  // not known yet: no booking's value in its place
          if (*differ) return various;
          return text ? text(v) : CellText(v);
        };
      }
      const int id_field = RSTempiVer()->FieldIndex("IDGRUPPO");
      FigureSource source;
      source.figures = [this, id_field](const host::RecordSet& rs, size_t position) -> const engine::CategoryFigures* {
        if (!figures_ || id_field < 0) return nullptr;
        return figures_->Of(rs.ValueAt(position, static_cast<size_t>(id_field)));
      };
      source.tolerance = [this] { return tolerance_; };
      size_t after = 0;
      for (size_t i = 0; i < model_columns.size(); ++i) {
        for (const auto& g : Run()->GroupingColumns()) {
          if (host::UpperAscii(g) == host::UpperAscii(model_columns[i].field)) after = i + 1;
        }
      }
      auto figure_columns = FigureColumns(source, TipoTempo(), translate);
      model_columns.insert(model_columns.begin() + static_cast<std::ptrdiff_t>(after), figure_columns.begin(),
                           figure_columns.end());
    }
    for (auto& c : model_columns) {
      // A month of registration reads "mar 2026" in Italian (it sorts as "2026-03").
      if (c.field == engine::kMonthColumn) {
        c.text = [language = UserLanguage()](const host::Variant& v) {
          return QString::fromStdString(engine::TimeBucketText(engine::kMonthColumn, v.IsNull() ? "" : v.ToText(), language));
        };
      }
    }
    groups_model_ = new RecordSetModel(RSTempiVer(), std::move(model_columns), grd_vers_);
    groups_model_->Bind(grd_vers_);
    grd_vers_->resizeColumnsToContents();
    definitions_["GRD_VERS"] = new GridDefinition(grd_vers_, groups_model_, LayoutKey("GRD_VERS"), translate);
    // The label pairs of the grouping dimensions.
    pairs_ = layout.pairs;
    grouping_fields_ = layout.grouping_fields;
    OrderLabelRow();
    // The detail grids open on the first group and its first booking. Bound
    // to all of the run's records first, their headers would lay out a
    // section for each of a million rows only to drop them at once.
    RSTempiVer()->MoveFirst();
    if (Run() && !RSTempiVer()->Eof()) {
      host::ReportStatus(*this, Run()->TempiPreventivi());
      BookingRowChanged();
    }
    InitQGrid();
    CaricaQGridVERSDett();
    // Every move of the groups shows the group: its bookings and totals.
    subscribed_ = RSTempiVer();
    subscription_ = RSTempiVer()->Subscribe([this](host::RecordSet&) { TempiPreventivi(); });
    window_->prepared = true;
    RSTempiVer()->MoveFirst();
    grd_vers_->setFocus();
    // The figures come in a slice at a time; the grid answers in between.
    figures_timer_ = new QTimer(Window());
    figures_timer_->setInterval(0);
    QObject::connect(figures_timer_, &QTimer::timeout, Window(), [this] { StepFigures(); });
    if (figures_) {
      figures_timer_->start();
    } else if (booking_filter_) {
      booking_filter_->StartIndex();
    }
    UpdateTotalsRow();
  } catch (...) {
    host::ReportCurrentError(*this, "PreparaForm");
  }
}

void FRMPD_MAVANZORDLAV::StepFigures() {
  if (!figures_ || !window_ || window_->closing) {
    if (figures_timer_ != nullptr) figures_timer_->stop();
    return;
  }
  try {
    // About 40 ms of work, then the events queued meanwhile.
    QElapsedTimer slice;
    slice.start();
    bool done = false;
    while (!done && slice.elapsed() < 40) done = figures_->Step(16);
    if (done) {
      figures_timer_->stop();
      if (!run_totals_) run_totals_ = figures_->AllBookings();
      if (booking_filter_) booking_filter_->StartIndex();
    }
    host::ReportStatus(*this, Run()->TakeStatus());
    // A repaint of the grid costs as much as a slice of figures: once a
    // second is enough to see them come.
    static constexpr qint64 kRefresh = 1000;  // ms between repaints of the grid while computing
    if (done || !last_refresh_.isValid() || last_refresh_.elapsed() > kRefresh) {
      last_refresh_.start();
      if (groups_model_ != nullptr) groups_model_->FiguresChanged();
      if (!figure_widths_set_ || done) {
        // Sized to their content once the first figures are there.
        for (int c = 0; groups_model_ != nullptr && c < groups_model_->columnCount(); ++c) {
          const auto& field = groups_model_->Columns()[static_cast<size_t>(c)].field;
          if (field.rfind("FIG_", 0) == 0 && !grd_vers_->isColumnHidden(c) && !figure_widths_set_) {
            grd_vers_->resizeColumnToContents(c);
          }
        }
        figure_widths_set_ = true;
        // The fields beside the grouping read "(vari)" or their value only now.
        if (done) WidenToCaptions(grd_vers_, true);
      }
      if (outside_only_->isChecked()) {
        ApplyRowFilter();
      } else if (done) {
        SumShownTotals();  // a search typed while the figures came
      }
      UpdateTotalsRow();
    }
  } catch (...) {
    figures_timer_->stop();
    if (booking_filter_) booking_filter_->StartIndex();
    host::ReportCurrentError(*this, "TempiPreventivi");
  }
}

bool FRMPD_MAVANZORDLAV::FiguresDone() const { return !figures_ || (figures_->Done() && run_totals_.has_value()); }

bool FRMPD_MAVANZORDLAV::BookingLookUpReady() const { return !booking_filter_ || booking_filter_->IndexReady(); }

void FRMPD_MAVANZORDLAV::FinishFigures() {
  while (figures_ && figures_timer_ != nullptr && figures_timer_->isActive()) StepFigures();
}

void FRMPD_MAVANZORDLAV::SetTolerance(double percent) {
  tolerance_ = percent;
  if (tolerance_box_ != nullptr && tolerance_box_->value() != percent) tolerance_box_->setValue(percent);
  host::qt::UserSettings()->setValue(QString(kModule) + "/tolerance", percent);
  if (groups_model_ != nullptr) {
    if (outside_only_->isChecked()) {
      ApplyRowFilter();
    } else {
      groups_model_->FiguresChanged();
    }
  }
  categories_model_->SetTolerance(percent);
  if (trend_ != nullptr) trend_->SetTolerance(percent);
  for (QTableView* grid : {grd_prev_, grd_prev_dett_}) {
    if (grid != nullptr) grid->viewport()->update();
  }
  UpdateTotalsRow();
}

namespace {

// The category (kCategoryNames' position) of a planned grid's field by its
// longest suffix: "GAP_MACLAV" is machine processing's, "GAP" the total's.
size_t CategoryOfField(const std::string& field) {
  size_t category = 0, longest = 0;
  for (size_t k = 1; k < engine::kCategoryNames.size(); ++k) {
    const std::string_view suffix = engine::kCategoryNames[k].suffix;
    if (suffix.size() > longest && field.size() > suffix.size() &&
        field.compare(field.size() - suffix.size(), suffix.size(), suffix) == 0) {
      category = k;
      longest = suffix.size();
    }
  }
  return category;
}

// The planned grid's columns over `records` with the booked times and gaps
// a record leaves empty filled in as every output shows them (a category
// booked without plan, or planned and never booked): engine::RecordDurations.
std::vector<RecordSetModel::Column> ShownAsEverywhere(std::vector<RecordSetModel::Column> columns,
                                                      const host::RecordSet& records, int16_t unit) {
  std::shared_ptr<engine::RecordDurations> durations;
  try {
    durations = std::make_shared<engine::RecordDurations>(records, unit);
  } catch (const host::Error&) {
    return columns;  // a record set without the time fields: as it is
  }
  for (auto& c : columns) {
    const bool booked = c.field.rfind("OMSVERS", 0) == 0;
    const bool gap = c.field.rfind("GAP", 0) == 0 && c.field.rfind("GAPPERC", 0) != 0;
    const int index = records.FieldIndex(c.shown.empty() ? c.field : c.shown);
    if ((!booked && !gap) || index < 0) continue;
    const auto text = c.text;
    c.row_text = [durations, text, index](const host::RecordSet& rs, size_t position, const host::Variant&) {
      durations->LoadAt(rs, position);
      const host::Variant& v = durations->Shown(static_cast<size_t>(index));
      return text ? text(v) : QString::fromStdString(v.JoinedText());
    };
  }
  return columns;
}

}  // namespace

int FRMPD_MAVANZORDLAV::UnplannedSide(const host::RecordSet& rs, size_t position, size_t category) const {
  try {
    // The category's planned and booked hours, minutes and seconds only:
    // this runs for a cell as it is painted.
    const engine::TimeFieldIndex fields(rs);
    std::vector<host::Variant> values(rs.FieldCount());
    for (const engine::TimeFieldBase base :
         {engine::kOrePrev, engine::kMinPrev, engine::kSecPrev, engine::kOreVers, engine::kMinVers, engine::kSecVers}) {
      const size_t at = fields.At(category, base);
      values[at] = rs.ValueAt(position, at);
    }
    const engine::CategorySeconds c = engine::SecondsOf(values, fields, category, TipoTempo());
    return engine::FiguresSide(c.planned, c.booked, tolerance_);
  } catch (const host::Error&) {
    return 0;  // a record without the category's fields: no flag
  }
}

void FRMPD_MAVANZORDLAV::InitQGrid() {
  try {
    const Translate translate = [this](const std::string& s) { return Tr(s); };
    auto columns = ModelColumns(engine::PlannedGridColumnsFor(TipoTempo()), translate, nullptr);
    // The gap % cells beyond the tolerance band, as in the groups grid.
    for (auto& c : columns) {
      if (c.field.rfind("GAPPERC", 0) != 0) continue;
      const auto text = c.text;
      const std::string field = c.field;
      const size_t category = CategoryOfField(field);
      c.role_data = [this, text, field, category](const host::RecordSet& rs, size_t position, int role) -> QVariant {
        if (role != Qt::BackgroundRole && role != Qt::ForegroundRole) return {};
        const int index = rs.FieldIndex(field);
        if (index < 0) return {};
        const host::Variant v = rs.ValueAt(position, static_cast<size_t>(index));
        int side = 0;
        if (v.IsNull() || v.IsEmpty()) {
          side = UnplannedSide(rs, position, category);
        } else if (v.IsNumeric()) {
          side = engine::ToleranceSide(v.ToDecimal().Round(2).ToFixed(2), tolerance_);
        }
        return role == Qt::BackgroundRole ? ToleranceBackground(side) : ToleranceForeground(side);
      };
    }
    if (RSTempiPrev()) {
      prev_model_ = new RecordSetModel(RSTempiPrev(), ShownAsEverywhere(columns, *RSTempiPrev(), TipoTempo()), grd_prev_);
      prev_model_->Bind(grd_prev_);
      definitions_["GRD_Prev"] = new GridDefinition(grd_prev_, prev_model_, LayoutKey("GRD_Prev"), translate);
      WidenToCaptions(grd_prev_);
    }
    if (RSTempiPrevDett()) {
      prev_dett_model_ = new RecordSetModel(RSTempiPrevDett(), ShownAsEverywhere(columns, *RSTempiPrevDett(), TipoTempo()),
                                            grd_prev_dett_);
      prev_dett_model_->Bind(grd_prev_dett_);
      definitions_["GRD_PrevDett"] =
          new GridDefinition(grd_prev_dett_, prev_dett_model_, LayoutKey("GRD_PrevDett"), translate);
      WidenToCaptions(grd_prev_dett_);
    }
  } catch (...) {
    host::ReportCurrentError(*this, "InitQGrid");
  }
}

void FRMPD_MAVANZORDLAV::CaricaQGridVERSDett() {
  try {
    if (!RSTempiVerDett()) return;
    const Translate translate = [this](const std::string& s) { return Tr(s); };
    const auto lists = engine::BuildValueLists(*this);
    dizionario_etichette_ = engine::BuildCaptionDictionary(RSTempiVerDett().get());
    if (Run()) booking_texts_ = std::make_unique<engine::BookingTexts>(Run()->Connection(), PvarCodDitta(), decode_.get());
    auto columns = ModelColumns(engine::BookingGridColumns(), translate, &lists);
    engine::BookingTexts* texts = booking_texts_.get();
    for (auto& c : columns) {
      if (c.field == "VERSTOTSEC") {
        c.text = [](const host::Variant& v) { return QString::fromStdString(engine::FormattaOMS(v)); };
      } else if (c.field == "PD12_DESCR" && texts != nullptr) {
        // The order's own description of the phase, read when the row is painted.
        c.row_text = [texts](const host::RecordSet& rs, size_t position, const host::Variant& v) {
          const QString current = CellText(v);
          if (current.trimmed().isEmpty()) return current;
          const auto field = [&](const char* name) {
            const int i = rs.FieldIndex(name);
            return i < 0 ? host::Variant() : rs.ValueAt(position, static_cast<size_t>(i));
          };
          return QString::fromStdString(texts->DescrizioneFase(field("PD44_NUMREG_CO99"), field("PD44_PROGRIGA_DO30"),
                                                               field("PD44_CODFASE_PD12"), current.toStdString()));
        };
      } else if (c.field == "PD44_COSTOFORN_PD05_D" && texts != nullptr) {
        c.row_text = [texts](const host::RecordSet& rs, size_t position, const host::Variant& v) {
          const QString code = CellText(v);
          if (code.isEmpty()) return code;
          const auto field = [&](const char* name) {
            const int i = rs.FieldIndex(name);
            return i < 0 ? host::Variant() : rs.ValueAt(position, static_cast<size_t>(i));
          };
          return QString::fromStdString(
              texts->CostoFornitore(code.toStdString(), field("PD44_CLIFOR_CG44"), field("PD44_UMSIGLA_CG0C")));
        };
      }
    }
    bookings_model_ = new RecordSetModel(RSTempiVerDett(), columns, grd_vers_dett_);
    bookings_model_->Bind(grd_vers_dett_);
    definitions_["GRD_VERSDett"] =
        new GridDefinition(grd_vers_dett_, bookings_model_, LayoutKey("GRD_VERSDett"), translate);
    WidenToCaptions(grd_vers_dett_);
    // The selected booking's planned phases.
    QObject::connect(grd_vers_dett_->selectionModel(), &QItemSelectionModel::currentRowChanged, grd_vers_dett_,
                     [this] { BookingRowChanged(); });
  } catch (...) {
    host::ReportCurrentError(*this, "CaricaQGridVERSDett");
  }
}

void FRMPD_MAVANZORDLAV::BookingRowChanged() {
  try {
    if (!RSTempiPrevDett() || !RSTempiVerDett() || RSTempiVerDett()->Bof() || RSTempiVerDett()->Eof()) return;
    const std::string filter =
        "IDVERS = " + engine::ValoreNumerico(RSTempiVerDett()->Value("PD44_PRGMVORE_PD31")).ToText();
    if (booking_filter_) {
      booking_filter_->Apply(filter);
    } else {
      RSTempiPrevDett()->SetFilter(filter);
    }
  } catch (const host::Error&) {
    // The grid's events clear their errors: the planned phases stay as they were.
  }
}

void FRMPD_MAVANZORDLAV::TempiPreventivi() {
  if (in_move_ || !Run() || !window_ || !window_->prepared || RSTempiVer()->Bof() || RSTempiVer()->Eof()) return;
  const host::ScopedFlag moving(in_move_);
  const host::qt::WaitPointer pointer;
  // The totals are computed once per group; a revisit only filters.
  host::ReportStatus(*this, Run()->TempiPreventivi());
  groups_computed_ = Run()->Totals().GroupsComputed();
  categories_model_->Load(RSTempiPrev().get());
  // The chart is drawn when it shows, not on every move.
  if (chart_->isVisible()) chart_->Load(*categories_model_);
  if (trend_ != nullptr && trend_->isVisible()) LoadTrend();
  FillLabelRow();
  BookingRowChanged();
}

void FRMPD_MAVANZORDLAV::LoadTrend() {
  if (!Run() || !RSTempiVer() || RSTempiVer()->Bof() || RSTempiVer()->Eof() || !RSTempiVerDett()) return;
  try {
    ShowMonth("");  // every month of the group: a month chosen before is let go
    trend_->Load(engine::MonthlyTrend(Run()->Totals(), Run()->Records(), TipoTempo()), TipoTempo());
    host::ReportStatus(*this, Run()->TakeStatus());
  } catch (...) {
    host::ReportCurrentError(*this, "LoadTrend");
  }
}

void FRMPD_MAVANZORDLAV::ShowMonth(const std::string& month) {
  if (!Run() || !RSTempiVerDett()) return;
  try {
    std::string filter = Run()->Totals().GroupFilter();
    if (month.size() == 7) {
      // From the month's first day to the next month's.
      int year = std::stoi(month.substr(0, 4));
      int next = std::stoi(month.substr(5, 2)) + 1;
      if (next == 13) {
        next = 1;
        ++year;
      }
      const std::string end = std::to_string(year) + (next < 10 ? "-0" : "-") + std::to_string(next) + "-01";
      filter += std::string(filter.empty() ? "" : " AND ") + "PD44_DATAREG >= #" + month + "-01# AND PD44_DATAREG < #" +
                end + "#";
    }
    RSTempiVerDett()->SetFilter(filter);
    if (bookings_model_ != nullptr) bookings_model_->Refresh();
    RSTempiVerDett()->MoveFirst();
  } catch (...) {
    host::ReportCurrentError(*this, "ShowMonth");
  }
}

void FRMPD_MAVANZORDLAV::OrderLabelRow() {
  // The grouping's pairs first, in its order (as the grid's columns and the
  // title read), the others hidden after them.
  const auto rank = [this](engine::LabelPair pair) {
    return std::find(pairs_.begin(), pairs_.end(), pair) - pairs_.begin();
  };
  std::stable_sort(labels_.begin(), labels_.end(),
                   [&rank](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
  auto* row = static_cast<QHBoxLayout*>(label_row_->layout());
  while (QLayoutItem* item = row->takeAt(0)) delete item;  // the labels stay the row's children
  for (auto& [pair, widgets] : labels_) {
    const bool shown = rank(pair) < static_cast<std::ptrdiff_t>(pairs_.size());
    widgets.first->setVisible(shown);
    widgets.second->setVisible(shown);
    row->addWidget(widgets.first);
    row->addWidget(widgets.second);
    row->addSpacing(16);
  }
  row->addStretch();
}

void FRMPD_MAVANZORDLAV::FillLabelRow() {
  if (!decode_) return;
  try {
    const auto texts =
        host::Reported(*this, engine::LabelRowTexts(*this, *decode_, *RSTempiVer(), pairs_, grouping_fields_));
    for (const auto& text : texts) {
      for (auto& [pair, widgets] : labels_) {
        // A group of the bookings without the value (no article, no order)
        // says so, not an empty box.
        if (pair == text.pair) {
          widgets.second->setText(text.value.empty() ? Tr("(nessuno)") : QString::fromStdString(text.value));
        }
      }
    }
  } catch (...) {
    host::ReportCurrentError(*this, "TempiPreventivi");
  }
}

void FRMPD_MAVANZORDLAV::LoadLargestGaps() {
  if (!Run() || !gap_chart_) return;
  const host::qt::WaitPointer pointer;
  engine::NoProgress progress;
  gap_chart_->Load(engine::LargestGaps(*Run(), 20, progress));
  host::ReportStatus(*this, Run()->TakeStatus());
}

void FRMPD_MAVANZORDLAV::MakeGroupCurrent(const host::Variant& id) {
  try {
    if (!RSTempiVer()) return;
    RSTempiVer()->MoveFirst();
    RSTempiVer()->Find("IDGRUPPO = " + engine::ValoreNumerico(id).ToText());
    if (RSTempiVer()->Eof()) RSTempiVer()->MoveFirst();
  } catch (const host::Error&) {
    // A group that is not there leaves the current one.
  }
}

QString FRMPD_MAVANZORDLAV::LabelRowText() const {
  QStringList parts;
  for (const auto& [pair, widgets] : labels_) {
    if (!widgets.first->isHidden()) parts << widgets.first->text() + ": " + widgets.second->text();
  }
  return parts.join("    ");
}

GridDefinition* FRMPD_MAVANZORDLAV::Definition(const QString& grid) const {
  auto it = definitions_.find(grid);
  return it == definitions_.end() ? nullptr : it->second;
}

int64_t FRMPD_MAVANZORDLAV::DetailQueries() const { return booking_texts_ ? booking_texts_->Queries() : 0; }

std::string FRMPD_MAVANZORDLAV::EtichettaCampo(const std::string& field) const {
  return engine::EtichettaCampo(dizionario_etichette_, field);
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
  ApriChiudiForm("znClose");
  if (CloseFormVersamenti) CloseFormVersamenti(cancel);
}

void FRMPD_MAVANZORDLAV::Form_Unload() {
  if (figures_timer_ != nullptr) figures_timer_->stop();
  if (shown_timer_ != nullptr) shown_timer_->stop();
  if (subscribed_ && subscription_ != 0) subscribed_->Unsubscribe(subscription_);
  subscription_ = 0;
  subscribed_.reset();
  for (auto& [name, definition] : definitions_) definition->Save();
  definitions_.clear();
  // The grids let go of the record sets before the form does.
  for (QTableView* grid : {grd_vers_, grd_prev_, grd_prev_dett_, grd_vers_dett_}) {
    if (grid != nullptr) grid->setModel(nullptr);
  }
  for (RecordSetModel* model : {groups_model_, bookings_model_, prev_model_, prev_dett_model_}) delete model;
  groups_model_ = bookings_model_ = prev_model_ = prev_dett_model_ = nullptr;
  booking_texts_.reset();
  descriptions_.reset();
}

}  // namespace results_form
