#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "grid/html/HtmlLayout.h"
#include "tests/grid/html/FakeHtmlCanvas.h"

#include "tests/support/ParamPrinting.h"

namespace orlex::grid {
namespace {

// The drawn text, one string per line (pieces grouped by their box's top).
std::vector<std::string> DrawnLines(const TFakeHtmlCanvas& canvas) {
  std::map<int, std::string> byTop;
  for (const TDrawnPiece& piece : canvas.pieces) byTop[piece.Box.Top] += piece.Text;
  std::vector<std::string> lines;
  for (const auto& [top, text] : byTop) lines.push_back(text);
  return lines;
}

const TDrawnPiece* PieceOf(const TFakeHtmlCanvas& canvas, std::string_view text) {
  for (const TDrawnPiece& piece : canvas.pieces) {
    if (piece.Text == text) return &piece;
  }
  return nullptr;
}

struct LayoutCase {
  const char* name;
  std::string markup;
  int width;    // of the layout rectangle; lines are 1 pixel narrower
  bool wrap;
  std::vector<std::string> lines;
  std::string plain;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HtmlLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(HtmlLayoutTest, LaysOutLinesAndPlainText) {
  const LayoutCase& c = GetParam();
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(c.width);
  params.WordWrap = c.wrap;
  const THtmlResult result = DrawHTMLText(canvas, c.markup, params);
  EXPECT_EQ(DrawnLines(canvas), c.lines);
  EXPECT_EQ(result.PlainText, c.plain);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlLayoutTest,
    testing::Values(
        LayoutCase{"BoldRightAfterPlainOnOneLine", "Speed<B>RPM</B>", 201, true, {"SpeedRPM"}, "SpeedRPM"},
        LayoutCase{"CarriageReturnLineFeedBreaks", "<B>ab</B>\r\ncd", 201, true, {"ab", "cd"}, "ab\rcd"},
        LayoutCase{"BrBreaksAndAddsACarriageReturn", "a<br>b", 201, true, {"a", "b"}, "a\rb"},
        LayoutCase{"WordThatDoesNotFitMovesOn", "<B>aaa bbb ccc</B>", 81, true, {"aaa ", "bbb ccc"}, "aaa bbb ccc"},
        LayoutCase{"OverlongWordStaysOnItsOwnLine", "<I>a bbbbbbbbbbbb c</I>", 81, true,
                   {"a ", "bbbbbbbbbbbb ", "c"}, "a bbbbbbbbbbbb c"},
        LayoutCase{"WordContinuedAfterATagIsNotSplit", "aaaaaaa<B>bbb</B>", 81, true, {"aaaaaaabbb"}, "aaaaaaabbb"},
        LayoutCase{"TagWithoutCloseDropsTheRest", "ab<B cd", 201, true, {"ab"}, "ab"},
        LayoutCase{"ShortTagAtTheEndIsDropped", "<B>ab</B><x", 201, true, {"ab"}, "ab"},
        LayoutCase{"HiddenTextOnlyInPlainText", "a<Z>hidden</Z>b</B>", 201, true, {"ab"}, "ahiddenb"},
        LayoutCase{"EntitiesReplacedRepeatedly", "<B>a&amp;amp;b &lt;i&gt;&nbsp;&euro;</B>", 201, true,
                   {"a&b <i> \xE2\x82\xAC"}, "a&b <i> \xE2\x82\xAC"},
        LayoutCase{"HashMarkerLosesItsBrackets", "<#tag>x</B>", 201, true, {"#tagx"}, "#tagx"},
        LayoutCase{"UnknownTagsAreConsumed", "a<QQ x=\"1\">b</QQ>c", 201, true, {"abc"}, "abc"},
        LayoutCase{"SingleLineKeepsTheFirstPieceWhole", "aaaa bbbb cccc</B>", 61, false, {"aaaa bbbb cccc"},
                   "aaaa bbbb cccc"},
        LayoutCase{"SingleLineDropsAfterAnOverflowingPiece", "aaaa <B>bbbb</B><I>cc</I>", 61, false, {"aaaa bbbb"},
                   "aaaa bbbb"},
        LayoutCase{"ListItemsEachOnTheirLine", "<UL><LI>a</LI><LI>b<LI>c</UL>", 201, true, {"a", "b", "c"}, "abc"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(HtmlLayoutTest, BoldPieceStartsWhereThePlainOneEnds) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "Speed<B>RPM</B>", CellParams(200));
  const TDrawnPiece* speed = PieceOf(canvas, "Speed");
  const TDrawnPiece* rpm = PieceOf(canvas, "RPM");
  ASSERT_TRUE(speed && rpm);
  EXPECT_EQ(speed->Box.Left, 1);  // lines start 1 pixel inside the rectangle
  EXPECT_EQ(speed->Font.Style & fsBold, 0);
  EXPECT_EQ(rpm->Box.Left, 1 + 5 * TFakeHtmlCanvas::kPitch);
  EXPECT_NE(rpm->Font.Style & fsBold, 0);
}

TEST(HtmlLayoutTest, OverlongWordIsClippedAtTheRightEdge) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<B>bbbbbbbbbbbb</B>", CellParams(81));
  ASSERT_EQ(canvas.pieces.size(), 1u);
  EXPECT_EQ(canvas.pieces[0].Box.Right, 81);
}

struct FontCase {
  const char* name;
  std::string markup;
  int size;
  TColor color;
};

void PrintTo(const FontCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HtmlFontTest : public testing::TestWithParam<FontCase> {};

TEST_P(HtmlFontTest, FontTagSetsSizeAndColour) {
  const FontCase& c = GetParam();
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, c.markup + "x</FONT>y", CellParams(200));
  const TDrawnPiece* x = PieceOf(canvas, "x");
  const TDrawnPiece* y = PieceOf(canvas, "y");
  ASSERT_TRUE(x && y);
  EXPECT_EQ(x->Font.Size, c.size);
  EXPECT_EQ(x->Color, c.color);
  EXPECT_EQ(y->Font.Size, 10);  // the closing tag restores the base font
  EXPECT_EQ(y->Color, clBlack);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlFontTest,
    testing::Values(FontCase{"Size3Is12Points", "<FONT SIZE=3>", 12, clBlack},
                    FontCase{"Size20Is20Points", "<FONT SIZE=\"20\">", 20, clBlack},
                    FontCase{"HugeSizeIsLimited", "<FONT SIZE=\"100000\">", kHtmlMaxFontSize, clBlack},
                    FontCase{"NoNumberKeepsTheSize", "<FONT SIZE=\"big\">", 10, clBlack},
                    FontCase{"HexColour", "<FONT COLOR=\"#FF0000\">", 10, 0x0000FF},
                    FontCase{"NamedColour", "<font color=\"clRed\">", 10, 0x0000FF},
                    FontCase{"UnknownNameIsBlack", "<FONT COLOR=\"clNoSuch\">", 10, clBlack},
                    FontCase{"UnquotedColourChangesNothing", "<FONT COLOR=clRed>", 10, clBlack},
                    FontCase{"BackgroundIsNotTheTextColour", "<FONT BGCOLOR=\"#00FF00\">", 10, clBlack}),
    [](const testing::TestParamInfo<FontCase>& info) { return std::string(info.param.name); });

TEST(HtmlLayoutTest, FontBackgroundAppliesToItsText) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<FONT BGCOLOR=\"#00FF00\">x</FONT>y", CellParams(200));
  EXPECT_EQ(PieceOf(canvas, "x")->Background, 0x00FF00u);
  EXPECT_EQ(PieceOf(canvas, "y")->Background, clNone);
}

TEST(HtmlLayoutTest, RightAlignmentPersistsUntilChanged) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<P ALIGN=\"RIGHT\">ab</P>cd<BR><P ALIGN=\"left\">ef</P>", CellParams(101));
  EXPECT_EQ(PieceOf(canvas, "ab")->Box.Left, 81);
  EXPECT_EQ(PieceOf(canvas, "cd")->Box.Left, 81);
  EXPECT_EQ(PieceOf(canvas, "ef")->Box.Left, 1);
}

