#include "engine/group_membership.h"

#include <algorithm>
#include <numeric>

namespace engine {

size_t GroupMembership::SignatureHash::operator()(const Signature& s) const noexcept {
  size_t h = 0x84222325CBF29CE4ULL;
  const host::CellKeyHash key_hash;
  for (const Part& p : s) {
    h ^= (p.null_like ? 0x9E3779B97F4A7C15ULL : key_hash(p.key)) + (h << 6) + (h >> 2);
  }
  return h;
}

GroupMembership::GroupMembership(host::Table& bookings) : table_(bookings) {}

void GroupMembership::AddGroup(std::string_view filter) {
  if (filter.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    AddGroup(host::Criteria{});
    return;
  }
  AddGroup(host::ParseCriteria(filter, table_));
}

void GroupMembership::AddGroup(host::Criteria criteria) {
  const auto group_number = static_cast<uint32_t>(groups_.size());
  Group group;
  if (criteria.any_of.empty()) {
    group.kind = Kind::Every;
    groups_.push_back(std::move(group));
    return;
  }
  // A conjunction whose equalities cover the same columns as every other
  // group's is looked up by its values; anything else asks the filter.
  std::vector<std::pair<size_t, Part>> parts;
  bool keyed = criteria.any_of.size() == 1;
  bool nothing = false;
  if (keyed) {
    for (const host::Criterion& c : criteria.any_of.front()) {
      const bool primary = c.op == host::Criterion::Op::Eq &&
                           std::none_of(parts.begin(), parts.end(), [&](const auto& p) { return p.first == c.column; });
      if (!primary) {
        group.residual.push_back(c);
        continue;
      }
      Part part;
      if (c.null_literal) {
        part.null_like = true;
      } else if (c.key) {
        part.key = *c.key;
      } else {
        nothing = true;  // no cell can equal the value
      }
      parts.emplace_back(c.column, part);
    }
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<size_t> columns;
    for (const auto& p : parts) columns.push_back(p.first);
    if (columns.empty()) {
      keyed = false;
    } else if (!columns_set_) {
      columns_ = columns;
      columns_set_ = true;
      value_keys_.resize(columns_.size());
    } else {
      keyed = columns == columns_;
    }
  }
  if (!keyed) {
    group.kind = Kind::Filtered;
    group.residual.clear();
    group.criteria = std::make_unique<host::Criteria>(std::move(criteria));
  } else if (nothing) {
    group.kind = Kind::Nothing;
    group.residual.clear();
  } else {
    Signature signature;
    signature.reserve(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
      signature.push_back(parts[i].second);
      if (!parts[i].second.null_like) value_keys_[i].insert(parts[i].second.key);
    }
    by_signature_[std::move(signature)].push_back(group_number);
  }
  groups_.push_back(std::move(group));
}

bool GroupMembership::Matches(const Group& group, size_t row) const {
  for (const host::Criterion& c : group.residual) {
    if (!host::RowMatches(c, table_, row)) return false;
  }
  return true;
}

bool GroupMembership::Assign(size_t count) {
  if (done_) return true;
  const size_t rows = table_.RowCount();
  const size_t end = std::min(rows, next_row_ + count);
  if (!by_signature_.empty()) {
    const size_t n = columns_.size();
    std::vector<const host::Column*> columns;
    for (const size_t c : columns_) columns.push_back(&table_.ColumnAt(c));
    Signature probe(n);
    std::vector<Part> alternative(n);
    std::vector<size_t> both;  // columns where a Null-like value also has a key some group asks for
    // The bookings come ordered by their grouping: most repeat the values of
    // the booking before, whose groups are known without hashing again.
    Signature last_probe;
    const std::vector<uint32_t>* last_groups = nullptr;
    if (next_row_ == 0) members_.reserve(rows);  // most bookings belong to one group
    const auto take = [&](const std::vector<uint32_t>& groups, size_t row) {
      for (const uint32_t g : groups) {
        if (Matches(groups_[g], row)) members_.emplace_back(g, static_cast<uint32_t>(row));
      }
    };
    for (size_t row = next_row_; row < end; ++row) {
      bool none = false;
      both.clear();
      for (size_t i = 0; i < n && !none; ++i) {
        const bool null_like = columns[i]->IsNullLike(row);
        std::optional<host::CellKey> key;
        if (!value_keys_[i].empty()) {
          key = columns[i]->Key(row);
          // A value no group asks for finds no signature anyway: only a
          // Null-like one, which might also be a group's value, is asked here.
          if (key && null_like && value_keys_[i].count(*key) == 0) key.reset();
        }
        if (null_like) {
          probe[i] = Part{true, {}};
          if (key) {
            alternative[i] = Part{false, *key};
            both.push_back(i);
          }
        } else if (key) {
          probe[i] = Part{false, *key};
        } else {
          none = true;  // no group asks for this value
        }
      }
      if (none) continue;
      if (both.empty()) {
        if (last_probe.empty() || !(probe == last_probe)) {
          const auto it = by_signature_.find(probe);
          last_groups = it == by_signature_.end() ? nullptr : &it->second;
          last_probe = probe;
        }
        if (last_groups != nullptr) take(*last_groups, row);
        continue;
      }
      const size_t combinations = size_t{1} << both.size();
      for (size_t mask = 0; mask < combinations; ++mask) {
        for (size_t b = 0; b < both.size(); ++b) {
          probe[both[b]] = ((mask >> b) & 1U) != 0 ? alternative[both[b]] : Part{true, {}};
        }
        const auto it = by_signature_.find(probe);
        if (it != by_signature_.end()) take(it->second, row);
      }
    }
  }
  next_row_ = end;
  if (next_row_ >= rows) {
    Finish();
    done_ = true;
  }
  return done_;
}

void GroupMembership::Finish() {
  // A stable counting sort by group keeps each group's rows in order.
  offsets_.assign(groups_.size() + 1, 0);
  for (const auto& [group, row] : members_) ++offsets_[group + 1];
  std::partial_sum(offsets_.begin(), offsets_.end(), offsets_.begin());
  rows_.resize(members_.size());
  std::vector<uint32_t> fill(offsets_.begin(), offsets_.end() - 1);
  for (const auto& [group, row] : members_) rows_[fill[group]++] = row;
  members_.clear();
  members_.shrink_to_fit();
  // Only the rows are asked for from now on (they stay while the figures do).
  by_signature_.clear();
  value_keys_.clear();
  value_keys_.shrink_to_fit();
  for (size_t g = 0; g < groups_.size(); ++g) {
    Group& group = groups_[g];
    if (group.kind == Kind::Every && every_.size() != table_.RowCount()) {
      every_.resize(table_.RowCount());
      std::iota(every_.begin(), every_.end(), uint32_t{0});
    }
    if (group.kind == Kind::Filtered) filtered_[g] = host::SelectRows(*group.criteria, table_);
    group.residual.clear();
    group.residual.shrink_to_fit();
    group.criteria.reset();
  }
}

std::span<const uint32_t> GroupMembership::RowsOf(size_t group) const {
  if (!done_ || group >= groups_.size()) return {};
  switch (groups_[group].kind) {
    case Kind::Every: return every_;
    case Kind::Nothing: return {};
    case Kind::Filtered: {
      const auto it = filtered_.find(group);
      return it == filtered_.end() ? std::span<const uint32_t>() : std::span<const uint32_t>(it->second);
    }
    case Kind::Keyed: break;
  }
  return {rows_.data() + offsets_[group], offsets_[group + 1] - offsets_[group]};
}

}  // namespace engine
