// The groups with the largest absolute gap, as horizontal bars in hours
// (booked − planned), the largest at the top; each bar is labelled with
// the group's grouping values (elided in the middle to the room a chart
// gives its labels, about a third of its width) and its gap, the full text
// in the bar's tooltip; the value axis has round ticks.
// A click on a bar makes that group current. As many of the groups given
// are shown as have room for a readable label each (at least one): a chart
// squeezes the labels of bars too thin for them into "…"; one it cut all
// the same takes a bar away.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/largest_gaps.h"

namespace results_form {

class GapChart : public QWidget {
 public:
  using Translate = std::function<QString(const std::string&)>;
  GapChart(Translate translate, std::function<void(const host::Variant& group_id)> chosen, QWidget* parent = nullptr);
  ~GapChart() override;
  void Load(std::vector<engine::GroupGap> gaps);
  [[nodiscard]] const std::vector<engine::GroupGap>& Gaps() const { return gaps_; }
  [[nodiscard]] bool Loaded() const { return loaded_; }
  // The category axis' labels of the bars shown, top bar first (the
  // largest gaps'), and a bar's tooltip (by its index in Gaps()).
  [[nodiscard]] QStringList AxisLabels() const;
  [[nodiscard]] QString ToolTip(int index) const;
  // Whether the chart cut some of the bars' labels (as it lays them out).
  [[nodiscard]] bool LabelsCut() const;
  // As a click on bar `index` does.
  void Choose(int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // How many bars have room for their labels at the chart's height.
  [[nodiscard]] size_t BarsWithRoom() const;
  // Shows the first `bars` gaps.
  void Show(size_t bars);
  class Impl;
  std::unique_ptr<Impl> impl_;
  Translate translate_;
  std::function<void(const host::Variant&)> chosen_;
  std::vector<engine::GroupGap> gaps_;
  bool loaded_ = false;
  size_t shown_ = 0;
};

}  // namespace results_form
