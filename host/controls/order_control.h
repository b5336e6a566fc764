// The enhanced order control KVL_ADVO as a model: the grouping fields with
// their initial choice, the attribute sources, which items the user keeps,
// which of them group, and the grouping and ordering texts that the booking
// reader reads.
//
// An item is left out, selected (shown as the highest value of its group)
// or grouping. At set-up an item with G groups; one with only O is selected;
// one with neither is left out. The grouping text carries its own
// "GROUP BY"; the ordering text is non-blank when the rows are to be ordered
// by the selected items.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/controls/control_settings.h"

namespace host {

class OrderControl {
 public:
  enum class Use : uint8_t { LeftOut, Selected, Grouping };
  struct Item {
    std::string group, caption, column;
    bool initial_grouping = false;  // G
    int16_t number = 0;
    bool setting_o = false;  // O
    Use use = Use::LeftOut;
  };
  struct Attribute {
    std::string group;
    bool visible = false;
    int32_t entity = 0;
    std::string alias;
  };

  void Settings(const ControlSettings& settings) { settings_ = settings; }
  void AddField(const std::string& group, const std::string& caption, const std::string& column, bool grouping,
                int16_t& number, int32_t zero1, bool yes, bool no, bool setting_o, int32_t zero2);
  void AddAttribute(const std::string& group, bool visible, int32_t entity, const std::string& alias);
  void EndSetup() {}
  // The call that precedes reading the items: nothing to refresh in the model.
  void Refresh() {}

  [[nodiscard]] const std::vector<Item>& Items() const { return items_; }
  [[nodiscard]] const std::vector<Attribute>& Attributes() const { return attributes_; }
  // Chooses the grouping items by caption or column, in that order; other
  // items keep only their selection (a grouping item becomes selected).
  // Throws host::Error for an unknown name.
  void SetGrouping(const std::vector<std::string>& names);
  void SetUse(const std::string& column, Use use);
  // Moves the item at `from` to position `to` (the grouping follows the
  // order of the items); positions out of range do nothing.
  void Move(size_t from, size_t to);
  void SetOrdered(bool ordered) { ordered_ = ordered; }

  // "GROUP BY a, b" or "" without grouping items.
  [[nodiscard]] std::string GroupingText() const;
  // "ORDER BY ..." of the selected items, or "" when not ordered.
  [[nodiscard]] std::string OrderingText() const;

  [[nodiscard]] std::string SaveState() const;
  void RestoreState(const std::string& state);

 private:
  ControlSettings settings_;
  std::vector<Item> items_;
  std::vector<Attribute> attributes_;
  bool ordered_ = true;
};

}  // namespace host
