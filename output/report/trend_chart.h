// A group's months drawn on a report page: planned and booked as bars per
// month against a time axis, and the gap % per month as a line against the
// tolerance band, side by side, each with its legend. Drawn with the
// painter alone (no widgets), so the PDF, the printer and the preview show
// the same picture, and text stays text in the PDF (the legend and the axis
// labels can be searched and copied).
#pragma once

#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace output {

struct TrendPoint {
  QString month;                  // as the month reads in the report ("mar 2026")
  double planned = 0;             // in the axis's measure (hours, minutes or seconds)
  double booked = 0;
  std::optional<double> percent;  // gap %; none without a plan
};

// The chart's captions, in the report's language.
struct TrendChartTexts {
  QString planned;    // "Previsto"
  QString booked;     // "Versato"
  QString percent;    // "Scost. %"
  QString tolerance;  // "Tolleranza ±10 %"
  QString measure;    // the time axis's title: "Ore", "Minuti", "Secondi"
};

// Draws `points` into `area` (in points) with the painter's current font
// size as the base; nothing but the frame for no points. A gap % beyond
// ±tolerance is drawn in the over-plan or under-plan colour.
void DrawTrendChart(QPainter& painter, const QRectF& area, const std::vector<TrendPoint>& points,
                    const TrendChartTexts& texts, double tolerance);

// A round step for about `ticks` steps up to `span` (1, 2, 2.5 or 5 times
// a power of ten); 1 for a span of 0 or less.
double NiceStep(double span, int ticks);

}  // namespace output
