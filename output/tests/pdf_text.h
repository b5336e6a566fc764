// A PDF as the tests read it back, through poppler's pdfinfo and pdftotext
// (-layout): the page count, the whole text or one page's, one line of it.
// A command that cannot start gives "" (and a page count of -1), so the
// checks on its text fail rather than the test crashing.
#pragma once

#include <array>
#include <cstdio>
#include <string>

namespace output::testing {

// What `command` writes on its standard output.
inline std::string Command(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::array<char, 4096> buffer{};
  std::string out;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  pclose(pipe);
  return out;
}

inline int PdfPages(const std::string& pdf) {
  const std::string info = Command("pdfinfo " + pdf);
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

inline std::string PdfText(const std::string& pdf) { return Command("pdftotext -layout " + pdf + " -"); }

// Page `page` (from 1) alone.
inline std::string PdfPageText(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  return Command("pdftotext -layout -f " + n + " -l " + n + " " + pdf + " -");
}

// The line of `text` that holds `start` after `from` ("" when none).
inline std::string LineOf(const std::string& text, const std::string& start, size_t from = 0) {
  const size_t at = text.find(start, from);
  if (at == std::string::npos) return {};
  const size_t line = text.rfind('\n', at);
  const size_t first = line == std::string::npos ? 0 : line + 1;
  return text.substr(first, text.find('\n', at) - first);
}

}  // namespace output::testing
