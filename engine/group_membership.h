// Which bookings each group's filter keeps, for every group at once: one
// pass over the bookings instead of one filter per group.
//
// A group is given by its filter on the bookings (GroupTotals::GroupFilter).
// A booking belongs to a group exactly when that filter would keep it: each
// "FIELD = value" by the column's equality key (numbers by value, texts
// without case and trailing blanks), each "FIELD = NULL" by the column's
// Null-like rule (Null, blank text, a number not above 0), and any further
// condition (the exact "IS NULL" or "= value" that tells apart groups
// sharing an "= NULL") row by row as the filter checks it. So a booking may
// belong to no group or to several, as the filters say. The empty filter
// keeps every booking. A filter of another shape is answered by the filter
// itself (the table's indexes) once the pass is over.
//
// The bookings' table must not gain or change rows between the first
// Assign and the end. Not thread-safe: the pass interns texts in the
// table's pool, as a filter does.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/recordset/criteria.h"
#include "host/recordset/table.h"

namespace engine {

class GroupMembership {
 public:
  explicit GroupMembership(host::Table& bookings);

  // Adds group number Groups() by its filter. Only before the first
  // Assign. A filter the record set would refuse throws as it would
  // (kErrBadFilter, kErrItemNotFound).
  void AddGroup(std::string_view filter);
  // The same with the filter already read (host::ParseCriteria); no
  // criteria at all is the empty filter.
  void AddGroup(host::Criteria criteria);
  [[nodiscard]] size_t Groups() const { return groups_.size(); }

  // Assigns up to `count` more bookings to their groups; answers true once
  // every booking is assigned (RowsOf is then ready).
  bool Assign(size_t count);
  [[nodiscard]] bool Done() const { return done_; }

  // The storage rows of group `group`'s bookings, in increasing order (the
  // order in which the filter lists them). Empty before Done.
  [[nodiscard]] std::span<const uint32_t> RowsOf(size_t group) const;

 private:
  // One value of the grouping columns: "= NULL" or an equality key.
  struct Part {
    bool null_like = false;
    host::CellKey key;
    friend bool operator==(const Part&, const Part&) = default;
  };
  using Signature = std::vector<Part>;
  struct SignatureHash {
    size_t operator()(const Signature& s) const noexcept;
  };
  enum class Kind : uint8_t { Keyed, Every, Nothing, Filtered };
  struct Group {
    Kind kind = Kind::Keyed;
    std::vector<host::Criterion> residual;  // checked row by row (Keyed)
    std::unique_ptr<host::Criteria> criteria;  // the whole filter (Filtered)
  };

  bool Matches(const Group& group, size_t row) const;
  void Finish();

  host::Table& table_;
  std::vector<Group> groups_;
  // The columns of the keyed groups' equalities, in column order, and the
  // keys that some group asks of each by value.
  std::vector<size_t> columns_;
  bool columns_set_ = false;
  std::vector<std::unordered_set<host::CellKey, host::CellKeyHash>> value_keys_;
  std::unordered_map<Signature, std::vector<uint32_t>, SignatureHash> by_signature_;
  std::vector<std::pair<uint32_t, uint32_t>> members_;  // (group, row), rows ascending
  size_t next_row_ = 0;
  bool done_ = false;
  // After Finish: group g's rows are rows_[offsets_[g], offsets_[g + 1]).
  std::vector<uint32_t> offsets_;
  std::vector<uint32_t> rows_;
  std::vector<uint32_t> every_;  // all rows, for groups without conditions
  std::unordered_map<size_t, std::vector<uint32_t>> filtered_;
};

}  // namespace engine
