#include "output/output_language.h"

#include "host/framework/translation_service.h"

namespace output {
namespace {

const host::MessageCatalog& Catalog() {
  static const host::MessageCatalog catalog = host::MessageCatalog::BuiltIn();
  return catalog;
}

}  // namespace

std::string OutputLanguage::Caption(const std::string& italian) const {
  if (!english_) return italian;
  std::string out;
  size_t start = 0;
  while (true) {
    const size_t slash = italian.find('/', start);
    const std::string part = italian.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    const int32_t number = Catalog().NumberOf(part);
    out += number != 0 ? Catalog().Text(number, "en") : part;
    if (slash == std::string::npos) break;
    out += '/';
    start = slash + 1;
  }
  return out;
}

std::string OutputLanguage::NumberedText(std::string_view italian, int32_t number) const {
  if (!english_) return std::string(italian);
  const std::string english = number != 0 ? Catalog().Text(number, "en") : std::string();
  return english.empty() ? Caption(std::string(italian)) : english;
}

}  // namespace output
