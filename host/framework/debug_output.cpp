#include "host/framework/debug_output.h"

#include <cstdlib>
#include <deque>
#include <iostream>
#include <mutex>

namespace host {
namespace {

struct Sink {
  std::mutex mutex;
  std::deque<std::string> lines;
  std::function<void(const std::string&)> listener;
};

Sink& TheSink() {
  static Sink sink;
  return sink;
}

}  // namespace

void OutputDebugStringA(const std::string& line) {
  Sink& sink = TheSink();
  std::function<void(const std::string&)> listener;
  {
    const std::lock_guard<std::mutex> lock(sink.mutex);
    sink.lines.push_back(line);
    if (sink.lines.size() > 10000) sink.lines.pop_front();
    listener = sink.listener;
  }
  if (std::getenv("QUARVELINDO_DEBUG") != nullptr) std::cerr << line << "\n";
  if (listener) listener(line);
}

std::vector<std::string> DebugOutputLines() {
  Sink& sink = TheSink();
  const std::lock_guard<std::mutex> lock(sink.mutex);
  return {sink.lines.begin(), sink.lines.end()};
}

void SetDebugOutputListener(std::function<void(const std::string&)> listener) {
  Sink& sink = TheSink();
  const std::lock_guard<std::mutex> lock(sink.mutex);
  sink.listener = std::move(listener);
}

}  // namespace host
