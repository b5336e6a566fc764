#include "engine/formato_db.h"

namespace engine {
namespace {

// A value refused: Empty, with the message the user reads.
host::Valued<host::Variant> Refused(std::string_view text, int32_t number) {
  return {{}, host::Status::Message(host::Status::Kind::kFailed, std::string(text), number, host::kMbIconExclamation)};
}

}  // namespace

std::string DoubleQuotes(std::string_view text) { return host::ReplaceAll(text, "'", "''"); }

host::Valued<host::Variant> FormatoDB(const host::Variant& value, int32_t kind, bool null_allowed,
                                      host::DateService& dates, host::NumberService& numbers) {
  try {
    const std::string text = value.JoinedText();
    const bool blank = value.IsEmpty() || value.IsNull() || host::RTrim(text).empty();
    if (blank) {
      if (null_allowed) return {"null", {}};
      switch (kind) {
        case kDbText:
        case kDbUnicodeText: return {"''", {}};
        case kDbDecimal:
        case kDbNumber: return Refused(kTextNullNumber, kMsgNullNumber);
        case kDbDate: return Refused(kTextNullDate, kMsgNullDate);
        default: return {};
      }
    }
    switch (kind) {
      case kDbText: return {"'" + DoubleQuotes(text) + "'", {}};
      case kDbUnicodeText: return {"N'" + DoubleQuotes(text) + "'", {}};
      case kDbDecimal: return {value.ToDecimal(), {}};
      case kDbNumber: return {numbers.Format(value), {}};
      case kDbDate: {
        dates.SetText(text);
        if (dates.ErrorValue() == 0) return {"'" + dates.DBFormat() + "'", {}};
        return Refused(kTextDateConversion, kMsgDateConversion);
      }
      default: return {};
    }
  } catch (const std::exception&) {
    return {{}, host::Status::FailedHere("FormatoDB")};
  }
}

}  // namespace engine
