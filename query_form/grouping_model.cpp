#include "query_form/grouping_model.h"

#include <QFont>
#include <QMimeData>

namespace query_form {
namespace {
constexpr const char* kMime = "application/x-quarvelindo-grouping-row";
}

GroupingModel::GroupingModel(host::OrderControl& control, Translate translate, QObject* parent)
    : QAbstractListModel(parent), control_(control), translate_(std::move(translate)) {}

void GroupingModel::Reload() {
  beginResetModel();
  endResetModel();
}

int GroupingModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(control_.Items().size());
}

QVariant GroupingModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto& item = control_.Items()[static_cast<size_t>(index.row())];
  const bool grouping = item.use == host::OrderControl::Use::Grouping;
  switch (role) {
    case Qt::DisplayRole: return translate_(item.caption);
    case Qt::CheckStateRole: return grouping ? Qt::Checked : Qt::Unchecked;
    case Qt::FontRole: {
      QFont font;
      font.setBold(grouping);
      return font;
    }
    case Qt::ToolTipRole: return QString::fromStdString(item.column);
    default: return {};
  }
}

Qt::ItemFlags GroupingModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled;
}

bool GroupingModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole) return false;
  const auto& item = control_.Items()[static_cast<size_t>(index.row())];
  const bool checked = value.toInt() == Qt::Checked;
  // Unchecked, an item goes back to what the list gave it without grouping:
  // shown (its highest value) when its setting O says so, else left out.
  const std::string column = item.column;
  control_.SetUse(column, checked ? host::OrderControl::Use::Grouping
                                  : (item.setting_o ? host::OrderControl::Use::Selected
                                                    : host::OrderControl::Use::LeftOut));
  emit dataChanged(index, index);
  // A newly checked item joins the grouping items, after the last of them,
  // so that the list reads in the grouping's order; an unchecked one stays.
  if (!checked) return true;
  const int row = index.row();
  int last = -1;
  for (int r = 0; r < rowCount(); ++r) {
    const auto& i = control_.Items()[static_cast<size_t>(r)];
    if (i.use == host::OrderControl::Use::Grouping && i.column != column) last = r;
  }
  const int target = last > row ? last : last + 1;
  MoveRow(index.row(), target - index.row());
  return true;
}

int GroupingModel::MoveRow(int row, int delta) {
  const int to = row + delta;
  if (row < 0 || row >= rowCount() || to < 0 || to >= rowCount() || delta == 0) return row;
  // beginMoveRows counts the destination before the move.
  if (!beginMoveRows({}, row, row, {}, delta > 0 ? to + 1 : to)) return row;
  control_.Move(static_cast<size_t>(row), static_cast<size_t>(to));
  endMoveRows();
  return to;
}

bool GroupingModel::moveRows(const QModelIndex&, int source_row, int count, const QModelIndex&,
                             int destination_child) {
  if (count != 1) return false;
  const int to = destination_child > source_row ? destination_child - 1 : destination_child;
  return MoveRow(source_row, to - source_row) != source_row || to == source_row;
}

QStringList GroupingModel::mimeTypes() const { return {kMime}; }

QMimeData* GroupingModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty()) return nullptr;
  auto* mime = new QMimeData();
  mime->setData(kMime, QByteArray::number(indexes.front().row()));
  return mime;
}

bool GroupingModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                 const QModelIndex& parent) {
  if (action != Qt::MoveAction || data == nullptr || !data->hasFormat(kMime)) return false;
  const int from = data->data(kMime).toInt();
  int to = row >= 0 ? row : (parent.isValid() ? parent.row() : rowCount());
  if (to > from) --to;
  if (to >= rowCount()) to = rowCount() - 1;
  MoveRow(from, to - from);
  // The move is done here: the view must not remove the dragged row.
  return false;
}

}  // namespace query_form
