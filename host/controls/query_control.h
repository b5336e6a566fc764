// The enhanced query control KVL_ADVQ as a model without widgets: the filter
// fields, categories, states, attributes and fashion entries that the form
// adds, the from/to values the user enters by column, and the condition
// text that the booking reader appends to its queries.
//
// The condition text starts with its own connective (" AND ..."). Values are
// checked before they reach SQL: numbers must read as numbers, dates as
// dates (written through the connection's date service), texts have their
// quotes doubled. In a text, '*' (any text) and '?' (one character) make a
// pattern; every other character, '%', '_' and '[' too, matches itself on
// every back end (escaped with '!'). A single date, with or without a time,
// is its whole day; a range's ends compare as typed (a date end without a
// time takes its whole day, 9999-12-31 up to its last second), but a text
// end "ART001*" is every text that starts with ART001 (from the lowest, up
// to the highest); any other '*' or '?' in a range's end is refused. Text
// lengths count characters, not bytes; a number of more than 28 significant
// digits is refused rather than rounded. A value that does not
// pass is a host::Error (kErrInvalidArgument) naming the field and the
// value; no SQL is built from it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "host/controls/control_settings.h"
#include "host/value/variant.h"

namespace host {

class QueryControl {
 public:
  struct Field {
    std::string group, caption, column;
    bool visible = true;
    int16_t number = 0;
    std::array<bool, 6> settings{};  // S1..S6: S3 numeric code, S4 date
    std::optional<int16_t> max_length;
    bool variant_extra = false;  // the two further arguments of "Variante"
    // The category of the article (index in Categories()): the value is a
    // category code the article, or its variant, belongs to.
    std::optional<size_t> category;
    [[nodiscard]] bool IsDate() const { return settings[3]; }
    [[nodiscard]] bool IsNumber() const { return settings[2]; }
  };
  struct Category {
    std::string group, caption;
    bool visible = true;
    int16_t number = 0;
    std::string article_column, variant_column;
  };
  struct State {
    std::string group, caption, column;
    bool visible = false;
    int16_t number = 0;
    int32_t entity = 0;
  };
  struct Attribute {
    std::string group;
    bool visible = false;
    int32_t entity = 0;
    std::string alias;
  };
  struct FashionEntry {
    int kind = 0;  // 1, 2, 3: the control's three fashion operations
    std::string group;
    bool visible = true;
    std::string text, column;
  };

  void Settings(const ControlSettings& settings) { settings_ = settings; }
  void AddField(const std::string& group, const std::string& caption, const std::string& column, bool visible,
                int16_t& number, bool s1, bool s2, bool s3, bool s4, bool s5, bool s6,
                std::optional<int16_t> max_length = std::nullopt, std::optional<std::string> extra_text = std::nullopt,
                std::optional<bool> extra_flag = std::nullopt);
  void AddCategory(const std::string& group, const std::string& caption, bool visible, int16_t& number,
                   const std::string& article_column, const std::string& variant_column);
  void AddState(const std::string& group, const std::string& caption, const std::string& column, bool visible,
                int16_t& number, int32_t entity);
  void AddAttribute(const std::string& group, bool visible, int32_t entity, const std::string& alias);
  void AddFashion1(const std::string& group, bool visible, const std::string& text);
  void AddFashion2(const std::string& group, bool visible, const std::string& text);
  void AddFashion3(const std::string& group, bool visible, const std::string& text, const std::string& column);
  void EndSetup() { ready_ = true; }
  void ClearConditions() {
    values_.clear();
    onwards_.clear();
  }

  // From/to values by column (Empty when the user entered nothing).
  void SetFrom(const std::string& column, const Variant& value);
  void SetTo(const std::string& column, const Variant& value);
  [[nodiscard]] Variant FromValue(const std::string& column) const;
  [[nodiscard]] Variant ToValue(const std::string& column) const;
  // A from-value without a to-value is one value (equality, or the whole
  // day of a date); marked onwards it is the start of an open range
  // (">= from"), as "FROM.." is on the command line.
  void SetOnwards(const std::string& column, bool onwards);
  [[nodiscard]] bool Onwards(const std::string& column) const;

