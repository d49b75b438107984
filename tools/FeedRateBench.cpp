#include "tools/FeedRateBench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/FeedFrame.h"
#include "tools/FeedBench.h"

namespace orlexfeed {

namespace {

using TClock = std::chrono::steady_clock;

std::string ReadProcFile(long pid, const char* name) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

long long CpuTicksOf(long pid) { return pid > 0 ? StatCpuTicks(ReadProcFile(pid, "stat")) : -1; }

// The reply of the paint-count query, or -1 when the display does not answer it (an older display
// answers every unknown message with 0, and a display on show has painted at least once).
long PaintCount(orlex::TFeedClient& client) {
  const std::int32_t reply = client.SendControl(orlex::kMsgPaintCount);
  return reply > 0 ? reply : -1;
}

}  // namespace

long long StatCpuTicks(std::string_view stat) {
  // After the name's closing parenthesis (the last one: the name may hold its own): state, then
  // fields 4 to 13, then utime and stime.
  const std::size_t close = stat.rfind(')');
  if (close == std::string_view::npos) return -1;
  std::istringstream fields{std::string(stat.substr(close + 1))};
  std::string field;
  long long utime = -1;
  long long stime = -1;
  for (int n = 3; n <= 15 && fields >> field; ++n) {
    if (n == 14 || n == 15) {
      char* end = nullptr;
      const long long value = std::strtoll(field.c_str(), &end, 10);
      if (end == field.c_str() || *end != '\0' || value < 0) return -1;
      (n == 14 ? utime : stime) = value;
    }
  }
  return utime < 0 || stime < 0 ? -1 : utime + stime;
}

long StatusResidentKiB(std::string_view status) {
  std::istringstream lines{std::string(status)};
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("VmRSS:", 0) != 0) continue;
    char* end = nullptr;
    const long value = std::strtol(line.c_str() + 6, &end, 10);
    return end == line.c_str() + 6 ? -1 : value;
  }
  return -1;
}

TRateFigures RunRateBench(orlex::TFeedClient& client, double rate, double seconds, const std::string& keysPrefix,
                          bool htmlDescriptions) {
  TRateFigures figures;
  figures.displayPid = client.PeerProcessId();
  if (client.SendPacket(0, BenchInitPacket(keysPrefix, htmlDescriptions)) != 1) ++figures.notOne;
  const std::vector<std::string> packets = BenchValuePackets(keysPrefix);
  const auto interval = std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(1.0 / rate));

  // Packets go out on a fixed schedule; a late one is sent at once and the schedule is kept, so the
  // rate holds on average.
  std::size_t packet = 0;
  auto sendUntil = [&](TClock::time_point start, TClock::time_point end, std::vector<double>* micros) {
    std::size_t sent = 0;
    for (auto next = start; next < end; next += interval, ++sent) {
      std::this_thread::sleep_until(next);
      const auto before = TClock::now();
      if (client.SendPacket(1, packets[packet++ % packets.size()]) != 1 && micros != nullptr) ++figures.notOne;
      if (micros != nullptr) micros->push_back(std::chrono::duration<double, std::micro>(TClock::now() - before).count());
    }
    // The measured time is the whole window, the last packet's interval included.
    std::this_thread::sleep_until(end);
    return sent;
  };

  const auto warmUpStart = TClock::now();
  sendUntil(warmUpStart, warmUpStart + std::chrono::seconds(1), nullptr);

  const long paintsBefore = PaintCount(client);
  const long long ticksBefore = CpuTicksOf(figures.displayPid);
  const auto start = TClock::now();
  std::vector<double> micros;
  figures.sent = sendUntil(start, start + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(seconds)),
                           &micros);
  const auto end = TClock::now();
  const long long ticksAfter = CpuTicksOf(figures.displayPid);
  const long paintsAfter = PaintCount(client);

  figures.seconds = std::chrono::duration<double>(end - start).count();
  if (ticksBefore >= 0 && ticksAfter >= ticksBefore && figures.seconds > 0) {
    figures.cpuPercent = 100.0 * static_cast<double>(ticksAfter - ticksBefore) /
                         static_cast<double>(sysconf(_SC_CLK_TCK)) / figures.seconds;
  }
  if (paintsBefore > 0 && paintsAfter > 0 && figures.seconds > 0) {
    // The count wraps at 2^31.
    const long passes = (paintsAfter - paintsBefore + 0x80000000L) % 0x80000000L;
    figures.paintsPerSecond = static_cast<double>(passes) / figures.seconds;
  }
  if (figures.displayPid > 0) figures.residentKiB = StatusResidentKiB(ReadProcFile(figures.displayPid, "status"));
  std::sort(micros.begin(), micros.end());
  figures.p50Micros = Percentile(micros, 0.50);
  figures.p99Micros = Percentile(micros, 0.99);
  return figures;
}

}  // namespace orlexfeed
