#include "results_form/category_model.h"

#include "results_form/grid_columns.h"

#include "host/value/error.h"
#include <QBrush>
#include <QColor>
#include <QFontDatabase>

#include "engine/category_texts.h"
#include "results_form/tolerance_style.h"

namespace results_form {

CategoryModel::CategoryModel(int16_t unit, Translate translate, QObject* parent)
    : QAbstractTableModel(parent), unit_(unit), translate_(std::move(translate)) {
  rows_.resize(engine::kCategoryNames.size());
  negative_.resize(engine::kCategoryNames.size());
  seconds_.resize(engine::kCategoryNames.size());
  side_.resize(engine::kCategoryNames.size());
  figures_.resize(engine::kCategoryNames.size());
}

void CategoryModel::SetTolerance(double percent) {
  tolerance_ = percent;
  for (size_t i = 0; i < rows_.size(); ++i) side_[i] = engine::FiguresSide(figures_[i].planned, figures_[i].booked, tolerance_);
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

std::pair<double, double> CategoryModel::Seconds(int row) const {
  return row >= 0 && row < rowCount() ? seconds_[static_cast<size_t>(row)] : std::pair<double, double>{};
}

void CategoryModel::Load(const host::RecordSet* prev) {
  beginResetModel();
  for (size_t i = 0; i < engine::kCategoryNames.size(); ++i) {
    rows_[i] = {};
    negative_[i] = false;
    seconds_[i] = {};
    side_[i] = 0;
    figures_[i] = {};
    if (prev == nullptr || prev->Bof() || prev->Eof()) continue;
    try {
      const auto c = engine::SecondsOf(*prev, {engine::kCategoryNames[i].suffix}, unit_);
      const engine::FigureTexts t = engine::FigureTextsOf(c.planned, c.booked, unit_);
      rows_[i] = {LocalFigure(t.planned), LocalFigure(t.booked), LocalFigure(t.gap), LocalFigure(t.percent)};
      negative_[i] = c.booked.ToDecimal() < c.planned.ToDecimal();
      seconds_[i] = {c.planned.ToDecimal().ToDouble(), c.booked.ToDecimal().ToDouble()};
      figures_[i] = c;
      side_[i] = engine::FiguresSide(c.planned, c.booked, tolerance_);
    } catch (const host::Error&) {
      // A record without the category's fields shows empty cells.
    }
  }
  endResetModel();
}

int CategoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CategoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QString CategoryModel::Text(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= 4) return {};
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

QVariant CategoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole: {
      const int side = side_[static_cast<size_t>(index.row())];
      if (index.column() == 3 && side != 0) {
        const QString percent = Text(index.row(), 3);  // empty without a plan
        return percent.isEmpty() ? ToleranceSymbol(side) : ToleranceSymbol(side) + " " + percent;
      }
      return Text(index.row(), index.column());
    }
    case Qt::BackgroundRole:
      return index.column() == 3 ? ToleranceBackground(side_[static_cast<size_t>(index.row())]) : QVariant();
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::FontRole: return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    case Qt::ForegroundRole:
      // Colour is the second cue: the sign already says it.
      if (index.column() == 3 && side_[static_cast<size_t>(index.row())] != 0) {
        return ToleranceForeground(side_[static_cast<size_t>(index.row())]);
      }
      if (index.column() >= 2 && negative_[static_cast<size_t>(index.row())]) return QBrush(QColor(160, 30, 30));
      return {};
    default: return {};
  }
}

QVariant CategoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) {
    return section >= 0 && section < rowCount()
               ? translate_(std::string(engine::kCategoryNames[static_cast<size_t>(section)].caption))
               : QVariant();
  }
  static const char* const kHeaders[] = {"Previsto", "Versato", "Scostamento", "Scost. %"};
  return section >= 0 && section < 4 ? translate_(kHeaders[section]) : QVariant();
}

}  // namespace results_form
