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
  QBarCategoryAxis* categories = nullptr;
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
  // Short and distinct, so that six of them fit under their bars where the
  // form puts the chart: the full captions elide to "Lavo…" and "Macch…".
  for (const char* caption : {"Lav.", "Set.", "Lav. mac.", "Set. mac.", "Lav. man.", "Set. man."}) {
    categories_ << translate_(caption);
  }
  // A label of two words on two lines: "Lav. mac." fits under its pair of
  // bars only so.
  QStringList shown;
  for (const QString& label : categories_) shown << QString(label).toHtmlEscaped().replace(' ', "<br>");
  // The room the chart's frame takes is room the labels lack.
  impl_->chart->setMargins(QMargins(2, 2, 2, 2));
  impl_->chart->setBackgroundRoundness(0);
  auto* axis = new QBarCategoryAxis();
  axis->append(shown);
  // A little smaller than the text around it, as chart labels are.
  QFont font = axis->labelsFont();
  font.setPointSizeF(font.pointSizeF() * 0.85);
  axis->setLabelsFont(font);
  impl_->categories = axis;
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

bool GroupChart::LabelsCut() const { return impl_->categories->labelsTruncated(); }

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
