#include "output/json_values.h"

#include <algorithm>
#include <charconv>

namespace output {

using host::Variant;

nlohmann::json Json(const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Empty:
    case host::VarType::Null: return nullptr;
    case host::VarType::Boolean: return v.ToBool();
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: return v.ToInt64();
    case host::VarType::Decimal: {
      const host::Decimal d = v.ToDecimal().Normalized();
      if (d.Scale() == 0 && d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
        return static_cast<int64_t>(d.Coefficient());
      }
      return d.ToDouble();
    }
    case host::VarType::Double: return v.ToDouble();
    case host::VarType::Date: return v.Date().ToIsoText();
    case host::VarType::Text: return host::RTrim(v.Text());
  }
  return nullptr;
}

namespace {

void AppendInteger(std::string& out, int64_t n) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  out.append(digits, end);
}

}  // namespace

void AppendJson(std::string& out, const Variant& v) {
  switch (v.Type()) {
    case host::VarType::Empty:
    case host::VarType::Null: out += "null"; return;
    case host::VarType::Int16:
    case host::VarType::Int32:
    case host::VarType::Int64: AppendInteger(out, v.ToInt64()); return;
    case host::VarType::Boolean: out += v.ToBool() ? "true" : "false"; return;
    case host::VarType::Decimal: {
      // Whole decimals are most of a booking's figures: written as Json()
      // gives them (a whole number); the others go through the library.
      const host::Decimal d = v.ToDecimal().Normalized();
      if (d.Scale() == 0 && d.Coefficient() >= INT64_MIN && d.Coefficient() <= INT64_MAX) {
        AppendInteger(out, static_cast<int64_t>(d.Coefficient()));
        return;
      }
      break;
    }
    case host::VarType::Text: {
      const std::string text = host::RTrim(v.Text());
      if (text.find_first_of("\"\\") == std::string::npos &&
          std::none_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80;
          })) {
        out += '"';
        out += text;
        out += '"';
        return;
      }
      break;
    }
    default: break;
  }
  // A text that is not valid UTF-8 shows U+FFFD where it breaks, rather
  // than stopping the output.
  out += Json(v).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace output
