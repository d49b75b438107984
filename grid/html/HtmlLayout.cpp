#include "grid/html/HtmlLayout.h"

#include <algorithm>
#include <climits>

#include "grid/html/HtmlMarkup.h"

namespace orlex::grid {

namespace {

constexpr int kListIndent = 12;
constexpr int kCoordinateLimit = INT_MAX / 4;

int SaturatingAdd(int a, int b) {
  const long long sum = static_cast<long long>(a) + b;
  return static_cast<int>(std::clamp<long long>(sum, -kCoordinateLimit, kCoordinateLimit));
}

enum TPassMode { pmMeasure, pmDraw, pmHitTest };
enum TLineAlign { laLeft, laRight, laCenter };

// The style reached so far; each pass carries its own from line to line.
struct TStyleState {
  THtmlFont font;
  TColor background = clNone;
  bool sub = false;
  bool sup = false;
  bool shadow = false;
  bool errorMark = false;
  bool hidden = false;
  bool highlight = false;
  bool inLink = false;
  bool linkStyled = false;
  bool linkHitPending = false;
  bool paragraph = false;
  bool focusContinues = false;
  int listLevel = 0;
  int linkCounter = 0;
  int pictureCounter = 0;
  int linkLeft = 0;
  int linkTop = 0;
  int focusLeft = 0;
  int savedEscapement = 0;
  std::string linkTarget;
  TColor paragraphColor = clNone;
  TColor savedLinkBackground = clNone;
  TColor savedFontBackground = clNone;
  TColor savedParagraphBackground = clNone;
  TColor savedHighlightColor = clNone;
  TColor savedHighlightBackground = clNone;
};

// Heights and offsets of the line being laid out; the drawing pass starts from what measuring found.
struct TLineMetrics {
  int height = 0;
  int rise = 0;
  int drop = 0;
  int pictureOffset = 0;
};

struct TLineOutcome {
  std::size_t lineEnd = 0;  // end of the markup that belongs to this line
  std::size_t next = 0;     // where the next line starts (past lineEnd when markup was dropped)
  int width = 0;
  bool textHit = false;     // the hit point's x lies on a piece of link text
  bool objectHit = false;   // the hit point lies on a picture or control inside a link
};

class THtmlLayout {
 public:
  THtmlLayout(THtmlCanvas& canvas, std::string_view markup, const THtmlParams& params, THtmlResult& result)
      : canvas_(canvas), markup_(markup), p_(params), r_(result) {}

  void Run();

 private:
  TLineOutcome LayoutHTMLLine(TStyleState& st, TLineMetrics& line, std::size_t begin, std::size_t end,
                              const THtmlRect& box, TPassMode mode);

  // Per-line working state of LayoutHTMLLine.
  struct TCursor {
    TPassMode mode = pmMeasure;
    THtmlRect box;
    int curX = 0;
    int penX = 0;
    int textBottom = 0;
    bool lineEnd = false;
    bool notFit = false;
    bool lineTextEmpty = true;
    bool lineTextEndsSpace = false;
    bool listItemOnLine = false;
    bool dropRest = false;
    int spaceWidth = 0;
    TLineOutcome out;
  };

  void Piece(TStyleState& st, TLineMetrics& line, TCursor& c, std::string_view raw, bool wrap);
  void Tag(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag);
  void LinkStart(TStyleState& st, TCursor& c, const THtmlTag& tag);
  void LinkEnd(TStyleState& st, TCursor& c, TLineMetrics& line);
  void Font(TStyleState& st, TCursor& c, const THtmlTag& tag);
  void Paragraph(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag);
  void Picture(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag);
  void Control(TLineMetrics& line, TCursor& c, const THtmlTag& tag);
  void ListItem(TStyleState& st, TCursor& c);
  void Body(TStyleState& st, const THtmlTag& tag);
  void DrawFocusFrame(int left, int right, int bottom, const TStyleState& st);
  bool Styled(const TStyleState& st) const { return !p_.HoverStyle || st.linkCounter - 1 == p_.HoverLink; }
  bool FocusedLink(const TStyleState& st) const { return p_.FocusLink >= 0 && st.linkCounter == p_.FocusLink + 1; }
  std::optional<THtmlPictureInfo> FindPicture(std::string_view src);
  // Whether an object of the given width moves to the next line.
  static bool MovesOn(const TCursor& c, int width) {
    return width > c.box.Width() - c.curX && width < c.box.Width();
  }

