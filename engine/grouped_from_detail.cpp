#include "engine/grouped_from_detail.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/time_buckets.h"
#include "host/db/result_reader.h"
#include "host/db/sqlite_numbers.h"
#include "host/recordset/table.h"

namespace engine {
namespace {

using host::CellKey;
using host::Column;
using host::Decimal;
using host::FieldDef;
using host::FieldType;
using host::Table;
using host::Variant;
using host::db::SqliteNumber;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The tables the two queries do not join alike: the detailed query's
// descriptions, and the project node, read from a view by one and from
// its table by the other. A condition naming one of them could keep other
// bookings in one query than in the other.
constexpr std::array<std::string_view, 27> kJoinedUnalike{
    "PD18_", "MG87_", "ARTDESCATTR", "PD56_", "PD06_", "PD08_", "PD12_", "PD07_", "PD69_",
    "PD0C_", "CO5L_NOD", "PD0D_", "PD25_", "CG0C_", "PD5A_", "CG44_", "CG16_", "CI03_",
    "PC01_", "PC03_", "DESCRPDC", "ANAGPDC", "ANAGVDS", "FNCI03", "FNPC03", "VPD", "FA1"};

bool NamesUnalikeTable(const std::string& condition) {
  std::string word;
  for (size_t i = 0; i <= condition.size(); ++i) {
    const char c = i < condition.size() ? condition[i] : ' ';
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_') {
      word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      continue;
    }
    for (const std::string_view table : kJoinedUnalike) {
      if (StartsWith(word, table)) return true;
    }
    word.clear();
  }
  return false;
}

// A column both queries read from the same tables under the same name.
bool ReadAlike(const std::string& name) {
  if (FindTimeBucket(name) != nullptr) return true;
  const std::string upper = host::UpperAscii(name);
  for (const std::string_view prefix : {"PD44_", "DO11_", "DO30_", "DO31_"}) {
    if (StartsWith(upper, prefix)) return true;
  }
  return false;
}

bool IsVariant(const std::string& name) { return host::UpperAscii(name) == "PD44_OPZIONE"; }

std::vector<std::string> UnitColumns(TipoTempo unit) {
  if (unit == kOreMinutiSecondi) return {"OREVERS", "MINVERS", "SECVERS"};
  if (unit == kOreDecimali) return {"OREVERS"};
  if (unit == kMinutiDecimali) return {"MINVERS"};
  if (unit == kSecondiDecimali) return {"SECVERS"};
  return {};
}

// The column a grouping or MAX() item is read from in both queries.
std::string ColumnOf(const OrderItem& item) {
  const TimeBucket* bucket = FindTimeBucket(item.name);
  return bucket == nullptr ? item.name : std::string(bucket->column);
}

bool SameStorage(const FieldDef& a, const FieldDef& b) {
  return a.type == b.type && a.size == b.size && a.scale == b.scale;
}

bool IsText(FieldType type) { return type == FieldType::Text || type == FieldType::Char; }
bool IsWholeNumber(FieldType type) {
  return type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::BigInt ||
         type == FieldType::Decimal;
}

// How the database orders and compares one column's values: texts as the
// QV_CI collation does (folded, byte by byte), numbers by value, dates in
// time; Null first.
class ValueOrder {
 public:
  ValueOrder(const Table& table, size_t column) : table_(table), column_(column) {
    const FieldType type = table.Field(column).type;
    text_ = IsText(type);
  }

