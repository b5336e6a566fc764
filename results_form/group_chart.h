// The chart beside the current group's figures: planned against booked for
// the six categories (processing, set-up, and each split into machine and
// labour), in hours, drawn with Qt Charts.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

namespace results_form {

class CategoryModel;

class GroupChart : public QWidget {
 public:
  using Translate = std::function<QString(const std::string&)>;
  GroupChart(Translate translate, QWidget* parent = nullptr);
  ~GroupChart() override;
  // Draws the categories of `summary` (its rows 1 to 6).
  void Load(const CategoryModel& summary);
  // The bars drawn: planned and booked hours of each category.
  [[nodiscard]] std::vector<std::pair<double, double>> Bars() const { return bars_; }
  // The categories' labels under the bars, and whether the chart had to
  // cut any of them short at its present size.
  [[nodiscard]] QStringList Categories() const { return categories_; }
  [[nodiscard]] bool LabelsCut() const;

 private:
  Translate translate_;
  class Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<std::pair<double, double>> bars_;
  QStringList categories_;
};

}  // namespace results_form