  THtmlCanvas& canvas_;
  std::string_view markup_;
  const THtmlParams& p_;
  THtmlResult& r_;
  TLineAlign align_ = laLeft;
  int indent_ = 0;
  int gh_ = 0;  // "gh" height of the line's measuring font
};

void THtmlLayout::Run() {
  TStyleState measureState;
  measureState.font = p_.Font;
  measureState.font.Size = std::clamp(measureState.font.Size, 1, kHtmlMaxFontSize);
  TStyleState drawState = measureState;
  const THtmlRect& rect = p_.Rect;
  int lineTop = rect.Top;
  std::size_t pos = 0;

  while (pos < markup_.size()) {
    gh_ = canvas_.TextHeight(measureState.font);
    TLineMetrics line;
    line.height = gh_;
    const THtmlRect measureBox{rect.Left + 1, lineTop, rect.Right, rect.Bottom};
    TLineOutcome measured = LayoutHTMLLine(measureState, line, pos, markup_.size(), measureBox, pmMeasure);
    if (measured.next <= pos) measured.next = measured.lineEnd = markup_.size();  // never stall

    int left = rect.Left + 1;
    if (align_ == laRight) {
      left = std::max(left, rect.Right - measured.width);
    } else if (align_ == laCenter) {
      const int spare = rect.Right - left - measured.width;
      if (spare > 0) left += spare / 2;
    }
    left = SaturatingAdd(left, indent_);
    const int lineStep = SaturatingAdd(SaturatingAdd(line.height, line.drop), line.rise);
    const THtmlRect placed{left, lineTop, rect.Right, SaturatingAdd(lineTop, lineStep)};

    if (!p_.MeasureOnly) {
      const TPassMode mode = p_.HitTestOnly ? pmHitTest : pmDraw;
      line.pictureOffset = 0;
      const int gh = gh_;
      const TLineOutcome drawn = LayoutHTMLLine(drawState, line, pos, measured.lineEnd, placed, mode);
      if (mode == pmHitTest) {
        const int bottom = placed.Bottom - line.pictureOffset;
        if ((drawn.textHit && p_.HitY >= bottom - gh && p_.HitY < bottom) || drawn.objectHit) r_.Hit = true;
      }
    }
    pos = measured.next;
    lineTop = SaturatingAdd(lineTop, lineStep);
    r_.Height = SaturatingAdd(r_.Height, lineStep);
    if (!p_.MeasureOnly && SaturatingAdd(lineTop, gh_) > rect.Bottom) break;
  }
  if (r_.Height == 0) r_.Height = canvas_.TextHeight(p_.Font);
  r_.LinkCount = measureState.linkCounter;
}

TLineOutcome THtmlLayout::LayoutHTMLLine(TStyleState& st, TLineMetrics& line, std::size_t begin, std::size_t end,
                                         const THtmlRect& box, TPassMode mode) {
  TCursor c;
  c.mode = mode;
  c.box = box;
  c.penX = box.Left;
  c.textBottom = box.Bottom - line.drop;
  if (mode == pmDraw && st.focusContinues) {
    st.focusLeft = box.Left + 1;
    st.focusContinues = false;
  }
  if (mode == pmDraw && st.paragraph) {
    canvas_.FillRect({p_.Rect.Left, box.Top, p_.Rect.Right, SaturatingAdd(box.Top, line.height)}, st.paragraphColor);
  }

  std::size_t pos = begin;
  std::size_t nextTag = markup_.find('<', pos);  // found once and reused, so long texts stay linear
  std::size_t lineEnd = std::string_view::npos;   // set when the line stops before pos
  std::size_t next = std::string_view::npos;
  while (pos < end && !c.lineEnd) {
    if (markup_[pos] != '<') {
      if (nextTag < pos) nextTag = markup_.find('<', pos);
      std::size_t pieceEnd = std::min(nextTag, end);
      if (p_.WordWrap) {
        const std::size_t space = markup_.find(' ', pos);
        if (space < pieceEnd) pieceEnd = space + 1;
      }
      Piece(st, line, c, markup_.substr(pos, pieceEnd - pos), p_.WordWrap);
      if (c.notFit) {
        lineEnd = next = pos;  // the piece starts the next line
        break;
      }
      pos = pieceEnd;
      if (c.dropRest) {
        lineEnd = pos;
        next = markup_.size();
        break;
      }
      continue;
    }
    const std::size_t close = markup_.find('>', pos);
    if (markup_.size() - pos <= 2 || close == std::string_view::npos) {
      // "<x" at the very end, or a tag that never closes: dropped with everything after it.
      lineEnd = pos;
      next = markup_.size();
      break;
    }
    const THtmlTag tag(markup_.substr(pos, close - pos + 1));
    Tag(st, line, c, tag);
    if (c.notFit) {
      lineEnd = next = pos;  // the tag starts the next line
      break;
    }
    pos = close + 1;
  }
  if (lineEnd == std::string_view::npos) lineEnd = next = pos;
  if (mode == pmMeasure && next == begin) {
    // Nothing fitted at all: take the first piece or tag anyway, so every line makes progress.
    const bool isTag = markup_[begin] == '<';
    const std::size_t stop = markup_.find(isTag ? '>' : '<', begin + 1);
    lineEnd = next = stop == std::string_view::npos ? markup_.size() : stop + (isTag ? 1 : 0);
  }
  c.out.lineEnd = lineEnd;
  c.out.next = next;

  c.out.width = c.curX - c.spaceWidth;
  r_.Width = std::max(r_.Width, c.out.width);
  if (mode == pmDraw && st.inLink && FocusedLink(st)) {
    DrawFocusFrame(st.focusLeft, c.penX, c.textBottom - line.pictureOffset, st);
    st.focusContinues = true;
  }
  return c.out;
}

void THtmlLayout::Piece(TStyleState& st, TLineMetrics& line, TCursor& c, std::string_view raw, bool wrap) {
  const std::string piece = DecodeLayoutEntities(raw);
  if (piece.empty()) return;
  const int h = canvas_.TextHeight(st.font);
  line.height = std::max(line.height, h);
  if (st.sub) line.drop = std::max(line.drop, h / 4);
  if (st.sup) line.rise = std::max(line.rise, h / 4);
  if (st.hidden) {
    if (c.mode == pmMeasure) r_.PlainText += piece;
    return;
  }

  const int w = canvas_.TextWidth(st.font, piece);
  if (c.mode == pmMeasure) {
    const int before = c.curX;
    c.curX = SaturatingAdd(c.curX, w);
    // The first piece of a line always fits; later ones while the line is not full, and a word that
    // continues after a tag stays with its start.
    bool fits = c.curX < c.box.Width() || (w >= c.box.Width() && c.lineTextEmpty);
    if (!fits && !c.lineTextEmpty && !c.lineTextEndsSpace) fits = true;
    if (!fits) {
      if (wrap) {
        c.curX = before;
        c.notFit = true;
        c.lineEnd = true;
        return;
      }
      // A single line that overflows: this piece is the last one.
      c.dropRest = true;
      c.lineEnd = true;
    }
    r_.PlainText += piece;  // only once the piece is taken, so a piece moved on is not counted twice
  } else {
    if (c.mode == pmHitTest && st.inLink && p_.HitX >= c.penX && p_.HitX < c.penX + w) {
      c.out.textHit = true;
      if (p_.HitY > c.box.Top) {
        r_.Anchor = st.linkTarget;
        st.linkHitPending = true;
      }
    }
    if (c.mode == pmDraw) {
      int bottom = c.textBottom;
      if (st.sup) bottom -= line.rise;
      if (st.sub) bottom += line.drop;
      bottom -= line.pictureOffset;
      const THtmlRect pieceBox{c.penX, c.box.Top, c.box.Right, bottom};
      const bool ellipsis = !wrap;
      if (st.shadow) {
        const int d = p_.ShadowOffset;
        canvas_.DrawTextPiece(st.font, piece, w,
                              {pieceBox.Left + d, pieceBox.Top + d, pieceBox.Right + d, pieceBox.Bottom + d},
                              p_.ShadowColor, clNone, ellipsis);
      }
      canvas_.DrawTextPiece(st.font, piece, w, pieceBox, st.font.Color, st.background, ellipsis);
      if (st.inLink && FocusedLink(st)) r_.FocusAnchor = st.linkTarget;
      if (st.errorMark) {
        std::vector<THtmlPoint> zigzag;
        const int right = std::min(c.penX + w, c.box.Right);
        int x = c.penX - (((c.penX % 2) + 2) % 2);
        for (; x <= right && zigzag.size() < static_cast<std::size_t>(kHtmlMaxExtent); x += 2) {
          const bool low = ((x % 4) + 4) % 4 == 0;
          zigzag.push_back({x, low ? c.textBottom + 1 : c.textBottom - 1});
        }
        canvas_.DrawPolyline(zigzag, 0x0000FF);
      }
    }
    c.curX = SaturatingAdd(c.curX, w);
  }
  c.penX = SaturatingAdd(c.penX, w);
  c.lineTextEmpty = false;
  c.lineTextEndsSpace = raw.back() == ' ';
  c.spaceWidth = c.lineTextEndsSpace ? canvas_.TextWidth(st.font, " ") : 0;
}

void THtmlLayout::Tag(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag) {
  const bool draw = c.mode == pmDraw;
  const std::string_view name = tag.Name();
  const THtmlFont& base = p_.Font;
  auto requestLineEnd = [&] { c.lineEnd = true; };

  if (tag.IsClosing()) {
    switch (tag.Letter()) {
      case 'A':
        LinkEnd(st, c, line);
        break;
      case 'B':
        if (name == "B") {
          st.font.Style &= static_cast<TFontStyles>(~fsBold);
        } else {
          st.font.Color = base.Color;
        }
        break;
      case 'E':
        if (draw) st.errorMark = false;
        break;
      case 'F':
        st.font.Name = base.Name;
        st.font.Size = std::clamp(base.Size, 1, kHtmlMaxFontSize);
        if (draw && !p_.Selected) {
          st.font.Color = base.Color;
          st.background = st.savedFontBackground;
        }
        break;
      case 'H':
        if (draw && st.highlight) {
          st.font.Color = st.savedHighlightColor;
          st.background = st.savedHighlightBackground;
          st.highlight = false;
        }
        break;
      case 'I':
        st.font.Style &= static_cast<TFontStyles>(~fsItalic);
        break;
      case 'L':
        requestLineEnd();
        break;
      case 'P':
        requestLineEnd();
        if (draw && st.paragraph) {
          st.background = st.savedParagraphBackground;
          st.paragraph = false;
        }
        break;
      case 'R':
        st.font.Escapement = st.savedEscapement;
        break;
      case 'S':
        if (name.starts_with("SH")) {
          st.shadow = false;
        } else if (name.starts_with("SU")) {
          st.sub = st.sup = false;
        } else {
          st.font.Style &= static_cast<TFontStyles>(~fsStrikeOut);
        }
        break;
      case 'U':
        if (name == "U") {
          st.font.Style &= static_cast<TFontStyles>(~fsUnderline);
        } else if (st.listLevel >= 1) {
          --st.listLevel;
        } else {
          st.font.Style &= static_cast<TFontStyles>(~fsUnderline);
        }
        break;
      case 'Z':
        st.hidden = false;
        break;
      default:
        break;
    }
    return;
  }

  switch (tag.Letter()) {
    case 'A':
      LinkStart(st, c, tag);
      break;
    case 'B':
      if (name.starts_with("BR")) {
        requestLineEnd();
        if (c.mode == pmMeasure) r_.PlainText += '\r';
      } else if (name.starts_with("BL")) {
        if (!p_.BlinkPhase) st.font.Color = p_.BrushColor;
      } else if (name.starts_with("BO")) {
        if (draw) Body(st, tag);
      } else if (name == "B") {
        st.font.Style |= fsBold;
      }
      break;
    case 'C':
      if (name.starts_with("CONTROL")) Control(line, c, tag);
      break;
    case 'E':
      if (draw) st.errorMark = true;
      break;
    case 'F':
      if (name.starts_with("FONT")) Font(st, c, tag);
      break;
    case 'H':
      if (name.starts_with("HR")) {
        requestLineEnd();
        if (draw) canvas_.DrawPolyline({{c.box.Left, c.textBottom + 1}, {c.box.Right, c.textBottom + 1}}, clBlack);
      } else if (name.starts_with("HI") && draw && !st.highlight) {
        st.savedHighlightColor = st.font.Color;
        st.savedHighlightBackground = st.background;
        st.background = clHighlight;
        st.font.Color = clHighlightText;
        st.highlight = true;
      }
      break;
    case 'I':
      if (name.starts_with("IMG")) {
        Picture(st, line, c, tag);
      } else if (name.starts_with("IN")) {
        const std::optional<int> x = CleanNumber(tag.LetterValue('x'), kHtmlMaxExtent);
        if (x && *x > c.curX) {
          c.curX = *x;
          c.penX = p_.Rect.Left + *x;
        }
      } else {
        st.font.Style |= fsItalic;
      }
      break;
    case 'L':
      if (name.starts_with("LI")) ListItem(st, c);
      break;
    case 'P':
      Paragraph(st, line, c, tag);
      break;
    case 'R': {
      std::string value = tag.LetterValue('a');
      const bool negative = !value.empty() && value.front() == '-';
      if (negative) value.erase(0, 1);
      if (const std::optional<int> angle = CleanNumber(value, 360000)) {
        st.savedEscapement = st.font.Escapement;
        st.font.Escapement = ((negative ? -*angle : *angle) % 360) * 10;
      }
      break;
    }
    case 'S':
      if (name.starts_with("SH")) {
        st.shadow = true;
      } else if (name.starts_with("SUB")) {
        st.sub = true;
      } else if (name.starts_with("SUP")) {
        st.sup = true;
      } else if (name == "S") {
        st.font.Style |= fsStrikeOut;
      }
      break;
    case 'U':
      if (name == "U") {
        st.font.Style |= fsUnderline;
      } else {
        ++st.listLevel;
        requestLineEnd();
      }
      break;
    case 'Z':
      st.hidden = true;
      break;
    default:
      break;
  }
}

void THtmlLayout::LinkStart(TStyleState& st, TCursor& c, const THtmlTag& tag) {
  ++st.linkCounter;
  st.linkStyled = Styled(st);
  const bool hovered = p_.HoverStyle && st.linkCounter - 1 == p_.HoverLink;
  if (c.mode == pmDraw && st.linkStyled) {
    st.font.Style |= fsUnderline;
    st.savedLinkBackground = st.background;
    if (p_.HoverColor != clNone) st.background = p_.HoverColor;
    if (p_.HoverFontColor != clNone) st.font.Color = p_.HoverFontColor;
  }
  if (!p_.Selected && !(hovered && p_.HoverFontColor != clNone)) st.font.Color = p_.LinkColor;
  st.linkTarget = tag.Attribute("HREF", true);
  st.inLink = true;
  std::string title = tag.Attribute("TITLE", true);
  if (!title.empty()) r_.Title = std::move(title);
  st.linkLeft = c.penX;
  st.linkTop = c.box.Top;
  if (c.mode == pmDraw && FocusedLink(st)) st.focusLeft = c.penX;
}

void THtmlLayout::LinkEnd(TStyleState& st, TCursor& c, TLineMetrics& line) {
  if (c.mode == pmDraw && st.linkStyled) {
    st.font.Style &= static_cast<TFontStyles>(~fsUnderline);
    st.background = st.savedLinkBackground;
  }
  if (!p_.Selected) st.font.Color = p_.Font.Color;
  if (st.linkHitPending) {
    r_.LinkRect = {st.linkLeft, st.linkTop, c.penX, c.textBottom};
    r_.HitLink = st.linkCounter;
    st.linkHitPending = false;
  }
  if (c.mode == pmDraw && st.inLink && FocusedLink(st)) DrawFocusFrame(st.focusLeft, c.penX, c.textBottom - line.pictureOffset, st);
  st.inLink = false;
}

void THtmlLayout::DrawFocusFrame(int left, int right, int bottom, const TStyleState& st) {
  const int gh = canvas_.TextHeight(st.font);
  canvas_.DrawFocusRect({left - 1, bottom - gh, right + 1, bottom});
}

void THtmlLayout::Font(TStyleState& st, TCursor& c, const THtmlTag& tag) {
  const std::string face = tag.Attribute("FACE", true);
  if (!face.empty()) st.font.Name = face;
  if (!p_.Selected) {
    if (const std::optional<TColor> color = ParseHTMLColor(tag.Attribute("COLOR"))) st.font.Color = *color;
    if (c.mode == pmDraw) {
      if (const std::optional<TColor> back = ParseHTMLColor(tag.Attribute("BGCOLOR"))) {
        st.savedFontBackground = st.background;
        st.background = *back;
      }
    }
  }
  if (tag.Has("SIZE")) {
    const int size = LeadingNumber(tag.AfterEquals("SIZE"), kHtmlMaxFontSize * 10);
    static constexpr int kHtmlSizes[] = {8, 10, 12, 14, 16};
    const int points = size >= 1 && size <= 5 ? kHtmlSizes[size - 1] : size;
    // Size 0 (no number) keeps the size; anything larger than the limit is drawn at the limit.
    if (points > 0) st.font.Size = std::min(points, kHtmlMaxFontSize);
  }
}

void THtmlLayout::Paragraph(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag) {
  const std::string alignment = tag.Attribute("ALIGN");
  if (alignment.find("RIGHT") != std::string::npos) align_ = laRight;
  if (alignment.find("LEFT") != std::string::npos) align_ = laLeft;
  if (alignment.find("CENTER") != std::string::npos) align_ = laCenter;
  if (tag.Has("INDENT")) indent_ = LeadingNumber(tag.Attribute("INDENT"), kHtmlMaxExtent);
  if (c.mode != pmDraw) return;
  if (const std::optional<TColor> back = ParseHTMLColor(tag.Attribute("BGCOLOR"))) {
    if (!st.paragraph) st.savedParagraphBackground = st.background;
    st.background = *back;
    st.paragraph = true;
    st.paragraphColor = *back;
    canvas_.FillRect({p_.Rect.Left, c.box.Top, p_.Rect.Right, c.textBottom}, *back);
  }
  (void)line;
}

std::optional<THtmlPictureInfo> THtmlLayout::FindPicture(std::string_view src) {
  if (src.empty()) return std::nullopt;
  std::string upper(src);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return static_cast<char>(std::toupper(static_cast<unsigned char>(ch))); });
  THtmlPictureSource source;
  auto afterPrefix = [&](std::size_t n) { return std::string(src.substr(n)); };
  if (upper.starts_with("IDX:")) {
    source.Kind = hpkImageList;
    source.Name = afterPrefix(4);
    source.Index = LeadingNumber(source.Name, kHtmlMaxExtent);
  } else if (upper.starts_with("SSYS:") || upper.starts_with("LSYS:")) {
    source.Kind = upper[0] == 'S' ? hpkSmallIcon : hpkLargeIcon;
    source.Name = afterPrefix(5);
    source.Index = CleanNumber(source.Name, kHtmlMaxExtent).value_or(-1);
  } else if (upper.find(':') == std::string::npos) {
    source.Kind = hpkContainer;
    source.Name = std::string(src);
  } else if (upper.find("://") != std::string::npos) {
    source.Kind = hpkCached;
    source.Name = std::string(src);
  } else {
    return std::nullopt;
  }
  return canvas_.FindPicture(source);
}

