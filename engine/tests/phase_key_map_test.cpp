#include "engine/phase_key_map.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace engine {
namespace {

// An order phase and a cycle phase of the same id are two phases; so are
// ids equal in value but written with another scale (as the decimals the
// bookings carry compare). Keys packed into the table and keys kept beside
// (negative, fractional, beyond 2^62) answer alike.
TEST(PhaseKeyMap, EachPhaseKeepsItsOwnValueWhereverItIsKept) {
  const host::Int128 huge = static_cast<host::Int128>(1) << 70;
  const PhaseKey keys[] = {{true, 42, 0},  {false, 42, 0}, {true, 420, 1},          {true, -42, 0},
                           {true, huge, 0}, {false, 0, 0},  {true, (host::Int128{1} << 62) - 1, 0}};
  PhaseKeyMap map;
  uint32_t n = 1;
  for (const PhaseKey& key : keys) {
    EXPECT_TRUE(map.TryEmplace(key, {n, n * 10}).second);
    ++n;
  }
  EXPECT_EQ(map.Size(), 7U);
  n = 1;
  for (const PhaseKey& key : keys) {
    const auto [value, added] = map.TryEmplace(key, {99, 99});
    EXPECT_FALSE(added);
    EXPECT_EQ(value->first, n);
    ASSERT_NE(map.Find(key), nullptr);
    EXPECT_EQ(map.Find(key)->second, n * 10);
    ++n;
  }
  EXPECT_EQ(map.Find({true, 43, 0}), nullptr);
  EXPECT_EQ(map.Find({false, 420, 1}), nullptr);
  EXPECT_EQ(map.Find({true, 42, 1}), nullptr);
  std::set<uint32_t> visited;
  map.ForEach([&](const PhaseKeyMap::Value& v) { visited.insert(v.first); });
  EXPECT_EQ(visited, (std::set<uint32_t>{1, 2, 3, 4, 5, 6, 7}));
  map.Clear();
  EXPECT_EQ(map.Size(), 0U);
  EXPECT_EQ(map.Find({true, 42, 0}), nullptr);
}

// Neighbouring ids by the hundred thousand, as a year's phases come: every
// value survives the table's growing, reserved or not.
TEST(PhaseKeyMap, ValuesSurviveGrowing) {
  for (const bool reserve : {false, true}) {
    PhaseKeyMap map;
    if (reserve) map.Reserve(1000);
    for (uint32_t id = 0; id < 100000; ++id) map.TryEmplace({id % 2 == 0, 5000000 + id, 0}, {id, 0});
    EXPECT_EQ(map.Size(), 100000U);
    for (uint32_t id = 0; id < 100000; id += 997) {
      const PhaseKeyMap::Value* v = map.Find({id % 2 == 0, 5000000 + id, 0});
      ASSERT_NE(v, nullptr) << id;
      EXPECT_EQ(v->first, id);
      EXPECT_EQ(map.Find({id % 2 != 0, 5000000 + id, 0}), nullptr) << id;
    }
  }
}

}  // namespace
}  // namespace engine
