// A grid's model over one of our record sets: no copy of the rows. The rows
// are the record set's records through its current filter; a change of
// filter resets the view once; the grid's current row and the record set's
// cursor move together both ways (a move that the record set makes, even
// from inside another record set's MoveComplete, selects the row; a row
// chosen in the grid moves the record set).
//
// Columns are given by field name with a caption and a text function, so
// that the formats live with the column tables, not in the model.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "host/recordset/recordset.h"

class QAbstractItemView;

namespace results_form {

class RecordSetModel : public QAbstractTableModel {
 public:
  struct Column {
    std::string field;  // the record set's field
    QString caption;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The cell's text from its value (null: the value as text).
    std::function<QString(const host::Variant&)> text;
  };

  RecordSetModel(host::RecordSetPtr records, std::vector<Column> columns, QObject* parent = nullptr);
  ~RecordSetModel() override;

  // Follows the record set's cursor in `view` and moves it from the view.
  void Bind(QAbstractItemView* view);
  [[nodiscard]] const host::RecordSetPtr& Records() const { return records_; }
  [[nodiscard]] const std::vector<Column>& Columns() const { return columns_; }
  // Re-reads the filter (after the record set was filtered while detached).
  void Refresh();

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void OnMoveComplete();
  void SelectCurrent();

  host::RecordSetPtr records_;
  std::vector<Column> columns_;
  std::vector<int> fields_;  // field index of each column (-1: none)
  std::string filter_;
  size_t count_ = 0;
  int subscription_ = 0;
  QPointer<QAbstractItemView> view_;
  bool syncing_ = false;
};

// The text of a value as the grids show it: numbers without trailing
// zeros, dates as dd/mm/yyyy (with the time when it is not midnight).
QString CellText(const host::Variant& value);

}  // namespace results_form
