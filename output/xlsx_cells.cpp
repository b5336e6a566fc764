#include "output/xlsx_cells.h"

#include <charconv>
#include <cmath>

namespace output::xlsx {
namespace {

constexpr size_t kMostInACell = 32767;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The length of the valid UTF-8 sequence that starts `text`, or 0.
size_t Utf8Length(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  size_t length = 0;
  unsigned least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  unsigned code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are not text.
  if (code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

void AppendEscapeOf(std::string& out, unsigned char c) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "_x00";
  out += kDigits[c >> 4];
  out += kDigits[c & 15];
  out += '_';
}

}  // namespace

std::string ColumnName(size_t column) {
  std::string name;
  for (size_t n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

void AppendXmlText(std::string& out, std::string_view text) {
  size_t plain = 0;  // start of the run of bytes copied as they are
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool ordinary = c >= 0x20 && c < 0x80 && c != '&' && c != '<' && c != '>' && c != '_';
    if (ordinary) {
      ++i;
      continue;
    }
    out.append(text.data() + plain, i - plain);
    size_t used = 1;
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '_') {
      // "_x0041_" would be read as the escape of "A": its underscore is escaped.
      const bool looks_escaped = i + 7 <= text.size() && text[i + 1] == 'x' && IsHex(text[i + 2]) &&
                                 IsHex(text[i + 3]) && IsHex(text[i + 4]) && IsHex(text[i + 5]) && text[i + 6] == '_';
      out += looks_escaped ? "_x005F_" : "_";
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      AppendEscapeOf(out, c);
    } else if (const size_t length = Utf8Length(text.substr(i)); length > 0) {
      out.append(text.data() + i, length);
      used = length;
    } else {
      out += kReplacement;
    }
    i += used;
    plain = i;
  }
  out.append(text.data() + plain, text.size() - plain);
}

std::optional<double> DayNumberOf(const host::DateTime& when) {
  // 1970-01-01 is day 25,569; days before 1900-03-01 are one lower, since
  // spreadsheets count a 29 February 1900 that never was.
  const int64_t seconds = when.Seconds();
  const int64_t day = (seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400)) + 25569;
  const double time = static_cast<double>(seconds - (day - 25569) * 86400) / 86400.0;
  if (day < 2) return std::nullopt;  // before 1900-01-01
  return static_cast<double>(day < 61 ? day - 1 : day) + time;
}

void RowXml::Start(size_t row) {
  row_size_ = static_cast<size_t>(std::to_chars(row_, row_ + sizeof row_, row).ptr - row_);
  out_ += "<row r=\"";
  out_.append(row_, row_size_);
  out_ += "\">";
}

void RowXml::OpenCell(std::string_view column, Style style) {
  out_ += "<c r=\"";
  out_ += column;
  out_.append(row_, row_size_);
  out_ += '"';
  if (style != kPlain) {
    out_ += " s=\"";
    out_ += static_cast<char>('0' + style);
    out_ += '"';
  }
}

void RowXml::Number(std::string_view column, double value, Style style) {
  if (!std::isfinite(value)) return;
  OpenCell(column, style);
  char digits[32];
  // The shortest text that reads back as the same double.
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out_ += "><v>";
  out_.append(digits, static_cast<size_t>(end - digits));
  out_ += "</v></c>";
}

void RowXml::Text(std::string_view column, std::string_view text, Style style) {
  if (text.size() > kMostInACell) {
    size_t cut = kMostInACell;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text = text.substr(0, cut);
  }
  OpenCell(column, style);
  // Spaces at either end are kept only when the text says so.
  const bool edges = !text.empty() && (text.front() == ' ' || text.back() == ' ');
  out_ += edges ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
  AppendXmlText(out_, text);
  out_ += "</t></is></c>";
}

}  // namespace output::xlsx
