#include "grid/core/CellText.h"

#include <cctype>
#include <string_view>
#include <vector>

#include "platform/HexDigits.h"

namespace orlex::grid {

std::u16string DecodeWideCellText(const std::string& text) {
  std::u16string out;
  if (text.size() < 2 || text[0] != '|' || text[1] != '\\') return out;
  out.reserve((text.size() - 2) / 2);
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const auto high = static_cast<unsigned char>(text[i]);
    const auto low = static_cast<unsigned char>(text[i + 1]);
    out.push_back(static_cast<char16_t>((high << 8) | low));
  }
  return out;
}

namespace {

// Destinations whose text is not part of the document's visible text.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict",
                                                  "header", "footer", "listtable", "listoverridetable",
                                                  "generator", "themedata", "latentstyles"};
  for (std::string_view skipped : kSkipped) {
    if (word == skipped) return true;
  }
  return false;
}

}  // namespace

std::string RtfToPlainText(const std::string& rtf) {
  std::string out;
  // Per group: whether its text is skipped.
  std::vector<bool> skip{false};
  std::size_t i = 0;
  const std::size_t n = rtf.size();
  bool groupStart = false;
  while (i < n) {
    const char c = rtf[i];
    if (c == '{') {
      skip.push_back(skip.back());
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (skip.size() > 1) skip.pop_back();
      groupStart = false;
      ++i;
      continue;
    }
    if (c == '\\' && i + 1 < n) {
      const char next = rtf[i + 1];
      if (next == '\\' || next == '{' || next == '}') {
        if (!skip.back()) out.push_back(next);
        i += 2;
      } else if (next == '*') {
        skip.back() = true;
        i += 2;
      } else if (next == '\'' && i + 3 < n && HexDigitValue(rtf[i + 2]) >= 0 && HexDigitValue(rtf[i + 3]) >= 0) {
        if (!skip.back()) out.push_back(static_cast<char>(HexDigitValue(rtf[i + 2]) * 16 + HexDigitValue(rtf[i + 3])));
        i += 4;
      } else if (std::isalpha(static_cast<unsigned char>(next))) {
        std::size_t j = i + 1;
        while (j < n && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
        const std::string_view word(rtf.data() + i + 1, j - i - 1);
        if (j < n && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
          ++j;
          while (j < n && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
        }
        if (j < n && rtf[j] == ' ') ++j;  // the delimiting space belongs to the control word
        if (groupStart && IsSkippedDestination(word)) skip.back() = true;
        if (!skip.back()) {
          if (word == "par" || word == "line") out += "\r\n";
          if (word == "tab") out.push_back('\t');
        }
        i = j;
      } else {
        i += 2;  // other control symbols carry no text
      }
      groupStart = false;
      continue;
    }
    if (c != '\r' && c != '\n' && !skip.back()) out.push_back(c);
    groupStart = false;
    ++i;
  }
  // A trailing paragraph mark ends the document, it does not add an empty line.
  while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

}  // namespace orlex::grid
