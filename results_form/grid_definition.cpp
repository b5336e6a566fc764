#include "results_form/grid_definition.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <map>
#include <set>

#include "host/qt/user_settings.h"
#include "results_form/recordset_model.h"

namespace results_form {

GridDefinition::GridDefinition(QTableView* view, RecordSetModel* model, QString layout_key, Translate translate)
    : QObject(view), view_(view), model_(model), key_(std::move(layout_key)), translate_(std::move(translate)) {
  QHeaderView* header = view->horizontalHeader();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(-1, Qt::AscendingOrder);
  view->setSortingEnabled(true);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(header, &QHeaderView::customContextMenuRequested, this,
                   [this](const QPoint& at) { ShowHeaderMenu(at); });
  // Every change of the layout is kept, half a second after it settles.
  save_later_.setSingleShot(true);
  save_later_.setInterval(500);
  QObject::connect(&save_later_, &QTimer::timeout, this, [this] { Save(); });
  const auto save = [this] { save_later_.start(); };
  QObject::connect(header, &QHeaderView::sectionMoved, this, save);
  QObject::connect(header, &QHeaderView::sectionResized, this, save);
  view->installEventFilter(this);
  Restore();
}

void GridDefinition::RestoreDefault() {
  if (!view_ || !model_) return;
  QHeaderView* header = view_->horizontalHeader();
  const QSignalBlocker block(header);
  for (int logical = 0; logical < model_->columnCount(); ++logical) {
    const auto& column = model_->Columns()[static_cast<size_t>(logical)];
    header->moveSection(header->visualIndex(logical), logical);
    view_->setColumnHidden(logical, !column.visible);
    if (column.width > 0) view_->setColumnWidth(logical, column.width);
  }
}

void GridDefinition::Restore() {
  RestoreDefault();
  auto settings = host::qt::UserSettings();
  const QVariant saved = settings->value("layouts/" + key_);
  if (saved.isValid() && view_ && model_) {
    // A layout saved for other columns (another version) is ignored.
    const QStringList fields = settings->value("layouts/" + key_ + ".fields").toStringList();
    QStringList now;
    for (const auto& c : model_->Columns()) now << QString::fromStdString(c.field);
    if (fields == now) view_->horizontalHeader()->restoreState(saved.toByteArray());
  }
}

void GridDefinition::Save() const {
  // A save still pending when the form let its grids go has nothing to save.
  if (!view_ || !model_) return;
  auto settings = host::qt::UserSettings();
  QStringList fields;
  for (const auto& c : model_->Columns()) fields << QString::fromStdString(c.field);
  settings->setValue("layouts/" + key_, view_->horizontalHeader()->saveState());
  settings->setValue("layouts/" + key_ + ".fields", fields);
}

void GridDefinition::ShowHeaderMenu(const QPoint& at) {
  if (!view_ || !model_) return;
  QMenu menu(view_);
  QMenu* columns = menu.addMenu(translate_("Colonne"));
  for (int logical = 0; logical < model_->columnCount(); ++logical) {
    QAction* action = columns->addAction(model_->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString());
    action->setCheckable(true);
    action->setChecked(!view_->isColumnHidden(logical));
    QObject::connect(action, &QAction::toggled, this, [this, logical](bool shown) {
      view_->setColumnHidden(logical, !shown);
      Save();
    });
  }
  menu.addSeparator();
  QObject::connect(menu.addAction(translate_("Ripristina layout predefinito")), &QAction::triggered, this, [this] {
    RestoreDefault();
    Save();
  });
  menu.exec(view_->horizontalHeader()->mapToGlobal(at));
}

QString GridDefinition::SelectionText() const {
  if (!view_ || !model_ || view_->selectionModel() == nullptr) return {};
  std::map<int, std::set<int>> cells;  // row → columns
  for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) {
    if (!view_->isColumnHidden(index.column())) cells[index.row()].insert(index.column());
  }
  if (cells.empty()) return {};
  std::set<int> used;
  for (const auto& [row, columns] : cells) used.insert(columns.begin(), columns.end());
  // The columns in the order the user sees them.
  std::vector<int> order(used.begin(), used.end());
  QHeaderView* header = view_->horizontalHeader();
  std::sort(order.begin(), order.end(),
            [header](int a, int b) { return header->visualIndex(a) < header->visualIndex(b); });
  const auto clean = [](QString text) { return text.replace('\t', ' ').replace('\n', ' '); };
  QStringList lines;
  QStringList captions;
  for (const int c : order) captions << clean(model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
  lines << captions.join('\t');
  for (const auto& [row, columns] : cells) {
    QStringList values;
    for (const int c : order) {
      values << (columns.count(c) != 0 ? clean(model_->index(row, c).data().toString()) : QString());
    }
    lines << values.join('\t');
  }
  return lines.join('\n') + '\n';
}

bool GridDefinition::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(SelectionText());
    return true;
  }
  if (event->type() == QEvent::KeyPress && view_ && view_->model() != nullptr && view_->model()->rowCount() > 0) {
    // Ctrl+Home and Ctrl+End select the row they reach (the view's own
    // would only move the current cell under Ctrl).
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
      const int row = key->key() == Qt::Key_Home ? 0 : view_->model()->rowCount() - 1;
      const int column = std::max(0, view_->currentIndex().column());
      const QModelIndex target = view_->model()->index(row, column);
      view_->selectionModel()->setCurrentIndex(target,
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      view_->scrollTo(target);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace results_form
