// The language a written report reads in: "it" (the module's own captions,
// the default) or "en" (the catalog's English). Table captions, headers and
// notes go through it; field names of the CSV and JSON never do, as they
// are an interface.
//
// A caption the catalog does not know stays as given (Italian): better an
// untranslated caption than none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace output {

class OutputLanguage {
 public:
  OutputLanguage() = default;  // Italian
  // "en" is English; anything else is Italian.
  explicit OutputLanguage(std::string_view code) : english_(code == "en") {}

  [[nodiscard]] std::string Code() const { return english_ ? "en" : "it"; }
  [[nodiscard]] bool English() const { return english_; }
  // A module caption given in Italian; a grouping description's captions
  // joined by '/' are translated one by one.
  [[nodiscard]] std::string Caption(const std::string& italian) const;
  // A text by its catalog number (0: none), given in Italian; an English
  // text missing from the catalog falls back on Caption.
  [[nodiscard]] std::string NumberedText(std::string_view italian, int32_t number) const;
  // A text of the writer's own, given in both languages.
  [[nodiscard]] const char* Text(const char* italian, const char* english) const {
    return english_ ? english : italian;
  }

 private:
  bool english_ = false;
};

}  // namespace output
