// The message catalog at its edges: parameters (ten of them, missing ones,
// ones that look like placeholders), languages it does not know, a line
// without English, and the built-in catalog complete in both languages.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "host/framework/translation_service.h"

const char* QuarvelindoMessages();  // the built-in catalog's text

namespace host {
namespace {

TEST(CatalogParameters, EachNumberOfTheBuiltInCatalogIsGivenOnce) {
  // A number given twice keeps only one of its texts: the other one's
  // users would read a message that is not theirs.
  std::istringstream lines(QuarvelindoMessages());
  std::set<std::string> numbers;
  std::string line;
  while (std::getline(lines, line)) {
    const std::string number = line.substr(0, line.find('\t'));
    if (number.empty() || number[0] == '#') continue;
    EXPECT_TRUE(numbers.insert(number).second) << "number " << number << " is given twice";
  }
  EXPECT_GT(numbers.size(), 100U);
}

TEST(CatalogParameters, EachPlaceholderOnceAndInItsOwnPlace) {
  const MessageCatalog catalog = MessageCatalog::Parse(
      "1\t%1 e %2\t%1 and %2\n"
      "2\t%1-%2-%3-%4-%5-%6-%7-%8-%9-%10\tten\n"
      "3\tSolo italiano\t\n");
  TranslationService en(catalog, "en", nullptr);
  TranslationService it(catalog, "it", nullptr);
  EXPECT_EQ(en.Text(1, {"A", "B"}), "A and B");
  // A parameter that itself reads "%2" is not replaced again.
  EXPECT_EQ(en.Text(1, {"%2", "B"}), "%2 and B");
  // A missing parameter leaves its placeholder; an extra one is ignored.
  EXPECT_EQ(en.Text(1, {"A"}), "A and %2");
  EXPECT_EQ(en.Text(1, {"A", "B", "C"}), "A and B");
  EXPECT_EQ(it.Text(2, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}), "a-b-c-d-e-f-g-h-i-j");
  // No English: the Italian text; a language the catalog lacks: Italian.
  EXPECT_EQ(en.Text(3, {}), "Solo italiano");
  EXPECT_EQ(TranslationService(catalog, "de", nullptr).Text(1, {"A", "B"}), "A e B");
}

TEST(CatalogParameters, TheBuiltInCatalogIsCompleteInBothLanguages) {
  const MessageCatalog catalog = MessageCatalog::BuiltIn();
  ASSERT_GT(catalog.Size(), 100U);
  std::set<std::string> italian;
  size_t checked = 0;
  for (int32_t n = 1; n < 1000000 && checked < catalog.Size(); ++n) {
    const std::string it = catalog.Text(n, "it");
    if (it.empty()) continue;
    ++checked;
    EXPECT_FALSE(catalog.Text(n, "en").empty()) << n << " " << it;
    // The same Italian text under two numbers would translate a caption
    // by whichever came last.
    EXPECT_TRUE(italian.insert(it).second || catalog.Text(catalog.NumberOf(it), "en") == catalog.Text(n, "en"))
        << n << " " << it;
  }
  EXPECT_EQ(checked, catalog.Size());
}

}  // namespace
}  // namespace host
