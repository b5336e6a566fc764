// Runs a Python script on a file the test wrote and answers what it printed
// (its errors too): the Debian interpreter has openpyxl (python3-openpyxl),
// the reader that stands in for a spreadsheet program.
#pragma once

#include <array>
#include <cstdio>
#include <string>

namespace output::testing {

inline std::string Python(const std::string& script, const std::string& argument) {
  FILE* pipe = popen(("/usr/bin/python3 " + script + " " + argument + " 2>&1").c_str(), "r");
  std::array<char, 512> buffer{};
  std::string out;
  while (pipe != nullptr && fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
  if (pipe != nullptr) pclose(pipe);
  return out;
}

}  // namespace output::testing
