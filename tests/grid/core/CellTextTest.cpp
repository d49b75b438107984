#include <gtest/gtest.h>

#include <string>

#include "grid/core/CellText.h"

using namespace orlex::grid;

namespace {

TEST(CellTextTest, WideTextIsHighByteFirst) {
  EXPECT_EQ(DecodeWideCellText(std::string("|\\\x00W\x04\x10", 6)), u"W\u0410");
  EXPECT_EQ(DecodeWideCellText(std::string("|\\\x00W\x01", 5)), u"W");  // odd byte dropped
  EXPECT_EQ(DecodeWideCellText("plain"), u"");
}

TEST(CellTextTest, RichTextKeepsOnlyTheVisibleText) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs20 Oil \\b hot\\b0\\par}",
       "Oil hot"},
      {"{\\rtf1 one\\par two\\tab three}", "one\r\ntwo\tthree"},
      {"{\\rtf1 a\\{b\\}c\\\\d}", "a{b}c\\d"},
      {"{\\rtf1 caf\\'e9}", "caf\xe9"},
      {"{\\rtf1{\\*\\generator Riched20;}visible}", "visible"},
  };
  for (const auto& [rtf, plain] : cases) EXPECT_EQ(RtfToPlainText(rtf), plain) << rtf;
}

}  // namespace