void THtmlLayout::Picture(TStyleState& st, TLineMetrics& line, TCursor& c, const THtmlTag& tag) {
  ++st.pictureCounter;
  const int width = LeadingNumber(tag.Attribute("WIDTH"), kHtmlMaxExtent);
  const int height = LeadingNumber(tag.Attribute("HEIGHT"), kHtmlMaxExtent);
  const std::optional<THtmlPictureInfo> picture = FindPicture(tag.Attribute("SRC", true));
  if (!picture) return;  // missing, empty or undecodable: no space, nothing drawn
  const bool stretch = width > 0 && height > 0;
  const int w = std::min(stretch ? width : picture->Width, kHtmlMaxExtent);
  const int h = std::min(stretch ? height : picture->Height, kHtmlMaxExtent);
  if (c.mode == pmMeasure && MovesOn(c, w)) {
    c.notFit = true;
    return;
  }
  const THtmlRect area{c.penX, c.box.Top, SaturatingAdd(c.penX, w), SaturatingAdd(c.box.Top, h)};
  if (c.mode == pmHitTest && st.inLink && area.Contains(p_.HitX, p_.HitY)) {
    c.out.objectHit = true;
    r_.Anchor = st.linkTarget;
  }
  if (c.mode == pmDraw) canvas_.DrawPicture(*picture, area, stretch);
  c.curX = SaturatingAdd(c.curX, w);
  c.penX = SaturatingAdd(c.penX, w);
  line.height = std::max(line.height, h);
  const std::string_view upper = tag.Upper();
  if (upper.find("\"TOP") != std::string_view::npos) {
    line.pictureOffset = line.height - gh_;
  } else if (upper.find("\"MIDDLE") != std::string_view::npos) {
    line.pictureOffset = (line.height - gh_) / 2;
  }
}

