#include "results_form/recordset_model.h"

#include "host/value/error.h"
#include <QAbstractItemView>
#include <QItemSelectionModel>

namespace results_form {

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
  for (const auto& c : columns_) fields_.push_back(records_ ? records_->FieldIndex(c.field) : -1);
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
                     const auto position = static_cast<int64_t>(current.row()) + 1;
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

void RecordSetModel::Refresh() {
  beginResetModel();
  filter_ = records_ ? records_->Filter() : std::string();
  count_ = records_ ? records_->RecordCount() : 0;
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
  if (!view_ || !records_ || syncing_) return;
  const int64_t position = records_->AbsolutePosition();
  if (position < 1) return;
  const QModelIndex target = index(static_cast<int>(position - 1), 0);
  if (view_->selectionModel()->currentIndex().row() == target.row()) return;
  syncing_ = true;
  view_->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(target);
  syncing_ = false;
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !records_ || !records_->IsOpen() ? 0 : static_cast<int>(count_);
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto& column = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment);
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const int field = fields_[static_cast<size_t>(index.column())];
  if (field < 0) return {};
  try {
    const host::Variant value = records_->ValueAt(static_cast<size_t>(index.row()), static_cast<size_t>(field));
    return column.text ? column.text(value) : CellText(value);
  } catch (const host::Error&) {
    return {};
  }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return columns_[static_cast<size_t>(section)].caption;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columns_[static_cast<size_t>(section)].alignment);
  return {};
}

}  // namespace results_form
