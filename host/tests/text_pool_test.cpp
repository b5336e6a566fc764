// The text pool behind every text cell: ids that stay with their texts as
// the pool grows, and texts that another thread may read while it grows.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/recordset/text_pool.h"

namespace host {
namespace {

std::string Code(int i) { return "code-" + std::to_string(i) + (i % 7 == 0 ? std::string(40, 'x') : ""); }

TEST(TextPool, IdsKeepTheirTextsAcrossGrowth) {
  TextPool pool;
  std::vector<uint32_t> ids;
  for (int i = 0; i < 100000; ++i) ids.push_back(pool.Intern(Code(i)));
  EXPECT_EQ(pool.Size(), 100001U);  // and the Null slot
  EXPECT_EQ(ids.front(), 1U);
  for (int i = 0; i < 100000; ++i) {
    ASSERT_EQ(pool.At(ids[i]), Code(i)) << i;
    ASSERT_EQ(pool.Find(Code(i)), ids[i]) << i;
    ASSERT_EQ(pool.Intern(Code(i)), ids[i]) << i;  // interned once
  }
  EXPECT_EQ(pool.Find("never"), TextPool::kNullId);
  // The empty text has an id of its own, not Null's.
  const uint32_t empty = pool.Intern("");
  EXPECT_NE(empty, TextPool::kNullId);
  EXPECT_EQ(pool.At(empty), "");
  EXPECT_EQ(pool.Intern(""), empty);
  // Folding adds the folded form once, and texts that fold alike share it.
  const uint32_t lower = pool.Intern("ab  ");
  const uint32_t upper = pool.Intern("AB");
  EXPECT_EQ(pool.FoldedId(lower), upper);
  EXPECT_EQ(pool.FoldedId(upper), upper);
  EXPECT_EQ(pool.FoldedId(TextPool::kNullId), TextPool::kNullId);
}

// A filter folds keys (interning) while the command line's writers read
// booking texts on other threads: what they read never moves.
TEST(TextPool, TextsHeldAreReadWhileThePoolGrows) {
  TextPool pool;
  std::vector<uint32_t> held;
  for (int i = 0; i < 1000; ++i) held.push_back(pool.Intern(Code(i)));
  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::thread reader([&] {
    do {
      for (int i = 0; i < 1000; ++i) {
        if (pool.At(held[i]) != Code(i)) ++wrong;
      }
    } while (!done);
  });
  for (int i = 1000; i < 200000; ++i) (void)pool.FoldedId(pool.Intern(Code(i)));
  done = true;
  reader.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(pool.At(pool.Intern(Code(199999))), Code(199999));
}

}  // namespace
}  // namespace host
