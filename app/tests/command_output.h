// What a command printed and how it ended, for the tests of the command line.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace app::testing {

struct Output {
  std::string text;  // what the command wrote on its standard output
  int status = -1;   // its exit status; -1 when a signal ended it
};

// Runs `command` through the shell.
inline Output Shell(const std::string& command) {
  Output out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.text.append(buffer.data(), n);
  const int status = pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// What the command line's error stream becomes in the output.
enum class Errors { kDropped, kMixedIn };

// Runs the command line with `arguments`, after `before` (environment
// settings, a `ulimit`...).
inline Output RunCli(const std::string& arguments, Errors errors, const std::string& before = "") {
  return Shell(before + QUARVELINDO_CLI + " " + arguments + (errors == Errors::kMixedIn ? " 2>&1" : " 2>/dev/null"));
}

}  // namespace app::testing
