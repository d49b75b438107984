#include "grid/html/HtmlMarkup.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "platform/HexDigits.h"

namespace orlex::grid {

namespace {

char UpperChar(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

struct TEntity {
  std::string_view name;         // between "&" and ";"
  std::string_view replacement;  // UTF-8
};

constexpr std::array<TEntity, 9> kEntities{{
    {"amp", "&"},
    {"quot", "\""},
    {"sect", "\xC2\xA7"},
    {"permil", "\xE2\x80\xB0"},
    {"reg", "\xC2\xAE"},
    {"copy", "\xC2\xA9"},
    {"para", "\xC2\xB6"},
    {"trade", "\xE2\x84\xA2"},
    {"euro", "\xE2\x82\xAC"},
}};
constexpr std::size_t kLongestEntity = 8;  // "&permil;"

}  // namespace

std::string ReplaceHtmlEntities(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return std::string(text);
  // Appending character by character and replacing an entity as soon as its ";" arrives replaces
  // again what a replacement forms with the following text ("&amp;amp;"), in one pass.
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(c);
    if (c != ';') continue;
    const std::size_t from = out.size() > kLongestEntity ? out.size() - kLongestEntity : 0;
    const std::size_t amp = out.rfind('&');
    if (amp == std::string::npos || amp < from) continue;
    const std::string_view name(out.data() + amp + 1, out.size() - amp - 2);
    for (const TEntity& entity : kEntities) {
      if (EqualsIgnoringCase(name, entity.name)) {
        out.resize(amp);
        out.append(entity.replacement);
        break;
      }
    }
  }
  return out;
}

std::string DecodeLayoutEntities(std::string_view piece) {
  if (piece.find('&') == std::string_view::npos) return std::string(piece);
  std::string out;
  out.reserve(piece.size());
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const std::string_view rest = piece.substr(i);
    if (rest.size() >= 6 && EqualsIgnoringCase(rest.substr(0, 6), "&nbsp;")) {
      out.push_back(' ');
      i += 5;
    } else if (rest.size() >= 4 && EqualsIgnoringCase(rest.substr(0, 4), "&lt;")) {
      out.push_back('<');
      i += 3;
    } else if (rest.size() >= 4 && EqualsIgnoringCase(rest.substr(0, 4), "&gt;")) {
      out.push_back('>');
      i += 3;
    } else {
      out.push_back(piece[i]);
    }
  }
  return out;
}

std::string PrepareHtmlMarkup(std::string_view text) {
  const std::string entities = ReplaceHtmlEntities(text);
  std::string out;
  out.reserve(entities.size() + 16);
  bool dropNextClose = false;  // a "<#" is waiting for its ">"
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const char c = entities[i];
    if (c == '<' && i + 1 < entities.size() && entities[i + 1] == '#') {
      dropNextClose = true;
      continue;
    }
    if (c == '>' && dropNextClose) {
      dropNextClose = false;
      continue;
    }
    if (c == '\n') continue;
    if (c == '\r') {
      out.append("<BR>");
      continue;
    }
    out.push_back(c);
  }
  return out;
}

std::string StripHTMLText(std::string_view markup) {
  std::string text;
  text.reserve(markup.size());
  for (std::size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == '<' && i + 4 <= markup.size()) {
      const std::string_view tag = markup.substr(i, 4);
      if (EqualsIgnoringCase(tag, "<BR>") || EqualsIgnoringCase(tag, "<HR>")) {
        text.append("\r\n");
        i += 3;
        continue;
      }
    }
    text.push_back(markup[i]);
  }
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('<', pos);
    if (open == std::string::npos) {
      out.append(text, pos, std::string::npos);
      break;
    }
    out.append(text, pos, open - pos);
    const std::size_t close = text.find('>', open + 1);
    if (close == std::string::npos) {
      out.append(text, open, std::string::npos);
      break;
    }
    pos = close + 1;
  }
  return out;
}

