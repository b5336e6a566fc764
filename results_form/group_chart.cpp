#include "results_form/group_chart.h"

#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QValueAxis>

#include "engine/category_texts.h"
#include "results_form/category_model.h"

namespace results_form {

class GroupChart::Impl {
 public:
  QChart* chart = nullptr;
  QBarSet* planned = nullptr;
  QBarSet* booked = nullptr;
  QValueAxis* values = nullptr;
};

GroupChart::GroupChart(Translate translate, QWidget* parent)
    : QWidget(parent), translate_(std::move(translate)), impl_(std::make_unique<Impl>()) {
  setObjectName("GroupChart");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  impl_->chart = new QChart();
  impl_->chart->legend()->setAlignment(Qt::AlignBottom);
  impl_->chart->setAnimationOptions(QChart::NoAnimation);
  impl_->planned = new QBarSet(translate_("Previsto"));
  impl_->booked = new QBarSet(translate_("Versato"));
  auto* series = new QBarSeries();
  series->append(impl_->planned);
  series->append(impl_->booked);
  impl_->chart->addSeries(series);
  QStringList categories;
  // Short and distinct: "Macchina lavorazione" and "Macchina setup" both
  // elide to "Macch…" under a bar.
  for (const char* caption : {"Lavorazione", "Setup", "Lav. mac.", "Set. mac.", "Lav. man.", "Set. man."}) {
    categories << translate_(caption);
  }
  auto* axis = new QBarCategoryAxis();
  axis->append(categories);
  impl_->chart->addAxis(axis, Qt::AlignBottom);
  series->attachAxis(axis);
  impl_->values = new QValueAxis();
  impl_->values->setLabelFormat("%g h");
  impl_->chart->addAxis(impl_->values, Qt::AlignLeft);
  series->attachAxis(impl_->values);
  auto* view = new QChartView(impl_->chart, this);
  view->setRenderHint(QPainter::Antialiasing);
  layout->addWidget(view);
}

GroupChart::~GroupChart() = default;

void GroupChart::Load(const CategoryModel& summary) {
  impl_->planned->remove(0, impl_->planned->count());
  impl_->booked->remove(0, impl_->booked->count());
  bars_.clear();
  double top = 1;
  for (int row = 1; row < summary.rowCount(); ++row) {
    const auto [planned, booked] = summary.Seconds(row);
    bars_.emplace_back(planned / 3600.0, booked / 3600.0);
    impl_->planned->append(planned / 3600.0);
    impl_->booked->append(booked / 3600.0);
    top = std::max({top, planned / 3600.0, booked / 3600.0});
  }
  impl_->values->setRange(0, top * 1.1);
  impl_->values->applyNiceNumbers();  // whole or round hours on the ticks
}

}  // namespace results_form
