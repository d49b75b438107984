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

// The largest n in [0, total] for which fits(n) holds, given that fits is true up to some n and false
// after it. Probes grow from 1 by doubling, then halve the last step: the probes' lengths add up to a
// few times the answer times its logarithm, however large total is. Measuring a run costs time in
// its length, so a line is found at a cost in the line, not in the rest of the paragraph.
template <typename TFits>
std::size_t LongestFitting(std::size_t total, const TFits& fits) {
  std::size_t good = 0;
  std::size_t bad = total + 1;
  for (std::size_t probe = 1;; probe *= 2) {
    const std::size_t n = std::min(probe, total);
    if (n <= good) break;  // total reached
    if (!fits(n)) {
      bad = n;
      break;
    }
    good = n;
    if (n == total) return total;
  }
  while (bad - good > 1) {
    const std::size_t mid = good + (bad - good) / 2;
    if (fits(mid)) {
      good = mid;
    } else {
      bad = mid;
    }
  }
  return good;
}

// Runs up to this length are first measured whole when a line is wrapped: a bounded cost per line,
// so long paragraphs still cost time in their lines only.
constexpr std::size_t kWholeRunProbe = 256;

// Breaks one paragraph (no line breaks inside) into lines of at most maxWidth, stopping after
// maxLines lines in all.
void WrapParagraph(std::u16string_view text, std::size_t begin, std::size_t end, int maxWidth, bool expandTabs,
                   int tabStop, const TMeasureText& measure, std::vector<TTextLine>& lines, std::size_t maxLines) {
  // The last run measured is remembered: a line that ends where its fitting run ends needs no second measure.
  std::size_t lastFrom = 0;
  std::size_t lastTo = 0;
  int lastWidth = -1;
  auto widthOf = [&](std::size_t from, std::size_t to) {
    if (lastWidth < 0 || from != lastFrom || to != lastTo) {
      lastWidth = MeasureLine(text.substr(from, to - from), expandTabs, tabStop, measure);
      lastFrom = from;
      lastTo = to;
    }
    return lastWidth;
  };
  std::size_t pos = begin;
  do {
    const std::size_t lineStart = pos;
    // Most cell texts fit their line: when the rest is short, one measure of all of it settles that.
    // Widths grow with the run, so otherwise the words that fit are those ending within the longest
    // fitting run.
    const bool shortRest = end - lineStart <= kWholeRunProbe;
    const std::size_t fit =
        shortRest && widthOf(lineStart, end) <= maxWidth
            ? end
            : lineStart + LongestFitting(end - lineStart,
                                         [&](std::size_t n) { return widthOf(lineStart, lineStart + n) <= maxWidth; });
    std::size_t committed = lineStart;  // end of the last word that fits
    std::size_t next = end;             // where the following line starts
    if (fit == end) {
      committed = end;  // the rest fits; trailing blanks hang at its end
      std::size_t lastWordEnd = end;
      while (lastWordEnd > lineStart && IsBreakSpace(text[lastWordEnd - 1])) --lastWordEnd;
      if (lastWordEnd > lineStart) committed = lastWordEnd;
    } else {
      // The last word end at or before the fitting run's end (the next character is a blank or the
      // run ends the paragraph).
      std::size_t wordEnd = fit;
      while (wordEnd > lineStart && !(wordEnd < end && IsBreakSpace(text[wordEnd]) && !IsBreakSpace(text[wordEnd - 1])))
        --wordEnd;
      if (wordEnd > lineStart) {
        committed = wordEnd;
        next = wordEnd;
        while (next < end && IsBreakSpace(text[next])) ++next;  // the blanks at the wrap are dropped
      } else {
        // The first word of the line is wider than the line: break it where it no longer fits, after
        // at least one character (a whole surrogate pair).
        std::size_t cut = std::max(fit, lineStart + 1);
        if (cut == lineStart + 1 && cut < end && IsLowSurrogate(text[cut])) ++cut;
        committed = SafeCut(text, cut, lineStart + 1);
        next = committed;
      }
    }
    lines.push_back({lineStart, committed - lineStart, widthOf(lineStart, committed)});
    pos = next;
  } while (pos < end && lines.size() < maxLines);
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
                                      const TMeasureText& measure, std::size_t maxLines) {
  maxLines = std::max<std::size_t>(maxLines, 1);
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
      WrapParagraph(text, pos, end, maxWidth, expandTabs, tabStop, measure, lines, maxLines);
    } else {
      lines.push_back({pos, end - pos, MeasureLine(text.substr(pos, end - pos), expandTabs, tabStop, measure)});
    }
    if (end == text.size() || lines.size() >= maxLines) break;
    // CR LF is one break; a lone CR or LF is one break too.
    pos = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  } while (pos < text.size());
  return lines;
}

std::u16string ApplyEndEllipsis(std::u16string_view line, int maxWidth, bool expandTabs, int tabStop,
                                const TMeasureText& measure, bool force) {
  if (!force && MeasureLine(line, expandTabs, tabStop, measure) <= maxWidth) return std::u16string(line);
  const std::u16string_view dots = u"...";
  std::size_t lo = LongestFitting(line.size(), [&](std::size_t n) {
    std::u16string probe(line.substr(0, n));
    probe += dots;
    return MeasureLine(probe, expandTabs, tabStop, measure) <= maxWidth;
  });
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

std::size_t DrawableLineLimit(int lineHeight, int rectHeight, unsigned flags) {
  constexpr auto kAll = static_cast<std::size_t>(-1);
  if (lineHeight <= 0) return kAll;
  if (flags & DT_EDITCONTROL) {
    return static_cast<std::size_t>(std::max(1, rectHeight / lineHeight)) + 1;
  }
  if ((flags & (DT_VCENTER | DT_BOTTOM)) || (flags & DT_NOCLIP)) return kAll;
  return static_cast<std::size_t>(std::max(0, rectHeight) / lineHeight) + 2;
}

}  // namespace orlex::grid
