// The groups grid's search and "only outside tolerance", and the totals row
// under the grid: the run's figures while every group shows, those of the
// groups kept taken as one group otherwise.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>

#include "engine/group_figures.h"
#include "host/qt/wait_pointer.h"
#include "results_form/figure_columns.h"
#include "results_form/frmpd_mavanzordlav.h"
#include "results_form/grid_columns.h"
#include "results_form/recordset_model.h"
#include "results_form/tolerance_style.h"

namespace results_form {

void FRMPD_MAVANZORDLAV::ApplyRowFilter() {
  if (groups_model_ == nullptr || !RSTempiVer()) return;
  const QString text = filter_box_->text().trimmed();
  const bool outside = outside_only_->isChecked();
  if (text.isEmpty() && !outside) {
    groups_model_->SetRowFilter(nullptr);
  } else {
    // The grouping values as the grid shows them, each searched on its own,
    // and the names the window shows beside their codes (a department's,
    // a machine's...): a controller looks for "Fresatura" as often as "R03".
    std::vector<std::pair<int, std::string>> fields;
    if (Run()) {
      for (const auto& g : Run()->GroupingColumns()) {
        const int f = RSTempiVer()->FieldIndex(g);
        if (f >= 0) fields.emplace_back(f, g);
      }
      if (!text.isEmpty() && !descriptions_ && RSTempiVerDett()) {
        const host::qt::WaitPointer pointer;
        descriptions_ =
            std::make_unique<engine::GroupDescriptions>(RSTempiVerDett()->Storage(), Run()->GroupingColumns());
      }
    }
    const int id_field = RSTempiVer()->FieldIndex("IDGRUPPO");
    const host::RecordSet* rs = RSTempiVer().get();
    const double tolerance = tolerance_;
    groups_model_->SetRowFilter([this, rs, fields, text, outside, id_field, tolerance](size_t position) {
      if (outside) {
        const auto* f = figures_ && id_field >= 0 ? figures_->Of(rs->ValueAt(position, static_cast<size_t>(id_field)))
                                                  : nullptr;
        if (f == nullptr || FigureSide((*f)[0], tolerance) == 0) return false;
      }
      if (text.isEmpty()) return true;
      for (const auto& [field, column] : fields) {
        const host::Variant value = rs->ValueAt(position, static_cast<size_t>(field));
        if (CellText(value).contains(text, Qt::CaseInsensitive)) return true;
        if (!descriptions_) continue;
        const std::string& name = descriptions_->Of(column, value);
        if (!name.empty() && QString::fromStdString(name).contains(text, Qt::CaseInsensitive)) return true;
      }
      return false;
    });
  }
  // The details are of a group the grid shows: a search that hides the
  // current group makes the first one it keeps current.
  const int64_t at = RSTempiVer()->AbsolutePosition();
  if (groups_model_->Shown() > 0 && (at < 1 || groups_model_->RowOfPosition(static_cast<size_t>(at - 1)) < 0)) {
    RSTempiVer()->SetAbsolutePosition(static_cast<int64_t>(groups_model_->PositionOf(0)) + 1);
  }
  // A search that keeps no group leaves nothing to print.
  cmd_stampa_->setEnabled(!NothingToPrint());
  SumShownTotals();
  UpdateTotalsRow();
}

void FRMPD_MAVANZORDLAV::SumShownTotals() {
  shown_totals_.reset();
  if (shown_timer_ != nullptr) shown_timer_->stop();
  if (!figures_ || !FiguresDone() || groups_model_ == nullptr) return;
  const size_t shown = groups_model_->Shown();
  if (shown == 0 || shown == groups_model_->Total()) return;
  std::vector<size_t> positions;
  positions.reserve(shown);
  for (int row = 0; row < groups_model_->rowCount(); ++row) positions.push_back(groups_model_->PositionOf(row));
  figures_->StartGroupsAsOne(std::move(positions));
  if (shown_timer_ == nullptr) {
    shown_timer_ = new QTimer(Window());
    shown_timer_->setInterval(0);
    QObject::connect(shown_timer_, &QTimer::timeout, Window(), [this] { StepShownTotals(40); });
  }
  // A search that keeps a few groups has their totals with its rows; a
  // larger one's come between the keys typed next.
  StepShownTotals(10);
}

void FRMPD_MAVANZORDLAV::StepShownTotals(qint64 budget_ms) {
  if (!figures_ || !window_ || window_->closing) {
    if (shown_timer_ != nullptr) shown_timer_->stop();
    return;
  }
  QElapsedTimer slice;
  slice.start();
  bool done = false;
  while (!done && slice.elapsed() < budget_ms) done = figures_->StepGroupsAsOne(4);
  if (!done) {
    if (!shown_timer_->isActive()) shown_timer_->start();
    return;
  }
  shown_timer_->stop();
  shown_totals_ = figures_->GroupsAsOne();
  if (Run()) host::ReportStatus(*this, Run()->TakeStatus());
  UpdateTotalsRow();
}

void FRMPD_MAVANZORDLAV::FinishShownTotals() {
  while (shown_timer_ != nullptr && shown_timer_->isActive()) StepShownTotals(40);
}

const engine::CategoryFigures* FRMPD_MAVANZORDLAV::TotalsFigures() const {
  if (groups_model_ != nullptr && groups_model_->Shown() < groups_model_->Total()) {
    return groups_model_->Shown() > 0 && shown_totals_ ? &*shown_totals_ : nullptr;
  }
  return run_totals_ ? &*run_totals_ : nullptr;
}

bool FRMPD_MAVANZORDLAV::NothingToPrint() const { return groups_model_ != nullptr && groups_model_->Shown() == 0; }

std::vector<size_t> FRMPD_MAVANZORDLAV::PrintedGroups() const {
  std::vector<size_t> groups;
  if (groups_model_ == nullptr || !groups_model_->Arranged()) return groups;
  groups.reserve(groups_model_->Shown());
  for (int row = 0; row < groups_model_->rowCount(); ++row) groups.push_back(groups_model_->PositionOf(row));
  return groups;
}

void FRMPD_MAVANZORDLAV::UpdateTotalsRow() {
  if (totals_labels_.size() < 6) return;
  for (size_t i = 0; i < 5; ++i) {
    totals_labels_[i]->setText(TotalsText(static_cast<int>(i)));
    const engine::CategoryFigures* totals = TotalsFigures();
    const int side = i >= 2 && i <= 3 && totals != nullptr ? FigureSide((*totals)[0], tolerance_) : 0;
    QPalette palette = totals_row_->palette();
    const QVariant background = ToleranceBackground(side);
    if (background.isValid()) palette.setColor(QPalette::Window, background.value<QColor>());
    totals_labels_[i]->setPalette(palette);
    if (i == 3 && side != 0) totals_labels_[i]->setText(ToleranceSymbol(side) + " " + TotalsText(3));
  }
  // While every group's figures are worked out, how far that is.
  if (figures_ && !figures_->Done()) {
    const QLocale locale;
    totals_labels_[5]->setText(Tr("totali dei gruppi") + " " +
                               locale.toString(static_cast<qulonglong>(figures_->Computed())) + " / " +
                               locale.toString(static_cast<qulonglong>(figures_->Total())));
  } else {
    totals_labels_[5]->setText(ShownCount());
  }
}

QString FRMPD_MAVANZORDLAV::TotalsText(int figure) const {
  const engine::CategoryFigures* totals = TotalsFigures();
  if (totals == nullptr) return {};
  const engine::CategorySeconds& s = (*totals)[0];
  // As the grid above reads them: the one rule of every output, in the
  // interface's locale.
  const engine::FigureTexts t = engine::FigureTextsOf(s.planned, s.booked, TipoTempo());
  switch (figure) {
    case 0: return LocalFigure(t.planned);
    case 1: return LocalFigure(t.booked);
    case 2: return LocalFigure(t.gap);
    case 3: return LocalFigure(t.percent);
    case 4: return LocalFigure(engine::EfficiencyText(s.planned, s.booked));
    default: return {};
  }
}

QString FRMPD_MAVANZORDLAV::ShownCount() {
  if (groups_model_ == nullptr) return {};
  const QLocale locale;
  return Tr("%1 di %2 gruppi")
      .arg(locale.toString(static_cast<qulonglong>(groups_model_->Shown())),
           locale.toString(static_cast<qulonglong>(groups_model_->Total())));
}

}  // namespace results_form
