#include "results_form/gap_chart.h"

#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QHorizontalBarSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

namespace results_form {

class GapChart::Impl {
 public:
  QChart* chart = nullptr;
  QChartView* view = nullptr;
};

GapChart::GapChart(Translate translate, std::function<void(const host::Variant&)> chosen, QWidget* parent)
    : QWidget(parent), impl_(std::make_unique<Impl>()), translate_(std::move(translate)), chosen_(std::move(chosen)) {
  setObjectName("GapChart");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  impl_->chart = new QChart();
  impl_->chart->legend()->hide();
  impl_->chart->setAnimationOptions(QChart::NoAnimation);
  impl_->view = new QChartView(impl_->chart, this);
  impl_->view->setRenderHint(QPainter::Antialiasing);
  layout->addWidget(impl_->view);
}

GapChart::~GapChart() = default;

void GapChart::Load(std::vector<engine::GroupGap> gaps) {
  gaps_ = std::move(gaps);
  loaded_ = true;
  impl_->chart->removeAllSeries();
  for (auto* axis : impl_->chart->axes()) impl_->chart->removeAxis(axis);
  // The largest at the top: horizontal bars are drawn from the bottom.
  QStringList labels;
  auto* set = new QBarSet(translate_("Scostamento"));
  double extent = 1;
  for (auto it = gaps_.rbegin(); it != gaps_.rend(); ++it) {
    labels << QString::fromStdString(it->label.empty() ? "-" : it->label);
    *set << it->Gap() / 3600.0;
    extent = std::max(extent, std::fabs(it->Gap() / 3600.0));
  }
  auto* series = new QHorizontalBarSeries();
  series->append(set);
  impl_->chart->addSeries(series);
  auto* categories = new QBarCategoryAxis();
  categories->append(labels);
  impl_->chart->addAxis(categories, Qt::AlignLeft);
  series->attachAxis(categories);
  auto* values = new QValueAxis();
  values->setRange(-extent * 1.1, extent * 1.1);
  values->setLabelFormat("%.0f h");
  impl_->chart->addAxis(values, Qt::AlignBottom);
  series->attachAxis(values);
  impl_->chart->setTitle(translate_("Scostamento maggiore"));
  const int count = static_cast<int>(gaps_.size());
  QObject::connect(set, &QBarSet::clicked, this, [this, count](int index) { Choose(count - 1 - index); });
}

void GapChart::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(gaps_.size()) || !chosen_) return;
  chosen_(gaps_[static_cast<size_t>(index)].id);
}

}  // namespace results_form
