#include "app/ordered_blocks.h"

#include <algorithm>
#include <deque>
#include <future>

namespace app {

void WriteBlocksInOrder(size_t count, size_t block, unsigned workers,
                        const std::function<std::string(size_t first, size_t last)>& format,
                        const std::function<void(const std::string& text)>& write) {
  block = std::max<size_t>(block, 1);
  workers = std::max(workers, 1U);
  std::deque<std::future<std::string>> in_flight;
  size_t next = 0;
  const auto start = [&] {
    const size_t first = next;
    next = std::min(count, first + block);
    in_flight.push_back(std::async(std::launch::async, format, first, next));
  };
  while (next < count && in_flight.size() < workers) start();
  while (!in_flight.empty()) {
    // A throw leaves here; the futures still in flight wait for their blocks
    // as they are destroyed.
    const std::string text = in_flight.front().get();
    in_flight.pop_front();
    if (next < count) start();
    write(text);
  }
}

}  // namespace app
