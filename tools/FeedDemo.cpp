#include "tools/FeedDemo.h"

#include <charconv>
#include <cmath>
#include <numbers>

#include "platform/FeedClient.h"

namespace orlexfeed {

namespace {

struct TDemoPid {
  const char* key;
  const char* description;
  double base;
  double amplitude;
  double periodSeconds;
  int decimals;
};

// Keys carry no commas (a PID packet cuts key and value at the first one); descriptions have spaces
// and one a quote, so they travel quoted.
constexpr TDemoPid kPids[] = {
    {"RPM", "Engine Speed (rpm)", 2000, 1200, 20, 0},
    {"VSS", "Vehicle Speed (km/h)", 60, 55, 45, 0},
    {"ECT", "Coolant Temp (C)", 88, 4, 60, 1},
    {"IAT", "Intake Air Temp (C)", 32, 3, 50, 1},
    {"EOT", "Oil Temp (C)", 95, 5, 70, 1},
    {"EOP", "Oil Pressure (bar)", 3.5, 1.2, 20, 2},
    {"TPS", "Throttle Position (%)", 20, 15, 8, 1},
    {"LOAD", "Calculated Load (%)", 38, 22, 10, 1},
    {"MAP", "Manifold Pressure (kPa)", 65, 35, 10, 0},
    {"MAF", "Air Flow (g/s)", 14, 9, 10, 2},
    {"BOOST", "Boost Pressure (bar)", 0.4, 0.5, 10, 2},
    {"SPARK", "Ignition Advance (deg)", 18, 8, 12, 1},
    {"STFT1", "Short Term Fuel Trim, Bank 1 (%)", 0, 4, 3, 1},
    {"LTFT1", "Long Term Fuel Trim, Bank 1 (%)", 2.3, 0.4, 120, 1},
    {"LAMBDA", "Lambda \"Wideband\"", 1.0, 0.05, 4, 3},
    {"EGT1", "Exhaust Gas Temp (C)", 520, 120, 15, 0},
    {"FRP", "Fuel Rail Pressure (bar)", 45, 15, 9, 1},
    {"VBAT", "Battery Voltage (V)", 14.1, 0.2, 30, 2},
    {"FUEL", "Fuel Level (%)", 72, 10, 600, 1},
    {"O2S1", "O2 Sensor Bank 1 (V)", 0.45, 0.4, 1.5, 3},
};

}  // namespace

int DemoPidCount() { return static_cast<int>(std::size(kPids)); }

std::string DemoInitPacket() {
  std::string text = std::to_string(DemoPidCount()) + ";";
  int id = 1;
  for (const TDemoPid& pid : kPids) {
    text += pid.key;
    text += ';';
    text += orlex::QuoteFeedField(pid.description);
    text += ';';
    text += std::to_string(id++);
    text += ';';
  }
  return text;
}

std::string FormatDecimal(double value, int decimals, const std::string& radix) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (const size_t dot = text.find('.'); dot != std::string::npos) {
    text.replace(dot, 1, radix);
  }
  return text;
}

std::string DemoValuesPacket(double seconds, const std::string& radix) {
  std::string text;
  int index = 0;
  for (const TDemoPid& pid : kPids) {
    const double phase = 0.7 * index++;
    // Two waves of different speed, so the values wander instead of swinging like a pendulum.
    const double wave = 0.8 * std::sin(2 * std::numbers::pi * seconds / pid.periodSeconds + phase) +
                        0.2 * std::sin(2 * std::numbers::pi * seconds / (pid.periodSeconds * 0.37) + 2 * phase);
    text += pid.key;
    text += ',';
    text += FormatDecimal(pid.base + pid.amplitude * wave, pid.decimals, radix);
    text += ';';
  }
  return text;
}

}  // namespace orlexfeed
