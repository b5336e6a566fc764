#include "results_form/recordset_model.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "host/value/error.h"

namespace results_form {
namespace {
constexpr uint32_t kNoRow = UINT32_MAX;
}

QString CellText(const host::Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (value.IsDate()) {
    const host::DateTime d = value.Date();
    QString text = QString("%1/%2/%3")
                       .arg(d.Day(), 2, 10, QChar('0'))
                       .arg(d.Month(), 2, 10, QChar('0'))
                       .arg(d.Year(), 4, 10, QChar('0'));
    if (d.HasTime()) text += QString::fromStdString(" " + d.ToIsoText().substr(11, 8));
    return text;
  }
  if (value.IsNumber()) return QString::fromStdString(value.ToDecimal().Normalized().ToString());
  return QString::fromStdString(host::RTrim(value.JoinedText()));
}

RecordSetModel::RecordSetModel(host::RecordSetPtr records, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), records_(std::move(records)), columns_(std::move(columns)) {
  for (const auto& c : columns_) {
    fields_.push_back(records_ ? records_->FieldIndex(c.shown.empty() ? c.field : c.shown) : -1);
  }
  if (records_) {
    filter_ = records_->Filter();
    count_ = records_->RecordCount();
    subscription_ = records_->Subscribe([this](host::RecordSet&) { OnMoveComplete(); });
  }
}

RecordSetModel::~RecordSetModel() {
  if (records_) records_->Unsubscribe(subscription_);
}

void RecordSetModel::Bind(QAbstractItemView* view) {
  view_ = view;
  view->setModel(this);
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this](const QModelIndex& current) {
                     if (syncing_ || !current.isValid() || !records_) return;
                     const auto position = static_cast<int64_t>(PositionOf(current.row())) + 1;
                     if (records_->AbsolutePosition() == position) return;
                     syncing_ = true;
                     try {
                       records_->SetAbsolutePosition(position);
                     } catch (const host::Error&) {
                       // A row that vanished under a new filter: the reset follows.
                     }
                     syncing_ = false;
                   });
  SelectCurrent();
}

size_t RecordSetModel::PositionOf(int row) const {
  return order_.empty() && !keep_ ? static_cast<size_t>(row) : order_[static_cast<size_t>(row)];
}

int RecordSetModel::RowOfPosition(size_t position) const {
  if (order_.empty() && !keep_) return static_cast<int>(position);
  return position < rank_.size() && rank_[position] != kNoRow ? static_cast<int>(rank_[position]) : -1;
}

void RecordSetModel::SetRowFilter(std::function<bool(size_t position)> keep) {
  beginResetModel();
  keep_ = std::move(keep);
  Resort();
  endResetModel();
  SelectCurrent();
}

void RecordSetModel::FiguresChanged() {
  if (count_ == 0) return;
  const bool by_figure = sort_column_ >= 0 && sort_column_ < columnCount() &&
                         columns_[static_cast<size_t>(sort_column_)].sort_key != nullptr;
  if (by_figure || keep_) {
    // The rows move: the current record keeps its selection.
    beginResetModel();
    Resort();
    endResetModel();
    SelectCurrent();
    return;
  }
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void RecordSetModel::Refresh() {
  beginResetModel();
  filter_ = records_ ? records_->Filter() : std::string();
  count_ = records_ && records_->IsOpen() ? records_->RecordCount() : 0;
  Resort();
  endResetModel();
  SelectCurrent();
}

void RecordSetModel::OnMoveComplete() {
  // Every move calls here; only a new filter (or new rows) resets the view.
  if (records_->Filter() != filter_ || records_->RecordCount() != count_) {
    Refresh();
    return;
  }
  SelectCurrent();
}

void RecordSetModel::SelectCurrent() {
  if (!view_ || !records_ || syncing_ || view_->selectionModel() == nullptr) return;
  const int64_t position = records_->AbsolutePosition();
  if (position < 1) return;
  const int row = RowOfPosition(static_cast<size_t>(position - 1));
  if (row < 0 || view_->selectionModel()->currentIndex().row() == row) return;
  syncing_ = true;
  const QModelIndex target = index(row, std::max(0, view_->selectionModel()->currentIndex().column()));
  view_->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(target);
  syncing_ = false;
}

host::Variant RecordSetModel::ValueAt(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  const int field = fields_[static_cast<size_t>(column)];
  if (field < 0) return {};
  return records_->ValueAt(PositionOf(row), static_cast<size_t>(field));
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !records_ || !records_->IsOpen()) return 0;
  return keep_ ? static_cast<int>(order_.size()) : static_cast<int>(count_);
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto& column = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
    if (!column.role_data) return {};
    try {
      return column.role_data(*records_, PositionOf(index.row()), role);
    } catch (const host::Error&) {
      return {};
    }
  }
  try {
    const host::Variant value = ValueAt(index.row(), index.column());
    if (column.row_text) return column.row_text(*records_, PositionOf(index.row()), value);
    return column.text ? column.text(value) : CellText(value);
  } catch (const host::Error&) {
    return {};
  }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns_[static_cast<size_t>(section)].caption;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columns_[static_cast<size_t>(section)].alignment);
  if (role == Qt::ToolTipRole) return QString::fromStdString(columns_[static_cast<size_t>(section)].field);
  // A figure is sorted largest first at the first click (the groups that
  // drift most are what the column is looked at for), anything else A to Z.
  if (role == Qt::InitialSortOrderRole) {
    return columns_[static_cast<size_t>(section)].sort_key ? Qt::DescendingOrder : Qt::AscendingOrder;
  }
  return {};
}

