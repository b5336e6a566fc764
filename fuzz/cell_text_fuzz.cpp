// Fuzzes the workbook's cell texts: whatever bytes a database text holds,
// what goes into the sheet is XML character data a reader accepts (valid
// UTF-8, no control characters but tab, line feed and return, no bare <, >
// or &), and a plain text goes in unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "output/xlsx_cells.h"

namespace {

// The length of the valid UTF-8 character at the start of `s`, or 0; written
// apart from the writer's own check so that the two can disagree.
size_t CharacterLength(std::string_view s) {
  const auto b = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
  if (b(0) < 0x80) return 1;
  const size_t n = b(0) >= 0xF8 ? 0 : b(0) >= 0xF0 ? 4 : b(0) >= 0xE0 ? 3 : b(0) >= 0xC0 ? 2 : 0;
  if (n == 0 || s.size() < n) return 0;
  unsigned code = b(0) & (0xFFu >> (n + 1));
  for (size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b(i) & 0x3F);
  }
  static constexpr unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return n;
}

void CheckCharacterData(std::string_view xml) {
  for (size_t i = 0; i < xml.size();) {
    const auto c = static_cast<unsigned char>(xml[i]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == '<' || c == '>') std::abort();
    if (c == '&') {
      const std::string_view rest = xml.substr(i);
      if (rest.substr(0, 5) != "&amp;" && rest.substr(0, 4) != "&lt;" && rest.substr(0, 4) != "&gt;") std::abort();
    }
    const size_t n = CharacterLength(xml.substr(i));
    if (n == 0) std::abort();
    i += n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string xml;
  output::xlsx::AppendXmlText(xml, text);
  CheckCharacterData(xml);
  // A valid text without anything to escape goes in as it is.
  bool plain = true;
  for (size_t i = 0; i < text.size() && plain;) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t n = CharacterLength(text.substr(i));
    plain = n > 0 && c >= 0x20 && c != '&' && c != '<' && c != '>' && c != '_';
    i += n;
  }
  if (plain && xml != text) std::abort();
  // The whole cell too: inline text, escaped, cut only between characters.
  std::string row;
  output::xlsx::RowXml cells(row);
  cells.Start(1);
  cells.Text("A", text);
  cells.End();
  return 0;
}