TEST(HtmlLayoutTest, CentreAndIndentPlaceTheLine) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<P ALIGN=\"CENTER\">ab</P><P ALIGN=\"LEFT\" INDENT=\"7\">cd", CellParams(101));
  EXPECT_EQ(PieceOf(canvas, "ab")->Box.Left, 1 + (100 - 20) / 2);
  EXPECT_EQ(PieceOf(canvas, "cd")->Box.Left, 8);
}

struct HeightCase {
  const char* name;
  int rectHeight;
  std::vector<std::string> lines;
};

void PrintTo(const HeightCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HtmlLineFitTest : public testing::TestWithParam<HeightCase> {};

// Lines are 20 pixels high (10-point font): the first line is always drawn, a further one only when a
// whole line still fits above the rectangle's bottom.
TEST_P(HtmlLineFitTest, DrawsOnlyLinesThatFit) {
  TFakeHtmlCanvas canvas;
  const THtmlResult result = DrawHTMLText(canvas, "a<BR>b<BR>c</B>", CellParams(100, GetParam().rectHeight));
  EXPECT_EQ(DrawnLines(canvas), GetParam().lines);
  EXPECT_EQ(result.Height, 20 * static_cast<int>(GetParam().lines.size()));
}

INSTANTIATE_TEST_SUITE_P(Cases, HtmlLineFitTest,
                         testing::Values(HeightCase{"FirstLineAlways", 5, {"a"}},
                                         HeightCase{"SecondNeedsAFullLine", 39, {"a"}},
                                         HeightCase{"SecondFitsExactly", 40, {"a", "b"}},
                                         HeightCase{"AllThree", 60, {"a", "b", "c"}}),
                         [](const testing::TestParamInfo<HeightCase>& info) { return std::string(info.param.name); });

TEST(HtmlLayoutTest, MeasuringGivesWidestLineAndTotalHeight) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(65535, 65535);
  params.MeasureOnly = true;
  const THtmlResult result = DrawHTMLText(canvas, "<B>Engine</B><BR><FONT SIZE=\"20\">RPM  </FONT>", params);
  EXPECT_TRUE(canvas.pieces.empty());
  EXPECT_EQ(result.Width, 60);         // "Engine"; the trailing space of "RPM  " is not counted
  EXPECT_EQ(result.Height, 20 + 40);   // a 10-point line and a 20-point line
}

