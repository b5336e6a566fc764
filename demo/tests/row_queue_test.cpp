// The demo's rows written on a second thread: in the order they were made,
// the last part batch included, and a failed insert stops the writing and
// reaches the thread that makes the rows.
#include <gtest/gtest.h>

#include <stdexcept>

#include "demo/row_queue.h"

namespace demo::generation {
namespace {

TEST(RowQueue, WritesEveryRowInItsOrderAndPassesAFailureBack) {
  std::vector<int64_t> written;
  RowQueue queue([&written](const RowQueue::Row& row) { written.push_back(std::get<int64_t>(row[0])); }, 3);
  RowQueue::Row row{I(0), T("view")};
  for (int64_t i = 0; i < 10; ++i) {
    row[0] = I(i);
    queue.Push(row);
  }
  queue.Finish();
  ASSERT_EQ(written.size(), 10U);
  for (int64_t i = 0; i < 10; ++i) EXPECT_EQ(written[static_cast<size_t>(i)], i);

  // The fifth row fails: nothing after it is written, and the caller hears
  // of it by a later Push or by Finish.
  written.clear();
  RowQueue failing(
      [&written](const RowQueue::Row& row) {
        if (std::get<int64_t>(row[0]) == 4) throw std::runtime_error("disk full");
        written.push_back(std::get<int64_t>(row[0]));
      },
      2);
  EXPECT_THROW(
      {
        for (int64_t i = 0; i < 100; ++i) {
          row[0] = I(i);
          failing.Push(row);
        }
        failing.Finish();
      },
      std::runtime_error);
  EXPECT_EQ(written, (std::vector<int64_t>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace demo::generation
