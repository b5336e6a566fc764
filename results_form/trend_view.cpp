#include "results_form/trend_view.h"

#include <QHeaderView>
#include <QLocale>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/category_texts.h"
#include "engine/time_buckets.h"
#include "results_form/grid_columns.h"

namespace results_form {

class TrendView::Impl {
 public:
  QChart* chart = nullptr;
  QAbstractSeries* points = nullptr;  // the months' points, without a legend entry
};

TrendView::TrendView(Translate translate, std::string language, std::function<void(const std::string&)> chosen,
                     QWidget* parent)
    : QWidget(parent),
      impl_(std::make_unique<Impl>()),
      translate_(std::move(translate)),
      language_(std::move(language)),
      chosen_(std::move(chosen)) {
  setObjectName("Andamento");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* split = new QSplitter(Qt::Vertical, this);
  table_ = new QTableWidget(0, 4, split);
  table_->setObjectName("GRD_Andamento");
  table_->setHorizontalHeaderLabels(
      {translate_("Mese"), translate_("Previsto"), translate_("Versato"), translate_("Scost. %")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);  // read only: Tab leaves the table
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  QObject::connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!filling_ && row >= 0) Choose(row - 1);
  });
  impl_->chart = new QChart();
  impl_->chart->setAnimationOptions(QChart::NoAnimation);
  impl_->chart->legend()->setAlignment(Qt::AlignBottom);
  impl_->chart->setMargins(QMargins(4, 4, 4, 4));
  auto* view = new QChartView(impl_->chart, split);
  view->setObjectName("ChartAndamento");
  view->setRenderHint(QPainter::Antialiasing);
  // Lower than this, the chart cuts every label of its axes to "…".
  view->setMinimumHeight(200);
  split->addWidget(table_);
  split->addWidget(view);
  split->setCollapsible(1, false);
  // Room for a few months in the table above the chart.
  split->setSizes({150, 220});
  layout->addWidget(split);
}

TrendView::~TrendView() = default;

