#include "output/report/trend_chart.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace output {
namespace {

const QColor kPlanned(96, 125, 170);
const QColor kBooked(226, 140, 60);
const QColor kBand(120, 190, 120, 70);
const QColor kBandEdge(120, 190, 120, 160);
// The tolerance colours of the grids: over plan orange, under plan blue,
// darker here since they are drawn as thin marks, not as cell backgrounds.
const QColor kOver(214, 96, 20);
const QColor kUnder(40, 100, 200);
const QColor kGrid(215, 215, 215);

// A tick's text in the print's locale with as many decimals as the step
// needs (a step of 2.5 reads 2,5 and 7,5, never a rounded 3 and 8).
QString TickText(double value, double step, const QString& suffix = {}) {
  int decimals = 0;
  for (double scaled = step; decimals < 3 && std::abs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled);
       scaled *= 10) {
    ++decimals;
  }
  return QLocale().toString(value, 'f', decimals) + suffix;
}

// Text widths come from the font alone (QFontMetricsF of the font, not of
// the device), so the preview, the printer and the PDF place and elide the
// same texts alike.

// A legend entry: a square of the colour (a line with a dot for the gap %)
// and its caption; answers where the next one starts.
double LegendEntry(QPainter& painter, double x, double y, double height, const QColor& colour, const QString& text,
                   bool line) {
  const double box = height * 0.6;
  const double top = y + (height - box) / 2;
  if (line) {
    painter.setPen(QPen(colour, 1.2));
    painter.drawLine(QPointF(x, top + box / 2), QPointF(x + box * 1.6, top + box / 2));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(x + box * 0.8, top + box / 2), box * 0.25, box * 0.25);
    x += box * 1.6;
  } else {
    painter.fillRect(QRectF(x, top, box, box), colour);
    x += box;
  }
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  const double width = QFontMetricsF(painter.font()).horizontalAdvance(text) * 1.05;
  painter.drawText(QRectF(x + box * 0.4, y, width + box, height), Qt::AlignLeft | Qt::AlignVCenter, text);
  return x + box * 0.4 + width + box * 1.5;
}

// The month captions under a panel's plot, one per slot, elided to the slot.
void MonthCaptions(QPainter& painter, const QRectF& plot, double slot, const std::vector<TrendPoint>& points,
                   double height) {
  painter.setPen(Qt::black);
  for (size_t i = 0; i < points.size(); ++i) {
    const QRectF cell(plot.left() + slot * static_cast<double>(i), plot.bottom() + height * 0.15, slot, height);
    painter.drawText(cell, Qt::AlignHCenter | Qt::AlignTop,
                     QFontMetricsF(painter.font()).elidedText(points[i].month, Qt::ElideRight, slot));
  }
}

}  // namespace

double NiceStep(double span, int ticks) {
  if (!(span > 0) || ticks <= 0) return 1;
  const double raw = span / ticks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (m * power >= raw) return m * power;
  }
  return 10 * power;
}

