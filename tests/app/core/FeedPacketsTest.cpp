#include "app/core/FeedPackets.h"

#include "tests/support/ParamPrinting.h"

#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace orlex::app;

using namespace std::string_literals;
using Fields = std::vector<std::string>;

struct TSplitCase {
  std::string text;
  Fields fields;
};

void PrintTo(const TSplitCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SplitFieldsTest : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(SplitFieldsTest, CutsTextIntoFields) {
  EXPECT_EQ(SplitFields(GetParam().text), GetParam().fields) << "text: " << GetParam().text;
  // The views cut the same fields; the lists are reused from a text cut before.
  std::vector<std::string_view> views{"stale"};
  std::deque<std::string> quoted{"stale"};
  SplitFieldViews("\"q\";old;", views, quoted);
  SplitFieldViews(GetParam().text, views, quoted);
  EXPECT_EQ(Fields(views.begin(), views.end()), GetParam().fields) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitFieldsTest,
    ::testing::Values(
        TSplitCase{"2;k1;d1;1;k2;d2;2;", {"2", "k1", "d1", "1", "k2", "d2", "2", ""}},
        TSplitCase{"", {}},
        TSplitCase{" \t\r\n", {}},
        TSplitCase{"a", {"a"}},
        // a final delimiter yields one empty field, but only when it is the very last character
        TSplitCase{"a;", {"a", ""}},
        TSplitCase{"a; ", {"a"}},
        TSplitCase{";", {"", ""}},
        TSplitCase{"a;;b", {"a", "", "b"}},
        // blanks and control characters separate fields too, and around a delimiter they vanish
        TSplitCase{"a b", {"a", "b"}},
        TSplitCase{"  a \t; \x01 b  ", {"a", "b"}},
        TSplitCase{"k1,15 00;", {"k1,15", "00", ""}},
        // quoted fields keep blanks, delimiters and commas; "" inside stands for one quote
        TSplitCase{"4;rpm;\"Engine Speed\";1;", {"4", "rpm", "Engine Speed", "1", ""}},
        TSplitCase{"\"k1,a b;c\";", {"k1,a b;c", ""}},
        TSplitCase{"\"say \"\"hi\"\"\";x", {"say \"hi\"", "x"}},
        TSplitCase{"\"\";x", {"", "x"}},
        TSplitCase{"\"\"\"\"", {"\""}},
        // text right after a closing quote starts the next field without a delimiter
        TSplitCase{"\"ab\"cd;", {"ab", "cd", ""}},
        // a quote inside an unquoted field is an ordinary character
        TSplitCase{"ab\"c d\"", {"ab\"c", "d\""}},
        // an unclosed quote takes the rest of the text without its last character
        TSplitCase{"x;\"abc", {"x", "ab"}},
        TSplitCase{"\"a;b\"\"c", {"a;b\""}},
        TSplitCase{"\"", {""}},
        // bytes above 127 are ordinary characters, not blanks
        TSplitCase{"\xE9t\xE9;\xA0;", {"\xE9t\xE9", "\xA0", ""}},
        // the text ends at a NUL byte
        TSplitCase{"a;b\0c;d"s, {"a", "b"}},
        TSplitCase{"\0a"s, {}}),
                         orlex::test::CaseName);

TEST(SplitFieldsReuse, ReplacesEveryPreviousField) {
  Fields fields{"old1", "old2", "old3", "old4"};
  SplitFields("\"n1\";n2", fields);
  EXPECT_EQ(fields, (Fields{"n1", "n2"}));
  SplitFields("", fields);
  EXPECT_TRUE(fields.empty());
}

struct TIntCase {
  std::string field;
  std::optional<std::int32_t> value;
};

void PrintTo(const TIntCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ConvertIntegerTest : public ::testing::TestWithParam<TIntCase> {};

TEST_P(ConvertIntegerTest, ReadsOrRefuses) {
  EXPECT_EQ(ConvertInteger(GetParam().field), GetParam().value) << "field: '" << GetParam().field << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ConvertIntegerTest,
    ::testing::Values(TIntCase{"0", 0}, TIntCase{"42", 42}, TIntCase{"+42", 42}, TIntCase{"-42", -42},
                      TIntCase{"   7", 7}, TIntCase{"007", 7}, TIntCase{"-666", -666},
                      TIntCase{"2147483647", INT32_MAX}, TIntCase{"-2147483648", INT32_MIN},
                      TIntCase{"2147483648", std::nullopt}, TIntCase{"-2147483649", std::nullopt},
                      TIntCase{"99999999999999999999999", std::nullopt}),
                         orlex::test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ConvertIntegerTest,
    ::testing::Values(TIntCase{"$FF", 255}, TIntCase{"$ff", 255}, TIntCase{"x1f", 31}, TIntCase{"X1F", 31},
                      TIntCase{"0x10", 16}, TIntCase{"0X10", 16}, TIntCase{"-0x10", -16}, TIntCase{"+$10", 16},
                      TIntCase{" $A", 10},
                      // eight digits are a 32-bit pattern; '-' negates the pattern
                      TIntCase{"$FFFFFFFF", -1}, TIntCase{"$80000000", INT32_MIN}, TIntCase{"-$FFFFFFFF", 1},
                      TIntCase{"-$80000000", INT32_MIN}, TIntCase{"$000000001", 1},
                      TIntCase{"$100000000", std::nullopt}, TIntCase{"0x123456789", std::nullopt}),
                         orlex::test::CaseName);

INSTANTIATE_TEST_SUITE_P(
    NotIntegers, ConvertIntegerTest,
    ::testing::Values(TIntCase{"", std::nullopt}, TIntCase{"   ", std::nullopt}, TIntCase{"-", std::nullopt},
                      TIntCase{"+", std::nullopt}, TIntCase{"$", std::nullopt}, TIntCase{"0x", std::nullopt},
                      TIntCase{"-x", std::nullopt}, TIntCase{"12a", std::nullopt}, TIntCase{"1 ", std::nullopt},
                      TIntCase{"- 1", std::nullopt}, TIntCase{"--1", std::nullopt}, TIntCase{"$-1", std::nullopt},
                      TIntCase{"1.5", std::nullopt}, TIntCase{"$FG", std::nullopt}, TIntCase{"0x0x1", std::nullopt},
                      TIntCase{"\t1", std::nullopt}, TIntCase{"Speed", std::nullopt},
                      TIntCase{"1\0" "2"s, std::nullopt}),
                         orlex::test::CaseName);

struct TCountCase {
  std::string text;
  std::int32_t count;
  std::string rest;
};

void PrintTo(const TCountCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class ReadInitCountTest : public ::testing::TestWithParam<TCountCase> {};

TEST_P(ReadInitCountTest, ReadsTheFieldBeforeTheFirstSemicolon) {
  std::string_view rest = "unchanged";
  EXPECT_EQ(ReadInitCount(GetParam().text, rest), GetParam().count) << "text: " << GetParam().text;
  EXPECT_EQ(rest, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadInitCountTest,
    ::testing::Values(TCountCase{"2;k1;d1;1;k2;d2;2;", 2, "k1;d1;1;k2;d2;2;"},
                      TCountCase{" 3 \t;a;b", 3, "a;b"},  // the count field is trimmed
                      TCountCase{"0;", 0, ""}, TCountCase{"$10;x", 16, "x"},
                      TCountCase{"2", kNoCount, ""},  // no semicolon at all
                      TCountCase{";k;d;1;", kNoCount, "k;d;1;"}, TCountCase{"two;k;d;1;", kNoCount, "k;d;1;"},
                      TCountCase{"-666;k;d;1;", kNoCount, "k;d;1;"},
                      TCountCase{"$FFFFFD66;", kNoCount, ""}),
                         orlex::test::CaseName);  // -666 written in hex

TEST(TrimText, RemovesCodesUpTo32AtBothEndsOnly) {
  EXPECT_EQ(TrimText(" \t\r\n a b \x01\x1F "), "a b");
  EXPECT_EQ(TrimText("\0x\0"s), "x");
  EXPECT_EQ(TrimText("\xA0x\xA0"), "\xA0x\xA0");
  EXPECT_EQ(TrimText("  "), "");
}

struct TPidFieldCase {
  std::string field;
  bool hasComma;
  std::string key;
  std::string value;
};

void PrintTo(const TPidFieldCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }

class SplitPidFieldTest : public ::testing::TestWithParam<TPidFieldCase> {};

TEST_P(SplitPidFieldTest, CutsAtTheFirstComma) {
  const auto& c = GetParam();
  const std::optional<TPidField> pair = SplitPidField(c.field);
  ASSERT_EQ(pair.has_value(), c.hasComma) << c.field;
  if (pair) {
    EXPECT_EQ(pair->Key, c.key);
    EXPECT_EQ(pair->Value, c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitPidFieldTest,
                         ::testing::Values(TPidFieldCase{"k1,1500", true, "k1", "1500"},
                                           TPidFieldCase{"k1,1,5", true, "k1", "1,5"},
                                           TPidFieldCase{"k1,", true, "k1", ""}, TPidFieldCase{",v", true, "", "v"},
                                           TPidFieldCase{"00", false, "", ""}, TPidFieldCase{"", false, "", ""}),
                         orlex::test::CaseName);
