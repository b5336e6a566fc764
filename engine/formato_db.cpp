#include "engine/formato_db.h"

namespace engine {
namespace {

void ShowMessage(FormServices& form, std::string_view text, int32_t number) {
  const std::string translated = form.TestoLingua(text, number, 0);
  form.MsgBoxLingua(translated, 0, kMbIconExclamation, form.FormCaption());
}

}  // namespace

std::string DoubleQuotes(std::string_view text) { return host::ReplaceAll(text, "'", "''"); }

host::Variant FormatoDB(FormServices& form, const host::Variant& value, int32_t kind, bool null_allowed) {
  try {
    const std::string text = value.JoinedText();
    const bool blank = value.IsEmpty() || value.IsNull() || host::RTrim(text).empty();
    if (blank) {
      if (null_allowed) return "null";
      switch (kind) {
        case kDbText:
        case kDbUnicodeText: return "''";
        case kDbDecimal:
        case kDbNumber: ShowMessage(form, kTextNullNumber, kMsgNullNumber); return {};
        case kDbDate: ShowMessage(form, kTextNullDate, kMsgNullDate); return {};
        default: return {};
      }
    }
    switch (kind) {
      case kDbText: return "'" + DoubleQuotes(text) + "'";
      case kDbUnicodeText: return "N'" + DoubleQuotes(text) + "'";
      case kDbDecimal: return value.ToDecimal();
      case kDbNumber: return form.NumberService().Format(value);
      case kDbDate: {
        host::DateService& dates = form.DateService();
        dates.SetText(text);
        if (dates.ErrorValue() == 0) return "'" + dates.DBFormat() + "'";
        ShowMessage(form, kTextDateConversion, kMsgDateConversion);
        return {};
      }
      default: return {};
    }
  } catch (...) {
    ReportCurrentError(form, "FormatoDB");
    return {};
  }
}

}  // namespace engine
