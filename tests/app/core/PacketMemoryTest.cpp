// Memory taken for one exceptional packet is returned after it: the shared field list does not keep
// the room of a packet of millions of fields for the rest of the session.
#include <gtest/gtest.h>

#include <string>

#include "app/core/FeedIntake.h"
#include "tests/app/core/FeedFakes.h"

using namespace orlex::app;

namespace {

struct PacketCase {
  const char* name;
  std::uint32_t kind;
  std::string text;
};

void PrintTo(const PacketCase& c, std::ostream* os) { *os << c.name; }

class PacketMemory : public testing::TestWithParam<PacketCase> {};

TEST_P(PacketMemory, TheFieldListGivesBackAHugePacketsRoom) {
  TPidTable table;
  TFakeHost host(table);
  ASSERT_EQ(WMCopyData(table, host, 0, "1;k1;d1;1;"), 1);
  const PacketCase& c = GetParam();
  WMCopyData(table, host, c.kind, c.text);
  EXPECT_LE(table.FieldList.capacity(), 4096u);
  // Ordinary packets go on as before.
  EXPECT_EQ(WMCopyData(table, host, 1, "k1,7;"), 1);
  EXPECT_EQ(table.Record(1)->Value, "7");
}

INSTANTIATE_TEST_SUITE_P(Cases, PacketMemory,
                         testing::Values(PacketCase{"MillionEmptyFields", 1, std::string(1000000, ';')},
                                         PacketCase{"MillionValues", 1, [] {
                                                      std::string text;
                                                      for (int i = 0; i < 200000; ++i) text += "k1,1;";
                                                      return text;
                                                    }()}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
