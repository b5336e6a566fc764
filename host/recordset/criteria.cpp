#include "host/recordset/criteria.h"

#include <algorithm>
#include <cctype>

#include "host/value/error.h"

namespace host {
namespace {

[[noreturn]] void Bad(std::string_view text, size_t pos, std::string_view why) {
  throw Error(
      kErrBadFilter,
      std::string(why) + " at position " + std::to_string(pos + 1) + " of the criteria \"" + std::string(text) + "\"",
      "Recordset");
}

class Parser {
 public:
  Parser(std::string_view text, const Table& table) : text_(text), table_(table) {}

  Criteria Parse() {
    Criteria criteria;
    for (;;) {
      criteria.any_of.push_back(Group());
      SkipBlanks();
      if (pos_ == text_.size()) break;
      if (!Keyword("OR")) Bad(text_, pos_, "Expected AND or OR");
    }
    return criteria;
  }

 private:
  std::vector<Criterion> Group() {
    SkipBlanks();
    const bool open = Symbol("(");
    std::vector<Criterion> group;
    for (;;) {
      group.push_back(One());
      SkipBlanks();
      if (!Keyword("AND")) break;
    }
    if (open && !Symbol(")")) Bad(text_, pos_, "Expected )");
    return group;
  }

  Criterion One() {
    Criterion c;
    SkipBlanks();
    const size_t start = pos_;
    const std::string name = FieldName();
    const int col = table_.FieldIndex(name);
    if (col < 0) throw Error(kErrItemNotFound, "Field " + name + " not found in the criteria", "Recordset");
    c.column = static_cast<size_t>(col);
    SkipBlanks();
    if (Symbol("<>")) {
      c.op = Criterion::Op::Ne;
    } else if (Symbol("<=")) {
      c.op = Criterion::Op::Le;
    } else if (Symbol(">=")) {
      c.op = Criterion::Op::Ge;
    } else if (Symbol("=")) {
      c.op = Criterion::Op::Eq;
    } else if (Symbol("<")) {
      c.op = Criterion::Op::Lt;
    } else if (Symbol(">")) {
      c.op = Criterion::Op::Gt;
    } else if (Keyword("LIKE")) {
      c.op = Criterion::Op::Like;
    } else if (Keyword("IS")) {
      SkipBlanks();
      c.op = Keyword("NOT") ? Criterion::Op::IsNotNull : Criterion::Op::IsNull;
      SkipBlanks();
      if (!Keyword("NULL")) Bad(text_, pos_, "Expected NULL after IS");
      return c;
    } else {
      Bad(text_, pos_, "Expected a comparison after " + std::string(text_.substr(start, pos_ - start)));
    }
    SkipBlanks();
    Value(c);
    if (c.null_literal && c.op != Criterion::Op::Eq && c.op != Criterion::Op::Ne) {
      Bad(text_, pos_, "NULL compares only with = or <>");
    }
    return c;
  }

  std::string FieldName() {
    if (Symbol("[")) {
      const size_t end = text_.find(']', pos_);
      if (end == std::string_view::npos) Bad(text_, pos_, "Expected ]");
      std::string name(text_.substr(pos_, end - pos_));
      pos_ = end + 1;
      return name;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) != 0 || text_[pos_] == '_')) {
      ++pos_;
    }
    if (start == pos_) Bad(text_, pos_, "Expected a field name");
    return std::string(text_.substr(start, pos_ - start));
  }

  void Value(Criterion& c) {
    if (pos_ >= text_.size()) Bad(text_, pos_, "Expected a value");
    const char first = text_[pos_];
    if (first == '\'') {
      std::string value;
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size()) Bad(text_, pos_, "Unterminated text");
        if (text_[pos_] == '\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
            value += '\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        value += text_[pos_++];
      }
      c.literal = value;
      return;
    }
    if (first == '#') {
      const size_t end = text_.find('#', pos_ + 1);
      if (end == std::string_view::npos) Bad(text_, pos_, "Unterminated date");
      auto date = DateTime::Parse(text_.substr(pos_ + 1, end - pos_ - 1));
      if (!date) Bad(text_, pos_, "Not a date");
      c.literal = *date;
      pos_ = end + 1;
      return;
    }
    if (Keyword("NULL")) {
      c.null_literal = true;
      return;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != ')') ++pos_;
    auto number = Decimal::Parse(text_.substr(start, pos_ - start));
    if (!number) Bad(text_, start, "Expected a number, a quoted text, a #date# or NULL");
    c.literal = *number;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  bool Symbol(std::string_view s) {
    if (text_.substr(pos_, s.size()) != s) return false;
    pos_ += s.size();
    return true;
  }
  bool Keyword(std::string_view word) {
    if (pos_ + word.size() > text_.size()) return false;
    if (UpperAscii(text_.substr(pos_, word.size())) != word) return false;
    const size_t after = pos_ + word.size();
    if (after < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[after])) != 0 || text_[after] == '_')) {
      return false;
    }
    pos_ = after;
    return true;
  }

  std::string_view text_;
  const Table& table_;
  size_t pos_ = 0;
};

