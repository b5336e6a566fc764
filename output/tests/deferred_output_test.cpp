// Text made while another thread still writes the output comes after all of
// that thread's text, whether it was kept whole or had to wait.
#include "output/deferred_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

namespace output {
namespace {

TEST(DeferredOutput, KeptTextFollowsTheOtherWriter) {
  std::ostringstream out;
  DeferredOutput later(out, 1024);
  std::ostream groups(&later);
  groups << "groups" << ' ' << 2;
  out << "bookings ";
  later.Release();
  EXPECT_EQ(out.str(), "bookings ");  // nothing yet: the writer flushes
  later.Flush();
  groups << "; more";  // straight through now
  EXPECT_EQ(out.str(), "bookings groups 2; more");
}

TEST(DeferredOutput, BeyondTheLimitTheWriterWaitsForTheOutput) {
  std::ostringstream out;
  DeferredOutput later(out, 8);
  std::atomic<bool> written{false};
  std::thread groups_writer([&] {
    std::ostream groups(&later);
    groups << "0123";
    groups << "456789";  // past 8 bytes: waits for Release
    written = true;
    later.Flush();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(written);
  out << "bookings|";
  later.Release();
  groups_writer.join();
  EXPECT_EQ(out.str(), "bookings|0123456789");
}

}  // namespace
}  // namespace output
