// Value updates find their PIDs by key whatever order the Feed sends the keys in: the table learns the
// usual order to spare hashing, and must give the same values as comparing every key with every PID.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/core/PidRegistry.h"

using namespace orlex::app;

namespace {

using TPacket = std::vector<std::pair<std::string, std::string>>;

struct TStep {
  TPacket packet;
  int replaceSlot = 0;  // after the packet, a new record with key `replaceKey` goes into this slot
  const char* replaceKey = "";
};

std::unique_ptr<PidRecord> MakeRecord(const std::string& key) {
  auto record = std::make_unique<PidRecord>();
  record->Key = key;
  return record;
}

TEST(PidValueOrder, EveryOrderGivesWhatComparingEveryKeyGives) {
  // Slots 1 to 5 counted, slot 6 filled but beyond the count; "a" twice.
  const std::vector<std::string> keys = {"a", "b", "a", "c", "d", "e"};
  TPidTable table;
  std::map<int, std::string> expected;
  for (int n = 1; n <= static_cast<int>(keys.size()); ++n) table.Put(n, MakeRecord(keys[n - 1]));
  table.PidCount = 5;

  const std::vector<TStep> steps = {
      {{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}},
      {{{"a", "5"}, {"b", "6"}, {"c", "7"}, {"d", "8"}}},  // the same order again: learned
      {{{"d", "9"}, {"c", "10"}, {"b", "11"}, {"a", "12"}}},  // reversed
      {{{"a", "13"}, {"x", "14"}, {"b", "15"}, {"e", "16"}, {"b", "17"}}},  // unknown, uncounted, repeated
      {{{"a", "18"}, {"b", "19"}}, 2, "c"},
      {{{"a", "20"}, {"b", "21"}, {"c", "22"}, {"d", "23"}}},  // after a replacement
      {{{"", "24"}, {"A", "25"}, {"a ", "26"}}},  // only exact keys match
  };
  for (std::size_t s = 0; s < steps.size(); ++s) {
    const TStep& step = steps[s];
    for (const auto& [key, value] : step.packet) {
      table.UpdateValue(key, value);
      for (int n = 1; n <= table.PidCount; ++n) {
        if (table.Record(n)->Key == key) expected[n] = value;
      }
    }
    for (int n = 1; n <= static_cast<int>(keys.size()); ++n) {
      EXPECT_EQ(table.Record(n)->Value, expected[n]) << "step " << s << ", slot " << n;
    }
    if (step.replaceSlot != 0) {
      table.Put(step.replaceSlot, MakeRecord(step.replaceKey));
      expected[step.replaceSlot] = "";
    }
  }
}

}  // namespace
