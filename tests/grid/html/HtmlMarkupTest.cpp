#include <gtest/gtest.h>

#include <string>

#include "grid/html/HtmlMarkup.h"

#include "tests/support/ParamPrinting.h"

namespace orlex::grid {
namespace {

struct StripCase {
  const char* name;
  std::string markup;
  std::string plain;
};

void PrintTo(const StripCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class StripHTMLTextTest : public testing::TestWithParam<StripCase> {};

TEST_P(StripHTMLTextTest, KeepsTheTextBetweenTags) { EXPECT_EQ(StripHTMLText(GetParam().markup), GetParam().plain); }

INSTANTIATE_TEST_SUITE_P(
    Cases, StripHTMLTextTest,
    testing::Values(StripCase{"TagsRemoved", "Speed<B>RPM</B>", "SpeedRPM"},
                    StripCase{"BreakAndRuleBecomeLineBreaks", "a<br>b<HR>c<BR/>d", "a\r\nb\r\nc" "d"},
                    StripCase{"UnclosedTagKeepsTheRest", "a<B>b<c d", "ab<c d"},
                    StripCase{"EntitiesStay", "&amp;<I>&lt;</I>", "&amp;&lt;"},
                    StripCase{"AttributesGoWithTheirTag", "<FONT COLOR=\"clRed\">x</FONT>", "x"},
                    StripCase{"LoneClosingBracketStays", "a > b</B>", "a > b"}),
    [](const testing::TestParamInfo<StripCase>& info) { return std::string(info.param.name); });

struct ColorCase {
  const char* name;
  std::string value;
  bool body;
  std::optional<TColor> color;
};

void PrintTo(const ColorCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ParseHTMLColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(ParseHTMLColorTest, ReadsHexAndNames) {
  EXPECT_EQ(ParseHTMLColor(GetParam().value, GetParam().body), GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseHTMLColorTest,
    testing::Values(ColorCase{"HexRed", "#FF0000", false, TColor{0x0000FF}},
                    ColorCase{"HexMixed", "#102030", false, TColor{0x302010}},
                    ColorCase{"HexLowerCase", "#00ff80", false, TColor{0x80FF00}},
                    ColorCase{"ShortHexReadsZeros", "#FF", false, TColor{0x0000FF}},
                    ColorCase{"NameIgnoringCase", "CLRED", false, TColor{0x0000FF}},
                    ColorCase{"SystemColourName", "clInfoBk", false, TColor{0xFF000018}},
                    ColorCase{"UnknownNameIsBlack", "clNoSuch", false, TColor{0}},
                    ColorCase{"EmptyIsNothing", "", false, std::nullopt},
                    ColorCase{"BodyHexAnywhere", "x#00FF00", true, TColor{0x00FF00}},
                    ColorCase{"BodyNameNeedsCl", "red", true, std::nullopt},
                    ColorCase{"BodyName", "clBlue", true, TColor{0xFF0000}}),
    [](const testing::TestParamInfo<ColorCase>& info) { return std::string(info.param.name); });

TEST(HtmlMarkupTest, EveryNamedColourIsKnown) {
  for (const char* name : {"clblack", "clmaroon", "clgreen", "clolive", "clnavy", "clpurple", "clteal", "clgray",
                           "clsilver", "cllime", "clyellow", "clblue", "clfuchsia", "claqua", "clwhite"}) {
    EXPECT_TRUE(HtmlColorByName(name).has_value()) << name;
  }
  EXPECT_EQ(HtmlColorByName("clbackground"), TColor{0xFF000001});
  EXPECT_EQ(HtmlColorByName("clhighlighttext"), TColor{0xFF00000E});
  EXPECT_EQ(HtmlColorByName("cl3ddkshadow"), TColor{0xFF000015});
}

TEST(HtmlMarkupTest, PreparationReplacesEntitiesMarkersAndLineBreaks) {
  EXPECT_EQ(PrepareHtmlMarkup("a&AMP;amp;b&quot;&sect;&copy;&trade;"), "a&b\"\xC2\xA7\xC2\xA9\xE2\x84\xA2");
  EXPECT_EQ(PrepareHtmlMarkup("&lt;&nbsp;&gt;&bogus;"), "&lt;&nbsp;&gt;&bogus;");
  EXPECT_EQ(PrepareHtmlMarkup("<#name>x>y"), "#namex>y");
  EXPECT_EQ(PrepareHtmlMarkup("a\r\nb\nc\rd"), "a<BR>bc<BR>d");
}

TEST(HtmlMarkupTest, EntityReplacementIsLinear) {
  // "&amp;" nested a hundred thousand times collapses to one "&" in a single pass.
  std::string text = "&";
  for (int i = 0; i < 100000; ++i) text += "amp;";
  EXPECT_EQ(ReplaceHtmlEntities(text), "&");
}

TEST(HtmlMarkupTest, TagAttributesAreFoundAsWords) {
  const THtmlTag tag("<font bgcolor=\"#00FF00\" color=\"clRed\" face=\"Liberation Sans\" size=4>");
  EXPECT_EQ(tag.Letter(), 'F');
  EXPECT_EQ(tag.Name(), "FONT");
  EXPECT_FALSE(tag.IsClosing());
  EXPECT_EQ(tag.Attribute("COLOR"), "CLRED");
  EXPECT_EQ(tag.Attribute("BGCOLOR"), "#00FF00");
  EXPECT_EQ(tag.Attribute("FACE", true), "Liberation Sans");
  EXPECT_EQ(LeadingNumber(tag.AfterEquals("SIZE"), 100), 4);
  EXPECT_EQ(tag.Attribute("MISSING"), "");
  EXPECT_TRUE(THtmlTag("</FONT>").IsClosing());
  EXPECT_FALSE(THtmlTag("</>").IsClosing());
}

TEST(HtmlMarkupTest, NumbersSaturateAndCleanNumbersAreWhole) {
  EXPECT_EQ(LeadingNumber("99999999999999999999", 500), 500);
  EXPECT_EQ(LeadingNumber("12px", 500), 12);
  EXPECT_EQ(LeadingNumber("px", 500), 0);
  EXPECT_EQ(CleanNumber("40", 100), 40);
  EXPECT_EQ(CleanNumber("4x", 100), std::nullopt);
  EXPECT_EQ(CleanNumber("", 100), std::nullopt);
  EXPECT_EQ(CleanNumber("99999999999999999999", 100), std::nullopt);
}

}  // namespace
}  // namespace orlex::grid
