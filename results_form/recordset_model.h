// A grid's model over one of our record sets: no copy of the rows. The rows
// are the record set's records through its current filter (sorted, when the
// user sorts, through a permutation of positions); a change of filter resets
// the view once; the grid's current row and the record set's cursor move
// together both ways (a move that the record set makes, even from inside
// another record set's MoveComplete, selects the row; a row chosen in the
// grid moves the record set).
//
// Columns come from the column tables (engine/presentation): the caption,
// the alignment and a text function made once from the column's format,
// value list or the form's own text.
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
    std::string field;  // the record set's field (the key of layouts and captions)
    QString caption;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The cell's text from its value (null: the value as text).
    std::function<QString(const host::Variant&)> text;
    bool visible = true;
    int width = 0;  // pixels; 0: as the view decides
    std::string shown;  // the field whose value shows, when not `field`
    // The cell's text from its row (texts read from other fields or the
    // database); given the record set, the position and the cell's value.
    std::function<QString(const host::RecordSet&, size_t, const host::Variant&)> row_text;
    // A column of figures that the record set does not hold: its number
    // for sorting (NaN: none, sorted as a Null), given the record set and
    // the position. Without it the column sorts by its field's values.
    std::function<double(const host::RecordSet&, size_t)> sort_key;
    // Other roles of a cell (colours, decoration), given the record set,
    // the position and the role; an invalid QVariant: the view's own.
    std::function<QVariant(const host::RecordSet&, size_t, int)> role_data;
  };

  RecordSetModel(host::RecordSetPtr records, std::vector<Column> columns, QObject* parent = nullptr);
  ~RecordSetModel() override;

  // Follows the record set's cursor in `view` and moves it from the view.
  void Bind(QAbstractItemView* view);
  [[nodiscard]] const host::RecordSetPtr& Records() const { return records_; }
  [[nodiscard]] const std::vector<Column>& Columns() const { return columns_; }
  // Re-reads the filter (after the record set was filtered while detached).
  void Refresh();
  // The record set's 0-based position of a view row.
  [[nodiscard]] size_t PositionOf(int row) const;
  // The view row of a 0-based position; -1 when the row filter hides it.
  [[nodiscard]] int RowOfPosition(size_t position) const;
  // Keeps only the positions for which `keep` answers true (null: all);
  // the rows keep the sort. Applied again by Refresh.
  void SetRowFilter(std::function<bool(size_t position)> keep);
  // Whether the rows are sorted or filtered (else they are the record
  // set's, in its order).
  [[nodiscard]] bool Arranged() const { return sort_column_ >= 0 || keep_ != nullptr; }
  // Rows shown and rows of the record set's filter.
  [[nodiscard]] size_t Shown() const { return static_cast<size_t>(rowCount()); }
  [[nodiscard]] size_t Total() const { return count_; }
  // Re-reads the cells of every row (figures that came in later), keeping
  // the sort by a figure column up to date.
  void FiguresChanged();
  // The value under a cell (for the copy and the tests).
  [[nodiscard]] host::Variant ValueAt(int row, int column) const;

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  void OnMoveComplete();
  void SelectCurrent();
  void Resort();

  host::RecordSetPtr records_;
  std::vector<Column> columns_;
  std::vector<int> fields_;  // field index of each column's shown value (-1: none)
  std::string filter_;
  size_t count_ = 0;
  int subscription_ = 0;
  QPointer<QAbstractItemView> view_;
  bool syncing_ = false;
  int sort_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
  std::function<bool(size_t)> keep_;
  std::vector<uint32_t> order_;  // view row → position, when sorted or filtered
  std::vector<uint32_t> rank_;   // position → view row (or kNoRow), when sorted or filtered
};

// The text of a value as the grids show it: numbers without trailing
// zeros, dates as dd/mm/yyyy (with the time when it is not midnight).
QString CellText(const host::Variant& value);

}  // namespace results_form
