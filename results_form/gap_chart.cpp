#include "results_form/gap_chart.h"

#include <QCursor>
#include <QFontMetrics>
#include <QLocale>
#include <QResizeEvent>
#include <QTimer>
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
  // (about six lines of text); a label wants two lines, its own and the
  // padding the chart keeps around it. A first guess: should the chart
  // still cut the labels, one bar fewer is tried (Show).
  const int line = fontMetrics().height();
  const int plot = height() - 6 * line - 16;
  const auto room = static_cast<size_t>(std::max(1, plot / (2 * line)));
  return std::min(gaps_.size(), room);
}

bool GapChart::LabelsCut() const {
  for (auto* axis : impl_->chart->axes(Qt::Vertical)) {
    if (axis->labelsTruncated()) return true;
  }
  return false;
}

void GapChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The labels are shortened to the width too.
  if (loaded_ && (BarsWithRoom() != shown_ || event->size().width() != event->oldSize().width())) {
    Show(BarsWithRoom());
  }
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
  auto* categories = new QBarCategoryAxis();
  // The chart gives its labels about a third of its width and cuts longer
  // ones to "…": a group's values are shortened in the middle to fit (both
  // ends tell groups apart), its gap kept whole.
  const QFontMetrics metrics(categories->labelsFont());
  const int room = std::max(80, width() / 3 - 16);
  for (size_t i = bars; i-- > 0;) {
    const engine::GroupGap& gap = gaps_[i];
    const QString gap_text = "  " + Hours(gap.Gap());
    // Labels of a category axis must differ: equal ones would share a bar.
    QString label = metrics.elidedText(QString::fromStdString(gap.label.empty() ? "-" : gap.label), Qt::ElideMiddle,
                                       std::max(24, room - metrics.horizontalAdvance(gap_text))) +
                    gap_text;
    while (labels.contains(label)) label += QChar(0x200B);
    labels << label;
    impl_->labels.prepend(label);
    *set << gap.Gap() / 3600.0;
    extent = std::max(extent, std::fabs(gap.Gap() / 3600.0));
  }
  auto* series = new QHorizontalBarSeries();
  series->append(set);
  impl_->chart->addSeries(series);
  categories->append(labels);
  impl_->chart->addAxis(categories, Qt::AlignLeft);
  series->attachAxis(categories);
  // Labels the chart had to cut: one bar fewer, once this layout is done
  // with (the axis goes with it).
  QObject::connect(categories, &QAbstractAxis::labelsTruncatedChanged, this, [this, bars](bool cut) {
    if (!cut || bars <= 1) return;
    QTimer::singleShot(0, this, [this, bars] {
      if (shown_ == bars) Show(bars - 1);
    });
  });
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
