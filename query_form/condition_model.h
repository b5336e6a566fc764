// The Qt model of the query control KVL_ADVQ: one row per filter field, per
// state filter and per attribute of the attribute sources, with its caption, the from and to values the user types
// (kept in the QueryControl itself, not copied), and the descriptions that
// the form's decode writes beside them. A value that cannot be right is
// marked on its cell with the reason (tool tip) as soon as it is typed.
//
// State filters take one value (the to cell is not editable).
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <map>
#include <string>

#include "host/controls/query_control.h"

namespace query_form {

class ConditionModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kCaption = 0, kFrom, kTo, kFromDescription, kToDescription, kColumns };
  using Translate = std::function<QString(const std::string&)>;

  ConditionModel(host::QueryControl& control, Translate translate, QObject* parent = nullptr);

  // A problem in the user's words: the value and why it cannot be right.
  [[nodiscard]] QString Describe(const host::QueryControl::Problem& problem, const QString& value) const;

  // After the control's lists were loaded or its values restored.
  void Reload();

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The row's column (the control's key), caption, and kind.
  [[nodiscard]] std::string ColumnOf(int row) const;
  [[nodiscard]] std::string CaptionOf(int row) const;
  [[nodiscard]] bool IsDate(int row) const;
  [[nodiscard]] bool IsState(int row) const;
  [[nodiscard]] int MaxLength(int row) const;  // 0: no limit
  [[nodiscard]] int RowOfColumn(const std::string& column) const;

  void SetDescription(int row, bool to_side, const QString& text);
  // Marks every problem of the control (after a full validation).
  void MarkProblems(const std::vector<host::QueryControl::Problem>& problems);
  [[nodiscard]] QString Problem(int row, bool to_side) const;

 signals:
  // A value was typed into a cell and kept: the form decodes it.
  void ValueCommitted(int row, bool to_side);

 private:
  // The filter or attribute field of a row (null for a state).
  [[nodiscard]] const host::QueryControl::Field* FieldOf(int row) const;

  host::QueryControl& control_;
  Translate translate_;
  std::map<std::pair<int, bool>, QString> descriptions_, problems_;
};

}  // namespace query_form
