#include "host/controls/query_control.h"

#include <algorithm>
#include <sstream>

#include "host/db/connection.h"
#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host {

namespace {

// A refused value, with what kind of problem it is for the form's message.
struct ValueError : Error {
  ValueError(const std::string& text, QueryControl::ProblemKind kind, int limit)
      : Error(kErrInvalidArgument, text, "KVL_ADVQ"), kind(kind), limit(limit) {}
  QueryControl::ProblemKind kind;
  int limit;
};

[[noreturn]] void BadValue(const std::string& caption, const Variant& value, const std::string& why,
                           QueryControl::ProblemKind kind, int limit = 0) {
  throw ValueError("\"" + caption + "\": '" + ShortenedForMessage(value.JoinedText()) + "' " + why, kind, limit);
}

// Characters, not bytes: a column of 15 holds 15 accented letters.
size_t Characters(std::string_view text) {
  size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

// The significant digits a number is written with (leading zeros and the
// zeros that end its fraction not counted).
int SignificantDigits(std::string_view text) {
  text = text.substr(0, text.find_first_of("eE"));
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  const size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (whole.empty()) {
    while (!fraction.empty() && fraction.front() == '0') fraction.remove_prefix(1);
  }
  return static_cast<int>(whole.size() + fraction.size());
}

// A number without exponent as digits only: its sign, its whole part without
// leading zeros, its fraction without trailing ones ("-0012.50" is "-12.5").
std::string Canonical(std::string_view text) {
  std::string sign;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    if (text.front() == '-') sign = "-";
    text.remove_prefix(1);
  }
  const size_t dot = text.find('.');
  std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (whole.empty() && fraction.empty()) return "0";
  return sign + std::string(whole) + (fraction.empty() ? "" : "." + std::string(fraction));
}

// The most digits a number of a condition may have: what the database's
// widest decimal keeps exactly.
constexpr int kMostDigits = 28;

// Whether the text ends a range as a prefix ("ART001*": every text that
// starts with ART001); anything else with '*' or '?' in a range is refused.
bool PrefixBound(const std::string& text) {
  return text.size() > 1 && text.back() == '*' && text.find_first_of("*?") == text.size() - 1;
}

bool Blank(const Variant& v) { return v.IsEmpty() || v.IsNull() || Trim(v.JoinedText()).empty(); }

// The midnight of a date value (text or date); the value itself when it is
// not a date (Literal then refuses it).
Variant DayOf(const Variant& v) {
  const std::optional<DateTime> d = v.IsDate() ? std::optional<DateTime>(v.Date()) : DateTime::Parse(v.JoinedText());
  if (!d) return v;
  return *DateTime::FromParts(d->Year(), d->Month(), d->Day(), 0, 0, 0);
}

// One line per value: column, tab, from, tab, to (tabs and newlines escaped).
std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char n = text[++i];
      out += n == 't' ? '\t' : (n == 'n' ? '\n' : n);
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

void QueryControl::AddField(const std::string& group, const std::string& caption, const std::string& column,
                            bool visible, int16_t& number, bool s1, bool s2, bool s3, bool s4, bool s5, bool s6,
                            std::optional<int16_t> max_length, std::optional<std::string> extra_text,
                            std::optional<bool> extra_flag) {
  Field f{group, caption, column, visible, number, {s1, s2, s3, s4, s5, s6}, max_length, false};
  f.variant_extra = extra_text.has_value() && extra_flag.value_or(false);
  fields_.push_back(std::move(f));
}

void QueryControl::AddCategory(const std::string& group, const std::string& caption, bool visible, int16_t& number,
                               const std::string& article_column, const std::string& variant_column) {
  categories_.push_back({group, caption, visible, number, article_column, variant_column});
  Field f;
  f.group = group;
  f.caption = caption;
  f.column = "CO5C_CODCAT";
  f.visible = visible;
  f.number = number;
  f.settings = {true, true, false, false, false, false};
  f.max_length = int16_t{10};
  f.category = categories_.size() - 1;
  // Before the attributes, in the order the entries come.
  extra_fields_.insert(extra_fields_.begin() + static_cast<std::ptrdiff_t>(categories_.size() - 1), std::move(f));
}

void QueryControl::AddState(const std::string& group, const std::string& caption, const std::string& column,
                            bool visible, int16_t& number, int32_t entity) {
  states_.push_back({group, caption, column, visible, number, entity});
}

void QueryControl::AddAttribute(const std::string& group, bool visible, int32_t entity, const std::string& alias) {
  attributes_.push_back({group, visible, entity, alias});
  // The entity kinds the attribute tables serve, by the caption a user knows.
  const char* owner = entity == 5 ? "Articolo" : entity == 6 ? "Progetto" : entity == 7 ? "Nodo" : "Ordine";
  for (int i = 1; i <= 3; ++i) {
    Field f;
    f.group = group;
    f.caption = std::string(owner) + " attributo " + std::to_string(i);
    f.column = alias + ".CO5L_ATTR0" + std::to_string(i);
    f.visible = visible;
    f.number = static_cast<int16_t>((attributes_.size() - 1) * 3 + static_cast<size_t>(i));
    const bool number = i == 3;
    f.settings = {!number, false, number, false, false, false};
    if (!number) f.max_length = int16_t{20};
    extra_fields_.push_back(std::move(f));
  }
}

void QueryControl::AddFashion1(const std::string& group, bool visible, const std::string& text) {
  fashion_.push_back({1, group, visible, text, ""});
}
void QueryControl::AddFashion2(const std::string& group, bool visible, const std::string& text) {
  fashion_.push_back({2, group, visible, text, ""});
}
void QueryControl::AddFashion3(const std::string& group, bool visible, const std::string& text,
                               const std::string& column) {
  fashion_.push_back({3, group, visible, text, column});
}

void QueryControl::SetFrom(const std::string& column, const Variant& value) {
  values_[UpperAscii(column)].first = value;
}
void QueryControl::SetTo(const std::string& column, const Variant& value) {
  values_[UpperAscii(column)].second = value;
}

void QueryControl::SetOnwards(const std::string& column, bool onwards) {
  if (onwards) {
    onwards_.insert(UpperAscii(column));
  } else {
    onwards_.erase(UpperAscii(column));
  }
}

bool QueryControl::Onwards(const std::string& column) const { return onwards_.count(UpperAscii(column)) != 0; }

Variant QueryControl::FromValue(const std::string& column) const {
  auto it = values_.find(UpperAscii(column));
  return it == values_.end() ? Variant() : it->second.first;
}

Variant QueryControl::ToValue(const std::string& column) const {
  auto it = values_.find(UpperAscii(column));
  return it == values_.end() ? Variant() : it->second.second;
}

const QueryControl::Field* QueryControl::FieldByCaption(const std::string& caption) const {
  for (const auto* list : {&fields_, &extra_fields_}) {
    for (const auto& f : *list) {
      if (UpperAscii(f.caption) == UpperAscii(caption)) return &f;
    }
  }
  return nullptr;
}

const QueryControl::State* QueryControl::StateByCaption(const std::string& caption) const {
  for (const auto& s : states_) {
    if (UpperAscii(s.caption) == UpperAscii(caption)) return &s;
  }
  return nullptr;
}

std::string QueryControl::Literal(const Field& field, const Variant& value, bool end_of_day) const {
  if (field.IsDate()) {
    std::optional<DateTime> date =
        value.IsDate() ? std::optional<DateTime>(value.Date()) : DateTime::Parse(value.JoinedText());
    if (!date) BadValue(field.caption, value, "is not a date (use YYYY-MM-DD or DD/MM/YYYY)", ProblemKind::NotADate);
    if (end_of_day) date = DateTime::FromSeconds(date->Seconds() + 86400);
    PlainDateService plain;
    DateService& dates =
        settings_.connection != nullptr ? settings_.connection->Dates() : static_cast<DateService&>(plain);
    dates.SetText(date->ToIsoText());
    if (dates.ErrorValue() != 0) BadValue(field.caption, value, "is not a date the database accepts", ProblemKind::DateRefused);
    return "'" + dates.DBFormat() + "'";
  }
  if (field.IsNumber()) {
    auto number = Decimal::Parse(value.JoinedText());
    if (!number) BadValue(field.caption, value, "is not a number", ProblemKind::NotANumber);
    // Rounded, it would select other rows than those asked for.
    const std::string typed = Trim(value.JoinedText());
    if (SignificantDigits(typed) > kMostDigits ||
        (typed.find_first_of("eE") == std::string::npos && Canonical(typed) != Canonical(number->ToString()))) {
      BadValue(field.caption, value, "has more than " + std::to_string(kMostDigits) + " digits",
               ProblemKind::TooManyDigits, kMostDigits);
    }
    return number->ToString();
  }
  const std::string text = RTrim(value.JoinedText());
  if (field.max_length && static_cast<int>(Characters(text)) > *field.max_length) {
    BadValue(field.caption, value, "is longer than " + std::to_string(*field.max_length) + " characters",
             ProblemKind::TooLong, *field.max_length);
  }
  return "'" + ReplaceAll(text, "'", "''") + "'";
}

namespace {

// A text for LIKE: '*' any text, '?' one character; the rest literally,
// '!' escaping what LIKE (and SQL Server's brackets) would read otherwise.
std::string LikePattern(const std::string& text) {
  std::string like;
  for (const char c : text) {
    if (c == '*') {
      like += '%';
    } else if (c == '?') {
      like += '_';
    } else {
      if (c == '%' || c == '_' || c == '[' || c == '!') like += '!';
      like += c;
    }
  }
  return "'" + ReplaceAll(like, "'", "''") + "' ESCAPE '!'";
}

bool IsText(const QueryControl::Field& field) { return !field.IsDate() && !field.IsNumber(); }

}  // namespace

void QueryControl::CheckRangeEnd(const Field& field, const Variant& value) const {
  const std::string text = RTrim(value.JoinedText());
  if (IsText(field) && text.find_first_of("*?") != std::string::npos && !PrefixBound(text)) {
    BadValue(field.caption, value, "has '*' or '?' inside; a range's end takes '*' only at its end",
             ProblemKind::PatternInRange);
  }
}

std::string QueryControl::FromCondition(const Field& field, const Variant& from) const {
  CheckRangeEnd(field, from);
  const std::string text = RTrim(from.JoinedText());
  // "ART001*..": from the lowest text that starts so, the prefix itself.
  const Variant bound = IsText(field) && PrefixBound(text) ? Variant(text.substr(0, text.size() - 1)) : from;
  return " AND " + field.column + " >= " + Literal(field, bound, false);
}

std::string QueryControl::ToCondition(const Field& field, const Variant& to) const {
  CheckRangeEnd(field, to);
  const std::string text = RTrim(to.JoinedText());
  if (IsText(field) && PrefixBound(text)) {
    // "..ART002*": up to the highest text that starts so, whatever the
    // collation orders after the prefix.
    const std::string prefix = text.substr(0, text.size() - 1);
    return " AND (" + field.column + " <= " + Literal(field, Variant(prefix), false) + " OR " + field.column +
           " LIKE " + LikePattern(prefix + "*") + ")";
  }
  const bool has_time =
      to.IsDate() ? to.Date().HasTime() : DateTime::Parse(to.JoinedText()).value_or(DateTime()).HasTime();
  if (!field.IsDate() || has_time) return " AND " + field.column + " <= " + Literal(field, to, false);
  return " AND " + field.column + WholeDayEnd(field, to);
}

std::string QueryControl::WholeDayEnd(const Field& field, const Variant& day) const {
  const std::optional<DateTime> date =
      day.IsDate() ? std::optional<DateTime>(day.Date()) : DateTime::Parse(day.JoinedText());
  // The last day there is has no next day to stop before: up to its last second.
  if (date && date->Year() == 9999 && date->Month() == 12 && date->Day() == 31) {
    (void)Literal(field, day, false);
    return " <= " + Literal(field, Variant(*DateTime::FromParts(9999, 12, 31, 23, 59, 59)), false);
  }
  return " < " + Literal(field, day, true);
}

std::string QueryControl::FieldCondition(const Field& field) const {
  auto it = values_.find(UpperAscii(field.column));
  if (it == values_.end()) return {};
  const Variant& from = it->second.first;
  const Variant& to = it->second.second;
  const bool has_from = !Blank(from);
  const bool has_to = !Blank(to);
  if (!has_from && !has_to) return {};
  const bool onwards = onwards_.count(UpperAscii(field.column)) != 0;
  const bool pattern =
      IsText(field) && has_from && !has_to && !onwards && from.JoinedText().find_first_of("*?") != std::string::npos;
  if (pattern) return " AND " + field.column + " LIKE " + LikePattern(RTrim(from.JoinedText()));
  std::string condition;
  if (has_from && (has_to || onwards)) {
    condition += FromCondition(field, from);
    if (has_to) condition += ToCondition(field, to);
  } else if (has_from) {
    if (field.IsDate()) {
      // One date is its whole day, whatever time it carries.
      (void)Literal(field, from, false);  // refuses a value that is no date, as typed
      const Variant midnight = DayOf(from);
      condition += " AND " + field.column + " >= " + Literal(field, midnight, false);
      condition += " AND " + field.column + WholeDayEnd(field, midnight);
    } else {
      condition += " AND " + field.column + " = " + Literal(field, from, false);
    }
  } else {
    condition += ToCondition(field, to);
  }
  return condition;
}

std::string QueryControl::ConditionText() const {
  std::string condition;
  // In the order of the fields, then categories and attributes, then states.
  std::vector<const Field*> all;
  for (const Field& field : fields_) all.push_back(&field);
  for (const Field& field : extra_fields_) all.push_back(&field);
  for (const Field* field : all) {
    std::string own = FieldCondition(*field);
    if (own.empty() || !field->category) {
      condition += own;
      continue;
    }
    // An article is in a category by its own code, or by its variant's
    // when the category names one; the company is the control's.
    const Category& category = categories_[*field->category];
    const auto company = Decimal::Parse(settings_.company);
    condition += " AND EXISTS (SELECT 1 FROM CO5C_CATEGORIEART WITH (NOLOCK) WHERE CO5C_DITTA_CG18 = " +
                 (company ? company->ToString() : std::string("0")) + " AND CO5C_CODART_MG66 = " +
                 category.article_column + " AND CO5C_OPZIONE_MG5E IN ('', ISNULL(" + category.variant_column +
                 ",''))" + own + ")";
  }
  for (const State& state : states_) {
    auto it = values_.find(UpperAscii(state.column));
    if (it == values_.end()) continue;
    const auto number = [&](const Variant& v) {
      auto n = Decimal::Parse(v.JoinedText());
      if (!n) BadValue(state.caption, v, "is not a state number", ProblemKind::NotAState);
      return n->ToString();
    };
    const bool has_from = !Blank(it->second.first);
    const bool has_to = !Blank(it->second.second);
    const bool onwards = onwards_.count(UpperAscii(state.column)) != 0;
    if (has_from && !has_to && !onwards) {
      condition += " AND " + state.column + " = " + number(it->second.first);
      continue;
    }
    if (has_from) condition += " AND " + state.column + " >= " + number(it->second.first);
    if (has_to) condition += " AND " + state.column + " <= " + number(it->second.second);
  }
  return condition;
}

std::optional<QueryControl::Problem> QueryControl::ProblemOf(const std::string& column, const Variant& value) const {
  return ProblemOf(column, value, false);
}

std::optional<QueryControl::Problem> QueryControl::ProblemOf(const std::string& column, const Variant& value,
                                                             bool range_end) const {
  if (Blank(value)) return std::nullopt;
  const std::string key = UpperAscii(column);
  try {
    for (const auto* each : {&fields_, &extra_fields_}) {
      for (const Field& field : *each) {
        if (UpperAscii(field.column) != key) continue;
        const std::string text = RTrim(value.JoinedText());
        if (range_end) {
          CheckRangeEnd(field, value);
          (void)Literal(field, IsText(field) && PrefixBound(text) ? Variant(text.substr(0, text.size() - 1)) : value,
                        false);
          if (field.IsDate()) (void)WholeDayEnd(field, DayOf(value));
          return std::nullopt;
        }
        const bool pattern = IsText(field) && text.find_first_of("*?") != std::string::npos;
        if (!pattern) (void)Literal(field, value, false);
        if (field.IsDate()) (void)WholeDayEnd(field, DayOf(value));
        return std::nullopt;
      }
    }
    for (const State& state : states_) {
      if (UpperAscii(state.column) == key && !Decimal::Parse(value.JoinedText())) {
        BadValue(state.caption, value, "is not a state number", ProblemKind::NotAState);
      }
    }
  } catch (const ValueError& e) {
    return Problem{column, {}, false, e.what(), e.kind, e.limit};
  }
  return std::nullopt;
}

std::optional<std::string> QueryControl::CheckValue(const std::string& column, const Variant& value) const {
  if (auto problem = ProblemOf(column, value)) return problem->message;
  return std::nullopt;
}

std::vector<QueryControl::Problem> QueryControl::Validate() const {
  std::vector<Problem> problems;
  const auto check = [&](const std::string& column, const std::string& caption) {
    auto it = values_.find(UpperAscii(column));
    if (it == values_.end()) return;
    const bool range = !Blank(it->second.second) || onwards_.count(UpperAscii(column)) != 0;
    for (const bool to_side : {false, true}) {
      if (auto problem = ProblemOf(column, to_side ? it->second.second : it->second.first, range)) {
        problem->caption = caption;
        problem->to_side = to_side;
        problems.push_back(std::move(*problem));
      }
    }
  };
  for (const Field& field : fields_) check(field.column, field.caption);
  for (const Field& field : extra_fields_) check(field.column, field.caption);
  for (const State& state : states_) check(state.column, state.caption);
  return problems;
}

std::string QueryControl::SaveState() const {
  std::ostringstream out;
  for (const auto& [column, values] : values_) {
    out << Escape(column) << '\t' << Escape(values.first.JoinedText()) << '\t' << Escape(values.second.JoinedText())
        << (onwards_.count(column) != 0 ? "\t.." : "") << '\n';
  }
  return out.str();
}

void QueryControl::RestoreState(const std::string& state) {
  values_.clear();
  onwards_.clear();
  std::istringstream in(state);
  std::string line;
  while (std::getline(in, line)) {
    const size_t a = line.find('\t');
    const size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
    if (b == std::string::npos) continue;
    const size_t c = line.find('\t', b + 1);  // a fourth part marks an open range
    const std::string from = Unescape(line.substr(a + 1, b - a - 1));
    const std::string to = Unescape(line.substr(b + 1, c == std::string::npos ? std::string::npos : c - b - 1));
    const std::string column = UpperAscii(Unescape(line.substr(0, a)));
    if (column.empty()) continue;
    values_[column] = {from.empty() ? Variant() : Variant(from), to.empty() ? Variant() : Variant(to)};
    if (c != std::string::npos) onwards_.insert(column);
  }
}

}  // namespace host
