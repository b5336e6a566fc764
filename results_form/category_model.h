// The planned totals of the current group by category (GRD_Prev as rows of
// the seven categories): planned, booked, gap and gap % in the run's unit,
// read from the current record of RSTempiPrev when the form refreshes it.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>

#include "engine/category_texts.h"
#include "host/recordset/recordset.h"

namespace results_form {

class CategoryModel : public QAbstractTableModel {
 public:
  using Translate = std::function<QString(const std::string&)>;
  CategoryModel(int16_t unit, Translate translate, QObject* parent = nullptr);

  // The tolerance band ±percent: a gap % beyond it takes the tolerance
  // colours and ▲/▼ in the gap % column (default 10).
  void SetTolerance(double percent);
  // Reads the current record of `prev` (none: empty rows).
  void Load(const host::RecordSet* prev);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The text of a cell (row: category, column: planned, booked, gap, gap %).
  [[nodiscard]] QString Text(int row, int column) const;
  // The planned and booked seconds of a category (row), 0 when not loaded.
  [[nodiscard]] std::pair<double, double> Seconds(int row) const;

 private:
  int16_t unit_;
  Translate translate_;
  std::vector<std::array<QString, 4>> rows_;
  std::vector<bool> negative_;
  std::vector<int> side_;  // engine::FiguresSide of each row's figures
  std::vector<engine::CategorySeconds> figures_;
  double tolerance_ = 10;
  std::vector<std::pair<double, double>> seconds_;
};

}  // namespace results_form
