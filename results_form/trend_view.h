// The tab "Andamento" of the results form: the current group's planned and
// booked times and gap % per month of registration (engine::MonthlyTrend),
// as a table and as a chart of the gap % with the tolerance band around 0
// (±10 % unless SetTolerance says otherwise). Choosing a month (a row of the
// table, or a point of the chart) calls `chosen` with it ("2026-03"); the
// first row, "Tutti i mesi", calls it with "" (every month).
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/monthly_trend.h"

class QTableWidget;

namespace results_form {

class TrendView : public QWidget {
 public:
  using Translate = std::function<QString(const std::string&)>;
  // `language` ("it" or "en") says how a month reads: "mar 2026" or "2026-03".
  TrendView(Translate translate, std::string language, std::function<void(const std::string& month)> chosen,
            QWidget* parent = nullptr);
  ~TrendView() override;

  void Load(std::vector<engine::MonthFigures> months, int16_t unit);
  [[nodiscard]] const std::vector<engine::MonthFigures>& Months() const { return months_; }
  // As a click on month `index` (-1: every month).
  void Choose(int index);
  // The band's half width in percent (the results form's tolerance, when it has one).
  void SetTolerance(double percent);
  [[nodiscard]] double Tolerance() const { return tolerance_; }
  [[nodiscard]] QTableWidget* Table() const { return table_; }
  // The gap percent of each month (0 without a plan), as the chart draws it.
  [[nodiscard]] std::vector<double> GapPercents() const;
  // The months the chart draws a point for (by index): those with a plan.
  [[nodiscard]] std::vector<int> DrawnMonths() const;
  // The chart's month labels, in order, and its legend's entries.
  [[nodiscard]] QStringList AxisMonths() const;
  [[nodiscard]] QStringList LegendEntries() const;

 private:
  void Draw();
  class Impl;
  std::unique_ptr<Impl> impl_;
  Translate translate_;
  std::string language_;
  std::function<void(const std::string&)> chosen_;
  std::vector<engine::MonthFigures> months_;
  int16_t unit_ = 0;  // the unit the months were loaded in
  QTableWidget* table_ = nullptr;
  double tolerance_ = engine::kTrendTolerancePercent;
  bool filling_ = false;
};

}  // namespace results_form