TEST(HtmlLayoutTest, EmptyTextMeasuresOneLine) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(100);
  params.MeasureOnly = true;
  const THtmlResult result = DrawHTMLText(canvas, "</B>", params);
  EXPECT_EQ(result.Width, 0);
  EXPECT_EQ(result.Height, 20);
}

TEST(HtmlLayoutTest, BlinkingTextTakesTheBackgroundColour) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(200);
  params.BrushColor = 0x123456;
  DrawHTMLText(canvas, "a<BLINK>b</BLINK>c", params);
  EXPECT_EQ(PieceOf(canvas, "b")->Color, 0x123456u);
  EXPECT_EQ(PieceOf(canvas, "c")->Color, clBlack);
}

TEST(HtmlLayoutTest, SubscriptAndSuperscriptGrowTheLine) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(200);
  params.MeasureOnly = true;
  EXPECT_EQ(DrawHTMLText(canvas, "H<SUB>2</SUB>O", params).Height, 20 + 5);
  EXPECT_EQ(DrawHTMLText(canvas, "x<SUP>2</SUP><SUB>i</SUB>", params).Height, 20 + 5 + 5);
}

TEST(HtmlLayoutTest, TabTagMovesTheText) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "a<IN x=\"50\">b<IN x=\"1x\">c</B>", CellParams(200));
  EXPECT_EQ(PieceOf(canvas, "b")->Box.Left, 50);
  EXPECT_EQ(PieceOf(canvas, "c")->Box.Left, 60);  // a tab that is not a clean number is ignored
}

TEST(HtmlLayoutTest, ErrorMarkingDrawsARedZigzagUnderThePiece) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<E>ab</E>c</B>", CellParams(200));
  ASSERT_EQ(canvas.polylines.size(), 1u);
  const auto& [points, color] = canvas.polylines[0];
  EXPECT_EQ(color, 0x0000FFu);
  ASSERT_GE(points.size(), 3u);
  // The piece starts at x 1: the zigzag at 0, low (bottom + 1) on multiples of 4, up 2 pixels later.
  EXPECT_EQ(points[0], (THtmlPoint{0, 21}));
  EXPECT_EQ(points[1], (THtmlPoint{2, 19}));
  EXPECT_EQ(points[2], (THtmlPoint{4, 21}));
}

TEST(HtmlLayoutTest, ShadowIsDrawnFirstOffsetInTheShadowColour) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<SH>a</SH>", CellParams(200));
  ASSERT_EQ(canvas.pieces.size(), 2u);
  EXPECT_EQ(canvas.pieces[0].Color, 0x808080u);
  EXPECT_EQ(canvas.pieces[0].Box.Left, canvas.pieces[1].Box.Left + 1);
  EXPECT_EQ(canvas.pieces[1].Color, clBlack);
}

TEST(HtmlLayoutTest, RotatedTextCarriesItsAngleUntilClosed) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<R a=\"90\">up</R>flat</B>", CellParams(200));
  EXPECT_EQ(PieceOf(canvas, "up")->Font.Escapement, 900);
  EXPECT_EQ(PieceOf(canvas, "flat")->Font.Escapement, 0);
}

