// Blocks made on worker threads come out in row order, whatever order the
// workers finish in; a failed block stops the output where it failed.
#include "output/ordered_blocks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace output {
namespace {

std::string Rows(size_t first, size_t last) {
  std::string text;
  for (size_t i = first; i < last; ++i) text += std::to_string(i) + ";";
  return text;
}

TEST(WriteBlocksInOrder, TextsComeInRowOrderWhateverFinishesFirst) {
  std::string out;
  int writes = 0;
  WriteBlocksInOrder(
      23, 5, 2,
      [](size_t first, size_t last) {
        // The earlier blocks are the slower ones.
        std::this_thread::sleep_for(std::chrono::milliseconds(first % 10 == 0 ? 20 : 0));
        return Rows(first, last);
      },
      [&](const std::string& text) {
        out += text;
        ++writes;
      });
  EXPECT_EQ(out, Rows(0, 23));
  EXPECT_EQ(writes, 5);  // 5 + 5 + 5 + 5 + 3
}

TEST(WriteBlocksInOrder, NothingToWriteAndOddSizes) {
  int writes = 0;
  WriteBlocksInOrder(0, 5, 2, Rows, [&](const std::string&) { ++writes; });
  EXPECT_EQ(writes, 0);
  std::string out;
  WriteBlocksInOrder(3, 0, 0, Rows, [&](const std::string& text) { out += text + "|"; });  // one row a block, one worker
  EXPECT_EQ(out, "0;|1;|2;|");
}

TEST(WriteBlocksInOrder, AFailedBlockIsRethrownAndStopsTheOutputThere) {
  std::string out;
  try {
    WriteBlocksInOrder(
        40, 4, 2,
        [](size_t first, size_t last) {
          if (first == 12) throw std::runtime_error("block 12 failed");
          return Rows(first, last);
        },
        [&](const std::string& text) { out += text; });
    FAIL() << "no throw";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "block 12 failed");
  }
  EXPECT_EQ(out, Rows(0, 12));
}

}  // namespace
}  // namespace output
