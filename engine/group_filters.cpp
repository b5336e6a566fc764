// The filter that keeps a group's bookings, as a visit sets it on the
// bookings (GroupFilter) or as the figures match them (GroupCriteria): its
// fields, its terms for the current group, and which groups an "= NULL"
// could mix up.
#include "engine/group_totals.h"

#include <algorithm>

#include "engine/value_helpers.h"
#include "host/recordset/text_pool.h"

namespace engine {

using host::Variant;

namespace {

struct Candidate {
  const char* field;
  bool number;  // written as a number; otherwise quoted
};

// The group filter's candidate fields, in the order the filter is built.
constexpr Candidate kCandidates[] = {
    {"DO30_PROGRIGA", true},    {"DO31_DATACONS", false},    {"DO31_DATAINIZLAV", false}, {"DO11_DATADOC", false},
    {"DO11_NUMDOC", true},      {"DO11_SEZDOC", false},      {"DO11_DOCUM_MG36", false},  {"PD44_CODPROG_PD14", false},
    {"PD44_CODCOMM", false},    {"PD44_SOTPROG_PD14", true}, {"PD44_CODSCOM", true},      {"PD44_MACCHINA_PD08", false},
    {"PD44_CODFORNREP", false}, {"PD44_CODFASE_PD12", true}, {"PD44_SEQFASE", true},      {"PD44_CODART_MG66", false},
    {"PD44_OPZIONE", false},    {"PD44_CODDIP_PD06", false},
};

bool NullLike(const Variant& v, bool number) {
  if (number) return v.IsNull() || v.IsEmpty() || !v.IsNumeric() || host::CompareNumbers(v, int16_t{0}) <= 0;
  // Blank as its text: Null, Empty, or spaces only (a date's or a number's
  // text never is), told without making the text (every field of every group).
  switch (v.Type()) {
    case host::VarType::Null:
    case host::VarType::Empty: return true;
    case host::VarType::Text: return v.Text().find_first_not_of(' ') == std::string::npos;
    default: return false;
  }
}

// The exact grouping value, as the server groups it (texts without case and
// trailing blanks, Null apart).
std::string ExactPart(const Variant& v, bool number) {
  if (v.IsNull() || v.IsEmpty()) return std::string("\x01N");
  if (number && v.IsNumeric()) return "D" + v.ToDecimal().Normalized().ToString();
  return "T" + host::TextPool::Fold(v.JoinedText());
}

}  // namespace

// Which groups an "= NULL" could mix up: the Null-like fields of a group's
// values, the exact value of the others.
std::string GroupTotals::CollisionClass(const std::vector<FilterField>& fields, const std::vector<Variant>& values) {
  std::string cls;
  for (size_t i = 0; i < fields.size(); ++i) {
    cls += (NullLike(values[i], fields[i].number) ? std::string("\x01") : ExactPart(values[i], fields[i].number)) +
           '\x1f';
  }
  return cls;
}

namespace {

std::string Quoted(const Variant& v) {
  const std::string text = v.IsDate() ? v.Date().ToIsoText() : v.JoinedText();
  return "'" + host::ReplaceAll(text, "'", "''") + "'";
}

// The filter fields for a run: candidates that are grouping fields, then the
// other grouping fields that the bookings carry.
std::vector<GroupTotals::FilterField> FilterFields(host::RecordSet& campi, const host::RecordSet& groups,
                                                   const host::RecordSet& bookings,
                                                   const std::vector<std::string>& grouping) {
  std::vector<GroupTotals::FilterField> fields;
  auto campi_lookup = campi.Clone();
  const auto is_grouping = [&](const std::string& name) {
    if (campi_lookup->RecordCount() == 0) return false;
    campi_lookup->MoveFirst();
    campi_lookup->Find("NOME = '" + name + "'");
    return !campi_lookup->Eof() && host::CompareNumbers(ValoreNumerico(campi_lookup->Value("GRUPPO")), int16_t{1}) == 0;
  };
  for (const Candidate& c : kCandidates) {
    if (is_grouping(c.field) && groups.FieldIndex(c.field) >= 0) fields.push_back({c.field, c.number});
  }
  for (const std::string& name : grouping) {
    const bool known = std::any_of(std::begin(kCandidates), std::end(kCandidates), [&](const Candidate& c) {
      return host::UpperAscii(c.field) == host::UpperAscii(name);
    });
    const int in_bookings = bookings.FieldIndex(name);
    if (known || in_bookings < 0 || groups.FieldIndex(name) < 0) continue;
    const host::FieldType type = bookings.Field(static_cast<size_t>(in_bookings)).type;
    const bool number = type != host::FieldType::Text && type != host::FieldType::Char &&
                        type != host::FieldType::Date && type != host::FieldType::Variant;
    fields.push_back({name, number});
  }
  return fields;
}

}  // namespace

const std::vector<GroupTotals::FilterField>& GroupTotals::Fields() {
  if (!fields_) {
    fields_ = FilterFields(*records_.RSCampi, *records_.RSTempiVer, *records_.RSTempiVerDett, grouping_columns_);
  }
  return *fields_;
}

void GroupTotals::PrepareCollisions() {
  if (collisions_ready_) return;
  collisions_ready_ = true;
  const auto& fields = Fields();
  auto groups = records_.RSTempiVer->Clone();
  groups->SetFilter("");
  std::vector<Variant> values(fields.size());
  for (; !groups->Eof(); groups->MoveNext()) {
    bool any_null = false;
    for (size_t i = 0; i < fields.size(); ++i) {
      values[i] = groups->Value(fields[i].name);
      any_null = any_null || NullLike(values[i], fields[i].number);
    }
    if (any_null) ++groups_per_class_[CollisionClass(fields, values)];
  }
}

void GroupTotals::ShareFilterFields(GroupTotals& other) {
  if (&other == this) return;
  other.PrepareCollisions();
  fields_ = other.Fields();
  groups_per_class_ = other.groups_per_class_;
  collisions_ready_ = true;
}

const std::vector<GroupTotals::FilterTerm>& GroupTotals::GroupTerms() {
  PrepareCollisions();
  const host::RecordSet& group = *records_.RSTempiVer;
  const auto& fields = Fields();
  // Read by position: this runs for every group of the run.
  if (filter_positions_.size() != fields.size()) {
    filter_positions_.clear();
    for (const auto& f : fields) filter_positions_.push_back(group.FieldIndex(f.name));
  }
  std::vector<Variant>& group_values = filter_values_;
  group_values.resize(fields.size());
  std::vector<FilterTerm>& terms = filter_terms_;
  terms.clear();
  bool any_null = false;
  for (size_t i = 0; i < fields.size(); ++i) {
    // A field the record set lacks fails as reading it by name does.
    const int at = filter_positions_[i];
    Variant& v = group_values[i];
    v = at < 0 ? group.Value(fields[i].name) : group.Value(static_cast<size_t>(at));
    if (NullLike(v, fields[i].number)) {
      any_null = true;
    } else {
      terms.push_back({&fields[i], FilterTerm::Kind::Value, &v});
    }
  }
  if (!any_null) return terms;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (NullLike(group_values[i], fields[i].number)) terms.push_back({&fields[i], FilterTerm::Kind::Null, nullptr});
  }
  // The exact values, should another group share these "= NULL".
  const auto it = groups_per_class_.find(CollisionClass(fields, group_values));
  if (it == groups_per_class_.end() || it->second <= 1) return terms;
  for (size_t i = 0; i < fields.size(); ++i) {
    const Variant& v = group_values[i];
    if (!NullLike(v, fields[i].number)) continue;
    const bool null = v.IsNull() || v.IsEmpty();
    terms.push_back({&fields[i], null ? FilterTerm::Kind::IsNull : FilterTerm::Kind::Value, null ? nullptr : &v});
  }
  return terms;
}