TEST(HtmlLayoutTest, LinksAreColouredUnderlinedAndCounted) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(300);
  params.LinkColor = 0x00AA00;
  const THtmlResult result =
      DrawHTMLText(canvas, "<A HREF=\"http://a\" TITLE=\"First\">one</A> <A HREF=\"b\">two</A>", params);
  EXPECT_EQ(result.LinkCount, 2);
  EXPECT_EQ(result.Title, "First");
  EXPECT_EQ(PieceOf(canvas, "one")->Color, 0x00AA00u);
  EXPECT_NE(PieceOf(canvas, "one")->Font.Style & fsUnderline, 0);
  EXPECT_EQ(PieceOf(canvas, " ")->Color, clBlack);
  EXPECT_EQ(PieceOf(canvas, " ")->Font.Style & fsUnderline, 0);
}

TEST(HtmlLayoutTest, FocusedLinkGetsAFrameAndGivesItsTarget) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(300);
  params.FocusLink = 1;  // the second link
  const THtmlResult result = DrawHTMLText(canvas, "<A HREF=\"a\">one</A> <A HREF=\"Two\">two</A>", params);
  EXPECT_EQ(result.FocusAnchor, "Two");
  ASSERT_EQ(canvas.focusRects.size(), 1u);
  EXPECT_EQ(canvas.focusRects[0], (THtmlRect{40, 0, 72, 20}));
}

struct HitCase {
  const char* name;
  int x;
  int y;
  bool hit;
  std::string anchor;
};

void PrintTo(const HitCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class HtmlHitTest : public testing::TestWithParam<HitCase> {};

// "go " spans 1..31, the link text "here" 31..71, on a line 20 high.
TEST_P(HtmlHitTest, FindsTheLinkUnderThePoint) {
  const HitCase& c = GetParam();
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(200);
  params.HitTestOnly = true;
  params.HitX = c.x;
  params.HitY = c.y;
  const THtmlResult result = DrawHTMLText(canvas, "go <A HREF=\"Target\">here</A> now", params);
  EXPECT_TRUE(canvas.pieces.empty());  // hit-testing draws nothing
  EXPECT_EQ(result.Hit, c.hit);
  EXPECT_EQ(result.Anchor, c.anchor);
  // The link outputs follow the point's x; only the result also needs the point on the line's text.
  if (!c.anchor.empty()) {
    EXPECT_EQ(result.HitLink, 1);
    EXPECT_EQ(result.LinkRect, (THtmlRect{31, 0, 71, 20}));
  } else {
    EXPECT_EQ(result.HitLink, -1);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HtmlHitTest,
                         testing::Values(HitCase{"OnTheLink", 40, 10, true, "Target"},
                                         HitCase{"LastPixelOfTheLink", 70, 19, true, "Target"},
                                         HitCase{"BeforeTheLink", 20, 10, false, ""},
                                         HitCase{"AfterTheLink", 75, 10, false, ""},
                                         HitCase{"BelowTheLine", 40, 25, false, "Target"}),
                         [](const testing::TestParamInfo<HitCase>& info) { return std::string(info.param.name); });

TEST(HtmlLayoutTest, ControlsAreDrawnAndFoundByPointOrIdentifier) {
  const std::string markup = "a<CONTROL TYPE=\"check\" ID=\"Opt\" VALUE=\"TRUE\" WIDTH=\"16\"><CONTROL TYPE=\"EDIT\">";
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, markup, CellParams(200));
  ASSERT_EQ(canvas.controls.size(), 1u);  // a control without WIDTH is ignored
  EXPECT_EQ(canvas.controls[0].first.Type, "CHECK");
  EXPECT_EQ(canvas.controls[0].first.Value, "TRUE");
  EXPECT_EQ(canvas.controls[0].first.Box, (THtmlRect{11, 0, 27, 16}));

  THtmlParams params = CellParams(200);
  params.HitTestOnly = true;
  params.HitX = 15;
  params.HitY = 5;
  THtmlResult result = DrawHTMLText(canvas, markup, params);
  EXPECT_EQ(result.Anchor, "ctrl");
  EXPECT_EQ(result.ControlId, "Opt");
  EXPECT_EQ(result.ControlType, "CHECK");
  EXPECT_EQ(result.ControlRect, (THtmlRect{11, 0, 27, 16}));

  params.HitX = 100;
  params.ControlId = "Opt";
  result = DrawHTMLText(canvas, markup, params);
  EXPECT_EQ(result.ControlValue, "TRUE");
}

TEST(HtmlLayoutTest, PicturesTakeTheirSizeOrNone) {
  TFakeHtmlCanvas canvas;
  canvas.pictureSizes["FILE:///pics/gauge.png"] = {30, 40};
  DrawHTMLText(canvas,
               "a<IMG SRC=\"FILE:///pics/gauge.png\">b<IMG SRC=\"http://example.com/x.gif\">c"
               "<IMG SRC=\"FILE:///pics/gauge.png\" WIDTH=\"8\" HEIGHT=\"9\">d</B>",
               CellParams(300));
  ASSERT_EQ(canvas.pictures.size(), 2u);
  EXPECT_EQ(canvas.pictures[0].Dest, (THtmlRect{11, 0, 41, 40}));
  EXPECT_FALSE(canvas.pictures[0].Stretch);
  EXPECT_EQ(PieceOf(canvas, "b")->Box.Left, 41);
  EXPECT_EQ(PieceOf(canvas, "c")->Box.Left, 51);  // the web picture takes no space
  EXPECT_EQ(canvas.pictures[1].Dest, (THtmlRect{61, 0, 69, 9}));
  EXPECT_TRUE(canvas.pictures[1].Stretch);
  EXPECT_EQ(PieceOf(canvas, "a")->Box.Bottom, 40);  // the picture makes the line taller
}

TEST(HtmlLayoutTest, PictureSourcesAreClassified) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(300);
  params.MeasureOnly = true;
  DrawHTMLText(canvas, "<IMG SRC=\"idx:3\"><IMG SRC=\"SSYS:/tmp\"><IMG SRC=\"LSYS:12\"><IMG SRC=\"logo\">"
               "<IMG SRC=\"res://Gauge\"><IMG SRC=\"C:odd\"></B>", params);
  ASSERT_EQ(canvas.requested.size(), 5u);  // "C:odd" names no source
  EXPECT_EQ(canvas.requested[0].Kind, hpkImageList);
  EXPECT_EQ(canvas.requested[0].Index, 3);
  EXPECT_EQ(canvas.requested[1].Kind, hpkSmallIcon);
  EXPECT_EQ(canvas.requested[1].Name, "/tmp");
  EXPECT_EQ(canvas.requested[2].Kind, hpkLargeIcon);
  EXPECT_EQ(canvas.requested[2].Index, 12);
  EXPECT_EQ(canvas.requested[3].Kind, hpkContainer);
  EXPECT_EQ(canvas.requested[4].Kind, hpkCached);
  EXPECT_EQ(canvas.requested[4].Name, "res://Gauge");
}

