#include "engine/id_slots.h"

#include <gtest/gtest.h>

#include <vector>

namespace engine {
namespace {

// Keys in a narrow range go to the vector, any other to the map: either
// way each key keeps its own number and an unknown key answers 0.
TEST(IdSlots, EveryKeyKeepsItsNumberInsideOrOutsideTheRange) {
  const std::vector<int64_t> keys{1000005, 1000001, 1000900, -1};  // IDGRUPPO: a group's last booking
  IdSlots slots(keys);
  slots[1000005] = 1;
  slots[1000001] = 2;
  slots[1000900] = 3;
  slots[-1] = 4;            // a group without a number
  slots[7] = 5;             // below the range
  slots[900000000000] = 6;  // far above it
  const std::pair<int64_t, uint32_t> found[] = {{1000005, 1}, {1000001, 2}, {1000900, 3}, {-1, 4},     {7, 5},
                                                {900000000000, 6}, {1000002, 0}, {1000000, 0}, {8, 0}};
  for (const auto& [key, number] : found) EXPECT_EQ(slots.Find(key), number) << key;
  // Keys too far apart for a vector, and none at all: the map alone.
  const std::vector<int64_t> wide{1, 5000000000};
  IdSlots sparse(wide);
  sparse[5000000000] = 9;
  EXPECT_EQ(sparse.Find(5000000000), 9U);
  EXPECT_EQ(sparse.Find(1), 0U);
  // ... unless the caller allows a range that wide.
  const std::vector<int64_t> spread{1000, 901000};
  IdSlots allowed(spread, 1000000);
  allowed[901000] = 4;
  allowed[500000] = 5;
  EXPECT_EQ(allowed.Find(901000), 4U);
  EXPECT_EQ(allowed.Find(500000), 5U);
  EXPECT_EQ(allowed.Find(1000), 0U);
  IdSlots empty;
  EXPECT_EQ(empty.Find(0), 0U);
  empty[0] = 2;
  EXPECT_EQ(empty.Find(0), 2U);
}

}  // namespace
}  // namespace engine