void DrawTrendChart(QPainter& painter, const QRectF& area, const std::vector<TrendPoint>& points,
                    const TrendChartTexts& texts, double tolerance) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  const double text_height = painter.font().pixelSize() * 1.3;
  const double gutter = text_height * 0.8;
  const double axis_width = QFontMetricsF(painter.font()).horizontalAdvance("00000000");
  const QRectF bars_area(area.left(), area.top(), area.width() * 0.56 - gutter / 2, area.height());
  const QRectF line_area(area.left() + area.width() * 0.56 + gutter / 2, area.top(), area.width() * 0.44 - gutter / 2,
                         area.height());
  painter.setPen(QPen(kGrid, 0.6));
  painter.drawRect(bars_area);
  painter.drawRect(line_area);
  if (points.empty()) {
    painter.restore();
    return;
  }
  const double month_count = static_cast<double>(points.size());

  // Planned and booked, two bars a month, from 0 to a round maximum.
  {
    double most = 0;
    for (const TrendPoint& p : points) most = std::max({most, p.planned, p.booked});
    const double step = NiceStep(most, 4);
    const double top = std::max(step, std::ceil(most / step) * step);
    LegendEntry(painter,
                LegendEntry(painter, bars_area.left() + gutter, bars_area.top() + text_height * 0.1, text_height,
                            kPlanned, texts.planned, false),
                bars_area.top() + text_height * 0.1, text_height, kBooked, texts.booked, false);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(bars_area.left(), bars_area.top() + text_height * 0.1, bars_area.width() - gutter,
                            text_height),
                     Qt::AlignRight | Qt::AlignVCenter, texts.measure);
    const QRectF plot(bars_area.left() + axis_width, bars_area.top() + text_height * 1.6,
                      bars_area.width() - axis_width - gutter, bars_area.height() - text_height * 3.0);
    const auto y_of = [&](double v) { return plot.bottom() - plot.height() * v / top; };
    for (double v = 0; v <= top + step / 2; v += step) {
      painter.setPen(QPen(kGrid, 0.5));
      painter.drawLine(QPointF(plot.left(), y_of(v)), QPointF(plot.right(), y_of(v)));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(bars_area.left(), y_of(v) - text_height / 2, axis_width - gutter * 0.4, text_height),
                       Qt::AlignRight | Qt::AlignVCenter, TickText(v, step));
    }
    const double slot = plot.width() / month_count;
    const double bar = std::min(slot * 0.36, text_height * 2.5);
    for (size_t i = 0; i < points.size(); ++i) {
      const double middle = plot.left() + slot * (static_cast<double>(i) + 0.5);
      const auto column = [&](double left, double value, const QColor& colour) {
        if (value > 0) painter.fillRect(QRectF(QPointF(left, y_of(value)), QPointF(left + bar, plot.bottom())), colour);
      };
      column(middle - bar, points[i].planned, kPlanned);
      column(middle, points[i].booked, kBooked);
    }
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    MonthCaptions(painter, plot, slot, points, text_height);
  }

  // The gap % a month, as a line over the band ±tolerance.
  {
    double low = -tolerance, high = tolerance;
    for (const TrendPoint& p : points) {
      if (!p.percent) continue;
      low = std::min(low, *p.percent);
      high = std::max(high, *p.percent);
    }
    const double step = NiceStep(high - low, 4);
    low = std::floor(low / step) * step - (low < -tolerance ? 0 : step);
    high = std::ceil(high / step) * step + (high > tolerance ? 0 : step);
    if (high - low < step) high = low + step;
    LegendEntry(painter,
                LegendEntry(painter, line_area.left() + gutter, line_area.top() + text_height * 0.1, text_height,
                            Qt::black, texts.percent, true),
                line_area.top() + text_height * 0.1, text_height, kBand, texts.tolerance, false);
    const QRectF plot(line_area.left() + axis_width, line_area.top() + text_height * 1.6,
                      line_area.width() - axis_width - gutter, line_area.height() - text_height * 3.0);
    const auto y_of = [&](double v) { return plot.bottom() - plot.height() * (v - low) / (high - low); };
    painter.fillRect(QRectF(QPointF(plot.left(), y_of(tolerance)), QPointF(plot.right(), y_of(-tolerance))), kBand);
    painter.setPen(QPen(kBandEdge, 0.6));
    painter.drawLine(QPointF(plot.left(), y_of(tolerance)), QPointF(plot.right(), y_of(tolerance)));
    painter.drawLine(QPointF(plot.left(), y_of(-tolerance)), QPointF(plot.right(), y_of(-tolerance)));
    for (double v = low; v <= high + step / 2; v += step) {
      painter.setPen(QPen(std::abs(v) < step / 1000 ? QColor(Qt::black) : kGrid, std::abs(v) < step / 1000 ? 0.6 : 0.5));
      painter.drawLine(QPointF(plot.left(), y_of(v)), QPointF(plot.right(), y_of(v)));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(line_area.left(), y_of(v) - text_height / 2, axis_width - gutter * 0.4, text_height),
                       Qt::AlignRight | Qt::AlignVCenter, TickText(v, step, " %"));
    }
    const double slot = plot.width() / month_count;
    // The line breaks at a month without a plan (no gap %).
    QPainterPath path;
    bool open = false;
    for (size_t i = 0; i < points.size(); ++i) {
      if (!points[i].percent) {
        open = false;
        continue;
      }
      const QPointF at(plot.left() + slot * (static_cast<double>(i) + 0.5), y_of(*points[i].percent));
      if (open) {
        path.lineTo(at);
      } else {
        path.moveTo(at);
        open = true;
      }
    }
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    const double dot = text_height * 0.2;
    for (size_t i = 0; i < points.size(); ++i) {
      if (!points[i].percent) continue;
      const double v = *points[i].percent;
      const QColor colour = v > tolerance ? kOver : v < -tolerance ? kUnder : QColor(Qt::black);
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
      painter.drawEllipse(QPointF(plot.left() + slot * (static_cast<double>(i) + 0.5), y_of(v)), dot, dot);
    }
    painter.setBrush(Qt::NoBrush);
    MonthCaptions(painter, plot, slot, points, text_height);
  }
  painter.restore();
}

}  // namespace output