TEST(HtmlLayoutTest, PictureThatDoesNotFitMovesToTheNextLine) {
  TFakeHtmlCanvas canvas;
  canvas.pictureSizes["pic"] = {50, 10};
  DrawHTMLText(canvas, "abcdef<IMG SRC=\"pic\">g</B>", CellParams(101));
  ASSERT_EQ(canvas.pictures.size(), 1u);
  EXPECT_EQ(canvas.pictures[0].Dest.Left, 1);
  EXPECT_EQ(canvas.pictures[0].Dest.Top, 20);
}

TEST(HtmlLayoutTest, BodyAndParagraphBackgroundsFill) {
  TFakeHtmlCanvas canvas;
  DrawHTMLText(canvas, "<BODY BGCOLOR=\"clYellow\"><P BGCOLOR=\"#0000FF\">a<BR>b</P>c", CellParams(100, 100));
  ASSERT_GE(canvas.fills.size(), 3u);
  EXPECT_EQ(canvas.fills[0], std::make_pair(THtmlRect{0, 0, 100, 100}, TColor{0x00FFFF}));
  EXPECT_EQ(canvas.fills[1], std::make_pair(THtmlRect{0, 0, 100, 20}, TColor{0xFF0000}));
  EXPECT_EQ(canvas.fills[2], std::make_pair(THtmlRect{0, 20, 100, 40}, TColor{0xFF0000}));  // the band goes on
  EXPECT_EQ(PieceOf(canvas, "b")->Background, 0xFF0000u);
  EXPECT_EQ(PieceOf(canvas, "c")->Background, 0x00FFFFu);  // back to the body's colour
}

TEST(HtmlLayoutTest, SelectedTextIgnoresTagColours) {
  TFakeHtmlCanvas canvas;
  THtmlParams params = CellParams(200);
  params.Selected = true;
  params.Font.Color = clWhite;
  DrawHTMLText(canvas, "<FONT COLOR=\"clRed\">a</FONT><A HREF=\"x\">b</A>", params);
  EXPECT_EQ(PieceOf(canvas, "a")->Color, clWhite);
  EXPECT_EQ(PieceOf(canvas, "b")->Color, clWhite);
}

}  // namespace
}  // namespace orlex::grid