void RecordSetModel::sort(int column, Qt::SortOrder order) {
  beginResetModel();
  sort_column_ = column;
  sort_order_ = order;
  Resort();
  endResetModel();
  SelectCurrent();
}

// Sorts positions by the column's values: Null first, numbers as numbers,
// dates as dates, texts as texts; equal values keep the record set's order.
// A row filter keeps only its positions.
void RecordSetModel::Resort() {
  order_.clear();
  rank_.clear();
  if (!records_ || count_ == 0) return;
  const bool sorted = sort_column_ >= 0 && sort_column_ < columnCount();
  const Column* column = sorted ? &columns_[static_cast<size_t>(sort_column_)] : nullptr;
  const int field = sorted ? fields_[static_cast<size_t>(sort_column_)] : -1;
  const bool by_key = column != nullptr && column->sort_key != nullptr;
  if (!keep_ && !by_key && field < 0) return;
  order_.reserve(count_);
  for (size_t p = 0; p < count_; ++p) {
    if (!keep_ || keep_(p)) order_.push_back(static_cast<uint32_t>(p));
  }
  if (by_key) {
    std::vector<double> keys(count_, std::nan(""));
    for (const uint32_t p : order_) keys[p] = column->sort_key(*records_, p);
    const auto less = [&keys](uint32_t a, uint32_t b) {
      const double x = keys[a];
      const double y = keys[b];
      if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && !std::isnan(y);
      return x < y;
    };
    if (sort_order_ == Qt::AscendingOrder) {
      std::stable_sort(order_.begin(), order_.end(), less);
    } else {
      std::stable_sort(order_.begin(), order_.end(), [&less](uint32_t a, uint32_t b) { return less(b, a); });
    }
  } else if (field >= 0) {
    std::vector<host::Variant> keys(count_);
    for (const uint32_t p : order_) keys[p] = records_->ValueAt(p, static_cast<size_t>(field));
    const auto less = [&keys](uint32_t a, uint32_t b) {
      const host::Variant& x = keys[a];
      const host::Variant& y = keys[b];
      const bool xn = x.IsNull() || x.IsEmpty();
      const bool yn = y.IsNull() || y.IsEmpty();
      if (xn || yn) return xn && !yn;
      if (x.IsNumber() && y.IsNumber()) return host::CompareNumbers(x, y) < 0;
      if (x.IsDate() && y.IsDate()) return x.Date().Seconds() < y.Date().Seconds();
      return x.JoinedText() < y.JoinedText();
    };
    if (sort_order_ == Qt::AscendingOrder) {
      std::stable_sort(order_.begin(), order_.end(), less);
    } else {
      std::stable_sort(order_.begin(), order_.end(), [&less](uint32_t a, uint32_t b) { return less(b, a); });
    }
  }
  // Each move of the cursor finds its row at once.
  rank_.assign(count_, kNoRow);
  for (size_t row = 0; row < order_.size(); ++row) rank_[order_[row]] = static_cast<uint32_t>(row);
}

}  // namespace results_form
