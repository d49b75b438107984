#include "grid/transfer/core/EnumFormats.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/grid/transfer/FakeDataObject.h"
#include "grid/transfer/core/TransferFormats.h"

#include "tests/support/ParamPrinting.h"

namespace {

using namespace orlex;
using namespace orlex::grid;
using orlex::grid::test::TFakeDataObject;
using orlex::grid::test::Z;

// DROPFILES header: names at `offset`, wide flag as given.
std::string Header(std::uint32_t offset, bool wide) {
  std::string header(20, '\0');
  for (int i = 0; i < 4; ++i) header[i] = static_cast<char>(offset >> (8 * i));
  header[16] = wide ? 1 : 0;
  return header;
}

std::string Wide(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

struct TDropFilesCase {
  const char* name;
  std::string block;
  std::vector<std::string> expected;
};

void PrintTo(const TDropFilesCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ReadDropFilesTest : public testing::TestWithParam<TDropFilesCase> {};

TEST_P(ReadDropFilesTest, ReadsTheNamesAndNeverPastTheBlock) {
  const std::string& block = GetParam().block;
  // A copy of exactly the block's size, so that ASan sees any read past its end.
  std::vector<std::uint8_t> exact(block.begin(), block.end());
  EXPECT_EQ(ReadDropFiles(exact.data(), exact.size()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadDropFilesTest,
    testing::Values(
        TDropFilesCase{"narrow_two", Header(20, false) + Z("/a") + Z("/b c") + Z(""), {"/a", "/b c"}},
        TDropFilesCase{"wide_two", Header(20, true) + Wide(std::u16string(u"/a\0/\u00E9\0\0", 7)), {"/a", "/\xC3\xA9"}},
        TDropFilesCase{"names_after_a_gap", Header(24, false) + "????" + Z("/a") + Z(""), {"/a"}},
        TDropFilesCase{"offset_beyond_block", Header(4000, false) + Z("/a") + Z(""), {}},
        TDropFilesCase{"offset_at_end", Header(22, false) + Z("/"), {}},
        TDropFilesCase{"last_name_without_nul", Header(20, false) + Z("/a") + "/b", {"/a"}},
        TDropFilesCase{"no_final_empty_name", Header(20, false) + Z("/a"), {"/a"}},
        TDropFilesCase{"wide_odd_tail", Header(20, true) + Wide(u"/a") + std::string(1, '\0'), {}},
        TDropFilesCase{"short_header", std::string(19, '\0'), {}},
        TDropFilesCase{"empty_list", Header(20, false) + Z(""), {}}),
    [](const testing::TestParamInfo<TDropFilesCase>& info) { return std::string(info.param.name); });

TEST(EnumFormatsTest, FindsFormatsAndReadsTheirBlocksSafely) {
  RegisterTransferFormats();
  TComPtr<IDataObject> data(new TFakeDataObject({{CF_TEXT, "no nul"},
                                                 {GridColumnFormat(), "\x01\x02"},
                                                 {CF_HDROP, Header(20, false) + Z("/f") + Z("")}}));
  TEnumFormats reader(data.Get());
  ASSERT_TRUE(reader.CanEnumerate());
  EXPECT_EQ(reader.Text(CF_TEXT), "no nul");
  EXPECT_EQ(reader.Integer(GridColumnFormat()), -1);  // shorter than 4 bytes
  EXPECT_EQ(reader.Text(RichTextFormat()), "");
  EXPECT_FALSE(reader.HasFormat(0));
  ASSERT_TRUE(reader.HasFormat(CF_HDROP));
  EXPECT_EQ(reader.Current().cfFormat, CF_HDROP);
  EXPECT_TRUE(reader.ReadFileNames());
  EXPECT_EQ(reader.FileNames, (std::vector<std::string>{"/f"}));
  EXPECT_FALSE(reader.HasFormat(UrlFormat()));
  EXPECT_FALSE(reader.Valid());
  EXPECT_EQ(reader.NextCount(), 4);  // three entries and the end

  STGMEDIUM medium;
  ASSERT_TRUE(reader.HasFormat(CF_TEXT));
  EXPECT_FALSE(reader.GetGlobal(TYMED_HGLOBAL | TYMED_ISTREAM, medium));  // the entry lacks the stream
  EXPECT_EQ(medium.hGlobal, nullptr);
}

TEST(EnumFormatsTest, NoDataObjectReadsAsNothing) {
  TEnumFormats reader(nullptr);
  EXPECT_FALSE(reader.CanEnumerate());
  EXPECT_FALSE(reader.HasFormat(CF_TEXT));
  EXPECT_EQ(reader.Integer(CF_TEXT), -1);
  EXPECT_FALSE(reader.ReadFileNames());
}

}  // namespace
