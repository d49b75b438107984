// The CSV export reads packets the way the display does and writes values byte for byte.

#include "tools/core/CsvExport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/FeedFrame.h"

namespace {

using namespace orlex::recording;

TExchange Packet(uint64_t micros, uint32_t kind, const std::string& text) {
  TExchange x;
  x.micros = micros;
  x.msg = orlex::kMsgCopyData;
  x.data = kind;
  x.payload = text + std::string(1, '\0') + "junk after the NUL";
  return x;
}

std::vector<TExchange> Session() {
  TExchange control;
  control.msg = orlex::kMsgHideAll;
  return {
      Packet(0, 1, "RPM,1;"),  // before any INIT: the display ignores it
      Packet(1, 0, " 3;RPM;\"Engine Speed\";1;ECT;\"Temp \xC2\xB0" "C\";2;MAP;\"Manifold, \"\"abs\"\"\";3;\r\n"),
      Packet(1500000, 1, "RPM,1500;ECT,87.5;MAP,1,5;"),
      control,
      Packet(2000000, 1, "\"MAP,warm up\";XYZ,9;RPM,;ECT,88"),  // last field dropped, as the display does
      Packet(2500000, 1, "RPM,1600;broken;ECT,89;"),             // stops at the field without a comma
      Packet(3000000, 0, "1;ECT;Coolant;1;"),
      Packet(3000001, 1, "ECT,90;"),
  };
}

TEST(CsvExport, LongFormOneRowPerValueWithTheLatestDescription) {
  std::ostringstream out;
  WriteLongCsv(Session(), out);
  EXPECT_EQ(out.str(),
            "time,key,description,value\r\n"
            "1.500000,RPM,Engine Speed,1500\r\n"
            "1.500000,ECT,Temp \xC2\xB0" "C,87.5\r\n"
            "1.500000,MAP,\"Manifold, \"\"abs\"\"\",\"1,5\"\r\n"
            "2.000000,MAP,\"Manifold, \"\"abs\"\"\",warm up\r\n"
            "2.000000,XYZ,,9\r\n"
            "2.000000,RPM,Engine Speed,\r\n"
            "2.500000,RPM,Engine Speed,1600\r\n"
            "3.000001,ECT,Coolant,90\r\n");
}

TEST(CsvExport, WideFormOneRowPerPacketAColumnPerKey) {
  std::ostringstream out;
  WriteWideCsv(Session(), out);
  EXPECT_EQ(out.str(),
            "time,RPM,ECT,MAP,XYZ\r\n"
            "1.500000,1500,87.5,\"1,5\",\r\n"
            "2.000000,,,warm up,9\r\n"
            "2.500000,1600,,,\r\n"
            "3.000001,,90,,\r\n");
}

TEST(CsvExport, FieldsAreQuotedOnlyWhenTheyMustBe) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"87.5", "87.5"},           {"", ""},
      {"1,5", "\"1,5\""},         {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"a\nb", "\"a\nb\""},       {"a\rb", "\"a\rb\""},
      {" lead", "\" lead\""},     {"trail ", "\"trail \""},
      {"in side", "in side"},     {"\xB0" "C", "\xB0" "C"},
  };
  for (const auto& [text, field] : cases) EXPECT_EQ(CsvField(text), field) << text;
}

}  // namespace