void THtmlLayout::Control(TLineMetrics& line, TCursor& c, const THtmlTag& tag) {
  const std::optional<int> width = CleanNumber(tag.Attribute("WIDTH"), kHtmlMaxExtent);
  if (!width) return;
  THtmlControl control;
  control.Type = tag.Attribute("TYPE");
  control.Id = tag.Attribute("ID", true);
  control.Value = DecodeLayoutEntities(ReplaceHtmlEntities(tag.Attribute("VALUE", true)));
  control.Prop = tag.Attribute("PROP", true);
  control.MaxLength = LeadingNumber(tag.Attribute("MAXLEN"), kHtmlMaxExtent);
  int height = canvas_.TextHeight(p_.Font) + 6;
  if (control.Type == "COMBO") height = 25;
  if (control.Type == "CHECK" || control.Type == "RADIO") height = 16;
  if (control.Type == "BUTTON") height = 18;
  if (c.mode == pmMeasure && MovesOn(c, *width)) {
    c.notFit = true;
    return;
  }
  const int drawnWidth = (control.Type == "CHECK" || control.Type == "RADIO") ? std::min(16, *width) : *width;
  control.Box = {c.penX, c.box.Top, SaturatingAdd(c.penX, drawnWidth), c.box.Top + height};
  const THtmlRect hitBox{c.penX, c.box.Top, SaturatingAdd(c.penX, *width), c.box.Top + height};
  const bool byId = p_.HitTestOnly && !p_.ControlId.empty() && control.Id == p_.ControlId;
  if (c.mode == pmHitTest && (hitBox.Contains(p_.HitX, p_.HitY) || byId)) {
    c.out.objectHit = true;
    r_.Anchor = "ctrl";
    r_.ControlRect = hitBox;
    r_.ControlType = control.Type;
    r_.ControlValue = control.Value;
    r_.ControlId = control.Id;
  }
  if (c.mode == pmDraw) canvas_.DrawControl(control, p_.MouseDown);
  c.curX = SaturatingAdd(c.curX, *width);
  c.penX = SaturatingAdd(c.penX, *width);
  line.height = std::max(line.height, height);
}