// Case-insensitive LIKE with % or * for any run and _ or ? for one character.
bool LikeMatch(std::string_view value, std::string_view pattern) {
  if (pattern.empty()) return value.empty();
  const char p = pattern.front();
  if (p == '%' || p == '*') {
    for (size_t i = 0; i <= value.size(); ++i) {
      if (LikeMatch(value.substr(i), pattern.substr(1))) return true;
    }
    return false;
  }
  if (value.empty()) return false;
  const bool same =
      p == '_' || p == '?' ||
      std::toupper(static_cast<unsigned char>(p)) == std::toupper(static_cast<unsigned char>(value.front()));
  return same && LikeMatch(value.substr(1), pattern.substr(1));
}

// -1/0/1 ordering of a cell against a literal in the cell's domain; 2 when
// they cannot be compared.
int Order(const Variant& cell, const Variant& literal) {
  try {
    if (cell.IsDate()) {
      const DateTime other = literal.ToDate();
      return cell.Date() < other ? -1 : (cell.Date() > other ? 1 : 0);
    }
    if (cell.IsText()) {
      const std::string a = TextPool::Fold(cell.Text());
      const std::string b = TextPool::Fold(literal.ToText());
      return a < b ? -1 : (a > b ? 1 : 0);
    }
    return CompareNumbers(cell, literal);
  } catch (const Error&) {
    return 2;
  }
}

bool KeyEquals(const Criterion& c, Table& table, size_t row) {
  const Column& column = table.ColumnAt(c.column);
  if (c.null_literal) return column.IsNullLike(row);
  auto have = column.Key(row);
  return c.key && have && *c.key == *have;
}

}  // namespace

Criteria ParseCriteria(std::string_view text, const Table& table) {
  Criteria criteria = Parser(text, table).Parse();
  for (auto& group : criteria.any_of) {
    for (Criterion& c : group) {
      if (!c.null_literal) c.key = table.ColumnAt(c.column).KeyOf(c.literal);
    }
  }
  return criteria;
}

bool RowMatches(const Criterion& c, Table& table, size_t row) {
  switch (c.op) {
    case Criterion::Op::IsNull:
    case Criterion::Op::IsNotNull: {
      const Variant cell = table.Get(row, c.column);
      return (cell.IsNull() || cell.IsEmpty()) == (c.op == Criterion::Op::IsNull);
    }
    case Criterion::Op::Eq: return KeyEquals(c, table, row);
    case Criterion::Op::Ne:
      if (c.null_literal) return !table.ColumnAt(c.column).IsNullLike(row);
      return !table.Get(row, c.column).IsNull() && !KeyEquals(c, table, row);
    case Criterion::Op::Like: {
      const Variant cell = table.Get(row, c.column);
      return !cell.IsNull() && LikeMatch(RTrim(cell.JoinedText()), c.literal.JoinedText());
    }
    default: {
      const Variant cell = table.Get(row, c.column);
      if (cell.IsNull() || cell.IsEmpty()) return false;
      const int order = Order(cell, c.literal);
      if (order == 2) return false;
      switch (c.op) {
        case Criterion::Op::Lt: return order < 0;
        case Criterion::Op::Gt: return order > 0;
        case Criterion::Op::Le: return order <= 0;
        default: return order >= 0;
      }
    }
  }
}

std::vector<uint32_t> SelectRows(const Criteria& criteria, Table& table) {
  std::vector<uint32_t> result;
  for (const auto& group : criteria.any_of) {
    // Start from the shortest list of rows that an equality promises.
    const Criterion* seed = nullptr;
    size_t seed_count = 0;
    for (const Criterion& c : group) {
      if (c.op != Criterion::Op::Eq) continue;
      const ColumnIndex& index = table.IndexOf(c.column);
      size_t count = 0;
      if (c.null_literal) {
        count = index.NullLikeRows().size();
      } else if (c.key) {
        count = index.Find(table.ColumnAt(c.column), *c.key).count;
      }
      if (seed == nullptr || count < seed_count) {
        seed = &c;
        seed_count = count;
      }
    }
    std::vector<uint32_t> kept;
    auto consider = [&](uint32_t row) {
      for (const Criterion& c : group) {
        if (&c != seed && !RowMatches(c, table, row)) return;
      }
      kept.push_back(row);
    };
    if (seed != nullptr) {
      kept.reserve(seed_count);
      for (const uint32_t row : IndexedRows(*seed, table)) consider(row);
    } else {
      for (size_t row = 0; row < table.RowCount(); ++row) consider(static_cast<uint32_t>(row));
    }
    if (criteria.any_of.size() == 1) return kept;
    std::vector<uint32_t> merged;
    std::set_union(result.begin(), result.end(), kept.begin(), kept.end(), std::back_inserter(merged));
    result.swap(merged);
  }
  return result;
}

std::vector<uint32_t> IndexedRows(const Criterion& equality, Table& table) {
  const ColumnIndex& index = table.IndexOf(equality.column);
  if (equality.null_literal) return index.NullLikeRows();
  if (!equality.key) return {};
  return index.Rows(index.Find(table.ColumnAt(equality.column), *equality.key));
}

}  // namespace host
