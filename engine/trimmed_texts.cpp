#include "engine/trimmed_texts.h"

#include "host/recordset/text_pool.h"

namespace engine {

TrimmedTexts::TrimmedTexts(const host::Table& table, int column) : table_(table), column_(column) {
  if (column_ < 0) return;
  const host::FieldType type = table_.Field(static_cast<size_t>(column_)).type;
  pooled_ = type == host::FieldType::Text || type == host::FieldType::Char;
}

uint32_t TrimmedTexts::NumberOf(std::string text) {
  const auto [it, added] = numbers_.try_emplace(std::move(text), static_cast<uint32_t>(texts_.size()));
  if (added) texts_.push_back(it->first);
  return it->second;
}

uint32_t TrimmedTexts::NumberAt(size_t row) {
  if (column_ < 0) return 0;
  const auto column = static_cast<size_t>(column_);
  if (!pooled_) return NumberOf(host::RTrim(table_.Get(row, column).JoinedText()));
  const uint32_t id = table_.ColumnAt(column).TextIdAt(row);
  if (id == host::TextPool::kNullId) return 0;
  if (id == last_id_) return last_number_;
  last_id_ = id;
  if (const auto it = number_of_id_.find(id); it != number_of_id_.end()) return last_number_ = it->second;
  last_number_ = NumberOf(host::RTrim(table_.Get(row, column).JoinedText()));
  number_of_id_.emplace(id, last_number_);
  return last_number_;
}

}  // namespace engine
