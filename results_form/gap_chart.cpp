#include "results_form/gap_chart.h"

#include <QCursor>
#include <QLocale>
#include <QToolTip>
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
  QStringList labels;  // top bar first
};

namespace {

// At most `most` characters, the middle left out: both ends of a group's
// values tell groups apart.
QString ElidedInTheMiddle(const QString& text, int most) {
  if (text.size() <= most) return text;
  const int head = (most - 1) / 2;
  const int tail = most - 1 - head;
  return text.left(head) + QString::fromUtf8("…") + text.right(tail);
}

QString Hours(double seconds) {
  return (seconds >= 0 ? "+" : "") + QLocale().toString(seconds / 3600.0, 'f', 1) + " h";
}

}  // namespace

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
  Show(BarsWithRoom());
}

size_t GapChart::BarsWithRoom() const {
  // The plot's height: the chart less its title, the value axis and margins
  // (about four lines of text); a label wants a line and a half.
  const int line = fontMetrics().height();
  const int plot = height() - 4 * line - 24;
  const auto room = static_cast<size_t>(std::max(1, plot / (line * 3 / 2)));
  return std::min(gaps_.size(), room);
}

void GapChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (loaded_ && BarsWithRoom() != shown_) Show(BarsWithRoom());
}

void GapChart::Show(size_t bars) {
  shown_ = bars;
  impl_->chart->removeAllSeries();
  for (auto* axis : impl_->chart->axes()) impl_->chart->removeAxis(axis);
  // The largest at the top: horizontal bars are drawn from the bottom.
  QStringList labels;
  impl_->labels.clear();
  auto* set = new QBarSet(translate_("Scostamento"));
  double extent = 1;
  for (size_t i = bars; i-- > 0;) {
    const engine::GroupGap& gap = gaps_[i];
    // Labels of a category axis must differ: equal ones would share a bar.
    QString label =
        ElidedInTheMiddle(QString::fromStdString(gap.label.empty() ? "-" : gap.label), 28) + "  " + Hours(gap.Gap());
    while (labels.contains(label)) label += QChar(0x200B);
    labels << label;
    impl_->labels.prepend(label);
    *set << gap.Gap() / 3600.0;
    extent = std::max(extent, std::fabs(gap.Gap() / 3600.0));
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
  values->applyNiceNumbers();  // round ticks, not 81.3 / 162.6
  values->setLabelFormat("%.0f h");
  impl_->chart->addAxis(values, Qt::AlignBottom);
  series->attachAxis(values);
  impl_->chart->setTitle(translate_("Scostamento maggiore"));
  const int count = static_cast<int>(bars);
  QObject::connect(set, &QBarSet::clicked, this, [this, count](int index) { Choose(count - 1 - index); });
  QObject::connect(set, &QBarSet::hovered, this, [this, count](bool on, int index) {
    if (on) {
      QToolTip::showText(QCursor::pos(), ToolTip(count - 1 - index), this);
    } else {
      QToolTip::hideText();
    }
  });
}

QStringList GapChart::AxisLabels() const { return impl_->labels; }

QString GapChart::ToolTip(int index) const {
  if (index < 0 || index >= static_cast<int>(gaps_.size())) return {};
  const auto& gap = gaps_[static_cast<size_t>(index)];
  return QString::fromStdString(gap.label.empty() ? "-" : gap.label) + "\n" + translate_("Scostamento") + ": " +
         Hours(gap.Gap());
}

void GapChart::Choose(int index) {
  if (index < 0 || index >= static_cast<int>(gaps_.size()) || !chosen_) return;
  chosen_(gaps_[static_cast<size_t>(index)].id);
}

}  // namespace results_form
