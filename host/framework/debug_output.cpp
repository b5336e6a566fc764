#include "host/framework/debug_output.h"

#include <dlfcn.h>

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

void LocalOutput(const std::string& line) {
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

}  // namespace host

// The process-wide entry point: a module library, which carries its own copy
// of this file, finds the executable's through the dynamic linker, so that
// every trace line reaches one sink (as every module's reaches the one
// debug output of the system).
extern "C" __attribute__((visibility("default"))) void QuarvelindoDebugOutput(const char* line) {
  host::LocalOutput(line);
}

namespace host {

void OutputDebugStringA(const std::string& line) {
  using Target = void (*)(const char*);
  static const auto target = reinterpret_cast<Target>(dlsym(RTLD_DEFAULT, "QuarvelindoDebugOutput"));
  if (target != nullptr) {
    target(line.c_str());
  } else {
    LocalOutput(line);
  }
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
