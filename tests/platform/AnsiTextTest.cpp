#include "platform/AnsiText.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

namespace {

struct DecodeCase {
  std::string bytes;
  QString shown;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << testing::PrintToString(c.bytes); }

class AnsiDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(AnsiDecode, ShowsUtf8AndWindows1252Alike) {
  EXPECT_EQ(orlex::AnsiToDisplay(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AnsiDecode,
    testing::Values(DecodeCase{"Oil Temp", QStringLiteral("Oil Temp")},
                    DecodeCase{"\xC2\xB0" "C", QString::fromUtf8("\u00B0C")},           // UTF-8 degree sign
                    DecodeCase{"\xB0" "C", QString::fromUtf8("\u00B0C")},               // Windows-1252 degree sign
                    DecodeCase{"\x80", QString::fromUtf8("\u20AC")},                    // euro in 1252
                    DecodeCase{"\xE2\x82\xAC", QString::fromUtf8("\u20AC")},            // euro in UTF-8
                    DecodeCase{"\xE2\x82", QString::fromUtf8("\u00E2\u201A")},          // cut sequence: bytes
                    DecodeCase{"\xC0\xAF", QString::fromUtf8("\u00C0\u00AF")},          // overlong: bytes
                    DecodeCase{"\xF0\x9F\x9A\x97", QString::fromUtf8("\U0001F697")},    // 4-byte sequence
                    // ASCII, a NUL included, and ASCII around decoded bytes
                    DecodeCase{std::string("1\0" "2\x7F", 4), QString(QStringLiteral("1") + QChar(0) + QStringLiteral("2\x7F"))},
                    DecodeCase{"Temp \xB0" "C \xE2\x82\xAC 5", QString::fromUtf8("Temp \u00B0C \u20AC 5")}),
                         orlex::test::CaseName);

TEST(AnsiEncode, RoundTripsUtf8) {
  const QString text = QString::fromUtf8("Ladedruck \u00B0C \u20AC");
  EXPECT_EQ(orlex::AnsiToDisplay(orlex::DisplayToAnsi(text)), text);
}

}  // namespace
