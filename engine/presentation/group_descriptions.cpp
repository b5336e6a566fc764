#include "engine/presentation/group_descriptions.h"

#include <algorithm>

#include "host/recordset/text_pool.h"

namespace engine {
namespace {

// The grouping columns that have a name among the bookings' columns, and
// that name's column. A project's, a job order's or a node's name depends
// on a second code as well (sub-project, sub-order, project), so a search by
// it would also keep groups of the first code alone: left out.
struct NamedColumn {
  const char* code;
  const char* name;
};
constexpr NamedColumn kNamedColumns[] = {
    {"PD44_CODART_MG66", "MG87_DESCART"},       {"PD44_CODFORNREP", "PD44_CODFORNREP_D"},
    {"PD44_MACCHINA_PD08", "PD08_DESCR"},       {"PD44_CODDIP_PD06", "DESCRDIP"},
    {"PD44_CODFASE_PD12", "PD12_DESCR"},
};

// A code as the groups compare it: a text without case and trailing
// blanks, a number by its value; empty for Null and blank.
std::string CodeKey(const host::Variant& code) {
  if (code.IsNull() || code.IsEmpty() || code.IsDate()) return {};
  if (code.IsText()) return host::TextPool::Fold(code.Text());
  if (!code.IsNumeric()) return {};
  return code.ToDecimal().Normalized().ToString();
}

// Whether `lines` (one per line) holds `line`: each name once, as an
// article's variants may share theirs.
bool HasLine(std::string_view lines, std::string_view line) {
  for (size_t at = 0; at <= lines.size();) {
    const size_t end = std::min(lines.find('\n', at), lines.size());
    if (lines.substr(at, end - at) == line) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

GroupDescriptions::GroupDescriptions(const host::Table& bookings, const std::vector<std::string>& grouping_columns) {
  for (const std::string& grouping : grouping_columns) {
    const std::string column = host::UpperAscii(grouping);
    for (const NamedColumn& named : kNamedColumns) {
      const int code_at = bookings.FieldIndex(named.code);
      const int name_at = bookings.FieldIndex(named.name);
      if (column != named.code || code_at < 0 || name_at < 0) continue;
      auto& names = names_[column];
      const host::Column& codes = bookings.ColumnAt(static_cast<size_t>(code_at));
      const host::Column& texts = bookings.ColumnAt(static_cast<size_t>(name_at));
      // The bookings come grouped: a row with the code and name of the one
      // before adds nothing (texts told by their pool ids, numbers by value).
      const auto same_as_before = [&](size_t row) {
        const uint32_t name = texts.TextIdAt(row);
        if (row == 0 || name == host::TextPool::kNullId || name != texts.TextIdAt(row - 1)) return false;
        const uint32_t code = codes.TextIdAt(row);
        if (code != host::TextPool::kNullId) return code == codes.TextIdAt(row - 1);
        return codes.Get(row) == codes.Get(row - 1);
      };
      for (size_t row = 0; row < bookings.RowCount(); ++row) {
        if (same_as_before(row)) continue;
        const std::string key = CodeKey(codes.Get(row));
        const host::Variant name = texts.Get(row);
        if (key.empty() || name.IsNull() || name.IsEmpty()) continue;
        const std::string text = host::RTrim(name.JoinedText());
        if (text.empty()) continue;
        std::string& all = names[key];
        if (!HasLine(all, text)) all += all.empty() ? text : "\n" + text;
      }
    }
  }
}

const std::string& GroupDescriptions::Of(std::string_view column, const host::Variant& code) const {
  static const std::string kNone;
  const auto names = names_.find(host::UpperAscii(column));
  if (names == names_.end()) return kNone;
  const std::string key = CodeKey(code);
  if (key.empty()) return kNone;
  const auto found = names->second.find(key);
  return found == names->second.end() ? kNone : found->second;
}

}  // namespace engine
