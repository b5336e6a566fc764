#include "engine/serial_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace engine {
namespace {

TEST(SerialWorker, RunsEveryJobInTheOrderPosted) {
  SerialWorker worker;
  std::vector<int> done;  // one job at a time, on either thread
  for (int i = 0; i < 1000; ++i) worker.Post([&, i] { done.push_back(i); });
  worker.Drain();
  ASSERT_EQ(done.size(), 1000U);
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(done[static_cast<size_t>(i)], i);
  worker.Drain();  // idle: answers at once
}

TEST(SerialWorker, DrainRunsWhatTheWorkerHasNotStartedAfterTheJobUnderWay) {
  SerialWorker worker;
  std::vector<std::pair<int, std::thread::id>> done;
  std::atomic<bool> started{false};
  worker.Post(
      [&] {
        started = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        done.emplace_back(0, std::this_thread::get_id());
      },
      SerialWorker::kBatchWeight);
  for (int i = 1; i <= 5; ++i) worker.Post([&, i] { done.emplace_back(i, std::this_thread::get_id()); });
  while (!started) std::this_thread::yield();
  worker.Drain();
  ASSERT_EQ(done.size(), 6U);
  EXPECT_NE(done[0].second, std::this_thread::get_id());
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(done[static_cast<size_t>(i)].first, i);
    EXPECT_EQ(done[static_cast<size_t>(i)].second, std::this_thread::get_id()) << i;
  }
}

TEST(SerialWorker, SmallJobsWaitForABatchOrDrain) {
  SerialWorker worker;
  std::atomic<int> ran{0};
  worker.Post([&] { ++ran; }, SerialWorker::kBatchWeight - 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ran, 0);  // not handed over yet
  worker.Post([&] { ++ran; });  // the batch is whole
  while (ran < 2) std::this_thread::yield();
  worker.Post([&] { ++ran; });
  worker.Drain();  // hands over the rest
  EXPECT_EQ(ran, 3);
}

TEST(SerialWorker, AFailureStopsTheJobsAfterItAndIsSaidOnce) {
  SerialWorker worker;
  std::vector<int> done;
  worker.Post([&] { done.push_back(1); });
  worker.Post([] { throw std::runtime_error("store refused"); });
  worker.Post([&] { done.push_back(3); });
  try {
    worker.Drain();
    FAIL() << "the failure was not said";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "store refused");
  }
  EXPECT_EQ(done, std::vector<int>{1});
  // Said once; the worker goes on with what is posted afterwards.
  EXPECT_NO_THROW(worker.Drain());
  worker.Post([&] { done.push_back(4); });
  worker.Drain();
  EXPECT_EQ(done, (std::vector<int>{1, 4}));
}

TEST(SerialWorker, DestroyedWithJobsWaitingRunsNoMore) {
  std::atomic<int> ran{0};
  std::atomic<bool> started{false};
  {
    SerialWorker worker;
    // Each heavy enough to be handed over at once.
    worker.Post(
        [&] {
          started = true;
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          ++ran;
        },
        SerialWorker::kBatchWeight);
    for (int i = 0; i < 100; ++i) worker.Post([&] { ++ran; }, SerialWorker::kBatchWeight);
    while (!started) std::this_thread::yield();
  }
  EXPECT_EQ(ran, 1);  // the job under way finished; the waiting ones were dropped
}

}  // namespace
}  // namespace engine
