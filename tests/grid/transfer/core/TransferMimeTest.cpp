#include "grid/transfer/core/TransferMime.h"

#include <gtest/gtest.h>

#include <string>

#include "grid/transfer/core/TransferFormats.h"
#include "platform/ole/ClipboardFormats.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;

struct TNameCase {
  const char* name;
  std::string registered;
  std::string encoded;
};

void PrintTo(const TNameCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class MimeNameTest : public testing::TestWithParam<TNameCase> {};

TEST_P(MimeNameTest, RegisteredNamesBecomeValidSubtypesAndComeBack) {
  EXPECT_EQ(EncodeMimeName(GetParam().registered), GetParam().encoded);
  EXPECT_EQ(DecodeMimeName(GetParam().encoded), GetParam().registered);
  for (char c : GetParam().encoded) {
    EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_') << c;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MimeNameTest,
    testing::Values(TNameCase{"space", "TCellGrid Cells", "TCellGrid_20Cells"},
                    TNameCase{"plain", "Csv", "Csv"},
                    TNameCase{"dash_and_underscore", "a-b_c", "a_2Db_5Fc"},
                    TNameCase{"slash_and_high_byte", "x/\xE9", "x_2F_E9"}),
    [](const testing::TestParamInfo<TNameCase>& info) { return std::string(info.param.name); });

TEST(MimeNameTest, SuffixesNoNameEncodesToAreRefused) {
  for (const char* suffix : {"", "a_2", "a_zz", "a_41", "a-b", "a b"}) {
    EXPECT_EQ(DecodeMimeName(suffix), std::nullopt) << suffix;
  }
}

TEST(MimeTypeTest, FormatsMapToTheirMimeTypes) {
  RegisterTransferFormats();
  EXPECT_EQ(MimeTypeForFormat(CF_TEXT), "text/plain");
  EXPECT_EQ(MimeTypeForFormat(CF_UNICODETEXT), "text/plain");
  EXPECT_EQ(MimeTypeForFormat(CF_HDROP), "text/uri-list");
  EXPECT_EQ(MimeTypeForFormat(UrlFormat()), "text/uri-list");
  EXPECT_EQ(MimeTypeForFormat(RichTextFormat()), "text/rtf");
  EXPECT_EQ(MimeTypeForFormat(GridColumnFormat()), "application/x-orlexgauges-grid-column");
  const CLIPFORMAT cells = RegisterClipboardFormat("TCellGrid Cells");
  EXPECT_EQ(MimeTypeForFormat(cells), "application/x-orlexgauges-TCellGrid_20Cells");
  EXPECT_EQ(MimeTypeForFormat(0), "");
  EXPECT_EQ(MimeTypeForFormat(2), "");

  EXPECT_EQ(RegisteredFormatForMimeType("application/x-orlexgauges-TCellGrid_20Cells"), cells);
  EXPECT_EQ(RegisteredFormatForMimeType("application/x-orlexgauges-grid-column"), GridColumnFormat());
  EXPECT_EQ(RegisteredFormatForMimeType("application/x-orlexgauges-a b"), 0);
  EXPECT_EQ(RegisteredFormatForMimeType("text/plain"), 0);
}

}  // namespace