std::string GroupTotals::GroupFilter() {
  std::string filter;
  for (const FilterTerm& t : GroupTerms()) {
    filter += (filter.empty() ? "" : " AND ") + t.field->name;
    switch (t.kind) {
      case FilterTerm::Kind::Value:
        filter += " = " + (t.field->number ? t.value->ToDecimal().ToString() : Quoted(*t.value));
        break;
      case FilterTerm::Kind::Null: filter += " = NULL"; break;
      case FilterTerm::Kind::IsNull: filter += " IS NULL"; break;
    }
  }
  return filter;
}

host::Criteria GroupTotals::GroupCriteria(const host::Table& bookings) {
  host::Criteria criteria;
  const std::vector<FilterTerm>& terms = GroupTerms();
  if (terms.empty()) return criteria;
  std::vector<host::Criterion>& all = criteria.any_of.emplace_back();
  for (const FilterTerm& t : terms) {
    host::Criterion& c = all.emplace_back();
    const int column = bookings.FieldIndex(t.field->name);
    if (column < 0) {
      throw host::Error(host::kErrItemNotFound, "Field " + t.field->name + " not found in the criteria", "Recordset");
    }
    c.column = static_cast<size_t>(column);
    switch (t.kind) {
      case FilterTerm::Kind::Value:
        // The literal as the filter's text reads back: a decimal, or the text
        // (a date as its ISO text, which a date column reads as the date).
        if (t.field->number) {
          c.literal = t.value->ToDecimal();
        } else if (t.value->IsDate() && bookings.Field(c.column).type == host::FieldType::Date) {
          c.literal = *t.value;
        } else {
          c.literal = t.value->IsDate() ? t.value->Date().ToIsoText() : t.value->JoinedText();
        }
        c.key = bookings.ColumnAt(c.column).KeyOf(c.literal);
        break;
      case FilterTerm::Kind::Null: c.null_literal = true; break;
      case FilterTerm::Kind::IsNull:
        c.op = host::Criterion::Op::IsNull;
        c.key = bookings.ColumnAt(c.column).KeyOf(c.literal);
        break;
    }
  }
  return criteria;
}

}  // namespace engine
