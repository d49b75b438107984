#include "grid/core/TextLayout.h"

#include <algorithm>

namespace orlex::grid {

namespace {

bool IsBreakSpace(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Moves a cut position back so it never separates the halves of a surrogate pair.
std::size_t SafeCut(std::u16string_view text, std::size_t cut, std::size_t minimum) {
  if (cut < text.size() && cut > minimum && IsLowSurrogate(text[cut])) {
    return cut - 1;
  }
  return cut;
}

// Breaks one paragraph (no line breaks inside) into lines of at most maxWidth.
void WrapParagraph(std::u16string_view text, std::size_t begin, std::size_t end, int maxWidth, bool expandTabs,
                   int tabStop, const TMeasureText& measure, std::vector<TTextLine>& lines) {
  auto widthOf = [&](std::size_t from, std::size_t to) {
    return MeasureLine(text.substr(from, to - from), expandTabs, tabStop, measure);
  };
  std::size_t pos = begin;
  do {
    const std::size_t lineStart = pos;
    std::size_t committed = lineStart;  // end of the last word that fits
    std::size_t next = end;             // where the following line starts
    std::size_t i = lineStart;
    while (true) {
      std::size_t wordStart = i;
      while (wordStart < end && IsBreakSpace(text[wordStart])) ++wordStart;
      if (wordStart == end) {
        // Only blanks remain: they hang at the end of this line.
        if (committed == lineStart) committed = end;
        next = end;
        break;
      }
      std::size_t wordEnd = wordStart;
      while (wordEnd < end && !IsBreakSpace(text[wordEnd])) ++wordEnd;
      if (widthOf(lineStart, wordEnd) <= maxWidth) {
        committed = wordEnd;
        i = wordEnd;
        continue;
      }
      if (committed > lineStart) {
        // The word goes to the next line; the blanks before it are dropped.
        next = wordStart;
        break;
      }
      // The first word of the line is wider than the line: break it where it no longer fits.
      std::size_t lo = lineStart + 1;  // always fits by definition (at least one character)
      std::size_t hi = wordEnd - 1;     // known not to fit when extended to wordEnd
      if (lo < text.size() && IsLowSurrogate(text[lo]) && lo < wordEnd) ++lo;
      while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (widthOf(lineStart, mid) <= maxWidth) {
          lo = mid;
        } else {
          hi = mid - 1;
        }
      }
      committed = SafeCut(text, lo, lineStart + 1);
      next = committed;
      break;
    }
    lines.push_back({lineStart, committed - lineStart, widthOf(lineStart, committed)});
    pos = next;
  } while (pos < end);
}

}  // namespace

std::u16string ApplyPrefixRule(std::u16string_view text, unsigned flags) {
  if (flags & DT_NOPREFIX) return std::u16string(text);
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        out.push_back(u'&');
        ++i;
      }
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

int TabStopWidth(const TTextLayoutMetrics& metrics) { return std::max(1, 8 * metrics.averageWidth); }

int MeasureLine(std::u16string_view line, bool expandTabs, int tabStop, const TMeasureText& measure) {
  if (!expandTabs || line.find(u'\t') == std::u16string_view::npos) {
    return line.empty() ? 0 : measure(line);
  }
  int x = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find(u'\t', start);
    const std::u16string_view piece = line.substr(start, tab == std::u16string_view::npos ? line.size() - start
                                                                                        : tab - start);
    if (!piece.empty()) x += measure(piece);
    if (tab == std::u16string_view::npos) return x;
    x = (x / tabStop + 1) * tabStop;
    start = tab + 1;
  }
}

std::vector<TTextLine> BreakTextLines(std::u16string_view text, int maxWidth, unsigned flags, int tabStop,
                                      const TMeasureText& measure) {
  const bool expandTabs = (flags & DT_EXPANDTABS) != 0;
  std::vector<TTextLine> lines;
  if (flags & DT_SINGLELINE) {
    // Line breaks are not honoured on a single line; they are not drawn either.
    std::size_t end = text.size();
    while (end > 0 && IsLineBreak(text[end - 1])) --end;
    lines.push_back({0, end, MeasureLine(text.substr(0, end), expandTabs, tabStop, measure)});
    return lines;
  }
  const bool wrap = (flags & DT_WORDBREAK) != 0;
  std::size_t pos = 0;
  do {
    std::size_t end = pos;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    if (wrap && end > pos) {
      WrapParagraph(text, pos, end, maxWidth, expandTabs, tabStop, measure, lines);
    } else {
      lines.push_back({pos, end - pos, MeasureLine(text.substr(pos, end - pos), expandTabs, tabStop, measure)});
    }
    if (end == text.size()) break;
    // CR LF is one break; a lone CR or LF is one break too.
    pos = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  } while (pos < text.size());
  return lines;
}

std::u16string ApplyEndEllipsis(std::u16string_view line, int maxWidth, bool expandTabs, int tabStop,
                                const TMeasureText& measure, bool force) {
  if (!force && MeasureLine(line, expandTabs, tabStop, measure) <= maxWidth) return std::u16string(line);
  const std::u16string_view dots = u"...";
  std::size_t lo = 0;
  std::size_t hi = line.size();
  auto fits = [&](std::size_t n) {
    std::u16string probe(line.substr(0, n));
    probe += dots;
    return MeasureLine(probe, expandTabs, tabStop, measure) <= maxWidth;
  };
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (fits(mid)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  lo = SafeCut(line, lo, 0);
  std::u16string out(line.substr(0, lo));
  out += dots;
  return out;
}

TLinePlacement PlaceLines(std::size_t lineCount, int lineHeight, int rectHeight, unsigned flags) {
  TLinePlacement placement;
  placement.visibleCount = lineCount;
  if ((flags & DT_EDITCONTROL) && lineHeight > 0 && lineCount > 1) {
    const std::size_t whole = static_cast<std::size_t>(std::max(1, rectHeight / lineHeight));
    placement.visibleCount = std::min(lineCount, whole);
  }
  const int block = static_cast<int>(placement.visibleCount) * lineHeight;
  if (flags & DT_BOTTOM) {
    placement.firstTop = rectHeight - block;
  } else if (flags & DT_VCENTER) {
    placement.firstTop = (rectHeight - block) / 2;
  }
  return placement;
}

int AlignLine(int lineWidth, int rectWidth, unsigned flags) {
  if (flags & DT_RIGHT) return rectWidth - lineWidth;
  if (flags & DT_CENTER) return (rectWidth - lineWidth) / 2;
  return 0;
}

}  // namespace orlex::grid
