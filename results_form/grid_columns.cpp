#include "results_form/grid_columns.h"

#include <QLocale>

#include "engine/value_helpers.h"

namespace results_form {

namespace {

// The default locale's thousands separator and decimal point (one byte each:
// the locales the module speaks use ASCII ones).
std::pair<char, char> LocaleSeparators() {
  const QLocale locale;
  const char group = locale.groupSeparator().isEmpty() ? ',' : locale.groupSeparator().at(0).toLatin1();
  const char point = locale.decimalPoint().isEmpty() ? '.' : locale.decimalPoint().at(0).toLatin1();
  return {group != 0 ? group : ',', point != 0 ? point : '.'};
}

}  // namespace

QString LocalFigure(const std::string& text) {
  const auto [group, point] = LocaleSeparators();
  return QString::fromStdString(engine::LocalizedFigure(text, group, point));
}

QString FormattedNumber(const host::Variant& value, const std::string& pattern) {
  if (value.IsNull() || value.IsEmpty()) return {};
  if (!value.IsNumber()) {
    // Texts that hold numbers (the hh:mm:ss gap texts) stay as they are.
    const auto number = host::Decimal::Parse(value.JoinedText());
    if (!number) return CellText(value);
    return FormattedNumber(*number, pattern);
  }
  const auto [group, point] = LocaleSeparators();
  return QString::fromStdString(engine::FormatNumber(value.ToDecimal(), pattern, group, point));
}

std::vector<RecordSetModel::Column> ModelColumns(const std::vector<engine::GridColumn>& columns,
                                                 const Translate& translate,
                                                 const std::map<engine::ValueList, engine::ValueListTexts>* lists) {
  std::vector<RecordSetModel::Column> out;
  for (const auto& c : columns) {
    RecordSetModel::Column m;
    m.field = c.field;
    m.shown = c.display_field;
    m.caption = translate(c.caption);
    m.alignment = (c.alignment == engine::Alignment::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    m.visible = c.visible;
    m.width = engine::WidthInPixels(c.width);
    if (c.list != engine::ValueList::None && lists != nullptr && lists->count(c.list) != 0) {
      const engine::ValueListTexts texts = lists->at(c.list);
      m.text = [texts](const host::Variant& v) -> QString {
        if (v.IsNull() || v.IsEmpty()) return {};
        const auto it = texts.find(engine::ValoreNumerico(v).ToInt32());
        return it == texts.end() ? CellText(v) : QString::fromStdString(it->second);
      };
    } else if (!c.format.empty()) {
      const std::string pattern = c.format;
      m.text = [pattern](const host::Variant& v) { return FormattedNumber(v, pattern); };
    }
    out.push_back(std::move(m));
  }
  return out;
}

}  // namespace results_form
