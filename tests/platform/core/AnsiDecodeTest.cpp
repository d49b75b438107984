#include "platform/AnsiDecode.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NamesCase {
  const char* a;
  const char* b;
  bool equal;
};

void PrintTo(const NamesCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class AnsiNames : public testing::TestWithParam<NamesCase> {};

TEST_P(AnsiNames, EqualWithoutRegardToWindows1252Case) {
  const NamesCase& c = GetParam();
  EXPECT_EQ(orlex::AnsiEqualIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  EXPECT_EQ(orlex::AnsiEqualIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiNames,
    testing::Values(NamesCase{"Speed", "sPEED", true}, NamesCase{"Speed", "Speeds", false},
                    NamesCase{"k1", "k2", false},
                    // É and é: Windows-1252 bytes, UTF-8, and one of each
                    NamesCase{"\xC9t\xC9", "\xE9T\xE9", true}, NamesCase{"\xC3\x89t\xC3\x89", "\xC3\xA9T\xC3\xA9", true},
                    NamesCase{"\xC3\x89t\xC3\x89", "\xE9t\xE9", true},
                    // Š/š, Œ/œ, Ž/ž, Ÿ/ÿ live in 0x80..0x9F and 0xFF
                    NamesCase{"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", true},
                    // × and ÷ are not a letter pair; nor are ß and ÿ
                    NamesCase{"\xD7", "\xF7", false}, NamesCase{"\xDF", "\xFF", false},
                    // Letters outside Windows-1252 keep their case
                    NamesCase{"\xD0\x96", "\xD0\xB6", false}),
                         orlex::test::CaseName);

TEST(AnsiDecode, InvalidUtf8BytesReadAsWindows1252) {
  std::u32string read;
  orlex::ForEachAnsiCharacter("a\x80\xC3\xA9\xC3", [&read](char32_t c) { read += c; });
  EXPECT_EQ(read, (std::u32string{U'a', 0x20AC, 0xE9, 0xC3}));
}

}  // namespace
