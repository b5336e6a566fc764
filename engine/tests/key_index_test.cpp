#include "engine/key_index.h"

#include "engine/computed_times.h"

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

TEST(KeyIndex, AHundredThousandKeysSurviveEveryGrowthWhetherSizedAheadOrNot) {
  // Grown from nothing (powers of two), and sized ahead for fewer keys than
  // come (a table of 40,001 slots, then grown from there).
  for (const size_t reserved : {size_t{0}, size_t{30000}}) {
    KeyIndex index;
    index.Reserve(reserved);
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
    EXPECT_EQ(index.Size(), 100001U);
  }
}

TEST(KeyIndex, SizedAheadForEveryKeyItIsThreeQuartersFullAtMost) {
  KeyIndex index;
  index.Reserve(3000);
  for (size_t n = 0; n < 3000; ++n) index.Add("ODL" + std::to_string(n), n);
  EXPECT_EQ(index.Find("ODL2999"), 2999);
  EXPECT_EQ(index.Find("ODL3000"), std::nullopt);  // a miss in a full table ends
  EXPECT_EQ(index.SlotCount(), 4001U);
}

// The pass's other index: computations by what they were made from.
TEST(ComputedTimes, KeysDifferingInOneInputAreApartAndUnpackableKeysStillFound) {
  ComputedTimes computed;
  const auto* orders = reinterpret_cast<const host::Table*>(0x1000);
  const auto* cycles = reinterpret_cast<const host::Table*>(0x2000);
  const ComputationKey base{orders, 5, 125, 1, false, 3, 4};  // 12.5 of article 3, option 4
  EXPECT_EQ(computed.Find(base), std::nullopt);
  computed.Add(base, 1);
  std::vector<ComputationKey> others(8, base);
  others[0].table = cycles;
  others[1].row = 6;
  others[2].quantity = 1250;  // 12.50 written otherwise is another key: the pass normalises first
  others[3].scale = 2;
  others[4].no_quantity = true;
  others[5].article = 4;
  others[6].option = 3;
  others[7].quantity = -125;
  for (const ComputationKey& key : others) EXPECT_EQ(computed.Find(key), std::nullopt);
  for (size_t i = 0; i < others.size(); ++i) computed.Add(others[i], static_cast<uint32_t>(10 + i));
  // A quantity beyond 64 bits and a row beyond 32 do not pack.
  ComputationKey huge = base;
  huge.quantity = host::Int128{1} << 80;
  ComputationKey far = base;
  far.row = size_t{1} << 33;
  computed.Add(huge, 98);
  computed.Add(far, 99);
  EXPECT_EQ(computed.Find(base), 1U);
  for (size_t i = 0; i < others.size(); ++i) EXPECT_EQ(computed.Find(others[i]), 10 + i) << i;
  EXPECT_EQ(computed.Find(huge), 98U);
  EXPECT_EQ(computed.Find(far), 99U);
  EXPECT_EQ(computed.Size(), 11U);
}

TEST(ComputedTimes, AHundredThousandComputationsSurviveEveryGrowth) {
  ComputedTimes computed;
  const auto* table = reinterpret_cast<const host::Table*>(0x1000);
  for (uint32_t n = 0; n < 100000; ++n) computed.Add({table, n % 1000, n / 1000, 0, false, n % 7, 0}, n);
  for (uint32_t n = 0; n < 100000; ++n) {
    ASSERT_EQ(computed.Find({table, n % 1000, n / 1000, 0, false, n % 7, 0}), n) << n;
  }
  EXPECT_EQ(computed.Find({table, 1000, 0, 0, false, 0, 0}), std::nullopt);
  EXPECT_LT(computed.MemoryBytes(), 100000U * 45);  // a node map spends twice that
}

}  // namespace
}  // namespace engine
