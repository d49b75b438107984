#include "tools/core/CsvExport.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "app/core/FeedPackets.h"
#include "app/core/PidRegistry.h"
#include "platform/FeedFrame.h"

namespace orlex::recording {

namespace {

constexpr int kMostPids = app::TPidTable::kSlots;  // an INIT packet registers at most this many

std::string PacketText(const TExchange& exchange) {
  return std::string(app::TrimText(FeedPayloadText(exchange.payload)));
}

struct TValue {
  std::string key;
  std::string value;
};

// Walks the session as the display does: INIT packets set the descriptions, PID packets after the
// first INIT give values. `onInit` sees each INIT's keys, `onPacket` each PID packet's values.
template <typename TOnInit, typename TOnPacket>
void Walk(const std::vector<TExchange>& exchanges, TOnInit onInit, TOnPacket onPacket) {
  bool initSeen = false;
  std::vector<std::string> fields;
  for (const TExchange& exchange : exchanges) {
    if (exchange.msg != kMsgCopyData) continue;
    const std::string text = PacketText(exchange);
    if (exchange.data == app::kInitPacket) {
      initSeen = true;
      std::vector<std::pair<std::string, std::string>> pids;  // key, description
      std::string_view rest;
      const int32_t count = app::ReadInitCount(text, rest);
      if (count != app::kNoCount) {
        app::SplitFields(rest, fields);
        const int registered = std::clamp<int32_t>(count, 0, kMostPids);
        for (int n = 1; n <= registered && static_cast<size_t>(3 * n) <= fields.size(); ++n) {
          pids.emplace_back(fields[3 * n - 3], fields[3 * n - 2]);
        }
      }
      onInit(pids);
    } else if (exchange.data == app::kPidPacket && initSeen) {
      app::SplitFields(text, fields);
      if (fields.empty()) continue;
      fields.pop_back();  // the display drops the last field: the empty one after the final ';'
      std::vector<TValue> values;
      for (const std::string& field : fields) {
        const std::optional<app::TPidField> pair = app::SplitPidField(field);
        if (!pair) break;  // the display stops at a field without a comma
        values.push_back({std::string(pair->Key), std::string(pair->Value)});
      }
      onPacket(exchange, values);
    }
  }
}

}  // namespace

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

void WriteLongCsv(const std::vector<TExchange>& exchanges, std::ostream& out) {
  out << "time,key,description,value\r\n";
  std::map<std::string, std::string> descriptions;
  Walk(
      exchanges,
      [&](const std::vector<std::pair<std::string, std::string>>& pids) {
        descriptions.clear();
        for (const auto& [key, description] : pids) descriptions.emplace(key, description);  // the first PID of a key names it
      },
      [&](const TExchange& exchange, const std::vector<TValue>& values) {
        const std::string time = RecordingSeconds(exchange.micros);
        for (const TValue& v : values) {
          const auto it = descriptions.find(v.key);
          out << time << ',' << CsvField(v.key) << ',' << CsvField(it == descriptions.end() ? "" : it->second) << ','
              << CsvField(v.value) << "\r\n";
        }
      });
}

void WriteWideCsv(const std::vector<TExchange>& exchanges, std::ostream& out) {
  // First pass: the columns, in the order keys first appear.
  std::vector<std::string> keys;
  std::map<std::string, size_t> column;
  const auto addKey = [&](const std::string& key) {
    if (column.emplace(key, keys.size()).second) keys.push_back(key);
  };
  Walk(
      exchanges,
      [&](const std::vector<std::pair<std::string, std::string>>& pids) {
        for (const auto& pid : pids) addKey(pid.first);
      },
      [&](const TExchange&, const std::vector<TValue>& values) {
        for (const TValue& v : values) addKey(v.key);
      });
  out << "time";
  for (const std::string& key : keys) out << ',' << CsvField(key);
  out << "\r\n";
  std::vector<std::string> row(keys.size());
  Walk(
      exchanges, [](const auto&) {},
      [&](const TExchange& exchange, const std::vector<TValue>& values) {
        std::fill(row.begin(), row.end(), std::string());
        for (const TValue& v : values) row[column.at(v.key)] = v.value;  // a key given twice: the later value
        out << RecordingSeconds(exchange.micros);
        for (const std::string& cell : row) out << ',' << CsvField(cell);
        out << "\r\n";
      });
}

}  // namespace orlex::recording