std::optional<TColor> HtmlColorByName(std::string_view lowerName) {
  static constexpr std::pair<std::string_view, TColor> kNames[] = {
      {"clred", 0x0000FF},    {"clblack", 0x000000},   {"clblue", 0xFF0000},    {"clgreen", 0x008000},
      {"claqua", 0xFFFF00},   {"clyellow", 0x00FFFF},  {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
      {"cllime", 0x00FF00},   {"clsilver", 0xC0C0C0},  {"clgray", 0x808080},    {"clolive", 0x008080},
      {"clnavy", 0x800000},   {"clpurple", 0x800080},  {"clteal", 0x808000},    {"clmaroon", 0x000080},
      {"clbackground", SystemColor(1)},      {"clactivecaption", SystemColor(2)},
      {"clinactivecaption", SystemColor(3)}, {"clmenu", SystemColor(4)},
      {"clwindow", SystemColor(5)},          {"clwindowframe", SystemColor(6)},
      {"clmenutext", SystemColor(7)},        {"clwindowtext", SystemColor(8)},
      {"clcaptiontext", SystemColor(9)},     {"clactiveborder", SystemColor(10)},
      {"clinactiveborder", SystemColor(11)}, {"clappworkspace", SystemColor(12)},
      {"clhighlight", SystemColor(13)},      {"clhighlighttext", SystemColor(14)},
      {"clbtnface", SystemColor(15)},        {"clbtnshadow", SystemColor(16)},
      {"clgraytext", SystemColor(17)},       {"clbtntext", SystemColor(18)},
      {"clinactivecaptiontext", SystemColor(19)}, {"clbtnhighlight", SystemColor(20)},
      {"cl3ddkshadow", SystemColor(21)},     {"cl3dlight", SystemColor(22)},
      {"clinfotext", SystemColor(23)},       {"clinfobk", SystemColor(24)},
  };
  for (const auto& [name, color] : kNames) {
    if (name == lowerName) return color;
  }
  return std::nullopt;
}

std::optional<TColor> ParseHTMLColor(std::string_view value, bool body) {
  if (value.empty()) return std::nullopt;
  std::string upper(value);
  std::transform(upper.begin(), upper.end(), upper.begin(), UpperChar);
  const std::size_t hash = upper.find('#');
  if ((body && hash != std::string::npos) || (!body && hash == 0)) {
    // Two digits each for red, green and blue; a missing or stray digit counts as 0.
    auto digit = [&](std::size_t i) -> unsigned {
      if (i >= upper.size()) return 0;
      return static_cast<unsigned>(std::max(0, HexDigitValue(upper[i])));
    };
    auto component = [&](std::size_t i) { return digit(i) * 16 + digit(i + 1); };
    const std::size_t start = hash + 1;
    return component(start) + 256 * component(start + 2) + 65536 * component(start + 4);
  }
  if (body && upper.find("CL") == std::string::npos) return std::nullopt;
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return HtmlColorByName(lower).value_or(clBlack);
}

int LeadingNumber(std::string_view text, int limit) {
  long long value = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    value = std::min<long long>(value * 10 + (c - '0'), limit);
  }
  return static_cast<int>(value);
}

std::optional<int> CleanNumber(std::string_view text, int limit) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = std::min<long long>(value * 10 + (c - '0'), static_cast<long long>(limit) + 1);
  }
  if (value > limit) return std::nullopt;
  return static_cast<int>(value);
}

THtmlTag::THtmlTag(std::string_view tag) : text_(tag), upper_(tag) {
  std::transform(upper_.begin(), upper_.end(), upper_.begin(), UpperChar);
  // A closing tag needs more than "</" and one character.
  closing_ = upper_.size() > 3 && upper_[1] == '/';
  const std::size_t nameStart = closing_ ? 2 : 1;
  letter_ = nameStart < upper_.size() ? upper_[nameStart] : 0;
  std::size_t nameEnd = nameStart;
  while (nameEnd < upper_.size() && upper_[nameEnd] != ' ' && upper_[nameEnd] != '>' && upper_[nameEnd] != '/' &&
         upper_[nameEnd] != '\t') {
    ++nameEnd;
  }
  name_ = std::string_view(upper_).substr(std::min(nameStart, upper_.size()), nameEnd - std::min(nameStart, nameEnd));
}

bool THtmlTag::StartsWith(std::string_view prefix) const { return std::string_view(upper_).starts_with(prefix); }

std::size_t THtmlTag::Find(std::string_view attribute) const {
  // Past the tag's name, and only where a word starts: BGCOLOR is not COLOR.
  std::size_t from = (closing_ ? 2 : 1) + name_.size();
  while (from < upper_.size()) {
    const std::size_t at = upper_.find(attribute, from);
    if (at == std::string::npos) return std::string::npos;
    if (!IsLetter(upper_[at - 1])) return at;
    from = at + 1;
  }
  return std::string::npos;
}

bool THtmlTag::Has(std::string_view attribute) const { return Find(attribute) != std::string::npos; }

std::string THtmlTag::Attribute(std::string_view attribute, bool keepCase) const {
  const std::size_t at = Find(attribute);
  if (at == std::string::npos) return {};
  const std::size_t open = upper_.find('"', at + attribute.size());
  if (open == std::string::npos) return {};
  const std::size_t close = upper_.find('"', open + 1);
  if (close == std::string::npos) return {};
  const std::string& source = keepCase ? text_ : upper_;
  return source.substr(open + 1, close - open - 1);
}

std::string_view THtmlTag::AfterEquals(std::string_view attribute) const {
  const std::size_t at = Find(attribute);
  if (at == std::string::npos) return {};
  const std::size_t equals = upper_.find('=', at + attribute.size());
  if (equals == std::string::npos) return {};
  std::string_view rest = std::string_view(upper_).substr(equals + 1);
  while (!rest.empty() && (rest.front() == '"' || rest.front() == ' ')) rest.remove_prefix(1);
  return rest;
}

std::string THtmlTag::LetterValue(char letter) const {
  const std::size_t from = (closing_ ? 2 : 1) + name_.size();
  const std::size_t at = upper_.find(UpperChar(letter), from);
  if (at == std::string::npos) return {};
  const std::size_t open = upper_.find('"', at + 1);
  if (open == std::string::npos) return {};
  const std::size_t close = upper_.find('"', open + 1);
  if (close == std::string::npos) return {};
  return upper_.substr(open + 1, close - open - 1);
}

}  // namespace orlex::grid
