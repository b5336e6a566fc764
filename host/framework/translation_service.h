// The host's translation service: message texts by number from a catalog
// (number, Italian, English), in the user's language; a number the catalog
// lacks answers the Italian text the caller gave, or "[x<number>x]".
// Parameters replace %1, %2, ... in the text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/framework/message_presenter.h"
#include "host/value/error.h"

namespace host {

class MessageCatalog {
 public:
  // The catalog built into the program.
  static MessageCatalog BuiltIn();
  // Lines "number<TAB>Italian<TAB>English"; '#' starts a comment.
  static MessageCatalog Parse(const std::string& text);
  // Empty when the number is unknown.
  [[nodiscard]] std::string Text(int32_t number, const std::string& language) const;
  [[nodiscard]] size_t Size() const { return texts_.size(); }
  // The number whose Italian text this is, or 0.
  [[nodiscard]] int32_t NumberOf(const std::string& italian) const;

 private:
  std::map<int32_t, std::pair<std::string, std::string>> texts_;
  std::map<std::string, int32_t> by_italian_;
};

class TranslationService {
 public:
  TranslationService(MessageCatalog catalog, std::string language, std::shared_ptr<MessagePresenter> presenter)
      : catalog_(std::move(catalog)), language_(std::move(language)), presenter_(std::move(presenter)) {}

  // A message by its text (no parameters).
  int32_t ShowText(const std::string& text, int32_t buttons, const std::string& title);
  // A message by number.
  int32_t ShowNumber(int32_t number, int32_t buttons, const std::string& title, const std::vector<std::string>& params);
  // The text of a number.
  [[nodiscard]] std::string Text(int32_t number, const std::vector<std::string>& params) const;
  // A caption in the user's language: the catalog entry whose Italian text it is, or itself.
  [[nodiscard]] std::string Caption(const std::string& italian) const;

  // What the user reads of an error: its catalog message (Error::Key) in the
  // language, its places filled; its description when it has no message or
  // the catalog lacks the number.
  [[nodiscard]] std::string ErrorText(const Error& error) const { return ErrorTextIn(catalog_, language_, error); }
  static std::string ErrorTextIn(const MessageCatalog& catalog, const std::string& language, const Error& error);

  [[nodiscard]] const std::string& Language() const { return language_; }
  void SetLanguage(std::string language) { language_ = std::move(language); }

 private:
  MessageCatalog catalog_;
  std::string language_;
  std::shared_ptr<MessagePresenter> presenter_;
};

// "[x" + number + "x] " + text: how a message looks without a translation service.
std::string MarkedText(int32_t number, const std::string& text);

}  // namespace host
