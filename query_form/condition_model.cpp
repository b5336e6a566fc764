#include "query_form/condition_model.h"

#include "engine/relative_dates.h"

#include <QBrush>
#include <QColor>

#include "host/recordset/table.h"

namespace query_form {
namespace {

QString Text(const host::Variant& value) {
  return value.IsEmpty() || value.IsNull() ? QString() : QString::fromStdString(value.JoinedText());
}

}  // namespace

ConditionModel::ConditionModel(host::QueryControl& control, Translate translate, QObject* parent)
    : QAbstractTableModel(parent), control_(control), translate_(std::move(translate)) {}

void ConditionModel::Reload() {
  beginResetModel();
  descriptions_.clear();
  problems_.clear();
  endResetModel();
}

int ConditionModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0
                          : static_cast<int>(control_.Fields().size() + control_.States().size() +
                                             control_.ExtraFields().size());
}

// Rows: the fields, the states, then the attributes of each source.
const host::QueryControl::Field* ConditionModel::FieldOf(int row) const {
  if (row < 0) return nullptr;
  const auto r = static_cast<size_t>(row);
  const size_t fields = control_.Fields().size();
  const size_t states = control_.States().size();
  if (r < fields) return &control_.Fields()[r];
  if (r < fields + states) return nullptr;
  const size_t a = r - fields - states;
  return a < control_.ExtraFields().size() ? &control_.ExtraFields()[a] : nullptr;
}

int ConditionModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

bool ConditionModel::IsState(int row) const {
  return row >= static_cast<int>(control_.Fields().size()) &&
         row < static_cast<int>(control_.Fields().size() + control_.States().size());
}

std::string ConditionModel::ColumnOf(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  if (const auto* field = FieldOf(row)) return field->column;
  return control_.States()[static_cast<size_t>(row) - control_.Fields().size()].column;
}

std::string ConditionModel::CaptionOf(int row) const {
  if (row < 0 || row >= rowCount()) return {};
  if (const auto* field = FieldOf(row)) return field->caption;
  return control_.States()[static_cast<size_t>(row) - control_.Fields().size()].caption;
}

bool ConditionModel::IsDate(int row) const {
  const auto* field = FieldOf(row);
  return field != nullptr && field->IsDate();
}

int ConditionModel::MaxLength(int row) const {
  const auto* found = FieldOf(row);
  if (found == nullptr) return 0;
  const auto& field = *found;
  // A date field's length is the text of a date and time, not a limit.
  return field.max_length && !field.IsDate() ? *field.max_length : 0;
}

int ConditionModel::RowOfColumn(const std::string& column) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (host::UpperAscii(ColumnOf(row)) == host::UpperAscii(column)) return row;
  }
  return -1;
}

QVariant ConditionModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const int col = index.column();
  const bool to_side = col == kTo || col == kToDescription;
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    switch (col) {
      case kCaption: return translate_(CaptionOf(row));
      case kFrom: return Text(control_.FromValue(ColumnOf(row)));
      case kTo: return IsState(row) ? QVariant() : QVariant(Text(control_.ToValue(ColumnOf(row))));
      default: {
        auto it = descriptions_.find({row, to_side});
        return it == descriptions_.end() ? QVariant() : QVariant(it->second);
      }
    }
  }
  if ((col == kFrom || col == kTo) && problems_.count({row, to_side}) != 0) {
    if (role == Qt::BackgroundRole) return QBrush(QColor(255, 214, 214));
    if (role == Qt::ToolTipRole) return problems_.at({row, to_side});
  }
  if (role == Qt::ForegroundRole && (col == kFromDescription || col == kToDescription)) {
    return QBrush(QColor(70, 70, 70));
  }
  return {};
}

QVariant ConditionModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[] = {"Campo", "Da", "A", "Descrizione da", "Descrizione a"};
  return section >= 0 && section < kColumns ? translate_(kHeaders[section]) : QVariant();
}

Qt::ItemFlags ConditionModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kFrom || (index.column() == kTo && !IsState(index.row()))) f |= Qt::ItemIsEditable;
  return f;
}

bool ConditionModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  const int row = index.row();
  const bool to_side = index.column() == kTo;
  const std::string column = ColumnOf(row);
  const std::string text = value.toString().toStdString();
  const host::Variant stored = host::Trim(text).empty() ? host::Variant() : host::Variant(text);
  if (to_side) {
    control_.SetTo(column, stored);
  } else {
    control_.SetFrom(column, stored);
  }
  // A relative date ("@mese-scorso") is resolved when the run starts.
  const bool relative = IsDate(row) && engine::ResolveRelativeDate(text, engine::LocalToday()).has_value();
  if (auto problem = relative ? std::nullopt : control_.ProblemOf(column, stored)) {
    problems_[{row, to_side}] = Describe(*problem, QString::fromStdString(text));
  } else {
    problems_.erase({row, to_side});
  }
  descriptions_.erase({row, to_side});
  emit dataChanged(this->index(row, 0), this->index(row, kColumns - 1));
  emit ValueCommitted(row, to_side);
  return true;
}

void ConditionModel::SetDescription(int row, bool to_side, const QString& text) {
  if (text.isEmpty()) {
    descriptions_.erase({row, to_side});
  } else {
    descriptions_[{row, to_side}] = text;
  }
  const int col = to_side ? kToDescription : kFromDescription;
  emit dataChanged(index(row, col), index(row, col));
}

void ConditionModel::MarkProblems(const std::vector<host::QueryControl::Problem>& problems) {
  problems_.clear();
  for (const auto& p : problems) {
    const int row = RowOfColumn(p.column);
    if (row >= 0) {
      const host::Variant value = p.to_side ? control_.ToValue(p.column) : control_.FromValue(p.column);
      problems_[{row, p.to_side}] = Describe(p, QString::fromStdString(value.JoinedText()));
    }
  }
  emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

QString ConditionModel::Describe(const host::QueryControl::Problem& problem, const QString& value) const {
  using Kind = host::QueryControl::ProblemKind;
  QString why;
  switch (problem.kind) {
    case Kind::NotADate: why = translate_("non è una data valida (usare GG/MM/AAAA o AAAA-MM-GG)"); break;
    case Kind::DateRefused: why = translate_("non è una data accettata dal database"); break;
    case Kind::NotANumber: why = translate_("non è un numero"); break;
    case Kind::TooLong: why = translate_("è più lungo di %1 caratteri").arg(problem.limit); break;
    case Kind::NotAState: why = translate_("non è un numero di stato"); break;
    case Kind::TooManyDigits: why = translate_("ha più di %1 cifre").arg(problem.limit); break;
    case Kind::PatternInRange:
      why = translate_("ha '*' o '?' all'interno; un estremo dell'intervallo accetta '*' solo in fondo");
      break;
  }
  return "'" + value + "' " + why;
}

QString ConditionModel::Problem(int row, bool to_side) const {
  auto it = problems_.find({row, to_side});
  return it == problems_.end() ? QString() : it->second;
}

}  // namespace query_form
