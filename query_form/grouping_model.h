// The Qt model of the order control KVL_ADVO: its grouping fields in their
// order, a check box on each (checked: the bookings are grouped by it), and
// moves up and down (also by drag and drop) that change the grouping's order.
// The items live in the OrderControl itself.
#pragma once

#include <QAbstractListModel>
#include <functional>
#include <string>

#include "host/controls/order_control.h"

namespace query_form {

class GroupingModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using Translate = std::function<QString(const std::string&)>;
  GroupingModel(host::OrderControl& control, Translate translate, QObject* parent = nullptr);

  void Reload();
  // Moves a row by `delta` places; answers the row it is at afterwards.
  int MoveRow(int row, int delta);

  [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  [[nodiscard]] Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  bool moveRows(const QModelIndex& source_parent, int source_row, int count, const QModelIndex& destination_parent,
                int destination_child) override;
  [[nodiscard]] QStringList mimeTypes() const override;
  [[nodiscard]] QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 private:
  host::OrderControl& control_;
  Translate translate_;
};

}  // namespace query_form