namespace {

// A month ("2026-03") on the chart's axis, short enough for twelve side by
// side in the tab: its name's first three letters ("mar", "Mar"), with the
// year's last two digits when the months span years ("mar 27").
QString AxisMonth(const std::string& month, const std::string& language, bool with_year) {
  static constexpr std::array<const char*, 12> kEnglish{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (month.size() != 7 || month[4] != '-') return QString::fromStdString(month);
  const int number = QString::fromStdString(month.substr(5, 2)).toInt();
  if (number < 1 || number > 12) return QString::fromStdString(month);
  const QString name = language == "it"
                           ? QString::fromStdString(engine::TimeBucketText(engine::kMonthColumn, month, "it")).left(3)
                           : QString(kEnglish[static_cast<size_t>(number - 1)]);
  return with_year ? name + " " + QString::fromStdString(month.substr(2, 2)) : name;
}

// The gap % of the figures as the row shows them: the one a reader works
// out by hand, as a group's.
std::string ShownGapPercent(const host::Variant& planned, const host::Variant& booked, int16_t unit) {
  return engine::GapPercentText(host::Variant(engine::ShownSeconds(planned, unit)),
                                host::Variant(engine::ShownSeconds(booked, unit)));
}

}  // namespace

std::vector<double> TrendView::GapPercents() const {
  std::vector<double> out;
  for (const auto& m : months_) {
    const std::string text = ShownGapPercent(m.planned, m.booked, unit_);
    out.push_back(text.empty() ? 0.0 : std::stod(text));
  }
  return out;
}

void TrendView::Load(std::vector<engine::MonthFigures> months, int16_t unit) {
  months_ = std::move(months);
  unit_ = unit;
  filling_ = true;
  table_->setRowCount(static_cast<int>(months_.size()) + 1);
  const auto cell = [this](int row, int column, const QString& text, bool right) {
    auto* item = new QTableWidgetItem(text);
    if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(row, column, item);
  };
  host::Variant planned = int16_t{0}, booked = int16_t{0};
  for (const auto& m : months_) {
    planned = host::Add(planned, m.planned);
    booked = host::Add(booked, m.booked);
  }
  cell(0, 0, translate_("Tutti i mesi"), false);
  cell(0, 1, LocalFigure(engine::TimeText(planned, unit)), true);
  cell(0, 2, LocalFigure(engine::TimeText(booked, unit)), true);
  cell(0, 3, LocalFigure(ShownGapPercent(planned, booked, unit)), true);
  for (size_t i = 0; i < months_.size(); ++i) {
    const auto& m = months_[i];
    const int row = static_cast<int>(i) + 1;
    cell(row, 0, QString::fromStdString(engine::TimeBucketText(engine::kMonthColumn, m.month, language_)), false);
    cell(row, 1, LocalFigure(engine::TimeText(m.planned, unit)), true);
    cell(row, 2, LocalFigure(engine::TimeText(m.booked, unit)), true);
    cell(row, 3, LocalFigure(ShownGapPercent(m.planned, m.booked, unit)), true);
  }
  table_->setCurrentCell(0, 0);
  filling_ = false;
  Draw();
}

void TrendView::SetTolerance(double percent) {
  tolerance_ = std::abs(percent);
  Draw();
}

void TrendView::Draw() {
  QChart* chart = impl_->chart;
  chart->removeAllSeries();
  impl_->points = nullptr;
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  const std::vector<double> gaps = GapPercents();
  const double last = gaps.empty() ? 1.0 : static_cast<double>(gaps.size() - 1);
  // The band: the plan ± the tolerance, across every month.
  auto* upper = new QLineSeries();
  auto* lower = new QLineSeries();
  upper->append(-0.5, tolerance_);
  upper->append(last + 0.5, tolerance_);
  lower->append(-0.5, -tolerance_);
  lower->append(last + 0.5, -tolerance_);
  auto* band = new QAreaSeries(upper, lower);
  band->setName(translate_("Tolleranza") + QString(" ±%1 %").arg(QLocale().toString(tolerance_, 'g', 4)));
  band->setColor(QColor(120, 190, 120, 70));
  band->setBorderColor(QColor(120, 190, 120, 140));
  chart->addSeries(band);
  auto* line = new QLineSeries();
  line->setName(translate_("Scost. %"));
  auto* points = new QScatterSeries();
  points->setMarkerSize(9);
  points->setName(translate_("Mese"));
  double low = -tolerance_, high = tolerance_;
  for (size_t i = 0; i < gaps.size(); ++i) {
    // A month without a plan has no gap %: a point at 0 would sit inside
    // the band while all its time is over plan.
    if (ShownGapPercent(months_[i].planned, months_[i].booked, unit_).empty()) continue;
    line->append(static_cast<double>(i), gaps[i]);
    points->append(static_cast<double>(i), gaps[i]);
    low = std::min(low, gaps[i]);
    high = std::max(high, gaps[i]);
  }
  chart->addSeries(line);
  chart->addSeries(points);
  // The points are the months: the legend says so by the axis, not by an entry.
  for (QLegendMarker* marker : chart->legend()->markers(points)) marker->setVisible(false);
  impl_->points = points;
  auto* months = new QCategoryAxis();
  months->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  const bool one_year = months_.empty() || months_.front().month.substr(0, 4) == months_.back().month.substr(0, 4);
  for (size_t i = 0; i < months_.size(); ++i) {
    months->append(AxisMonth(months_[i].month, language_, !one_year), static_cast<double>(i));
  }
  // The year once, under the months, when they are all of it.
  if (one_year && !months_.empty()) months->setTitleText(QString::fromStdString(months_.front().month.substr(0, 4)));
  months->setRange(-0.5, last + 0.5);
  auto* values = new QValueAxis();
  values->setLabelFormat("%.0f%%");
  // Round ticks (-40 %, -20 %, 0 %...), a little room beyond the farthest month.
  const double room = std::max(2.0, (high - low) * 0.05);
  values->setRange(low - room, high + room);
  values->applyNiceNumbers();
  chart->addAxis(months, Qt::AlignBottom);
  chart->addAxis(values, Qt::AlignLeft);
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(months);
    s->attachAxis(values);
  }
  QObject::connect(points, &QScatterSeries::clicked, this,
                   [this](const QPointF& at) { Choose(static_cast<int>(std::lround(at.x()))); });
  QObject::connect(line, &QLineSeries::clicked, this,
                   [this](const QPointF& at) { Choose(static_cast<int>(std::lround(at.x()))); });
}

QStringList TrendView::AxisMonths() const {
  for (QAbstractAxis* axis : impl_->chart->axes(Qt::Horizontal)) {
    if (auto* months = qobject_cast<QCategoryAxis*>(axis)) return months->categoriesLabels();
  }
  return {};
}

std::vector<int> TrendView::DrawnMonths() const {
  std::vector<int> drawn;
  if (const auto* points = qobject_cast<const QScatterSeries*>(impl_->points)) {
    for (const QPointF& at : points->points()) drawn.push_back(static_cast<int>(std::lround(at.x())));
  }
  return drawn;
}

QStringList TrendView::LegendEntries() const {
  QStringList entries;
  for (QLegendMarker* marker : impl_->chart->legend()->markers()) {
    if (marker->series() != impl_->points) entries << marker->label();
  }
  return entries;
}

void TrendView::Choose(int index) {
  if (index >= static_cast<int>(months_.size())) return;
  filling_ = true;
  table_->setCurrentCell(index + 1, 0);
  filling_ = false;
  if (chosen_) chosen_(index < 0 ? std::string() : months_[static_cast<size_t>(index)].month);
}

}  // namespace results_form
