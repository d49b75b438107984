#include "platform/LocaleInfo.h"

#include <gtest/gtest.h>

#include "tests/support/LocaleGuard.h"

#include "tests/support/ParamPrinting.h"

namespace {

struct FloatCase {
  const char* locale;
  const char* text;
  bool converts;
  double value;
};

void PrintTo(const FloatCase& c, std::ostream* os) { *os << c.locale << " \"" << c.text << "\""; }

class LocaleFloat : public testing::TestWithParam<FloatCase> {};

TEST_P(LocaleFloat, ConvertsWithTheLocaleSeparatorOnly) {
  const FloatCase& c = GetParam();
  TLocaleGuard guard(c.locale);
  ASSERT_TRUE(guard.Active()) << c.locale << " is not installed";
  double value = 12345.0;
  EXPECT_EQ(orlex::TextToFloat(c.text, value), c.converts) << c.text;
  EXPECT_DOUBLE_EQ(value, c.converts ? c.value : 12345.0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocaleFloat,
    testing::Values(FloatCase{"C.UTF-8", "87.5", true, 87.5}, FloatCase{"C.UTF-8", "87,5", false, 0},
                    FloatCase{"de_DE.UTF-8", "87,5", true, 87.5}, FloatCase{"de_DE.UTF-8", "87.5", false, 0},
                    FloatCase{"C.UTF-8", " -3 ", true, -3}, FloatCase{"C.UTF-8", "1e3", true, 1000},
                    FloatCase{"C.UTF-8", "", false, 0}, FloatCase{"C.UTF-8", "inf", false, 0},
                    FloatCase{"C.UTF-8", "nan", false, 0}, FloatCase{"C.UTF-8", "0x10", false, 0},
                    FloatCase{"C.UTF-8", "1,500", false, 0}, FloatCase{"C.UTF-8", "-", false, 0}),
                         orlex::test::CaseName);

struct PlainCase {
  const char* locale;
  const char* text;
  bool plain;
};

void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.locale << " \"" << c.text << "\""; }

class PlainDecimal : public testing::TestWithParam<PlainCase> {};

// A plain decimal is one the conversion certainly reads; anything else is left to the conversion.
TEST_P(PlainDecimal, IsSaidOnlyOfTextsTheConversionReads) {
  const PlainCase& c = GetParam();
  TLocaleGuard guard(c.locale);
  ASSERT_TRUE(guard.Active()) << c.locale << " is not installed";
  EXPECT_EQ(orlex::IsPlainDecimal(c.text), c.plain);
  double value = 0.0;
  if (c.plain) {
    EXPECT_TRUE(orlex::TextToFloat(c.text, value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainDecimal,
    testing::Values(PlainCase{"C.UTF-8", "87.5", true}, PlainCase{"C.UTF-8", "-3", true},
                    PlainCase{"C.UTF-8", "+.5", true}, PlainCase{"C.UTF-8", "5.", true},
                    PlainCase{"C.UTF-8", "123456789012345", true}, PlainCase{"C.UTF-8", "-12345678901234.5", true},
                    PlainCase{"C.UTF-8", "1234567890123456", false}, PlainCase{"C.UTF-8", "87,5", false},
                    PlainCase{"de_DE.UTF-8", "87,5", true}, PlainCase{"de_DE.UTF-8", "87.5", false},
                    PlainCase{"C.UTF-8", ".", false}, PlainCase{"C.UTF-8", "-", false}, PlainCase{"C.UTF-8", "", false},
                    PlainCase{"C.UTF-8", "1.2.3", false}, PlainCase{"C.UTF-8", " 3", false},
                    PlainCase{"C.UTF-8", "1e3", false}, PlainCase{"C.UTF-8", "--1", false}),
    orlex::test::CaseName);

TEST(LocaleFormat, GeneralFormatWithLocaleSeparator) {
  {
    TLocaleGuard guard("C.UTF-8");
    EXPECT_EQ(orlex::FloatToText(-1.0), "-1");
    EXPECT_EQ(orlex::FloatToText(12.5), "12.5");
    EXPECT_EQ(orlex::FloatToText(0.1), "0.1");
  }
  TLocaleGuard guard("de_DE.UTF-8");
  ASSERT_TRUE(guard.Active());
  EXPECT_EQ(orlex::FloatToText(12.5), "12,5");
  EXPECT_EQ(orlex::LocaleDecimalSeparator(), ',');
}

TEST(LocaleTime, SeparatorFromTheTimeFormat) {
  TLocaleGuard guard("de_DE.UTF-8");
  ASSERT_TRUE(guard.Active());
  EXPECT_EQ(orlex::LocaleTimeSeparator(), ':');
}

}  // namespace