  // <0, 0, >0 as row a's value sorts before, with or after row b's.
  int Compare(size_t a, size_t b) {
    const Column& c = table_.ColumnAt(column_);
    const std::optional<CellKey> ka = c.Key(a);
    const std::optional<CellKey> kb = c.Key(b);
    if (!ka || !kb) return (ka ? 1 : 0) - (kb ? 1 : 0);
    if (*ka == *kb) return 0;
    if (text_) {
      const int order = Folded(*ka, a).compare(Folded(*kb, b));
      return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    const Variant va = table_.Get(a, column_);
    const Variant vb = table_.Get(b, column_);
    if (va.IsDate() && vb.IsDate()) {
      const auto sa = va.Date().Seconds();
      const auto sb = vb.Date().Seconds();
      return sa < sb ? -1 : (sa > sb ? 1 : 0);
    }
    const auto order = va.ToDecimal() <=> vb.ToDecimal();
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
  }

  [[nodiscard]] bool IsTextColumn() const { return text_; }

 private:
  const std::string& Folded(const CellKey& key, size_t row) {
    const auto id = static_cast<uint32_t>(key.value);
    auto it = folded_.find(id);
    if (it == folded_.end()) it = folded_.emplace(id, host::TextPool::Fold(table_.Get(row, column_).Text())).first;
    return it->second;
  }

  const Table& table_;
  size_t column_;
  bool text_ = false;
  std::unordered_map<uint32_t, std::string> folded_;
};

using GroupKey = std::vector<std::optional<CellKey>>;
struct GroupKeyHash {
  size_t operator()(const GroupKey& key) const noexcept {
    const host::CellKeyHash hash;
    size_t h = 0x84222325CBF29CE4ULL;
    for (const auto& part : key) h ^= (part ? hash(*part) : 0x9E3779B97F4A7C15ULL) + (h << 6) + (h >> 2);
    return h;
  }
};

// One group's running figures.
struct Group {
  explicit Group(uint32_t first) : first_row(first) {}
  uint32_t first_row;
  __int128 hours = 0, minutes = 0, seconds = 0;
  std::optional<Decimal> max_id;
};

// A booked time of a row as a whole number (ISNULL(x, 0)); nullopt when it
// has decimals (SQLite would sum it as a double).
std::optional<__int128> WholeTime(const Table& table, size_t row, int column, Variant& cell) {
  table.GetInto(row, static_cast<size_t>(column), cell);
  if (cell.IsNull() || cell.IsEmpty()) return 0;
  if (!cell.IsNumeric()) return std::nullopt;
  const Decimal d = cell.ToDecimal().Normalized();
  if (d.Scale() != 0) return std::nullopt;
  return d.Coefficient();
}

std::optional<SqliteNumber> Whole(__int128 value) {
  if (value > INT64_MAX || value < INT64_MIN) return std::nullopt;
  return SqliteNumber::Whole(static_cast<int64_t>(value));
}

// The unit's booked-time columns of one group, as the grouped query's
// expressions work them out (BookingQueries' grouped unit pieces).
std::optional<std::vector<SqliteNumber>> UnitFigures(TipoTempo unit, const Group& g) {
  using host::db::DecimalCast;
  using host::db::DecimalDivide;
  using host::db::SqliteAdd;
  using host::db::SqliteMultiply;
  const auto h = Whole(g.hours);
  const auto m = Whole(g.minutes);
  const auto s = Whole(g.seconds);
  if (!h || !m || !s) return std::nullopt;
  const auto n = [](int64_t v) { return SqliteNumber::Whole(v); };
  const auto dec = [](int64_t v) { return Decimal::FromInt(v); };
  if (unit == kOreMinutiSecondi) return std::vector<SqliteNumber>{*h, *m, *s};
  if (unit == kOreDecimali) {
    const SqliteNumber a = DecimalCast(h->AsDecimal(), 14, 2);
    const SqliteNumber b = DecimalCast(DecimalDivide(m->AsDecimal(), dec(60)).AsDecimal(), 14, 2);
    const SqliteNumber c = DecimalCast(DecimalDivide(s->AsDecimal(), dec(3600)).AsDecimal(), 14, 2);
    return std::vector<SqliteNumber>{SqliteAdd(SqliteAdd(a, b), c)};
  }
  if (unit == kMinutiDecimali) {
    const SqliteNumber a = DecimalCast(SqliteMultiply(*h, n(60)).AsDecimal(), 14, 2);
    const SqliteNumber b = DecimalCast(m->AsDecimal(), 14, 2);
    const SqliteNumber c = DecimalCast(DecimalDivide(s->AsDecimal(), dec(60)).AsDecimal(), 14, 2);
    return std::vector<SqliteNumber>{SqliteAdd(SqliteAdd(a, b), c)};
  }
  if (unit == kSecondiDecimali) {
    return std::vector<SqliteNumber>{SqliteAdd(SqliteAdd(SqliteMultiply(*h, n(3600)), SqliteMultiply(*m, n(60))), *s)};
  }
  return std::nullopt;
}

// Stores a number as the SQLite back end stores a result cell.
void StoreNumber(Table& table, size_t row, size_t column, const SqliteNumber& value) {
  const FieldDef& field = table.Field(column);
  if (value.integer && IsWholeNumber(field.type)) return table.SetInteger(row, column, value.whole);
  const Variant raw = value.integer ? Variant(value.whole) : Variant(value.real);
  table.Set(row, column, host::db::ConvertForField(raw, field));
}

// Whether the detailed rows hold each booking once (a join that doubled
// one would double its times in the sums).
bool EachBookingOnce(const Table& table, int id_column) {
  const size_t rows = table.RowCount();
  std::vector<int64_t> ids;
  ids.reserve(rows);
  Variant cell;
  int64_t low = INT64_MAX;
  int64_t high = INT64_MIN;
  for (size_t row = 0; row < rows; ++row) {
    table.GetInto(row, static_cast<size_t>(id_column), cell);
    if (!cell.IsNumeric()) return false;
    const Decimal d = cell.ToDecimal().Normalized();
    if (d.Scale() != 0 || d.Coefficient() > INT64_MAX || d.Coefficient() < INT64_MIN) return false;
    const auto id = static_cast<int64_t>(d.Coefficient());
    low = std::min(low, id);
    high = std::max(high, id);
    ids.push_back(id);
  }
  if (rows == 0) return true;
  const auto span = static_cast<unsigned __int128>(static_cast<__int128>(high) - low) + 1;
  if (span > static_cast<unsigned __int128>(rows) * 64) {
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
  }
  std::vector<bool> seen(static_cast<size_t>(span));
  for (const int64_t id : ids) {
    const auto at = static_cast<size_t>(id - low);
    if (seen[at]) return false;
    seen[at] = true;
  }
  return true;
}

}  // namespace

bool CanGroupFromDetail(const BookingQueryInput& input, std::string_view back_end) {
  if (back_end.find("SQLite") == std::string_view::npos) return false;
  if (host::RTrim(input.ordering).empty() || host::RTrim(input.grouping).empty()) return false;
  if (UnitColumns(input.unit).empty()) return false;
  size_t grouping_items = 0;
  for (const OrderItem& item : input.items) grouping_items += item.grouping ? 1 : 0;
  size_t grouping_seen = 0;
  for (const OrderItem& item : input.items) {
    if (!ReadAlike(item.name)) return false;
    grouping_seen += item.grouping ? 1 : 0;
    // Ungrouped, the variant is ordered by the column itself, a value of
    // any one booking of the group: only after every grouping item, where
    // it can no longer change the order.
    if (!item.grouping && IsVariant(item.name) && grouping_seen < grouping_items) return false;
  }
  return grouping_items > 0 && !NamesUnalikeTable(input.condition);
}

std::string GroupedLayoutQuery(const std::string& grouped_sql) {
  constexpr std::string_view kSelect = "SELECT ";
  if (!StartsWith(grouped_sql, kSelect)) return grouped_sql;
  return "SELECT TOP 0 " + grouped_sql.substr(kSelect.size());
}

bool NeedsBlankVariantCheck(const BookingQueryInput& input) {
  return std::any_of(input.items.begin(), input.items.end(),
                     [](const OrderItem& item) { return !item.grouping && IsVariant(item.name); });
}

host::RecordSetPtr GroupFromDetail(host::RecordSet& detailed, const host::RecordSet& layout,
                                   const BookingQueryInput& input, const BlankVariants& blank_variants) {
  Table& table = detailed.Storage();
  // The grouped query's columns: the grouping items, the other items'
  // MAX(), the unit's sums, IDGRUPPO.
  std::vector<const OrderItem*> grouped_items;
  std::vector<const OrderItem*> max_items;
  for (const OrderItem& item : input.items) (item.grouping ? grouped_items : max_items).push_back(&item);
  std::vector<std::string> names;
  std::vector<int> sources;
  for (const auto* list : {&grouped_items, &max_items}) {
    for (const OrderItem* item : *list) {
      // A grouping time bucket is selected under its column's alias, a
      // MAX() under the item's name; both read the detailed column.
      sources.push_back(table.FieldIndex(ColumnOf(*item)));
      names.push_back(item->grouping ? ColumnOf(*item) : item->name);
    }
  }
  const std::vector<std::string> unit_columns = UnitColumns(input.unit);
  names.insert(names.end(), unit_columns.begin(), unit_columns.end());
  names.emplace_back("IDGRUPPO");
  if (layout.FieldCount() != names.size()) return nullptr;
  for (size_t i = 0; i < names.size(); ++i) {
    if (host::UpperAscii(layout.Field(i).name) != host::UpperAscii(names[i])) return nullptr;
  }
  // A column the back end types only by its first value (a MAX() of a
  // text expression, Variant without rows) is text when that value is.
  std::vector<bool> typed_by_first_value(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    if (sources[i] < 0) return nullptr;
    const FieldDef& source = table.Field(static_cast<size_t>(sources[i]));
    typed_by_first_value[i] = layout.Field(i).type == FieldType::Variant && source.type == FieldType::Text &&
                              source.size == 0;
    if (!typed_by_first_value[i] && !SameStorage(layout.Field(i), source)) return nullptr;
    if (!IsText(source.type) && !IsWholeNumber(source.type) && source.type != FieldType::Date) return nullptr;
  }
  const int hours = table.FieldIndex("PD44_OREORD");
  const int minutes = table.FieldIndex("PD44_MINORD");
  const int seconds = table.FieldIndex("PD44_SECORD");
  const int id = table.FieldIndex("PD44_PRGMVORE_PD31");
  if (hours < 0 || minutes < 0 || seconds < 0 || id < 0) return nullptr;
  if (!EachBookingOnce(table, id)) return nullptr;

  const size_t keyed = grouped_items.size();
  const size_t maxed = max_items.size();
  std::vector<const Column*> key_columns;
  std::vector<bool> key_texts;
  for (size_t i = 0; i < keyed; ++i) {
    key_columns.push_back(&table.ColumnAt(static_cast<size_t>(sources[i])));
    key_texts.push_back(IsText(table.Field(static_cast<size_t>(sources[i])).type));
  }
  std::vector<ValueOrder> orders;
  orders.reserve(sources.size());
  for (const int source : sources) orders.emplace_back(table, static_cast<size_t>(source));

  // One pass over the bookings: each one's group by its grouping keys (the
  // previous booking's group first: the rows come sorted), its times summed,
  // the MAX() of the other items kept as rows.
  constexpr uint32_t kNone = UINT32_MAX;
  std::unordered_map<GroupKey, uint32_t, GroupKeyHash> group_of;
  std::vector<Group> groups;
  std::vector<uint32_t> best;  // groups × maxed: the row holding the MAX()
  std::vector<uint8_t> tied;   // groups × maxed: that largest value also held in another spelling
  // groups: some booking holds a blank variant that is not Null (asked
  // only when an ungrouped variant may come out blank)
  std::vector<uint8_t> holds_blank_variant;
  const bool variant_maxed = std::any_of(max_items.begin(), max_items.end(),
                                         [](const OrderItem* item) { return IsVariant(item->name); });
  const bool ask_blank = variant_maxed && !blank_variants.Empty();
  GroupKey probe(keyed);
  GroupKey previous;
  uint32_t previous_group = kNone;
  Variant cell;
  const size_t rows = table.RowCount();
  for (size_t row = 0; row < rows; ++row) {
    for (size_t i = 0; i < keyed; ++i) probe[i] = key_columns[i]->Key(row);
    uint32_t g = previous_group;
    if (g == kNone || probe != previous) {
      const auto [it, added] = group_of.try_emplace(probe, static_cast<uint32_t>(groups.size()));
      if (added) {
        groups.emplace_back(static_cast<uint32_t>(row));
        best.resize(best.size() + maxed, kNone);
        tied.resize(tied.size() + maxed, 0);
        holds_blank_variant.push_back(0);
      }
      g = it->second;
      previous = probe;
      previous_group = g;
    }
    Group& group = groups[g];
    // A grouping value spelt two ways: the database keeps one of them.
    for (size_t i = 0; i < keyed; ++i) {
      if (key_texts[i] && key_columns[i]->TextIdAt(row) != key_columns[i]->TextIdAt(group.first_row)) return nullptr;
    }
    const auto h = WholeTime(table, row, hours, cell);
    const auto m = WholeTime(table, row, minutes, cell);
    const auto s = WholeTime(table, row, seconds, cell);
    if (!h || !m || !s) return nullptr;
    group.hours += *h;
    group.minutes += *m;
    group.seconds += *s;
    table.GetInto(row, static_cast<size_t>(id), cell);
    if (!cell.IsNull()) {
      const Decimal value = cell.ToDecimal();
      if (!group.max_id || value > *group.max_id) group.max_id = value;
      // EachBookingOnce has seen every number whole and within 64 bits.
      if (ask_blank && holds_blank_variant[g] == 0 &&
          blank_variants.Holds(static_cast<int64_t>(value.Normalized().Coefficient()))) {
        holds_blank_variant[g] = 1;
      }
    }
    for (size_t j = 0; j < maxed; ++j) {
      const size_t source = static_cast<size_t>(sources[keyed + j]);
      const Column& column = table.ColumnAt(source);
      if (!column.Key(row)) continue;  // MAX() passes over Null
      const size_t slot = static_cast<size_t>(g) * maxed + j;
      uint32_t& held = best[slot];
      if (held == kNone) {
        held = static_cast<uint32_t>(row);
        continue;
      }
      const int order = orders[keyed + j].Compare(row, held);
      if (order > 0) {
        held = static_cast<uint32_t>(row);
        tied[slot] = 0;
      } else if (order == 0 && orders[keyed + j].IsTextColumn() && column.TextIdAt(row) != column.TextIdAt(held)) {
        tied[slot] = 1;
      }
    }
  }
  // The largest value in two spellings: which one the database keeps is
  // its own choice.
  if (std::find(tied.begin(), tied.end(), uint8_t{1}) != tied.end()) return nullptr;
  // The detailed rows hold the variant without Null (ISNULL(.., '')): a
  // blank largest variant is the MAX() of Nulls unless some booking of the
  // group holds a blank one that is not Null. Its spelling is the one read:
  // a Null read as '' beside a blank spelt otherwise has tied above.
  for (size_t j = 0; j < maxed; ++j) {
    if (!IsVariant(max_items[j]->name)) continue;
    const size_t source = static_cast<size_t>(sources[keyed + j]);
    for (size_t g = 0; g < groups.size(); ++g) {
      uint32_t& held = best[g * maxed + j];
      if (held == kNone || holds_blank_variant[g] != 0) continue;
      if (host::RTrim(table.Get(held, source).ToText()).empty()) held = kNone;
    }
  }

  // The groups in the grouped query's order: its ORDER BY names every
  // item, a grouping one by its value and any other by its MAX().
  std::vector<uint32_t> order_of(groups.size());
  for (uint32_t g = 0; g < order_of.size(); ++g) order_of[g] = g;
  std::vector<std::pair<size_t, bool>> terms;  // (position among the sources, grouping)
  for (const OrderItem& item : input.items) {
    const auto& list = item.grouping ? grouped_items : max_items;
    const size_t at = static_cast<size_t>(
        std::find(list.begin(), list.end(), &item) - list.begin());
    terms.emplace_back(item.grouping ? at : keyed + at, item.grouping);
  }
  const auto row_of = [&](uint32_t g, size_t position) -> uint32_t {
    return position < keyed ? groups[g].first_row : best[static_cast<size_t>(g) * maxed + (position - keyed)];
  };
  std::sort(order_of.begin(), order_of.end(), [&](uint32_t a, uint32_t b) {
    for (const auto& term : terms) {
      const uint32_t ra = row_of(a, term.first);
      const uint32_t rb = row_of(b, term.first);
      if (ra == kNone || rb == kNone) {
        if (ra != rb) return ra == kNone;  // Null first
        continue;
      }
      const int order = orders[term.first].Compare(ra, rb);
      if (order != 0) return order < 0;
    }
    return false;
  });

  auto out = std::make_shared<Table>();
  for (size_t i = 0; i < layout.FieldCount(); ++i) {
    FieldDef field = layout.Field(i);
    if (i < sources.size() && typed_by_first_value[i] && !order_of.empty() && row_of(order_of.front(), i) != kNone) {
      field.type = FieldType::Text;
      field.size = 0;
    }
    out->AddField(field);
  }
  out->Reserve(groups.size());
  const size_t first_unit = sources.size();
  for (const uint32_t g : order_of) {
    const auto figures = UnitFigures(input.unit, groups[g]);
    if (!figures) return nullptr;
    const size_t row = out->AppendRow();
    for (size_t i = 0; i < sources.size(); ++i) {
      const uint32_t from = row_of(g, i);
      if (from != kNone) out->Set(row, i, table.Get(from, static_cast<size_t>(sources[i])));
    }
    for (size_t u = 0; u < figures->size(); ++u) StoreNumber(*out, row, first_unit + u, (*figures)[u]);
    const std::optional<Decimal>& max_id = groups[g].max_id;
    if (max_id) StoreNumber(*out, row, first_unit + figures->size(), host::db::SqliteNumberOf(*max_id));
  }
  auto result = host::RecordSet::Create();
  result->OpenOver(out);
  return result;
}

}  // namespace engine
