#include "engine/key_index.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

TEST(KeyIndex, FindsEachKeysRowMarksSharedKeysAndKnowsNoOthers) {
  KeyIndex index;
  EXPECT_EQ(index.Find("a"), std::nullopt);  // nothing added yet
  // Keys that are prefixes of one another, an empty one, and a shared one.
  index.Add("a", 7);
  index.Add("ab", 8);
  index.Add("", 9);
  index.Add("1ODL0000001\x1f" "1\x1f", 10);
  index.Add("ab", 11);
  EXPECT_EQ(index.Find("a"), 7);
  EXPECT_EQ(index.Find(""), 9);
  EXPECT_EQ(index.Find("1ODL0000001\x1f" "1\x1f"), 10);
  EXPECT_EQ(index.Find("ab"), KeyIndex::kSeveral);
  EXPECT_EQ(index.Find("abc"), std::nullopt);
  EXPECT_EQ(index.Find("A"), std::nullopt);  // keys are compared as given
  EXPECT_EQ(index.Size(), 4U);
}

TEST(KeyIndex, AHundredThousandKeysSurviveEveryGrowth) {
  KeyIndex index;
  for (size_t n = 0; n < 100000; ++n) index.Add(std::to_string(n * 7919), n);
  index.Add(std::to_string(5 * 7919), 123);  // a second row for one key
  index.ShrinkToFit();
  index.Add("after", 7);  // a complete index still takes keys
  EXPECT_EQ(index.Find("after"), 7);
  for (size_t n = 0; n < 100000; ++n) {
    const auto row = index.Find(std::to_string(n * 7919));
    ASSERT_TRUE(row.has_value()) << n;
    ASSERT_EQ(*row, n == 5 ? KeyIndex::kSeveral : static_cast<int64_t>(n)) << n;
  }
  EXPECT_EQ(index.Find("1"), std::nullopt);
  EXPECT_EQ(index.Find(std::to_string(100000 * 7919)), std::nullopt);
}

}  // namespace
}  // namespace engine