void THtmlLayout::ListItem(TStyleState& st, TCursor& c) {
  if (c.listItemOnLine && c.mode == pmMeasure) {
    c.notFit = true;  // the second item starts the next line
    return;
  }
  c.listItemOnLine = true;
  const int level = std::min(st.listLevel, 64);
  c.curX += level * kListIndent;
  c.penX += level * kListIndent - kListIndent;
  if (c.mode == pmDraw) canvas_.DrawBullet(st.font, c.penX, c.textBottom, level % 2 == 1, st.font.Color);
  c.penX += kListIndent;
}

void THtmlLayout::Body(TStyleState& st, const THtmlTag& tag) {
  if (const std::optional<THtmlPictureInfo> picture = FindPicture(tag.Attribute("BACKGROUND", true))) {
    canvas_.TilePicture(*picture, p_.Rect);
  }
  if (const std::optional<TColor> back = ParseHTMLColor(tag.Attribute("BGCOLOR"), true)) {
    canvas_.FillRect(p_.Rect, *back);
    st.background = *back;
  }
}

}  // namespace

THtmlResult DrawHTMLText(THtmlCanvas& canvas, std::string_view markup, const THtmlParams& params) {
  THtmlResult result;
  if (params.HitTestOnly) result.ControlId = params.ControlId;
  const std::string prepared = PrepareHtmlMarkup(markup);
  THtmlLayout layout(canvas, prepared, params, result);
  layout.Run();
  return result;
}

}  // namespace orlex::grid