  // The condition of every field with a value; throws on a bad value.
  [[nodiscard]] std::string ConditionText() const;

  // A value that cannot become part of the condition as typed.
  enum class ProblemKind : uint8_t {
    NotADate,
    DateRefused,
    NotANumber,
    TooLong,
    NotAState,
    TooManyDigits,
    PatternInRange
  };
  struct Problem {
    std::string column, caption;
    bool to_side = false;  // the to-value (else the from-value)
    std::string message;   // what is wrong, with the field and the value (English, for logs and the CLI)
    ProblemKind kind = ProblemKind::NotADate;
    int limit = 0;  // the characters a too long text may have, the digits a number
  };
  // Every field and state value checked as ConditionText would write it;
  // empty when all pass. Blank values pass (they set no condition).
  [[nodiscard]] std::vector<Problem> Validate() const;
  // The problem of one value of a field or state (by column), if any.
  [[nodiscard]] std::optional<std::string> CheckValue(const std::string& column, const Variant& value) const;
  [[nodiscard]] std::optional<Problem> ProblemOf(const std::string& column, const Variant& value) const;

  // The entered values as text, and back (unknown columns are skipped).
  [[nodiscard]] std::string SaveState() const;
  void RestoreState(const std::string& state);

  [[nodiscard]] const std::vector<Field>& Fields() const { return fields_; }
  [[nodiscard]] const std::vector<Category>& Categories() const { return categories_; }
  [[nodiscard]] const std::vector<State>& States() const { return states_; }
  [[nodiscard]] const std::vector<Attribute>& Attributes() const { return attributes_; }
  // The conditions beyond the filter fields, as fields: first the
  // category code of each category entry ("Categorie" on CO5C_CODCAT,
  // up to 10 characters), then the three attributes (two texts, one
  // number) of each attribute source on its alias ("Articolo attributo 1"
  // on CO5L_ART.CO5L_ATTR01, ...).
  [[nodiscard]] const std::vector<Field>& ExtraFields() const { return extra_fields_; }
  [[nodiscard]] const std::vector<FashionEntry>& FashionEntries() const { return fashion_; }
  [[nodiscard]] const ControlSettings& Settings() const { return settings_; }
  // The filter field (extra fields too) or state of a caption, or null.
  [[nodiscard]] const Field* FieldByCaption(const std::string& caption) const;
  [[nodiscard]] const State* StateByCaption(const std::string& caption) const;

 private:
  [[nodiscard]] std::string Literal(const Field& field, const Variant& value, bool end_of_day) const;
  [[nodiscard]] std::optional<Problem> ProblemOf(const std::string& column, const Variant& value, bool range_end) const;
  // A range's end with '*' or '?' anywhere but a '*' at its end is refused.
  void CheckRangeEnd(const Field& field, const Variant& value) const;
  [[nodiscard]] std::string FromCondition(const Field& field, const Variant& from) const;
  [[nodiscard]] std::string ToCondition(const Field& field, const Variant& to) const;
  // The end of a date's whole day (" < next midnight", or up to the last
  // second of 9999-12-31, which has no next day).
  [[nodiscard]] std::string WholeDayEnd(const Field& field, const Variant& day) const;
  // The condition of one field's values (" AND ..."), empty without values.
  [[nodiscard]] std::string FieldCondition(const Field& field) const;

  ControlSettings settings_;
  std::vector<Field> fields_;
  std::vector<Category> categories_;
  std::vector<State> states_;
  std::vector<Attribute> attributes_;
  std::vector<Field> extra_fields_;
  std::vector<FashionEntry> fashion_;
  std::map<std::string, std::pair<Variant, Variant>> values_;  // column -> from, to
  std::set<std::string> onwards_;                              // columns whose range has no end
  bool ready_ = false;
};

}  // namespace host
