#include "host/framework/translation_service.h"

#include <sstream>

#include "host/value/variant.h"

// The catalog built in from messages.tsv (a function: the module library and
// the host each carry a copy, and no global is defined twice).
const char* QuarvelindoMessages();

namespace host {

MessageCatalog MessageCatalog::BuiltIn() { return Parse(QuarvelindoMessages()); }

MessageCatalog MessageCatalog::Parse(const std::string& text) {
  MessageCatalog catalog;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find('\t');
    if (a == std::string::npos) continue;
    const size_t b = line.find('\t', a + 1);
    const std::string italian = line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
    // A line without English (or with an empty one) reads Italian in English too.
    std::string english = b == std::string::npos ? italian : line.substr(b + 1);
    if (english.empty()) english = italian;
    auto number = Decimal::Parse(line.substr(0, a));
    if (!number) continue;
    const auto n = static_cast<int32_t>(number->TruncToInt64());
    catalog.texts_[n] = {italian, english};
    catalog.by_italian_.emplace(italian, n);
  }
  return catalog;
}

std::string MessageCatalog::Text(int32_t number, const std::string& language) const {
  auto it = texts_.find(number);
  if (it == texts_.end()) return {};
  return language == "en" ? it->second.second : it->second.first;
}

int32_t MessageCatalog::NumberOf(const std::string& italian) const {
  auto it = by_italian_.find(italian);
  return it == by_italian_.end() ? 0 : it->second;
}

std::string MarkedText(int32_t number, const std::string& text) { return "[x" + std::to_string(number) + "x] " + text; }


int32_t TranslationService::ShowText(const std::string& text, int32_t buttons, const std::string& title) {
  return presenter_ ? presenter_->Show(text, buttons, title) : 1;
}

int32_t TranslationService::ShowNumber(int32_t number, int32_t buttons, const std::string& title,
                                       const std::vector<std::string>& params) {
  return ShowText(Text(number, params), buttons, title);
}

std::string TranslationService::Text(int32_t number, const std::vector<std::string>& params) const {
  const std::string text = catalog_.Text(number, language_);
  return text.empty() ? MarkedText(number, "") : FillPlaces(text, params);
}

std::string TranslationService::ErrorTextIn(const MessageCatalog& catalog, const std::string& language,
                                            const Error& error) {
  if (error.Key().Empty()) return error.what();
  const std::string text = catalog.Text(error.Key().number, language);
  return text.empty() ? std::string(error.what()) : FillPlaces(text, error.Key().arguments);
}

std::string TranslationService::Caption(const std::string& italian) const {
  const int32_t number = catalog_.NumberOf(italian);
  return number == 0 ? italian : catalog_.Text(number, language_);
}

}  // namespace host
