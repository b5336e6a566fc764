#include "host/controls/order_control.h"

#include <algorithm>
#include <sstream>

#include "host/recordset/table.h"
#include "host/value/error.h"

namespace host {

void OrderControl::AddField(const std::string& group, const std::string& caption, const std::string& column,
                            bool grouping, int16_t& number, int32_t, bool, bool, bool setting_o, int32_t) {
  Item item{group, caption, column, grouping, number, setting_o, Use::LeftOut};
  item.use = grouping ? Use::Grouping : (setting_o ? Use::Selected : Use::LeftOut);
  items_.push_back(std::move(item));
}

void OrderControl::AddAttribute(const std::string& group, bool visible, int32_t entity, const std::string& alias) {
  attributes_.push_back({group, visible, entity, alias});
}

void OrderControl::SetGrouping(const std::vector<std::string>& names) {
  std::vector<Item*> chosen;
  for (const auto& name : names) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& i) {
      return UpperAscii(Trim(i.caption)) == UpperAscii(Trim(name)) || UpperAscii(i.column) == UpperAscii(Trim(name));
    });
    if (it == items_.end()) throw Error(kErrInvalidArgument, "Unknown grouping field \"" + name + "\"", "KVL_ADVO");
    // A field named twice groups once, where it was first named.
    if (std::find(chosen.begin(), chosen.end(), &*it) == chosen.end()) chosen.push_back(&*it);
  }
  for (auto& item : items_) {
    if (item.use == Use::Grouping) item.use = Use::Selected;
  }
  // The chosen ones group, in the order named.
  std::vector<Item> reordered;
  for (Item* item : chosen) {
    item->use = Use::Grouping;
    reordered.push_back(*item);
  }
  for (const auto& item : items_) {
    if (std::none_of(chosen.begin(), chosen.end(), [&](const Item* c) { return c->column == item.column; })) {
      reordered.push_back(item);
    }
  }
  items_ = std::move(reordered);
}

void OrderControl::SetUse(const std::string& column, Use use) {
  for (auto& item : items_) {
    if (UpperAscii(item.column) == UpperAscii(column)) item.use = use;
  }
}

void OrderControl::Move(size_t from, size_t to) {
  if (from >= items_.size() || to >= items_.size() || from == to) return;
  Item item = items_[from];
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(from));
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), std::move(item));
}

std::string OrderControl::GroupingText() const {
  std::string list;
  for (const auto& item : items_) {
    if (item.use == Use::Grouping) list += (list.empty() ? "" : ", ") + item.column;
  }
  return list.empty() ? std::string() : "GROUP BY " + list;
}

std::string OrderControl::OrderingText() const {
  if (!ordered_) return {};
  std::string list;
  for (const auto& item : items_) {
    if (item.use != Use::LeftOut) list += (list.empty() ? "" : ", ") + item.column;
  }
  return list.empty() ? std::string() : "ORDER BY " + list;
}

std::string OrderControl::SaveState() const {
  std::ostringstream out;
  out << (ordered_ ? "ordered" : "unordered") << '\n';
  for (const auto& item : items_) out << item.column << '\t' << static_cast<int>(item.use) << '\n';
  return out.str();
}

void OrderControl::RestoreState(const std::string& state) {
  std::istringstream in(state);
  std::string line;
  std::vector<Item> restored;
  if (std::getline(in, line)) ordered_ = line != "unordered";
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string column = line.substr(0, tab);
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.column == column; });
    if (it == items_.end()) continue;
    if (std::any_of(restored.begin(), restored.end(), [&](const Item& r) { return r.column == column; })) continue;
    Item item = *it;
    const int use = std::atoi(line.c_str() + tab + 1);
    item.use = use == 2 ? Use::Grouping : (use == 1 ? Use::Selected : Use::LeftOut);
    restored.push_back(item);
  }
  // Items the saved state does not know keep their place at the end.
  for (const auto& item : items_) {
    if (std::none_of(restored.begin(), restored.end(), [&](const Item& r) { return r.column == item.column; })) {
      restored.push_back(item);
    }
  }
  items_ = std::move(restored);
}

}  // namespace host
