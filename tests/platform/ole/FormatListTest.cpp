#include <gtest/gtest.h>

#include <string>

#include "platform/ole/AnsiUtf16.h"
#include "platform/ole/ClipboardFormats.h"
#include "platform/ole/FormatList.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;

FORMATETC Entry(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

TEST(FormatListTest, NextSkipResetAndCloneWalkTheList) {
  auto* list = new TFormatListEnumerator({Entry(CF_TEXT), Entry(CF_UNICODETEXT)});
  TComPtr<IEnumFORMATETC> held(list);
  FORMATETC got[3];
  ULONG fetched = 9;
  EXPECT_EQ(held->Next(3, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(got[1].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(held->Next(1, got, nullptr), S_FALSE);
  EXPECT_EQ(held->Reset(), S_OK);
  EXPECT_EQ(held->Skip(1), S_OK);
  TComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(held->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT);
  EXPECT_EQ(held->Skip(5), S_FALSE);
  EXPECT_EQ(held->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
}

struct TConversionCase {
  const char* name;
  std::string bytes;
  std::u16string wide;
};

void PrintTo(const TConversionCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class AnsiUtf16Test : public testing::TestWithParam<TConversionCase> {};

TEST_P(AnsiUtf16Test, BytesReadAsUtf8OrWindows1252) {
  EXPECT_EQ(AnsiToUtf16(GetParam().bytes), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiUtf16Test,
    testing::Values(TConversionCase{"ascii", "abc", u"abc"},
                    TConversionCase{"utf8_degree", "\xC2\xB0" "C", u"\u00B0C"},
                    TConversionCase{"cp1252_degree", "\xB0" "C", u"\u00B0C"},
                    TConversionCase{"cp1252_euro", "\x80", u"\u20AC"},
                    TConversionCase{"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
                    TConversionCase{"truncated_sequence", "\xE2\x82", u"\u00E2\u201A"},
                    TConversionCase{"empty", "", u""}),
    [](const testing::TestParamInfo<TConversionCase>& info) { return std::string(info.param.name); });

TEST(AnsiUtf16Test, WideTextComesBackAsUtf8) {
  EXPECT_EQ(Utf16ToAnsi(u"\u00B0C \U0001F600"), "\xC2\xB0" "C \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToAnsi(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
